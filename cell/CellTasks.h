#pragma once

#include <QString>
#include <QTime>
#include <functional>

#include "cell/CellProgress.h"
#include "cell/ReadOut.h"
#include "data/MeasurementRecord.h"
#include "link/SerialLink.h"

namespace kelvarn {

// The user commands of the cell up to the point where the window (or the
// command-line companion) shows the outcome. Each begins with the
// connection check on port; status texts go to progress.

// The opening shared by the read-out and the program query: connection
// check on port (its result is not needed: a missing cell shows itself in
// the next exchange), both buffers purged, a pause, " Daten auslesen ...".
void PrepareCellRead(SerialLink& link, int port, CellProgress& progress);

// "&Auslesen der Zelle": connection check (a missing cell shows itself in
// the readiness question), both buffers purged, a pause, then ReadOutCell
// into rec.
ReadOutResult ReadOutOnPort(SerialLink& link, int port, MeasurementRecord& rec,
                            CellProgress& progress);

// "Aktuelles &Messprogramm in der Zelle erfragen": connection check, both
// buffers purged, a pause, then QueryCellProgram. The row 1..9, or -1.
int QueryProgramOnPort(SerialLink& link, int port, CellProgress& progress);

// The status text for the outcome of a program query:
// " Gefundener Messtyp: B", or the "Unbekannt" text for row <= 0.
QString ProgramQueryText(int row);

// The cause of a failed open of link's port, as the user reads it behind the
// command's message; empty when the port is open or the open failed for no
// reason the system told.
QString OpenCause(const SerialLink& link);

// "Messprogramm an die Zelle senden": what the upload found.
struct UploadOutcome {
    bool connected = false;  // the connection check found the cell
    bool sent = false;       // every byte went out, the run command too
    bool cancelled = false;  // the person stopped it
    QString cause;           // why the port did not open, when it did not
};

// Connection check on port, a pause, then the START-key program (keyStart;
// its file with binFile) and the timed program for a start at target
// (timed), then the run command. now gives the time of day when the timed
// image is made. A failed upload leaves its reason on the status line
// (" Übertragung abgebrochen.", " Fehler." or the file error).
UploadOutcome UploadProgram(SerialLink& link, int port, int row, bool keyStart, bool timed,
                            bool binFile, const QTime& target, const std::function<QTime()>& now,
                            CellProgress& progress);

// The start from the PC ("&Start"): what it found.
struct LiveStart {
    bool connected = false;  // the connection check found the cell
    bool uploaded = false;   // the START-key program went over
    int row = 0;             // the program the cell now runs (1..9), -1 when unknown
    QString cause;           // why the port did not open, when it did not
};

// Connection check on port, the START-key program of row selected (its
// file with binFile), the program query, and when it found a program the
// run command and the command that makes the cell stream its levels.
LiveStart StartLive(SerialLink& link, int port, int selected, bool binFile, CellProgress& progress);

// The text of the message box for a read-out whose data stopped part-way,
// or that the person cancelled.
QString IncompleteReadOutText(const ReadOutResult& result);

}  // namespace kelvarn

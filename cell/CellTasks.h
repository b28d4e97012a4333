#pragma once

#include <QString>
#include <QTime>
#include <functional>
#include <map>
#include <vector>

#include "cell/CellProgress.h"
#include "cell/CellResult.h"
#include "cell/ReadOut.h"
#include "data/MeasurementRecord.h"
#include "link/DeviceSearch.h"
#include "link/SerialLink.h"
#include "link/SystemPorts.h"

namespace kelvarn {

// The user commands of the cell up to the point where the window (or the
// command-line companion) shows the outcome. Each begins with the
// connection check on port; status texts go to progress.

// The opening shared by the read-out and the program query: connection
// check on port (its result is not needed: a missing cell shows itself in
// the next exchange), both buffers purged, a pause, " Daten auslesen ...".
void PrepareCellRead(SerialLink& link, int port, CellProgress& progress);

// The read-out as a command: PrepareCellRead, then ReadOutCell into rec. A port that did not
// open is named as the cause of a cell that was not ready.
CellResult ReadOutCommand(SerialLink& link, int port, MeasurementRecord& rec,
                          CellProgress& progress);

// The program query as a command: PrepareCellRead, then QueryCellProgram; row holds the
// program found, or -1.
CellResult QueryCommand(SerialLink& link, int port, CellProgress& progress);

// The connection check on port as a command (the port chosen by hand).
CellResult ConnectCommand(SerialLink& link, int port);

// The system's ports among offered (all: every port the system has) that no COM number
// reaches yet, each under a number that reaches nothing else, for one search. Reads the
// settings file: made where the search is started, not on the link's thread.
std::map<int, QString> SearchTrialNumbers(const std::vector<SystemPort>& offered,
                                          const std::vector<SystemPort>& all);

// "Automatische S&uche" as a command: every probe over COM1 to COM16, the numbers of trial
// reaching their devices for this search only, then the USB adapter. prompt is the person's
// side of the question before a device is taken (its ctrlHeld and ask); the search ends at
// progress's cancel and counts the ports on it. port holds the COM number where a device
// answered; the USB adapter, which the cell commands cannot use, counts as nothing found.
CellResult SearchCommand(SerialLink& link, const std::map<int, QString>& trial, AcceptPrompt prompt,
                         CellProgress& progress);

// Keeps the port a search found (result.port) for the next start: a trial number's device in
// section "Ports" first, then the number as the stored choice. When the choice could not be
// stored, result.where names the device the number stood for in the search.
struct KeptPort {
    // The number reaches the device at the next start (a COM number stored without the device
    // it stands for would reach the on-board port): only then is it the choice.
    bool mapped = true;
    bool stored = true;  // the settings file holds the mapping and the choice
};
KeptPort KeepFoundPort(CellResult& result, const std::map<int, QString>& trial);

// "Messprogramm an die Zelle senden": connection check on port, a pause,
// then the START-key program (keyStart; its file with binFile) and the
// timed program for a start at target (timed), then the run command. now
// gives the time of day when the timed image is made. A failed upload
// leaves its reason on the status line (" Übertragung abgebrochen.",
// " Fehler." or the file error).
CellResult UploadProgram(SerialLink& link, int port, int row, bool keyStart, bool timed,
                         bool binFile, const QTime& target, const std::function<QTime()>& now,
                         CellProgress& progress);

// The start from the PC ("&Start"): connection check on port, the
// START-key program of row selected (its file with binFile), the program
// query, and when it found a program the run command and the command that
// makes the cell stream its levels. row holds the program the cell now
// runs; kNoProgram when the query found none (the START-key program went
// over, no run command was sent).
CellResult StartLive(SerialLink& link, int port, int selected, bool binFile,
                     CellProgress& progress);

}  // namespace kelvarn

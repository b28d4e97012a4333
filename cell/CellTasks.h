#pragma once

#include <QString>

#include "cell/CellProgress.h"
#include "cell/ReadOut.h"
#include "data/MeasurementRecord.h"

namespace kelvarn {

// The user commands of the cell up to the point where the window (or the
// command-line companion) shows the outcome. Each begins with the
// connection check on port; status texts go to progress.

// The opening shared by the read-out and the program query: connection
// check on port (its result is not needed: a missing cell shows itself in
// the next exchange), both buffers purged, a pause, " Daten auslesen ...".
void PrepareCellRead(int port, CellProgress& progress);

// "&Auslesen der Zelle": connection check (a missing cell shows itself in
// the readiness question), both buffers purged, a pause, then ReadOutCell
// into rec.
ReadOutResult ReadOutOnPort(int port, MeasurementRecord& rec, CellProgress& progress);

// "Aktuelles &Messprogramm in der Zelle erfragen": connection check, both
// buffers purged, a pause, then QueryCellProgram. The row 1..9, or -1.
int QueryProgramOnPort(int port, CellProgress& progress);

// The status text for the outcome of a program query:
// " Gefundener Messtyp: B", or the "Unbekannt" text for row <= 0.
QString ProgramQueryText(int row);

// The text of the message box for a read-out whose data stopped part-way,
// or that the person cancelled.
QString IncompleteReadOutText(const ReadOutResult& result);

}  // namespace kelvarn

#pragma once

// The read-out and the program query as bare sequences on a port, without the command's
// result: what the protocol tests look at byte by byte. The program runs them as
// ReadOutCommand and QueryCommand.

#include "cell/CellTasks.h"
#include "cell/ReadOut.h"

namespace kelvarn {

// Connection check, both buffers purged, a pause, then ReadOutCell into rec.
inline ReadOutResult ReadOutOnPort(SerialLink& link, int port, MeasurementRecord& rec,
                                   CellProgress& progress) {
    PrepareCellRead(link, port, progress);
    return ReadOutCell(link, rec, progress);
}

// Connection check, both buffers purged, a pause, then QueryCellProgram: the row 1..9, or -1.
inline int QueryProgramOnPort(SerialLink& link, int port, CellProgress& progress) {
    PrepareCellRead(link, port, progress);
    return QueryCellProgram(link);
}

}  // namespace kelvarn

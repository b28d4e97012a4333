#include "cell/CellTasks.h"

#include "data/ProgramTable.h"
#include "link/DeviceSearch.h"
#include "link/comphard.h"

namespace kelvarn {

namespace {

// Lets the cell settle after the connection check [ms].
constexpr int kSettleMs = 500;

}  // namespace

void PrepareCellRead(int port, CellProgress& progress) {
    progress.Status(QStringLiteral(" Hardware suchen ..."));
    ConnectCell(port);
    progress.Status(QStringLiteral(" Moment noch ..."));
    PurgeReceive();
    PurgeTransmit();
    Delay(kSettleMs);
    progress.Status(QStringLiteral(" Daten auslesen ..."));
}

ReadOutResult ReadOutOnPort(int port, MeasurementRecord& rec, CellProgress& progress) {
    PrepareCellRead(port, progress);
    return ReadOutCell(rec, progress);
}

int QueryProgramOnPort(int port, CellProgress& progress) {
    PrepareCellRead(port, progress);
    return QueryCellProgram();
}

QString ProgramQueryText(int row) {
    if (row > 0) return QStringLiteral(" Gefundener Messtyp: ") + ProgramLetter(row);
    return QStringLiteral(
        " Gefundener Messtyp: Unbekannt. Möglicherweise sollte die Hardware aus- und "
        "eingeschaltet werden.");
}

QString IncompleteReadOutText(const ReadOutResult& result) {
    if (result.cancelled)
        return QStringLiteral("Auslesen abgebrochen. Nur %1 von %2 Messwerten empfangen.")
            .arg(result.received)
            .arg(result.expected);
    return QStringLiteral("Auslesen unvollständig! Nur %1 von %2 Messwerten empfangen.")
        .arg(result.received)
        .arg(result.expected);
}

}  // namespace kelvarn

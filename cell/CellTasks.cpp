#include "cell/CellTasks.h"

#include "cell/ProgramTransfer.h"
#include "data/ProgramTable.h"
#include "link/CellCommandBytes.h"
#include "link/DeviceSearch.h"
#include "link/SerialLink.h"

namespace kelvarn {

namespace {

// Lets the cell settle after the connection check [ms].
constexpr int kSettleMs = 500;

// Pauses of the start sequence [ms].
constexpr int kAfterConnectMs = 50;
constexpr int kBeforeRunMs = 50;

// Passes the reports on and remembers the last status text.
class TrackedProgress : public CellProgress {
public:
    explicit TrackedProgress(CellProgress& inner) : inner_(inner) {}
    void Status(const QString& text) override {
        last = text;
        inner_.Status(text);
    }
    void ProgressMax(int max) override { inner_.ProgressMax(max); }
    void ProgressPosition(int position) override { inner_.ProgressPosition(position); }
    bool Cancelled() const override { return inner_.Cancelled(); }
    QString last;

private:
    CellProgress& inner_;
};

}  // namespace

void PrepareCellRead(SerialLink& link, int port, CellProgress& progress) {
    progress.Status(QStringLiteral(" Hardware suchen ..."));
    ConnectCell(link, port);
    progress.Status(QStringLiteral(" Moment noch ..."));
    link.PurgeReceive();
    link.PurgeTransmit();
    link.Delay(kSettleMs);
    progress.Status(QStringLiteral(" Daten auslesen ..."));
}

ReadOutResult ReadOutOnPort(SerialLink& link, int port, MeasurementRecord& rec,
                            CellProgress& progress) {
    PrepareCellRead(link, port, progress);
    return ReadOutCell(link, rec, progress);
}

int QueryProgramOnPort(SerialLink& link, int port, CellProgress& progress) {
    PrepareCellRead(link, port, progress);
    return QueryCellProgram(link);
}

QString ProgramQueryText(int row) {
    if (row > 0) return QStringLiteral(" Gefundener Messtyp: ") + ProgramLetter(row);
    return QStringLiteral(
        " Gefundener Messtyp: Unbekannt. Möglicherweise sollte die Hardware aus- und "
        "eingeschaltet werden.");
}

QString OpenCause(const SerialLink& link) {
    if (link.IsPortOpen()) return {};
    return OpenFailureText(link.LastOpenFailure());
}

UploadOutcome UploadProgram(SerialLink& link, int port, int row, bool keyStart, bool timed,
                            bool binFile, const QTime& target, const std::function<QTime()>& now,
                            CellProgress& reports) {
    UploadOutcome out;
    TrackedProgress progress(reports);
    const QString transferring = QStringLiteral(" Messprogramm ") +
                                 Programs().Row(row).BinFileName + QStringLiteral(" übertragen...");
    progress.Status(QStringLiteral(" Hardware suchen ..."));
    out.connected = ConnectCell(link, port);
    if (!out.connected) {
        out.cause = OpenCause(link);
        return out;
    }
    progress.Status(QStringLiteral(" Moment noch ..."));
    link.Delay(kSettleMs);
    progress.Status(transferring);
    out.sent = (!keyStart || UploadKeyProgram(link, row, binFile, progress)) &&
               (!timed || UploadTimedProgram(link, row, now(), target, &progress));
    if (out.sent) {
        link.Delay(kBeforeRunMs);
        out.sent = SendRunCommand(link) == LinkStatus::kOk;
        if (out.sent) return out;
    }
    out.cancelled = progress.Cancelled();
    // A cell that stops prompting leaves the upload unfinished: say so
    // rather than leave "übertragen..." standing as if it went on. A file
    // error keeps its own text.
    if (out.cancelled) {
        progress.Status(QStringLiteral(" Übertragung abgebrochen."));
    } else if (progress.last == transferring) {
        progress.Status(QStringLiteral(" Fehler."));
    }
    return out;
}

LiveStart StartLive(SerialLink& link, int port, int selected, bool binFile,
                    CellProgress& progress) {
    LiveStart out;
    progress.Status(QStringLiteral(" Hardware suchen ..."));
    out.connected = ConnectCell(link, port);
    if (!out.connected) {
        out.cause = OpenCause(link);
        return out;
    }
    link.Delay(kAfterConnectMs);
    progress.Status(QStringLiteral(" Übertage Messprogramm ..."));
    // The START-key program (or its file), whatever start mode is chosen
    // for uploads: the PC starts the cell itself.
    if (!UploadKeyProgram(link, selected, binFile, progress)) {
        if (progress.Cancelled()) progress.Status(QStringLiteral(" Übertragung abgebrochen."));
        return out;
    }
    out.uploaded = true;
    progress.Status(QStringLiteral(" OK."));
    link.Delay(kAfterConnectMs);
    out.row = QueryCellProgram(link);
    if (out.row <= 0) return out;
    // A line that fails now shows itself as the first live tick's missing
    // level.
    (void)SendRunCommand(link);
    link.Delay(kCommandPauseMs);
    (void)link.WriteByte(kCmdStartLive);
    link.Delay(kCommandPauseMs);
    return out;
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

#include "cell/CellTasks.h"

#include "cell/CellResult.h"
#include "cell/ProgramTransfer.h"
#include "data/ProgramTable.h"
#include "link/CellCommandBytes.h"
#include "link/DeviceSearch.h"
#include "link/SerialLink.h"
#include "link/SettingsFile.h"

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

CellResult ReadOutCommand(SerialLink& link, int port, MeasurementRecord& rec,
                          CellProgress& progress) {
    PrepareCellRead(link, port, progress);
    CellResult open;
    TakeOpenCause(link, open);
    const bool portOpen = link.IsPortOpen();
    CellResult out = FromReadOut(ReadOutCell(link, rec, progress));
    // A port that did not open is why the cell was not ready; without a port
    // there is no line whose fault could be named.
    const bool notReady =
        out.status == CellStatus::kFailed && out.total == 0 && out.cause != CellCause::kDamaged;
    if (notReady && open.cause == CellCause::kOpenFailure) {
        out.cause = open.cause;
        out.openFailure = open.openFailure;
    } else if (notReady && !portOpen) {
        out.cause = CellCause::kNone;
    }
    return out;
}

CellResult QueryCommand(SerialLink& link, int port, CellProgress& progress) {
    PrepareCellRead(link, port, progress);
    CellResult out;
    out.command = CellCommand::kQuery;
    TakeOpenCause(link, out);
    out.row = QueryCellProgram(link);
    if (out.row > 0) {
        out.status = CellStatus::kOk;
        out.cause = CellCause::kNone;
    } else if (out.cause == CellCause::kNone) {
        out.cause = CellCause::kNoProgram;
    }
    return out;
}

CellResult ConnectCommand(SerialLink& link, int port) {
    CellResult out;
    out.command = CellCommand::kConnect;
    out.port = port;
    if (ConnectCell(link, port)) {
        out.status = CellStatus::kOk;
        return out;
    }
    out.cause = CellCause::kNoAnswer;
    TakeOpenCause(link, out);
    return out;
}

std::map<int, QString> SearchTrialNumbers(const std::vector<SystemPort>& offered,
                                          const std::vector<SystemPort>& all) {
    std::map<int, QString> trial;
    std::vector<int> taken;
    for (const SystemPort& p : offered) {
        if (MappedComNumber(p) > 0) continue;
        const int n = FreeComNumber(all, taken);
        if (n == 0) break;
        taken.push_back(n);
        trial[n] = p.device;
    }
    return trial;
}

CellResult SearchCommand(SerialLink& link, const std::map<int, QString>& trial, AcceptPrompt prompt,
                         CellProgress& progress) {
    CellResult r;
    r.command = CellCommand::kSearch;
    prompt.cancelled = [&progress] { return progress.Cancelled(); };
    prompt.probing = [&progress](int n) { progress.ProgressPosition(n - 1); };
    progress.ProgressMax(16);
    link.Names().SetTemporary(trial);
    const int kind = SearchHardware(link, prompt);
    link.Names().SetTemporary({});
    r.port = link.GetPortNumber();
    // The USB adapter has no port number of its own, and the cell commands cannot use it:
    // what GetPortNumber holds then is merely the last serial port the search opened.
    if (progress.Cancelled()) {
        r.status = CellStatus::kCancelled;
    } else if (kind == kNoDevice || kind == kVendraUsb || r.port <= 0) {
        r.cause = CellCause::kNoAnswer;
    } else {
        r.status = CellStatus::kOk;
        // A line that fails here fails the next command, which says so.
        (void)link.ResetLink();
    }
    return r;
}

KeptPort KeepFoundPort(CellResult& result, const std::map<int, QString>& trial) {
    KeptPort kept;
    const int n = result.port;
    const auto tried = trial.find(n);
    kept.mapped =
        tried == trial.end() ||
        WriteSetting(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(n), tried->second);
    kept.stored = kept.mapped && WriteStoredPort(n);
    // Named by its device: COM n may not reach it at the next start.
    if (!kept.stored && tried != trial.end()) result.where = tried->second;
    return kept;
}

CellResult UploadProgram(SerialLink& link, int port, int row, bool keyStart, bool timed,
                         bool binFile, const QTime& target, const std::function<QTime()>& now,
                         CellProgress& reports) {
    TrackedProgress progress(reports);
    const QString transferring = QStringLiteral(" Messprogramm ") +
                                 Programs().Row(row).BinFileName + QStringLiteral(" übertragen...");
    progress.Status(QStringLiteral(" Hardware suchen ..."));
    CellResult out = ConnectCommand(link, port);
    out.command = CellCommand::kUpload;
    if (!out.Ok()) return out;
    out.status = CellStatus::kFailed;
    progress.Status(QStringLiteral(" Moment noch ..."));
    link.Delay(kSettleMs);
    progress.Status(transferring);
    bool sent = (!keyStart || UploadKeyProgram(link, row, binFile, progress)) &&
                (!timed || UploadTimedProgram(link, row, now(), target, &progress));
    LinkStatus failed = link.LastReadStatus();
    if (sent) {
        link.Delay(kBeforeRunMs);
        failed = SendRunCommand(link);
        sent = failed == LinkStatus::kOk;
    }
    if (sent) {
        out.status = CellStatus::kOk;
    } else if (progress.Cancelled()) {
        out.status = CellStatus::kCancelled;
    } else if (progress.last != transferring) {
        // A program file that could not be read keeps its own text.
        out.cause = CellCause::kFile;
        out.detail = progress.last;
    } else {
        // A cell that stops prompting leaves the upload unfinished.
        out.cause = failed == LinkStatus::kOk ? CellCause::kLineFailure : CauseOf(failed);
    }
    // The end's text goes to the status line where the command began it, so
    // that "übertragen..." does not stand as if it went on.
    if (!out.Ok()) {
        const CellText text = CellMessage(out);
        if (text.setsStatus) progress.Status(text.status);
    }
    return out;
}

CellResult StartLive(SerialLink& link, int port, int selected, bool binFile,
                     CellProgress& reports) {
    TrackedProgress progress(reports);
    progress.Status(QStringLiteral(" Hardware suchen ..."));
    CellResult out = ConnectCommand(link, port);
    out.command = CellCommand::kStart;
    out.port = 0;
    if (!out.Ok()) return out;
    out.status = CellStatus::kFailed;
    link.Delay(kAfterConnectMs);
    const QString uploading = QStringLiteral(" Übertage Messprogramm ...");
    progress.Status(uploading);
    // The START-key program (or its file), whatever start mode is chosen
    // for uploads: the PC starts the cell itself.
    if (!UploadKeyProgram(link, selected, binFile, progress)) {
        out.detail = progress.last;
        if (progress.Cancelled()) {
            out.status = CellStatus::kCancelled;
            progress.Status(CellMessage(out).status);
        } else {
            out.cause =
                progress.last != uploading ? CellCause::kFile : CauseOf(link.LastReadStatus());
            if (out.cause == CellCause::kNone) out.cause = CellCause::kLineFailure;
        }
        return out;
    }
    progress.Status(QStringLiteral(" OK."));
    link.Delay(kAfterConnectMs);
    out.row = QueryCellProgram(link);
    if (out.row <= 0) {
        out.cause = CellCause::kNoProgram;
        return out;
    }
    // A line that fails now shows itself as the first live tick's missing
    // level.
    (void)SendRunCommand(link);
    link.Delay(kCommandPauseMs);
    (void)link.WriteByte(kCmdStartLive);
    link.Delay(kCommandPauseMs);
    out.status = CellStatus::kOk;
    return out;
}

}  // namespace kelvarn

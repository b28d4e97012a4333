#include "CellCli.h"

#include <signal.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

#include "LiveCli.h"
#include "PortsCli.h"
#include "cell/CellTasks.h"
#include "data/ProgramTable.h"
#include "files/CommandResult.h"
#include "files/FileErrors.h"
#include "files/MeasurementFile.h"
#include "link/PortNames.h"
#include "link/SerialLink.h"

namespace kelvarn {

namespace {

CliOutcome Fail(int code, const QString& message) {
    return CliFailure(code, message);
}

// The port number of "COMn"; 0 (with o saying why) for anything else.
int Port(const QString& name, CliOutcome& o) {
    const int n = PortNumberOf(name);
    if (n <= 0)
        o = Fail(2, QStringLiteral("keine Schnittstelle: \"%1\" (COM1, COM2 ...)").arg(name));
    return n;
}

// The message behind a command's own when the port could not be opened.
QString WithOpenCause(const SerialLink& link, const QString& message) {
    const QString cause = OpenCause(link);
    return cause.isEmpty() ? message : message + QLatin1Char(' ') + cause;
}

// Why the measurement file could not be written at path, found before
// anything is read from the cell; empty when it can.
QString DestinationProblem(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) return OsErrorMessage(EISDIR, path);
    const QByteArray file = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    if (info.exists() ? ::access(file.constData(), W_OK) != 0
                      : ::access(folder.constData(), W_OK | X_OK) != 0)
        return OsErrorMessage(errno, path);
    return {};
}

volatile sig_atomic_t g_interrupted = 0;
void OnInterrupt(int) {
    g_interrupted = 1;
}

// Ctrl+C stops the read-out between two exchanges (what arrived is saved);
// progress goes to stderr when that is a terminal.
class ReadProgress : public CellProgress {
public:
    ReadProgress() : terminal_(::isatty(2) == 1) {
        g_interrupted = 0;
        struct sigaction sa {};
        sa.sa_handler = OnInterrupt;
        sigaction(SIGINT, &sa, &old_);
    }
    ~ReadProgress() override {
        sigaction(SIGINT, &old_, nullptr);
        if (shown_) std::fputs("\n", stderr);
    }
    void ProgressMax(int max) override { max_ = max; }
    void ProgressPosition(int position) override {
        if (!terminal_ || (position % 50 != 0 && position + 1 < max_)) return;
        std::fprintf(stderr, "\r%d/%d Messwerte", position + 1, max_);
        shown_ = true;
    }
    bool Cancelled() const override { return g_interrupted != 0; }

private:
    bool terminal_;
    bool shown_ = false;
    int max_ = 0;
    struct sigaction old_ {};
};

CliOutcome Read(const QString& portName, const QString& path) {
    CliOutcome o;
    const int port = Port(portName, o);
    if (port <= 0) return o;
    const QString problem = DestinationProblem(path);
    if (!problem.isEmpty()) return Fail(1, path + QStringLiteral(": ") + problem);
    MeasurementRecord rec;
    ReadOutResult r;
    {
        SerialLink link;
        ReadProgress progress;
        PrepareCellRead(link, port, progress);
        const QString notReady = WithOpenCause(link, QStringLiteral("Hardware nicht bereit!"));
        r = ReadOutCell(link, rec, progress);
        if (r.outcome == ReadOutResult::kNotReady) return Fail(1, notReady);
        // The port is let go as soon as the cell has answered.
    }
    switch (r.outcome) {
        case ReadOutResult::kNotReady: return Fail(1, QStringLiteral("Hardware nicht bereit!"));
        case ReadOutResult::kDefective:
            return Fail(1, QStringLiteral("Datensatz ist defekt!  Bitte Batterieen überprüfen."));
        case ReadOutResult::kCancelled: return Fail(1, QStringLiteral("Auslesen abgebrochen."));
        case ReadOutResult::kOk:
        case ReadOutResult::kIncomplete: break;
    }
    // What arrived is kept, also when the data stopped part-way.
    const CommandResult written = WriteMeasurementFile(path, rec);
    if (!written.ok) return Fail(1, path + QStringLiteral(": ") + written.message);
    if (r.outcome == ReadOutResult::kIncomplete)
        return Fail(1, IncompleteReadOutText(r) + QStringLiteral(" Gespeichert in %1.").arg(path));
    o.out = QStringLiteral("%1 Messwerte gelesen, gespeichert in %2.\n")
                .arg(r.received)
                .arg(path)
                .toUtf8();
    return o;
}

CliOutcome Query(const QString& portName) {
    CliOutcome o;
    const int port = Port(portName, o);
    if (port <= 0) return o;
    SerialLink link;
    CellProgress quiet;
    PrepareCellRead(link, port, quiet);
    const QString cause = WithOpenCause(link, QString()).trimmed();
    const int row = QueryCellProgram(link);
    link.ClosePort();
    if (!cause.isEmpty()) o.err = "kelvarn-cli: " + cause.toUtf8() + '\n';
    if (row > 0) {
        o.out = QString(ProgramLetter(row)).toUtf8() + '\n';
        return o;
    }
    // The status line's text after "Gefundener Messtyp: ".
    o.exitCode = 1;
    o.out = ProgramQueryText(row).section(QStringLiteral(": "), 1).toUtf8() + '\n';
    return o;
}

}  // namespace

bool IsCellCommand(const QString& command) {
    return command == QLatin1String("read") || command == QLatin1String("query") ||
           command == QLatin1String("live") || command == QLatin1String("ports");
}

CliOutcome RunCellCommand(const QStringList& args) {
    const QString command = args.value(0);
    if (command == QLatin1String("live")) return RunLive(args.mid(1));
    if (command == QLatin1String("read") && args.size() == 3) return Read(args[1], args[2]);
    if (command == QLatin1String("query") && args.size() == 2) return Query(args[1]);
    if (command == QLatin1String("ports") && args.size() == 1) return PortsCommand();
    CliOutcome o = Fail(2, QStringLiteral("falsche Anzahl von Argumenten für \"%1\"").arg(command));
    o.err += KELVARN_CELL_USAGE;
    return o;
}

}  // namespace kelvarn

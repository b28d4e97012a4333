#include "CellCli.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "InterruptGuard.h"
#include "LiveCli.h"
#include "PortsCli.h"
#include "cell/CellSession.h"
#include "cell/CellTasks.h"
#include "data/ProgramTable.h"
#include "document/ArrivalProtocol.h"
#include "files/CommandResult.h"
#include "files/MeasurementFile.h"
#include "files/MeasurementWithRemarks.h"
#include "files/PosixFile.h"
#include "files/SystemPath.h"
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

// Keeps a record whose save failed after the read-out (the disk filled
// meanwhile): a new file named as path in the user's home folder or, failing
// that, the temporary folder, never replacing anything there. The name it
// got, or empty.
QString KeepElsewhere(const QString& path, const MeasurementRecord& rec) {
    const QByteArray data(reinterpret_cast<const char*>(rec.bytes.data()),
                          MeasurementRecord::kSize);
    const QByteArray wanted = SystemPathBytes(path);
    QByteArray name = wanted.mid(wanted.lastIndexOf('/') + 1);
    if (name.isEmpty() || name == "." || name == "..") name = "Auslesung.dba";
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray stem = dot > 0 ? name.left(dot) : name;
    const QByteArray extension = dot > 0 ? name.mid(dot) : QByteArray();
    const QByteArray temp = qgetenv("TMPDIR");
    const QList<QByteArray> folders = {qgetenv("HOME"), temp.isEmpty() ? "/tmp" : temp};
    for (const QByteArray& folder : folders) {
        if (folder.isEmpty()) continue;
        for (int n = 1; n <= 100; ++n) {
            // "mess.dba", then "mess-2.dba" ..., within the 255 bytes of a name.
            const QByteArray number = '-' + QByteArray::number(n);
            const QByteArray candidate =
                folder + '/' +
                (n == 1 ? name
                        : stem.left(255 - extension.size() - number.size()) + number + extension);
            const IoOutcome io = WriteNewFile(candidate, data);
            if (io.ok()) return PathFromSystem(candidate);
            if (io.error != EEXIST) break;
        }
    }
    return {};
}

// Progress goes to stderr when that is a terminal.
class ReadProgress {
public:
    explicit ReadProgress(CellSession& session) : terminal_(::isatty(2) == 1) {
        QObject::connect(&session, &CellSession::ProgressMax, [this](int max) { max_ = max; });
        QObject::connect(&session, &CellSession::ProgressPosition,
                         [this](int position) { Show(position); });
    }
    ~ReadProgress() {
        if (shown_) std::fputs("\n", stderr);
    }
    ReadProgress(const ReadProgress&) = delete;
    ReadProgress& operator=(const ReadProgress&) = delete;

private:
    void Show(int position) {
        if (!terminal_ || (position % 50 != 0 && position + 1 < max_)) return;
        // The last request of a pass is the cell's closing one, past the last sample.
        std::fprintf(stderr, "\r%d/%d Messwerte", std::min(position + 1, max_), max_);
        shown_ = true;
    }

    bool terminal_;
    bool shown_ = false;
    int max_ = 0;
};

CliOutcome Read(const QString& portName, const QString& path) {
    CliOutcome o;
    const int port = Port(portName, o);
    if (port <= 0) return o;
    // The save's own preparation, before the cell is asked: a destination the
    // save would fail on costs no read-out.
    const CommandResult destination = CheckMeasurementDestination(path);
    if (!destination.ok) return Fail(1, path + QStringLiteral(": ") + destination.message);
    MeasurementRecord rec;
    CellResult r;
    {
        // The same session as the window's, on this thread: the port is let go as soon as the
        // cell has answered.
        CellSession session(false);
        // Ctrl+C stops the read-out between two exchanges, also before it began: what arrived
        // is saved.
        const InterruptGuard interrupts(session);
        const ReadProgress shown(session);
        session.Run([&](SerialLink& link, CellProgress& progress) {
            r = ReadOutCommand(link, port, rec, progress);
        });
    }
    const QString text = CellMessage(r).line;
    // Nothing arrived (no cell, a damaged header, a cancel before the data).
    if (!r.Ok() && (r.total == 0 || r.cause == CellCause::kDamaged)) return Fail(1, text);
    // What arrived is kept, also when the data stopped part-way.
    const CommandResult written = WriteMeasurementFile(path, rec);
    if (!written.ok) {
        // The destination took the check but not the record (the disk filled
        // during the read-out): what was read is kept elsewhere.
        QString message = path + QStringLiteral(": ") + WithFullStop(written.message);
        if (!r.Ok()) message += QLatin1Char(' ') + text;
        const QString kept = KeepElsewhere(path, rec);
        message += kept.isEmpty()
                       ? QStringLiteral(" Die gelesenen Daten konnten nirgends gespeichert werden.")
                       : QStringLiteral(" Die gelesenen Daten sind stattdessen gespeichert in %1.")
                             .arg(kept);
        return Fail(1, message);
    }
    // The protocol beside it, as a read-out in the window leaves it: the latest possible starts
    // (a remembered timed start needs the window's question).
    const MeasurementProtocol protocol = ReadOutProtocol(rec, QDateTime::currentDateTime(), {});
    const CommandResult kept = SaveMeasurementFiles(path, {nullptr, nullptr, &protocol});
    if (!kept.ok) {
        // The levels are in the file; only the starts beside them are missing.
        QString message = QStringLiteral("Die Messung wurde gespeichert, das Protokoll nicht. ") +
                          MessageText(kept);
        if (!r.Ok()) message += QLatin1Char(' ') + text;
        return Fail(1, message);
    }
    if (!r.Ok()) return Fail(1, text + QStringLiteral(" Gespeichert in %1.").arg(path));
    // The name's bytes as given, so a script finds the file by them.
    o.out = Utf8WithCarriedBytes(
        QStringLiteral("%1 Messwerte gelesen, gespeichert in %2.\n").arg(r.count).arg(path));
    return o;
}

CliOutcome Query(const QString& portName) {
    CliOutcome o;
    const int port = Port(portName, o);
    if (port <= 0) return o;
    CellSession session(false);
    CellResult r;
    session.Run(
        [&](SerialLink& link, CellProgress& progress) { r = QueryCommand(link, port, progress); });
    const QString cause = CellCauseText(r);
    if (!cause.isEmpty()) o.err = "kelvarn-cli: " + cause.toUtf8() + '\n';
    if (!r.Ok()) o.exitCode = 1;
    o.out = CellMessage(r).line.toUtf8() + '\n';
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

#include "LiveCli.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <cstdio>
#include <optional>

#include "InterruptGuard.h"
#include "cell/CellResult.h"
#include "cell/CellSession.h"
#include "cell/CellTasks.h"
#include "cell/LiveLevel.h"
#include "cell/LiveRun.h"
#include "cell/LiveSession.h"
#include "data/ProgramTable.h"
#include "files/Export.h"
#include "link/PortNames.h"
#include "link/SerialLink.h"

namespace kelvarn {

namespace {

struct LiveOptions {
    int row = 1;
    bool tsv = false;  // else CSV as the export writes it
    bool restart = false;
};

// The options after PORT; false with message for anything unknown.
bool ParseOptions(const QStringList& args, LiveOptions& o, QString& message) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const QString value = args.value(i + 1);
        if (a == QLatin1String("--restart")) {
            o.restart = true;
        } else if (a == QLatin1String("--program") && i + 1 < args.size()) {
            o.row = 0;
            for (int r = 1; r <= ProgramTable::kRows; ++r)
                if (value.compare(QString(ProgramLetter(r)), Qt::CaseInsensitive) == 0) o.row = r;
            if (o.row == 0) {
                message = QStringLiteral("kein Messprogramm: \"%1\" (A bis I)").arg(value);
                return false;
            }
            ++i;
        } else if (a == QLatin1String("--format") && i + 1 < args.size()) {
            if (value == QLatin1String("csv")) {
                o.tsv = false;
            } else if (value == QLatin1String("tsv")) {
                o.tsv = true;
            } else {
                message = QStringLiteral("kein Format: \"%1\" (csv, tsv)").arg(value);
                return false;
            }
            ++i;
        } else {
            message = QStringLiteral("unbekannte Angabe: \"%1\"").arg(a);
            return false;
        }
    }
    return true;
}

// One line to stdout at once, so a pipe or a file sees each level as it
// comes. false when stdout no longer takes it.
bool WriteLine(const QByteArray& line) {
    return std::fwrite(line.constData(), 1, size_t(line.size()), stdout) == size_t(line.size()) &&
           std::fflush(stdout) == 0;
}

}  // namespace

CliOutcome RunLive(const QStringList& args) {
    const int port = PortNumberOf(args.value(0));
    if (port <= 0)
        return CliFailure(
            2, QStringLiteral("keine Schnittstelle: \"%1\" (COM1, COM2 ...)").arg(args.value(0)));
    LiveOptions options;
    QString message;
    if (!ParseOptions(args.mid(1), options, message)) return CliFailure(2, message);

    // The same session and live run as the window's, on this thread: the start is one of its
    // commands, and each tick waits for the cell's next level, so the log keeps step with the
    // cell however long it runs.
    CellSession cell(false);
    LiveRun run(cell, [] { return QDateTime::currentDateTime(); });
    run.SetChoice({port, options.row, false, options.restart});
    const InterruptGuard interrupts(cell);
    // Numbers and separator as the export writes them, so that a spreadsheet of the user's
    // locale reads both alike: "0,000;48,5" in German, "0.000,48.5" in English.
    const NumberFormat fmt = NumberFormat::FromLocale();
    const QByteArray sep = options.tsv ? QByteArray("\t") : QString(CsvSeparator(fmt)).toUtf8();
    int total = 0;
    bool headerWritten = false;
    std::optional<CliOutcome> failure;
    auto fail = [&](const QString& why) {
        failure = CliFailure(1, why);
        run.Stop();
    };

    // Status texts of the start are not shown: its result says what went wrong.
    QObject::connect(&run, &LiveRun::Started, [&](const CellResult& start) {
        const bool connected =
            start.cause != CellCause::kNoAnswer && start.cause != CellCause::kOpenFailure;
        if (!connected) return fail(CellMessage(start).line);
        // Ctrl+C during the start: what it did not send stays unsent, and that is no failure.
        if (cell.Interrupted()) return run.Stop();
        if (!start.Ok()) return fail(CellMessage(start).line);
        const ProgramRow& program = Programs().Row(start.row);
        if (!headerWritten && !WriteLine("t/" + program.DurationUnit.toUtf8() + sep + "dB(A)\n"))
            return fail(QStringLiteral("Ausgabe nicht möglich"));
        headerWritten = true;
    });
    QObject::connect(&run, &LiveRun::Sample, [&](const LiveSample& s) {
        ++total;
        if (!WriteLine(fmt.Time(s.time).trimmed().toUtf8() + sep +
                       fmt.Level(s.level).trimmed().toUtf8() + '\n'))
            fail(QStringLiteral("Ausgabe nicht möglich"));
    });
    QObject::connect(&run, &LiveRun::Ended, [&](const CellResult& ended) {
        if (ended.Ok()) return;
        CellResult failed = ended;
        failed.count = total;  // over every restart
        fail(CellMessage(failed).line);
    });

    run.Start();
    while (run.Running()) run.Tick();
    CliOutcome o = failure.value_or(CliOutcome{});
    o.err += QStringLiteral("%1 Messwerte empfangen.\n").arg(total).toUtf8();
    return o;
}

}  // namespace kelvarn

#include "CellCli.h"

#include "cell/CellTasks.h"
#include "data/ProgramTable.h"
#include "files/FileResult.h"
#include "files/MeasurementFile.h"
#include "link/PortNames.h"

namespace kelvarn {

namespace {

CliOutcome Fail(int code, const QString& message) {
    CliOutcome o;
    o.exitCode = code;
    o.err = "kelvarn-cli: " + WithFullStop(message.trimmed()).toUtf8() + '\n';
    return o;
}

// The port number of "COMn"; 0 (with o saying why) for anything else.
int Port(const QString& name, CliOutcome& o) {
    const int n = PortNumberOf(name);
    if (n <= 0)
        o = Fail(2, QStringLiteral("keine Schnittstelle: \"%1\" (COM1, COM2 ...)").arg(name));
    return n;
}

CliOutcome Read(const QString& portName, const QString& path) {
    CliOutcome o;
    const int port = Port(portName, o);
    if (port <= 0) return o;
    CellProgress quiet;
    MeasurementRecord rec;
    const ReadOutResult r = ReadOutOnPort(port, rec, quiet);
    switch (r.outcome) {
        case ReadOutResult::kNotReady:
            return Fail(1, QStringLiteral("Hardware nicht bereit!"));
        case ReadOutResult::kDefective:
            return Fail(1, QStringLiteral("Datensatz ist defekt!  Bitte Batterieen überprüfen."));
        case ReadOutResult::kOk:
        case ReadOutResult::kIncomplete:
            break;
    }
    // What arrived is kept, also when the data stopped part-way.
    const FileResult written = WriteMeasurementFile(path, rec);
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
    CellProgress quiet;
    const int row = QueryProgramOnPort(port, quiet);
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
    return command == QLatin1String("read") || command == QLatin1String("query");
}

CliOutcome RunCellCommand(const QStringList& args) {
    const QString command = args.value(0);
    if (command == QLatin1String("read") && args.size() == 3) return Read(args[1], args[2]);
    if (command == QLatin1String("query") && args.size() == 2) return Query(args[1]);
    CliOutcome o = Fail(2, QStringLiteral("falsche Anzahl von Argumenten für \"%1\"").arg(command));
    o.err += KELVARN_CELL_USAGE;
    return o;
}

}  // namespace kelvarn

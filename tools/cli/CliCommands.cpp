#include "CliCommands.h"

#include <QFileInfo>

#include "AssessCli.h"
#include "CellCli.h"
#include "CliDocument.h"
#include "ExportCli.h"
#include "ProtocolCli.h"
#include "ReportCli.h"
#include "data/MeasurementRecord.h"
#include "eval/Evaluation.h"
#include "files/CommandResult.h"
#include "files/MeasurementFile.h"
#include "files/ProtocolFile.h"
#include "files/SystemPath.h"

namespace kelvarn {

namespace {

const char* const kUsage =
    "Aufruf:\n"
    "  kelvarn-cli table DATEI NAME   Tabelle als Text (levelTable, distributionTable,\n"
    "                                 overviewTable, leqTable, overviewLeqTable,\n"
    "                                 overviewDistributionTable, figuresTable; auch unter den\n"
    "                                 Namen der Tabellen im Fenster: grid, gridspek, Grid12,\n"
    "                                 GridLeQ, Grid12Leq, GridSpek12, GridKennwerte)\n"
    "  kelvarn-cli info DATEI         Informationszeile der Messdatei\n"
    "  kelvarn-cli chart DATEI NAME   Punkte eines Diagramms (levelChart, distributionChart,\n"
    "                                 overviewChart, leqChart, overviewLeqChart,\n"
    "                                 distribution1 bis distribution12; auch unter den Namen\n"
    "                                 der Diagramme im Fenster: Chart1, Chart2, Chart3, Chart6,\n"
    "                                 Chart12Leq, Pegel1 bis Pegel12)\n" KELVARN_CELL_USAGE
        KELVARN_EXPORT_USAGE KELVARN_PROTOCOL_USAGE KELVARN_REPORT_USAGE KELVARN_ASSESS_USAGE
    "Nach \"--\" hinter dem Befehl ist kein Argument mehr eine Option (auch \"--x.dba\" nicht).\n";

}  // namespace

QByteArray CliErrorLine(const QString& message) {
    return "kelvarn-cli: " + Utf8WithCarriedBytes(WithFullStop(message.trimmed())) + '\n';
}

CliOutcome CliFailure(int code, const QString& message) {
    CliOutcome o;
    o.exitCode = code;
    o.err = CliErrorLine(message);
    return o;
}

namespace {

CliOutcome Fail(int code, const QString& message, bool withUsage = false) {
    CliOutcome o;
    o.exitCode = code;
    o.err = "kelvarn-cli: " + Utf8WithCarriedBytes(WithFullStop(message)) + '\n';
    if (withUsage) o.err += kUsage;
    return o;
}

// Opens the file named on the command line as the window does; on failure o says why. A damaged
// record (for what its evaluation shows) and a protocol that cannot be read (for what its
// markers cut) are named on stderr, and the command goes on with what could be read.
enum class Reads { kRecord, kEvaluation, kFigures };
bool Load(const QString& path, MeasurementDocument& doc, CliOutcome& o, Reads reads) {
    DocumentOpen opened;
    if (!OpenForCli(path, doc, opened, o)) return false;
    const QString& notice = doc.View().evaluation.damageNotice;
    if (reads != Reads::kRecord && !notice.isEmpty())
        o.err += "kelvarn-cli: " + notice.trimmed().toUtf8() + '\n';
    if (reads == Reads::kFigures && opened.protocol.state == ProtocolLoad::kUnreadable)
        o.err += CliErrorLine(opened.protocol.message);
    return true;
}

CliOutcome Table(const QString& path, const QString& name) {
    CliOutcome o;
    MeasurementDocument doc;
    if (!Load(path, doc, o, Reads::kFigures)) return o;
    const TableText* table = TableByName(doc.View().evaluation, name);
    if (!table)
        return Fail(2, QStringLiteral("unbekannte Tabelle \"%1\" (levelTable, distributionTable, "
                                      "overviewTable, leqTable, overviewLeqTable, "
                                      "overviewDistributionTable, figuresTable; grid, gridspek, "
                                      "Grid12, GridLeQ, Grid12Leq, GridSpek12, GridKennwerte)")
                           .arg(name));
    o.out = table->CopyText().toUtf8();
    return o;
}

CliOutcome Chart(const QString& path, const QString& name) {
    CliOutcome o;
    MeasurementDocument doc;
    if (!Load(path, doc, o, Reads::kEvaluation)) return o;
    const std::vector<const SeriesData*> series = ChartByName(doc.View().evaluation, name);
    if (series.empty())
        return Fail(2, QStringLiteral("unbekanntes Diagramm \"%1\" (levelChart, "
                                      "distributionChart, overviewChart, leqChart, "
                                      "overviewLeqChart, distribution1 bis distribution12; Chart1, "
                                      "Chart2, Chart3, Chart6, Chart12Leq, Pegel1 bis Pegel12)")
                           .arg(name));
    for (const SeriesData* s : series) {
        o.out += s->name.toUtf8() + '\n';
        for (int i = 0; i < s->Count(); ++i)
            o.out += QByteArray::number(s->x[i], 'f', 6) + '\t' +
                     QByteArray::number(s->y[i], 'f', 6) + '\n';
    }
    return o;
}

CliOutcome Info(const QString& path) {
    CliOutcome o;
    MeasurementDocument doc;
    if (!Load(path, doc, o, Reads::kRecord)) return o;
    o.out = InformationLine(DisplayPath(QFileInfo(path).fileName()), doc.Record()).toUtf8() + '\n';
    return o;
}

}  // namespace

CliOutcome RunCli(const QStringList& given) {
    const QString command = given.value(0);
    // "--" ends the options, as on every command line: summary and export read
    // what follows as file names; the other commands take no option that
    // starts with "--", so there it is only dropped.
    QStringList args = given;
    if (!IsExportCommand(command)) {
        const qsizetype end = args.indexOf(QStringLiteral("--"), 1);
        if (end > 0) args.removeAt(end);
    }
    if (args.size() == 1 && (command == "help" || command == "--help" || command == "-h")) {
        CliOutcome o;
        o.out = kUsage;
        return o;
    }
    if (command == "table" && args.size() == 3) return Table(args[1], args[2]);
    if (command == "chart" && args.size() == 3) return Chart(args[1], args[2]);
    if (command == "info" && args.size() == 2) return Info(args[1]);
    if (IsCellCommand(command)) return RunCellCommand(args);
    if (IsExportCommand(command)) return RunExportCommand(args);
    if (IsReportCommand(command)) return RunReportCommand(args);
    if (IsAssessCommand(command)) return RunAssessCommand(args);
    if (IsProtocolCommand(command)) return RunProtocolCommand(args);
    if (command == "table" || command == "chart" || command == "info")
        return Fail(2, QStringLiteral("falsche Anzahl von Argumenten für \"%1\"").arg(command),
                    true);
    if (command.isEmpty()) return Fail(2, QStringLiteral("kein Befehl angegeben"), true);
    return Fail(2, QStringLiteral("unbekannter Befehl \"%1\"").arg(command), true);
}

const char* CliUsage() {
    return kUsage;
}

}  // namespace kelvarn

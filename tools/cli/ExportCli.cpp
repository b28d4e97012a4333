#include "ExportCli.h"

#include "CliDocument.h"
#include "eval/Figures.h"
#include "eval/RecordBounds.h"
#include "files/CommandResult.h"
#include "files/Export.h"
#include "files/MeasurementFile.h"
#include "files/ProtocolFile.h"

namespace kelvarn {

namespace {

QByteArray ErrorLine(const QString& message) {
    return CliErrorLine(message);
}
CliOutcome Fail(int code, const QString& message) {
    return CliFailure(code, message);
}

// The arguments of a command: its options ("--format x", "--output y") and its file names.
struct Arguments {
    QStringList files;
    QString format;
    QString output;
    bool energeticMean = false;
    QString error;  // non-empty when the command line is wrong
};

Arguments Parse(const QStringList& args, const QStringList& formats, bool withOutput,
                bool withMean = false) {
    Arguments a;
    bool namesOnly = false;  // after "--"
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (namesOnly) {
            a.files << arg;
            continue;
        }
        if (withMean && arg == QLatin1String("--energetic-mean")) {
            a.energeticMean = true;
            continue;
        }
        const bool isFormat = arg == QLatin1String("--format");
        const bool isOutput = withOutput && arg == QLatin1String("--output");
        if (arg == QLatin1String("--")) {
            namesOnly = true;
        } else if (isFormat || isOutput) {
            if (i + 1 >= args.size()) {
                a.error = QStringLiteral("\"%1\" ohne Wert").arg(arg);
                return a;
            }
            (isFormat ? a.format : a.output) = args[++i];
        } else if (arg.startsWith(QLatin1String("--"))) {
            a.error = QStringLiteral("unbekannte Option \"%1\"").arg(arg);
            return a;
        } else {
            a.files << arg;
        }
    }
    if (a.format.isEmpty()) a.format = formats.first();
    if (!formats.contains(a.format))
        a.error = QStringLiteral("unbekanntes Format \"%1\" (%2)").arg(a.format, formats.join('|'));
    return a;
}

// Opens one file as the window does and takes its figures; a damaged record adds its notice
// to o.err, a failure its message. How its protocol was read is left in opened.
bool Load(const QString& path, MeasurementDocument& doc, SummaryEntry& e, DocumentOpen& opened,
          CliOutcome& o) {
    CliOutcome each;
    const bool ok = OpenForCli(path, doc, opened, each);
    o.err += each.err;
    if (!ok) return false;
    e.file = path;
    e.record = doc.Record();
    e.figures = doc.View().figures;
    const QString& notice = doc.View().evaluation.damageNotice;
    if (!notice.isEmpty()) o.err += ErrorLine(path + QStringLiteral(":") + notice);
    return true;
}

CliOutcome SummaryCommand(const QStringList& args) {
    const Arguments a = Parse(args, {"tsv", "csv", "json"}, false, true);
    if (!a.error.isEmpty()) return Fail(2, a.error);
    if (a.files.isEmpty()) return Fail(2, QStringLiteral("keine Datei angegeben"));
    CliOutcome o;
    std::vector<SummaryEntry> entries;
    for (const QString& path : a.files) {
        SummaryEntry e;
        MeasurementDocument doc;
        DocumentOpen opened;
        // A file that cannot be read is named on stderr; the others still make the table.
        if (Load(path, doc, e, opened, o))
            entries.push_back(std::move(e));
        else
            o.exitCode = 1;
    }
    const SummaryFormat format = a.format == QLatin1String("json")  ? SummaryFormat::Json
                                 : a.format == QLatin1String("csv") ? SummaryFormat::Csv
                                                                    : SummaryFormat::Tsv;
    o.out = Summary(entries, format, NumberFormat::FromLocale(), a.energeticMean);
    return o;
}

CliOutcome ExportCommand(const QStringList& args) {
    const Arguments a = Parse(args, {"csv", "json"}, true);
    if (!a.error.isEmpty()) return Fail(2, a.error);
    if (a.files.size() != 1)
        return Fail(2, QStringLiteral("falsche Anzahl von Argumenten für \"export\""));
    CliOutcome o;
    SummaryEntry e;
    MeasurementDocument doc;
    DocumentOpen opened;
    if (!Load(a.files[0], doc, e, opened, o)) {
        o.exitCode = 1;
        return o;
    }
    // The protocol beside the file gives the times of day, the markers and the figures without
    // the marked time; one that cannot be read is named, and the export goes on without it.
    const ProtocolLoad& load = opened.protocol;
    if (load.state == ProtocolLoad::kUnreadable) o.err += ErrorLine(load.message);
    const MeasurementProtocol* known =
        load.state == ProtocolLoad::kRead ? &doc.Protocol() : nullptr;
    const CutFigures& cut = doc.View().withoutForeignNoise;
    const QByteArray data =
        a.format == QLatin1String("json")
            ? ExportJson(e.file, e.record, e.figures, known, cut)
            : ExportCsv(e.figures, NumberFormat::FromLocale(), known, GetInterval(e.record), cut);
    if (a.output.isEmpty() || a.output == QLatin1String("-")) {
        o.out = data;
        return o;
    }
    const CommandResult w = WriteExportFile(a.output, data);
    if (!w.ok) {
        o.err += ErrorLine(a.output + QStringLiteral(": ") + w.message);
        o.exitCode = 1;
    }
    return o;
}

}  // namespace

bool IsExportCommand(const QString& command) {
    return command == QLatin1String("summary") || command == QLatin1String("export");
}

CliOutcome RunExportCommand(const QStringList& args) {
    if (args.value(0) == QLatin1String("summary")) return SummaryCommand(args);
    return ExportCommand(args);
}

}  // namespace kelvarn

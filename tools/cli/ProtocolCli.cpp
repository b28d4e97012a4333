#include "ProtocolCli.h"

#include <QFileInfo>
#include <QLocale>
#include <QTimeZone>

#include "CliDocument.h"
#include "cell/StartTimes.h"
#include "document/ProtocolEdits.h"
#include "document/TypedNumber.h"
#include "eval/ViewData.h"
#include "files/CommandResult.h"
#include "files/MeasurementFile.h"
#include "files/MeasurementWithRemarks.h"
#include "files/ProtocolFile.h"
#include "files/SystemPath.h"

namespace kelvarn {

namespace {

// Levels, readings and seconds with the user's decimal mark and no thousands separators:
// "5760 s", not "5,760 s".
QString Db(double v) {
    return NumberFormat::FromLocale().Format("%.1f", v) + QStringLiteral(" dB");
}

QString Seconds(double v) {
    return NumberFormat::FromLocale().Format("%.12g", v) + QStringLiteral(" s");
}

QByteArray Text(const QString& file, const QString& protocolFile, ProtocolLoad::State state,
                const MeasurementProtocol& p) {
    QStringList lines;
    lines << QStringLiteral("Datei: ") + file;
    lines << QStringLiteral("Protokoll: ") + protocolFile +
                 (state == ProtocolLoad::kMissing ? QStringLiteral(" (nicht vorhanden)")
                                                  : QString());
    for (const ProtocolStart& s : p.starts) {
        QString line = QStringLiteral("Messung %1: Beginn ").arg(s.measurement);
        line += s.start.isValid() ? StartText(s) + s.start.toString(QStringLiteral(" (t)"))
                                  : QStringLiteral("unbekannt");
        if (s.source != StartSource::kUnknown)
            line += QStringLiteral(", ") + StartSourceCaption(s.source);
        lines << line;
    }
    const std::pair<const char*, const QString*> texts[] = {{"Messort", &p.site},
                                                            {"Messende(r)", &p.operator_},
                                                            {"Messgerät", &p.instrument},
                                                            {"Auftrag/Zweck", &p.purpose},
                                                            {"Wetter", &p.weather}};
    for (const auto& [caption, value] : texts)
        lines << QString::fromUtf8(caption) + QStringLiteral(": ") + *value;
    const ProtocolCalibration& c = p.calibration;
    QString cal = QStringLiteral("Kalibrierung:");
    if (c.referenceDb) cal += QStringLiteral(" Kalibrator ") + Db(*c.referenceDb) + ',';
    cal += QStringLiteral(" vorher ") + (c.beforeDb ? Db(*c.beforeDb) : QStringLiteral("-"));
    cal += QStringLiteral(", nachher ") + (c.afterDb ? Db(*c.afterDb) : QStringLiteral("-"));
    if (const std::optional<double> d = CalibrationDrift(c))
        cal += QStringLiteral(", Abweichung ") + Db(*d);
    lines << cal;
    if (CalibrationDriftFlagged(c)) lines << QStringLiteral("Kalibrierabweichung über 0,5 dB");
    lines << QStringLiteral("Marken: %1").arg(p.markers.size());
    for (const ProtocolMarker& m : p.markers)
        lines << QStringLiteral("  Messung %1, %2 bis %3, %4%5")
                     .arg(m.measurement)
                     .arg(Seconds(m.fromS), Seconds(m.toS), MarkerKindCaption(m.kind),
                          m.text.isEmpty() ? QString() : QStringLiteral(", ") + m.text);
    return lines.join(QLatin1Char('\n')).toUtf8() + '\n';
}

}  // namespace

bool IsProtocolCommand(const QString& command) {
    return command == QLatin1String("protocol");
}

CliOutcome RunProtocolCommand(const QStringList& args) {
    QString file, format = QStringLiteral("text");
    int measurement = 1;
    bool changed = false, fill = false;
    // What to change, applied in the order given once the file is read.
    std::vector<std::pair<QString, QString>> changes;
    const QStringList valued = {"--format",       "--measurement", "--start",    "--site",
                                "--operator",     "--instrument",  "--purpose",  "--weather",
                                "--reference-db", "--before-db",   "--after-db", "--marker"};
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--fill")) {
            fill = changed = true;
        } else if (valued.contains(arg)) {
            if (i + 1 >= args.size())
                return CliFailure(2, QStringLiteral("\"%1\" ohne Wert").arg(arg));
            const QString value = args[++i];
            if (arg == QLatin1String("--format")) {
                format = value;
            } else {
                changes.emplace_back(arg, value);
                if (arg != QLatin1String("--measurement")) changed = true;
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            return CliFailure(2, QStringLiteral("unbekannte Option \"%1\"").arg(arg));
        } else if (file.isEmpty()) {
            file = arg;
        } else {
            return CliFailure(2, QStringLiteral("falsche Anzahl von Argumenten für \"protocol\""));
        }
    }
    if (file.isEmpty()) return CliFailure(2, QStringLiteral("keine Datei angegeben"));
    if (format != QLatin1String("text") && format != QLatin1String("json"))
        return CliFailure(2, QStringLiteral("unbekanntes Format \"%1\" (text|json)").arg(format));

    CliOutcome o;
    MeasurementDocument doc;
    DocumentOpen opened;
    if (!OpenForCli(file, doc, opened, o)) return o;
    const ProtocolShape& shape = doc.View().shape;
    const QString protocolFile = ProtocolFileName(SystemPath(file));
    const ProtocolLoad& load = opened.protocol;
    if (load.state == ProtocolLoad::kUnreadable) {
        // Not replaced from here: what it holds would be lost unseen.
        return CliFailure(
            1, load.message + (changed ? QStringLiteral(". Es wird nicht ersetzt") : QString()));
    }

    // Each change is the window's own edit, checked as the window checks it.
    const auto refused = [](const EditResult& r) { return CliFailure(2, r.problem); };
    for (const auto& [option, value] : changes) {
        if (option == QLatin1String("--measurement")) {
            bool ok = false;
            measurement = value.toInt(&ok);
            if (!ok || measurement < 1 || measurement > shape.Measurements())
                return CliFailure(2, QStringLiteral("Messung \"%1\" gibt es nicht (1 bis %2)")
                                         .arg(value)
                                         .arg(shape.Measurements()));
        } else if (option == QLatin1String("--start")) {
            const QDateTime start = ParseStartInput(value, QTimeZone::systemTimeZone());
            if (!start.isValid())
                return CliFailure(2, QStringLiteral("\"%1\" ist keine Zeitangabe nach ISO 8601 "
                                                    "(etwa 2026-06-10T21:37:12+02:00)")
                                         .arg(value));
            if (measurement > shape.Measurements())
                return CliFailure(
                    2, QStringLiteral("die Aufnahme enthält keine Messung %1").arg(measurement));
            if (const EditResult r = SetStart(doc, measurement, start); !r.Ok()) return refused(r);
        } else if (option == QLatin1String("--marker")) {
            const QStringList f = value.split(QLatin1Char(','));
            bool ok = false;
            const int m = f.value(0).toInt(&ok);
            const std::optional<MarkerKind> kind = MarkerKindFromKey(f.value(3));
            const TypedNumber from = ReadRequiredNumber(f.value(1), QStringLiteral("--marker von"));
            const TypedNumber to = ReadRequiredNumber(f.value(2), QStringLiteral("--marker bis"));
            if (f.size() < 4 || !ok || !kind)
                return CliFailure(2, QStringLiteral("Marke \"%1\" ist nicht MESSUNG,VON,BIS,"
                                                    "fremdgeraeusch|ereignis[,TEXT]")
                                         .arg(value));
            if (!from.Ok() || !to.Ok()) return CliFailure(2, from.Ok() ? to.problem : from.problem);
            ProtocolMarker mk;
            mk.measurement = m;
            mk.fromS = *from.value;
            mk.toS = *to.value;
            mk.kind = *kind;
            mk.text = f.mid(4).join(QLatin1Char(','));
            if (const EditResult r = AddMarker(doc, mk); !r.Ok()) return refused(r);
        } else if (option.endsWith(QLatin1String("-db"))) {
            const TypedNumber number = ReadRequiredNumber(value, option);
            if (!number.Ok()) return CliFailure(2, number.problem);
            ProtocolCalibration c = doc.Protocol().calibration;
            (option == QLatin1String("--reference-db") ? c.referenceDb
             : option == QLatin1String("--before-db")  ? c.beforeDb
                                                       : c.afterDb) = number.value;
            if (const EditResult r = SetCalibration(doc, c); !r.Ok()) return refused(r);
        } else {
            const ProtocolField field =
                option == QLatin1String("--site")         ? ProtocolField::kSite
                : option == QLatin1String("--operator")   ? ProtocolField::kOperator
                : option == QLatin1String("--instrument") ? ProtocolField::kInstrument
                : option == QLatin1String("--purpose")    ? ProtocolField::kPurpose
                                                          : ProtocolField::kWeather;
            if (const EditResult r = SetProtocolText(doc, field, value); !r.Ok()) return refused(r);
        }
    }
    // Each measurement of a series lasts as long as the first.
    if (fill && shape.Measurements() > 0) {
        if (const EditResult r = FillSeries(doc, measurement, QTimeZone::systemTimeZone()); !r.Ok())
            return refused(r);
    }
    const MeasurementProtocol& p = doc.Protocol();

    if (changed) {
        // What the window would refuse to read back is not written: the same checks as opening.
        MeasurementProtocol check;
        const CommandResult valid = ParseProtocol(WriteProtocol(p), shape, check);
        if (!valid.ok) return CliFailure(2, valid.message);
        const CommandResult saved = SaveMeasurementFiles(SystemPath(file), {nullptr, nullptr, &p});
        if (!saved.ok) return CliFailure(1, saved.message);
    }
    o.out = format == QLatin1String("json") ? WriteProtocol(p)
                                            : Text(DisplayPath(file), DisplayPath(protocolFile),
                                                   changed ? ProtocolLoad::kRead : load.state, p);
    return o;
}

}  // namespace kelvarn

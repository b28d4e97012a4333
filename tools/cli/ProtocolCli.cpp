#include "ProtocolCli.h"

#include <QFileInfo>
#include <QLocale>
#include <QTimeZone>

#include "cell/StartTimes.h"
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

// Reads a number in C notation or with the locale's decimal comma.
bool Number(const QString& text, double& out) {
    bool ok = false;
    out = text.toDouble(&ok);
    if (!ok) out = QLocale().toDouble(text, &ok);
    return ok;
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

    MeasurementRecord rec;
    const CommandResult r = ReadMeasurementFile(file, rec);
    if (!r.ok) return CliFailure(1, DisplayPath(file) + QStringLiteral(": ") + r.message);
    const ProtocolShape shape = ShapeOf(rec);
    const QString protocolFile = ProtocolFileName(SystemPath(file));
    MeasurementProtocol p;
    const ProtocolLoad load = ReadProtocolFile(protocolFile, shape, p);
    if (load.state == ProtocolLoad::kUnreadable) {
        // Not replaced from here: what it holds would be lost unseen.
        return CliFailure(
            1, load.message + (changed ? QStringLiteral(". Es wird nicht ersetzt") : QString()));
    }

    for (const auto& [option, value] : changes) {
        double number = 0;
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
            p.SetStart(measurement, start, StartSource::kEingegeben);
        } else if (option == QLatin1String("--marker")) {
            const QStringList f = value.split(QLatin1Char(','));
            double from = 0, to = 0;
            bool ok = false;
            const int m = f.value(0).toInt(&ok);
            const std::optional<MarkerKind> kind = MarkerKindFromKey(f.value(3));
            if (f.size() < 4 || !ok || !Number(f[1], from) || !Number(f[2], to) || !kind)
                return CliFailure(2, QStringLiteral("Marke \"%1\" ist nicht MESSUNG,VON,BIS,"
                                                    "fremdgeraeusch|ereignis[,TEXT]")
                                         .arg(value));
            ProtocolMarker mk;
            mk.measurement = m;
            mk.fromS = from;
            mk.toS = to;
            mk.kind = *kind;
            mk.text = f.mid(4).join(QLatin1Char(','));
            p.markers.push_back(mk);
        } else if (option.endsWith(QLatin1String("-db"))) {
            if (!Number(value, number))
                return CliFailure(2, QStringLiteral("\"%1\" ist keine Zahl").arg(value));
            (option == QLatin1String("--reference-db") ? p.calibration.referenceDb
             : option == QLatin1String("--before-db")  ? p.calibration.beforeDb
                                                       : p.calibration.afterDb) = number;
        } else {
            QString* field = option == QLatin1String("--site")         ? &p.site
                             : option == QLatin1String("--operator")   ? &p.operator_
                             : option == QLatin1String("--instrument") ? &p.instrument
                             : option == QLatin1String("--purpose")    ? &p.purpose
                                                                       : &p.weather;
            *field = value;
        }
    }
    if (fill) {
        // Each measurement of a series lasts as long as the first.
        if (shape.Measurements() > 0)
            FillBackToBack(p, measurement, shape.Measurements(),
                           shape.seconds[size_t(measurement - 1)], QTimeZone::systemTimeZone());
    }

    CliOutcome o;
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

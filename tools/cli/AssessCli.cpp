#include "AssessCli.h"

#include "data/ProgramTable.h"
#include "eval/Assessment.h"
#include "eval/AssessmentSetup.h"
#include "eval/AssessmentText.h"
#include "eval/Figures.h"
#include "eval/RecordBounds.h"
#include "files/MeasurementFile.h"
#include "files/ProtocolFile.h"

namespace kelvarn {

bool IsAssessCommand(const QString& command) {
    return command == QLatin1String("assess");
}

CliOutcome RunAssessCommand(const QStringList& args) {
    QString file, start, format = QStringLiteral("text");
    int files = 0;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--start") || arg == QLatin1String("--format")) {
            if (i + 1 >= args.size())
                return CliFailure(2, QStringLiteral("\"%1\" ohne Wert").arg(arg));
            (arg == QLatin1String("--start") ? start : format) = args[++i];
        } else if (arg.startsWith(QLatin1String("--"))) {
            return CliFailure(2, QStringLiteral("unbekannte Option \"%1\"").arg(arg));
        } else {
            file = arg;
            ++files;
        }
    }
    if (files != 1)
        return CliFailure(2, QStringLiteral("falsche Anzahl von Argumenten für \"assess\""));
    if (format != QLatin1String("text") && format != QLatin1String("json"))
        return CliFailure(2, QStringLiteral("unbekanntes Format \"%1\" (text|json)").arg(format));

    const QTimeZone zone = QTimeZone::systemTimeZone();
    QDateTime first;
    if (!start.isEmpty()) {
        first = QDateTime::fromString(start, Qt::ISODate);
        if (!first.isValid())
            return CliFailure(2, QStringLiteral("\"%1\" ist keine Startzeit nach ISO 8601 "
                                                "(etwa 2026-06-10T21:37:12+02:00)")
                                     .arg(start));
        // A time without an offset is local time of the process.
        if (first.timeSpec() == Qt::LocalTime) first = QDateTime(first.date(), first.time(), zone);
    }

    CliOutcome o;
    MeasurementRecord rec;
    const CommandResult r = ReadMeasurementFile(file, rec);
    if (!r.ok) return CliFailure(1, file + QStringLiteral(": ") + r.message);
    const QString notice = DamageNotice(MeasureRecord(rec));
    if (!notice.isEmpty()) o.err += CliErrorLine(file + QStringLiteral(":") + notice);

    // The protocol beside the file gives the starts, the foreign-noise markers and the
    // inputs of LEX,8h and TA Lärm. An unreadable protocol or input ends the command: the
    // figures without its markers would look right and be wrong.
    MeasurementProtocol protocol;
    const QString protocolPath = ProtocolFileName(file);
    const ProtocolLoad load = ReadProtocolFile(protocolPath, ShapeOf(rec), protocol);
    if (load.state == ProtocolLoad::kUnreadable) return CliFailure(1, load.message);
    AssessmentSetup setup = SetUpAssessment(rec, protocol, zone);
    if (!setup.problems.isEmpty())
        return CliFailure(
            1, protocolPath + QStringLiteral(": ") + setup.problems.join(QStringLiteral("; ")));
    AssessmentInput& in = setup.input;
    // --start stands for the protocol's starts: a series follows it back to back, each
    // measurement its full length.
    if (first.isValid()) {
        const qint64 length = qint64(GetPoints(rec)) * GetInterval(rec);
        for (size_t m = 0; m < in.measurements.size(); ++m)
            in.measurements[m].start = first.addMSecs(qint64(m) * length);
    }
    const Assessment a = Assess(in);
    if (format == QLatin1String("json")) {
        o.out = AssessmentJson(file, a);
    } else {
        QStringList lines;
        lines << (load.state == ProtocolLoad::kRead
                      ? QStringLiteral("Messprotokoll: ") + protocolPath
                      : QStringLiteral("Messprotokoll: keines (%1 fehlt)").arg(protocolPath));
        lines << AssessmentLines(a, in, NumberFormat::FromLocale());
        o.out = lines.join(QLatin1Char('\n')).toUtf8() + '\n';
    }
    return o;
}

}  // namespace kelvarn

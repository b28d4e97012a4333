#include "AssessCli.h"

#include "CliDocument.h"
#include "data/ProgramTable.h"
#include "document/ProtocolEdits.h"
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
    MeasurementDocument doc;
    DocumentOpen opened;
    if (!OpenForCli(file, doc, opened, o)) return o;
    const QString& notice = doc.View().evaluation.damageNotice;
    if (!notice.isEmpty()) o.err += CliErrorLine(file + QStringLiteral(":") + notice);

    // The protocol beside the file gives the starts, the foreign-noise markers and the
    // inputs of LEX,8h and TA Lärm. An unreadable protocol or input ends the command: the
    // figures without its markers would look right and be wrong.
    const ProtocolLoad& load = opened.protocol;
    const QString protocolPath = ProtocolFileName(file);
    if (load.state == ProtocolLoad::kUnreadable) return CliFailure(1, load.message);
    if (!doc.View().assessmentSetup.problems.isEmpty())
        return CliFailure(1, protocolPath + QStringLiteral(": ") +
                                 doc.View().assessmentSetup.problems.join(QStringLiteral("; ")));
    // --start stands for the protocol's starts: a series follows it back to back, each
    // measurement its full length. The file is not changed.
    if (first.isValid() && doc.View().shape.Measurements() > 0) {
        const EditResult set = SetStart(doc, 1, first);
        if (!set.Ok()) return CliFailure(2, set.problem);
        (void)FillSeries(doc, 1, zone);
    }
    const AssessmentInput& in = doc.View().assessmentSetup.input;
    const Assessment& a = doc.View().assessment;
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

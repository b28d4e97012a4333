#include "eval/AssessmentText.h"

#include <charconv>
#include <cmath>

namespace kelvarn {

namespace {

QString Db(double v, const NumberFormat& fmt) {
    return fmt.Level(v).trimmed() + QStringLiteral(" dB(A)");
}

QString Covered(double seconds, const NumberFormat& fmt) {
    return QStringLiteral("erfasst %1 s").arg(DecimalText(seconds, fmt));
}

QString Span(const SpanLevel& l, const NumberFormat& fmt) {
    return Covered(l.coveredS, fmt) + QStringLiteral(", LAeq ") +
           (l.laeq ? Db(*l.laeq, fmt) : QStringLiteral("– (keine gemessene Zeit)"));
}

QByteArray JsonText(const QString& s) {
    QByteArray out = "\"";
    for (const QChar c : s) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += '\\' + QString(c).toUtf8();
        else if (c.unicode() < 0x20)
            out += "\\u" + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
        else
            out += QString(c).toUtf8();
    }
    return out + '"';
}

QByteArray JsonTime(const QDateTime& t) {
    return t.isValid() ? JsonText(t.toString(Qt::ISODate)) : QByteArray("null");
}

QByteArray JsonOpt(const std::optional<double>& v) {
    return v ? JsonNumber(*v) : QByteArray("null");
}

QByteArray JsonSpan(const SpanLevel& l) {
    return "{\"covered_s\": " + JsonNumber(l.coveredS) + ", \"laeq\": " + JsonOpt(l.laeq) + '}';
}

const char* Bool(bool b) {
    return b ? "true" : "false";
}

}  // namespace

QString LdenName() {
    return QStringLiteral("Lden des Messzeitraums (orientierend)");
}

QStringList ExposureNotes() {
    return {QStringLiteral("LEX,8h ohne Messunsicherheit angegeben."),
            QStringLiteral("Spitzenschalldruckpegel LpC,peak: aus den Pegelwerten der Zelle "
                           "nicht beurteilbar.")};
}

QStringList RatingNotes() {
    return {QStringLiteral("Rundung auf ganze dB, Hälften vom Nullpunkt weg (angenommen nach "
                           "DIN 1333)."),
            QStringLiteral("Nicht enthalten: das Spitzenpegelkriterium (kurzzeitige "
                           "Geräuschspitzen tags höchstens 30 dB, nachts höchstens 20 dB über dem "
                           "Immissionsrichtwert) und jede Fremdgeräuschkorrektur über die "
                           "ausgelassenen Bereiche hinaus.")};
}

QString IndicativeNote() {
    return QStringLiteral(
        "Orientierende Messung: Die Zelle ist kein geeichtes Schallpegelmessgerät der Klasse 1; "
        "ihre Ergebnisse sind orientierend.");
}

QString SampleNote() {
    return QStringLiteral(
        "LAeq aus den Pegelwerten der Zelle: jeder Pegelwert gilt als Pegel "
        "seines Messintervalls; als Fremdgeräusch markierte Bereiche sind "
        "zeitgenau ausgelassen.");
}

QString DecimalText(double v, const NumberFormat& fmt) {
    QString s = QString::number(v, 'g', 10);
    if (fmt.DecimalPoint() != QLatin1Char('.')) s.replace(QLatin1Char('.'), fmt.DecimalPoint());
    return s;
}

QString RangeText(const MeasurementRange& r, const NumberFormat& fmt) {
    QString s = QStringLiteral("Messung %1").arg(r.measurement);
    if (r.fromS || r.toS)
        s += QStringLiteral(", %1–%2 s")
                 .arg(r.fromS ? DecimalText(*r.fromS, fmt) : QStringLiteral("Beginn"),
                      r.toS ? DecimalText(*r.toS, fmt) : QStringLiteral("Ende"));
    return s;
}

QString LocalTimeText(const QDateTime& t) {
    const int o = t.offsetFromUtc();
    const int a = std::abs(o) / 60;
    return t.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss ")) + (o < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(a / 60, 2, 10, QLatin1Char('0'))
               .arg(a % 60, 2, 10, QLatin1Char('0'));
}

QString ExposureFormula() {
    // LEX,8h after the workplace noise regulation and ISO 9612.
    return QStringLiteral("LEX,8h = 10·lg Σ (Te/8 h)·10^(0,1·LAeq,Te)");
}

QString RatingFormula() {
    return QStringLiteral(
        "Lr = 10·lg[(1/Tr)·Σ Tj·10^(0,1·(LAeq,j − Cmet + KT,j + KI,j + KR,j))] "
        "(TA Lärm Anhang A.1.4)");
}

QString RatingValueText(const RatingResult& r, bool messabschlag, const NumberFormat& fmt) {
    if (!r.lr) return {};
    QString s = QStringLiteral("Lr = ") + Db(*r.lr, fmt);
    if (messabschlag)
        s += QStringLiteral("; Vergleichswert nach Nr. 6.9 = ") + Db(*r.compared, fmt);
    return s;
}

QStringList ExposureResultLines(const ExposureResult& e, const NumberFormat& fmt) {
    QStringList out;
    // The result and its verdict first, then how it was found.
    if (e.lex8h) {
        out << QStringLiteral("LEX,8h = ") + Db(*e.rounded, fmt);
        out << e.verdict;
    } else {
        out << QStringLiteral("LEX,8h: nicht berechnet: ") + e.reason;
    }
    out << QStringLiteral("  ") + ExposureFormula();
    out << ExposureNotes();
    return out;
}

QString RatingInputLine(const RatingResult& r, const TaLaermInput& t, const NumberFormat& fmt) {
    const bool tag = t.period == RatingPeriod::Tag;
    return QStringLiteral("Gebiet: ") + AreaOf(t.area).name + QStringLiteral(", ") +
           (tag ? QStringLiteral("Tag (Tr = 16 h)")
                : QStringLiteral("Nacht (Tr = 1 h, lauteste Nachtstunde)")) +
           QStringLiteral(", Immissionsrichtwert %1 dB(A), Cmet = %2 dB")
               .arg(r.limit)
               .arg(DecimalText(t.cMetDb, fmt)) +
           (t.messabschlag ? QStringLiteral(", Messabschlag 3 dB (Überwachungsmessung)")
                           : QString());
}

QStringList RatingResultLines(const RatingResult& r, const TaLaermInput& t,
                              const NumberFormat& fmt) {
    QStringList out;
    // The result and its verdict first, what qualifies it next, then how it was found.
    if (r.lr) {
        out << RatingValueText(r, t.messabschlag, fmt);
        out << QStringLiteral("gerundet %1 dB(A), Immissionsrichtwert %2 dB(A): ")
                       .arg(*r.rounded)
                       .arg(r.limit) +
                   r.verdict;
    } else {
        out << QStringLiteral("Lr: nicht berechnet: ") + r.reason;
    }
    for (const QString& w : r.warnings) out << QStringLiteral("Warnung: ") + w;
    out << QStringLiteral("  ") + RatingFormula();
    out << RatingNotes();
    return out;
}

QStringList AssessmentLines(const Assessment& a, const AssessmentInput& in,
                            const NumberFormat& fmt) {
    QStringList out;
    out << QStringLiteral("Beurteilung") << SampleNote() << QString();

    out << QStringLiteral("Messungen");
    for (size_t i = 0; i < a.measurements.size(); ++i) {
        const MeasurementLevel& m = a.measurements[i];
        QString line = QStringLiteral("Messung %1: ").arg(m.number);
        if (m.start.isValid())
            line += LocalTimeText(m.start) + QStringLiteral(" bis ") + LocalTimeText(m.end) +
                    QStringLiteral(", ");
        else
            line += QStringLiteral("ohne Startzeit, ");
        line += Span(m.level, fmt);
        if (!m.reason.isEmpty()) line += QStringLiteral(" (") + m.reason + QLatin1Char(')');
        out << line;
        if (i < in.measurements.size())
            for (const TimeRange& r : in.measurements[i].leftOut)
                out << QStringLiteral("  ausgelassen (Fremdgeräusch): %1–%2 s")
                           .arg(DecimalText(r.fromS, fmt), DecimalText(r.toS, fmt));
    }
    out << QString();

    out << QStringLiteral("Stunden (Ortszeit)");
    if (a.hours) {
        for (const HourLevel& h : *a.hours)
            out << LocalTimeText(h.start) + QStringLiteral(": ") + Span(h.level, fmt);
    } else {
        out << QStringLiteral("nicht berechnet: ") + a.timeReason;
    }
    out << QString() << QStringLiteral("Zeiträume");
    if (a.periods) {
        const PeriodLevels& p = *a.periods;
        out << QStringLiteral("Tag 06–22 Uhr: ") + Span(p.tag, fmt)
            << QStringLiteral("Nacht 22–06 Uhr: ") + Span(p.nacht, fmt)
            << QStringLiteral("Lden-Tag 06–18 Uhr: ") + Span(p.day, fmt)
            << QStringLiteral("Lden-Abend 18–22 Uhr: ") + Span(p.evening, fmt)
            << QStringLiteral("Lden-Nacht 22–06 Uhr: ") + Span(p.night, fmt);
    } else {
        out << QStringLiteral("nicht berechnet: ") + a.timeReason;
    }
    // Directive 2002/49/EC, Annex I.
    if (a.lden)
        out << LdenName() + QStringLiteral(" = ") + Db(*a.lden, fmt) + QStringLiteral(" (") +
                   Covered(a.ldenCoveredS, fmt) + QLatin1Char(')');
    else
        out << LdenName() + QStringLiteral(": nicht berechnet: ") + a.ldenReason;
    out << QStringLiteral(
        "  Lden = 10·lg[(12·10^(Lday/10) + 4·10^((Levening+5)/10) + "
        "8·10^((Lnight+10)/10))/24]; das gesetzliche Lden ist ein Jahreswert.");
    if (a.loudestNightHour)
        out << QStringLiteral("Lauteste Nachtstunde: ") + LocalTimeText(a.loudestNightHour->start) +
                   QStringLiteral(", LAeq ") + Db(*a.loudestNightHour->level.laeq, fmt);
    else
        out << QStringLiteral("Lauteste Nachtstunde: nicht bestimmt: ") + a.nightHourReason;
    out << QString();

    out << QStringLiteral("Arbeitsplatz (LEX,8h)");
    if (!a.exposure) {
        out << QStringLiteral("keine Tätigkeiten angegeben");
    } else {
        const ExposureResult& e = *a.exposure;
        for (size_t i = 0; i < e.tasks.size() && i < in.tasks.size(); ++i) {
            QString line =
                QStringLiteral("Tätigkeit %1: %2, Te = %3 h, ")
                    .arg(i + 1)
                    .arg(RangeText(in.tasks[i].range, fmt), DecimalText(in.tasks[i].teH, fmt)) +
                Span(e.tasks[i].level, fmt);
            if (!e.tasks[i].reason.isEmpty())
                line += QStringLiteral(" (") + e.tasks[i].reason + QLatin1Char(')');
            out << line;
        }
        out << ExposureResultLines(e, fmt);
    }
    out << QString();

    out << QStringLiteral("TA Lärm (Beurteilungspegel Lr)");
    if (!a.rating || !in.taLaerm) {
        out << QStringLiteral("keine Angaben zur Beurteilung nach TA Lärm");
    } else {
        const RatingResult& r = *a.rating;
        const TaLaermInput& t = *in.taLaerm;
        out << RatingInputLine(r, t, fmt);
        for (size_t i = 0; i < r.parts.size() && i < t.parts.size(); ++i) {
            const RatingPart& p = t.parts[i];
            QString line =
                QStringLiteral(
                    "Teilzeit %1: %2, T = %3 h, KT = %4 dB, KI = %5 dB, "
                    "KR = %6 dB, ")
                    .arg(i + 1)
                    .arg(RangeText(p.range, fmt), DecimalText(p.tH, fmt), DecimalText(p.ktDb, fmt),
                         DecimalText(p.kiDb, fmt), DecimalText(r.parts[i].krDb, fmt)) +
                Span(r.parts[i].level, fmt);
            if (!r.parts[i].reason.isEmpty())
                line += QStringLiteral(" (") + r.parts[i].reason + QLatin1Char(')');
            out << line;
        }
        out << RatingResultLines(r, t, fmt);
    }
    out << QString() << IndicativeNote();
    return out;
}

QByteArray JsonNumber(double v) {
    if (!std::isfinite(v)) return "null";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QByteArray(buf, int(r.ptr - buf));
}

QByteArray AssessmentJson(const QString& file, const Assessment& a) {
    QByteArray out = "{\"file\": " + JsonText(file) + ", \"measurements\": [";
    for (size_t i = 0; i < a.measurements.size(); ++i) {
        const MeasurementLevel& m = a.measurements[i];
        out += (i ? ", " : "") + QByteArray("{\"measurement\": ") + QByteArray::number(m.number) +
               ", \"start\": " + JsonTime(m.start) + ", \"end\": " + JsonTime(m.end) +
               ", \"covered_s\": " + JsonNumber(m.level.coveredS) +
               ", \"laeq\": " + JsonOpt(m.level.laeq) + '}';
    }
    out += "],\n \"hours\": ";
    if (a.hours) {
        out += '[';
        for (size_t i = 0; i < a.hours->size(); ++i) {
            const HourLevel& h = (*a.hours)[i];
            out += (i ? ",\n  " : "") + QByteArray("{\"start\": ") + JsonTime(h.start) +
                   ", \"covered_s\": " + JsonNumber(h.level.coveredS) +
                   ", \"laeq\": " + JsonOpt(h.level.laeq) + '}';
        }
        out += ']';
    } else {
        out += "null";
    }
    out += ",\n \"periods\": ";
    if (a.periods) {
        const PeriodLevels& p = *a.periods;
        out += "{\"tag\": " + JsonSpan(p.tag) + ", \"nacht\": " + JsonSpan(p.nacht) +
               ", \"day\": " + JsonSpan(p.day) + ", \"evening\": " + JsonSpan(p.evening) +
               ", \"night\": " + JsonSpan(p.night) + '}';
    } else {
        out += "null";
    }
    out += ",\n \"lden\": " + JsonOpt(a.lden) + ", \"loudest_night_hour\": ";
    if (a.loudestNightHour)
        out += "{\"start\": " + JsonTime(a.loudestNightHour->start) +
               ", \"laeq\": " + JsonOpt(a.loudestNightHour->level.laeq) + '}';
    else
        out += "null";
    out += ",\n \"lex8h\": ";
    if (a.exposure && a.exposure->lex8h)
        out += "{\"value\": " + JsonNumber(*a.exposure->lex8h) +
               ", \"lower_action\": " + Bool(a.exposure->lowerAction) +
               ", \"upper_action\": " + Bool(a.exposure->upperAction) + '}';
    else
        out += "null";
    out += ",\n \"lr\": ";
    if (a.rating && a.rating->lr)
        out += "{\"value\": " + JsonNumber(*a.rating->lr) +
               ", \"compared\": " + JsonNumber(*a.rating->compared) +
               ", \"rounded\": " + QByteArray::number(*a.rating->rounded) +
               ", \"limit\": " + QByteArray::number(a.rating->limit) +
               ", \"exceeded\": " + Bool(a.rating->exceeded) + '}';
    else
        out += "null";
    return out + "}\n";
}

}  // namespace kelvarn

#include "eval/AssessmentView.h"

#include "eval/AssessmentText.h"

namespace kelvarn {

namespace {

const QString kNone = QStringLiteral("–");

QString LevelText(const std::optional<double>& l, const NumberFormat& fmt) {
    return l ? fmt.Level(*l).trimmed() : kNone;
}

// Hours to 0.01 h (36 s); a shorter time that was measured gets more places, so that it does
// not read "0,00" beside its level as if nothing was measured.
QString Hours(double seconds, const NumberFormat& fmt) {
    return fmt.Format(seconds > 0 && seconds < 36 ? "%.4f" : "%.2f", seconds / 3600.0);
}

void Headings(TableText& t, const QStringList& h) {
    for (int c = 0; c < h.size(); ++c) t.SetCell(c, 0, h[c]);
}

}  // namespace

bool IsNightHour(const QDateTime& localStart) {
    const int h = localStart.time().hour();
    return h >= 22 || h < 6;
}

TableText MeasurementLevelTable(const Assessment& a, const NumberFormat& fmt) {
    TableText t(7, int(a.measurements.size()) + 1);
    Headings(t, {QStringLiteral("Messung"), QStringLiteral("Beginn"), QStringLiteral("Ende"),
                 QStringLiteral("erfasst [h]"), QStringLiteral("ausgelassen [s]"),
                 QStringLiteral("LAeq [dB(A)]"), QStringLiteral("Hinweis")});
    for (size_t i = 0; i < a.measurements.size(); ++i) {
        const MeasurementLevel& m = a.measurements[i];
        const int r = int(i) + 1;
        t.SetCell(0, r, QString::number(m.number));
        t.SetCell(1, r, m.start.isValid() ? LocalTimeText(m.start) : kNone);
        t.SetCell(2, r, m.end.isValid() ? LocalTimeText(m.end) : kNone);
        t.SetCell(3, r, Hours(m.level.coveredS, fmt));
        t.SetCell(4, r, DecimalText(m.leftOutS, fmt));
        t.SetCell(5, r, LevelText(m.level.laeq, fmt));
        t.SetCell(6, r, m.reason);
    }
    return t;
}

TableText HourTable(const Assessment& a, const NumberFormat& fmt) {
    const int n = a.hours ? int(a.hours->size()) : 0;
    TableText t(4, n + 1);
    Headings(t, {QStringLiteral("Stunde ab"), QStringLiteral("Zeitraum"),
                 QStringLiteral("erfasst [min]"), QStringLiteral("LAeq [dB(A)]")});
    for (int i = 0; i < n; ++i) {
        const HourLevel& h = (*a.hours)[size_t(i)];
        t.SetCell(0, i + 1, LocalTimeText(h.start));
        t.SetCell(1, i + 1, IsNightHour(h.start) ? QStringLiteral("Nacht") : QStringLiteral("Tag"));
        t.SetCell(2, i + 1, fmt.Format("%.1f", h.level.coveredS / 60.0));
        t.SetCell(3, i + 1, LevelText(h.level.laeq, fmt));
    }
    return t;
}

TableText PeriodTable(const Assessment& a, const NumberFormat& fmt) {
    TableText t(4, 8);
    Headings(t, {QStringLiteral("Zeitraum"), QStringLiteral("erfasst [h]"),
                 QStringLiteral("LAeq [dB(A)]"), QStringLiteral("Hinweis")});
    const QStringList names = {QStringLiteral("Tag 06–22 Uhr"), QStringLiteral("Nacht 22–06 Uhr"),
                               QStringLiteral("Lden-Tag 06–18 Uhr"),
                               QStringLiteral("Lden-Abend 18–22 Uhr"),
                               QStringLiteral("Lden-Nacht 22–06 Uhr")};
    for (int i = 0; i < names.size(); ++i) {
        t.SetCell(0, i + 1, names[i]);
        if (!a.periods) {
            t.SetCell(1, i + 1, kNone);
            t.SetCell(2, i + 1, kNone);
            t.SetCell(3, i + 1, a.timeReason);
            continue;
        }
        const PeriodLevels& p = *a.periods;
        const SpanLevel* const spans[] = {&p.tag, &p.nacht, &p.day, &p.evening, &p.night};
        const SpanLevel& s = *spans[i];
        t.SetCell(1, i + 1, Hours(s.coveredS, fmt));
        t.SetCell(2, i + 1, LevelText(s.laeq, fmt));
        if (!s.laeq) t.SetCell(3, i + 1, QStringLiteral("keine gemessene Zeit"));
    }
    t.SetCell(0, 6, LdenName());
    t.SetCell(1, 6, a.lden ? Hours(a.ldenCoveredS, fmt) : kNone);
    t.SetCell(2, 6, LevelText(a.lden, fmt));
    t.SetCell(3, 6,
              a.lden ? QStringLiteral("das gesetzliche Lden ist ein Jahreswert") : a.ldenReason);
    t.SetCell(0, 7, QStringLiteral("lauteste Nachtstunde"));
    if (a.loudestNightHour) {
        t.SetCell(1, 7, Hours(a.loudestNightHour->level.coveredS, fmt));
        t.SetCell(2, 7, LevelText(a.loudestNightHour->level.laeq, fmt));
        t.SetCell(3, 7, QStringLiteral("ab ") + LocalTimeText(a.loudestNightHour->start));
    } else {
        t.SetCell(1, 7, kNone);
        t.SetCell(2, 7, kNone);
        t.SetCell(3, 7, a.nightHourReason);
    }
    return t;
}

TableText ExposureTable(const Assessment& a, const AssessmentInput& in, const NumberFormat& fmt) {
    const int n = int(in.tasks.size());
    TableText t(6, n + 1);
    Headings(t, {QStringLiteral("Nr."), QStringLiteral("Bereich"), QStringLiteral("Te [h]"),
                 QStringLiteral("erfasst [h]"), QStringLiteral("LAeq [dB(A)]"),
                 QStringLiteral("Hinweis")});
    for (int i = 0; i < n; ++i) {
        const ExposureTask& task = in.tasks[size_t(i)];
        t.SetCell(0, i + 1, QString::number(i + 1));
        t.SetCell(1, i + 1, RangeText(task.range, fmt));
        t.SetCell(2, i + 1, DecimalText(task.teH, fmt));
        if (a.exposure && size_t(i) < a.exposure->tasks.size()) {
            const ExposureTaskResult& r = a.exposure->tasks[size_t(i)];
            t.SetCell(3, i + 1, Hours(r.level.coveredS, fmt));
            t.SetCell(4, i + 1, LevelText(r.level.laeq, fmt));
            t.SetCell(5, i + 1, r.reason);
        }
    }
    return t;
}

TableText RatingTable(const Assessment& a, const AssessmentInput& in, const NumberFormat& fmt) {
    const int n = in.taLaerm ? int(in.taLaerm->parts.size()) : 0;
    TableText t(9, n + 1);
    Headings(t, {QStringLiteral("Nr."), QStringLiteral("Bereich"), QStringLiteral("T [h]"),
                 QStringLiteral("erfasst [h]"), QStringLiteral("LAeq [dB(A)]"),
                 QStringLiteral("KT [dB]"), QStringLiteral("KI [dB]"), QStringLiteral("KR [dB]"),
                 QStringLiteral("Hinweis")});
    for (int i = 0; i < n; ++i) {
        const RatingPart& p = in.taLaerm->parts[size_t(i)];
        t.SetCell(0, i + 1, QString::number(i + 1));
        t.SetCell(1, i + 1, RangeText(p.range, fmt));
        t.SetCell(2, i + 1, DecimalText(p.tH, fmt));
        t.SetCell(5, i + 1, DecimalText(p.ktDb, fmt));
        t.SetCell(6, i + 1, DecimalText(p.kiDb, fmt));
        if (a.rating && size_t(i) < a.rating->parts.size()) {
            const RatingPartResult& r = a.rating->parts[size_t(i)];
            t.SetCell(3, i + 1, Hours(r.level.coveredS, fmt));
            t.SetCell(4, i + 1, LevelText(r.level.laeq, fmt));
            t.SetCell(7, i + 1, DecimalText(r.krDb, fmt));
            t.SetCell(8, i + 1, r.reason);
        }
    }
    return t;
}

HourlyChartData HourlyChart(const Assessment& a, std::optional<int> limit) {
    HourlyChartData d;
    d.day.name = QStringLiteral("Tag");
    d.night.name = QStringLiteral("Nacht");
    d.limit.name = QStringLiteral("Immissionsrichtwert");
    if (!a.hours) return d;
    for (size_t i = 0; i < a.hours->size(); ++i) {
        const HourLevel& h = (*a.hours)[i];
        d.labels.push_back(h.start.toString(QStringLiteral("HH:mm")));
        if (!h.level.laeq) continue;
        SeriesData& s = IsNightHour(h.start) ? d.night : d.day;
        s.x.push_back(double(i));
        s.y.push_back(*h.level.laeq);
    }
    if (limit && !a.hours->empty()) {
        d.limit.x = {-0.5, double(a.hours->size()) - 0.5};
        d.limit.y = {double(*limit), double(*limit)};
    }
    return d;
}

}  // namespace kelvarn

#include "eval/Assessment.h"

#include <algorithm>
#include <cmath>

#include "eval/AssessmentSpans.h"
#include "eval/AssessmentSteps.h"

namespace kelvarn {

namespace {

MeasurementLevel LevelOf(const Track& t, const QTimeZone& zone) {
    MeasurementLevel out;
    out.number = t.m->number;
    if (t.start && t.interval > 0) {
        out.start = AtMicros(*t.start, zone);
        out.end = AtMicros(*t.start + t.span, zone);
    }
    out.leftOutS = ToSeconds(t.leftOut);
    out.level = EnergyIn(t, 0, t.span).Level();
    if (!t.reason.isEmpty())
        out.reason = t.reason;
    else if (!out.level.laeq)
        out.reason = QStringLiteral("die ganze Messzeit ist als Fremdgeräusch ausgelassen");
    return out;
}

// Which of the five periods a local hour of the day belongs to.
struct PeriodEnergies {
    Energy tag, nacht, day, evening, night;
    void Add(int hourOfDay, const Energy& e) {
        const bool isTag = hourOfDay >= 6 && hourOfDay < 22;
        (isTag ? tag : nacht).Add(e);
        if (!isTag)
            night.Add(e);
        else if (hourOfDay < 18)
            day.Add(e);
        else
            evening.Add(e);
    }
};

// Lden after Directive 2002/49/EC, Annex I: the evening weighted with +5 dB, the night with
// +10 dB, over 12 + 4 + 8 hours.
double LdenOf(double lday, double levening, double lnight) {
    return 10.0 * std::log10((12.0 * std::pow(10.0, lday / 10.0) +
                              4.0 * std::pow(10.0, (levening + 5.0) / 10.0) +
                              8.0 * std::pow(10.0, (lnight + 10.0) / 10.0)) /
                             24.0);
}

}  // namespace

std::vector<AssessedMeasurement> AssessedMeasurements(const RecordFigures& f, double intervalS) {
    std::vector<AssessedMeasurement> out;
    for (size_t m = 0; m < f.levels.size() && m < f.measured.size(); ++m) {
        AssessedMeasurement a;
        a.number = int(m) + 1;
        a.intervalS = intervalS;
        const auto n = std::min<size_t>(size_t(std::max(0, f.measured[m])), f.levels[m].size());
        a.levels.assign(f.levels[m].begin(), f.levels[m].begin() + ptrdiff_t(n));
        out.push_back(std::move(a));
    }
    return out;
}

std::optional<double> EnergeticMean(const std::vector<double>& levels) {
    if (levels.empty()) return std::nullopt;
    double sum = 0;
    for (double l : levels) sum += std::pow(10.0, l / 10.0);
    return 10.0 * std::log10(sum / double(levels.size()));
}

double RoundHalfAway(double v, int decimals) {
    const double scale = std::pow(10.0, decimals);
    // Twelve significant decimals are far below any level's resolution, and far above the
    // noise of the sums and logarithms before.
    const double cleaned = std::round(v * scale * 1e6) / 1e6;
    return std::round(cleaned) / scale;  // std::round rounds halves away from zero
}

Assessment Assess(const AssessmentInput& in) {
    Assessment out;
    std::vector<Track> tracks;
    tracks.reserve(in.measurements.size());
    for (const AssessedMeasurement& m : in.measurements) tracks.push_back(MakeTrack(m));
    for (const Track& t : tracks) out.measurements.push_back(LevelOf(t, in.zone));

    // Clock hours and periods need the time of day of every measured sample.
    QStringList withoutStart;
    bool anyMeasured = false;
    for (const Track& t : tracks) {
        if (t.span <= 0) continue;
        anyMeasured = true;
        if (!t.start) withoutStart << QString::number(t.m->number);
    }
    if (!in.zone.isValid())
        out.timeReason = QStringLiteral("keine gültige Zeitzone");
    else if (!anyMeasured)
        out.timeReason = QStringLiteral("keine gemessene Zeit");
    else if (!withoutStart.isEmpty())
        out.timeReason =
            (withoutStart.size() == 1 ? QStringLiteral("keine Startzeit (Messung ")
                                      : QStringLiteral("keine Startzeit (Messungen ")) +
            withoutStart.join(QStringLiteral(", ")) + QLatin1Char(')');

    if (out.timeReason.isEmpty()) {
        const LocalTimeLine line = MakeLocalTimeLine(tracks, in.zone);
        std::vector<HourLevel> hours;
        for (Micros h : line.hourStarts) {
            HourLevel hl;
            hl.start = AtMicros(h, in.zone);
            hl.level = EnergyBetween(line, h, h + kHour).Level();
            hours.push_back(hl);
        }
        PeriodEnergies p;
        for (const LocalSegment& s : line.segments) p.Add(s.hourOfDay, s.energy);
        out.periods = PeriodLevels{p.tag.Level(), p.nacht.Level(), p.day.Level(), p.evening.Level(),
                                   p.night.Level()};

        const PeriodLevels& pl = *out.periods;
        out.ldenCoveredS = pl.day.coveredS + pl.evening.coveredS + pl.night.coveredS;
        if (pl.day.laeq && pl.evening.laeq && pl.night.laeq) {
            out.lden = LdenOf(*pl.day.laeq, *pl.evening.laeq, *pl.night.laeq);
        } else {
            QStringList missing;
            if (!pl.day.laeq) missing << QStringLiteral("Tag 06–18 Uhr");
            if (!pl.evening.laeq) missing << QStringLiteral("Abend 18–22 Uhr");
            if (!pl.night.laeq) missing << QStringLiteral("Nacht 22–06 Uhr");
            out.ldenReason =
                QStringLiteral("keine gemessene Zeit im Zeitraum ") + missing.join(", ");
        }

        // The loudest night hour of TA Lärm Nr. 6.4: of the whole hours that begin between
        // 22:00 and 05:00 local time, the one with the highest level.
        for (size_t i = 0; i < line.hourStarts.size(); ++i) {
            const int hod = hours[i].start.time().hour();
            const bool night = hod >= 22 || hod <= 5;
            if (!night || hours[i].start.time().minute() != 0) continue;
            if (hours[i].level.coveredS < hours[i].lengthS || !hours[i].level.laeq) continue;
            if (!out.loudestNightHour || *hours[i].level.laeq > *out.loudestNightHour->level.laeq)
                out.loudestNightHour = hours[i];
        }
        if (!out.loudestNightHour)
            out.nightHourReason = QStringLiteral("keine Nachtstunde ganz gemessen");
        out.hours = std::move(hours);
    } else {
        out.ldenReason = out.timeReason;
        out.nightHourReason = out.timeReason;
    }

    if (!in.tasks.empty()) out.exposure = AssessExposure(tracks, in.tasks);
    if (in.taLaerm) out.rating = AssessRating(tracks, in.zone, *in.taLaerm);
    return out;
}

}  // namespace kelvarn

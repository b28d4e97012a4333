#include <cmath>

#include "eval/AssessmentSteps.h"

namespace kelvarn {

namespace {

// Rest periods of TA Lärm Nr. 6.5 by local weekday (1 = Monday) and hour of the day.
bool RestHour(int weekday, int hour, bool holiday) {
    if (holiday || weekday == 7)
        return (hour >= 6 && hour < 9) || (hour >= 13 && hour < 15) || (hour >= 20 && hour < 22);
    return (hour >= 6 && hour < 7) || (hour >= 20 && hour < 22);
}

bool InPeriod(RatingPeriod p, int hour) {
    const bool tag = hour >= 6 && hour < 22;
    return p == RatingPeriod::Tag ? tag : !tag;
}

QString PartReason(size_t i, const QString& why) {
    return QStringLiteral("Teilzeit %1: %2").arg(i + 1).arg(why);
}

}  // namespace

const std::vector<AreaInfo>& Areas() {
    // TA Lärm Nr. 6.1 (urbanes Gebiet since 2017); the rest-period surcharge after Nr. 6.5
    // applies only in the areas of 6.1 e to g.
    static const std::vector<AreaInfo> areas = {
        {AreaType::Industrie, "industrie", QStringLiteral("Industriegebiet"), 70, 70, false},
        {AreaType::Gewerbe, "gewerbe", QStringLiteral("Gewerbegebiet"), 65, 50, false},
        {AreaType::Urban, "urban", QStringLiteral("urbanes Gebiet"), 63, 45, false},
        {AreaType::Misch, "misch", QStringLiteral("Kern-, Dorf- und Mischgebiet"), 60, 45, false},
        {AreaType::Wa, "wa", QStringLiteral("allgemeines Wohngebiet und Kleinsiedlungsgebiet"), 55,
         40, true},
        {AreaType::Wr, "wr", QStringLiteral("reines Wohngebiet"), 50, 35, true},
        {AreaType::Kur, "kur", QStringLiteral("Kurgebiet, Krankenhäuser, Pflegeanstalten"), 45, 35,
         true},
    };
    return areas;
}

const AreaInfo& AreaOf(AreaType t) {
    for (const AreaInfo& a : Areas())
        if (a.type == t) return a;
    return Areas().front();
}

std::optional<AreaType> AreaForKey(const QString& key) {
    for (const AreaInfo& a : Areas())
        if (key == QLatin1String(a.key)) return a.type;
    return std::nullopt;
}

bool InRestPeriod(const QDateTime& local, bool holiday) {
    return RestHour(local.date().dayOfWeek(), local.time().hour(), holiday);
}

std::optional<RestShare> RestPeriodShare(const AssessedMeasurement& m, const MeasurementRange& r,
                                         const QTimeZone& zone, bool holiday) {
    std::vector<Track> tracks{MakeTrack(m)};
    const Track& t = tracks.front();
    if (!t.start || !zone.isValid() || !t.reason.isEmpty()) return std::nullopt;
    const ResolvedRange rr = Resolve(t, r);
    if (!rr.reason.isEmpty()) return std::nullopt;
    const LocalTimeLine line = MakeLocalTimeLine(tracks, zone);
    RestShare share;
    Micros covered = 0, inRest = 0;
    WalkLocal(t, line, rr.from, rr.to, [&](const LocalSegment& s, Micros us) {
        covered += us;
        if (RestHour(s.weekday, s.hourOfDay, holiday)) inRest += us;
    });
    share.coveredS = ToSeconds(covered);
    share.inRestS = ToSeconds(inRest);
    return share;
}

std::vector<RatingPart> NightHourParts(const std::vector<AssessedMeasurement>& ms,
                                       const HourLevel& hour) {
    std::vector<RatingPart> parts;
    const Micros h = hour.start.toMSecsSinceEpoch() * 1000;
    for (const AssessedMeasurement& m : ms) {
        const Track t = MakeTrack(m);
        if (!t.start || t.span <= 0) continue;
        const Micros from = std::max<Micros>(h - *t.start, 0);
        const Micros to = std::min<Micros>(h + kHour - *t.start, t.span);
        if (from >= to) continue;
        RatingPart p;
        p.range = {m.number, ToSeconds(from), ToSeconds(to)};
        p.tH = ToSeconds(to - from) / 3600.0;
        parts.push_back(p);
    }
    return parts;
}

// The rating level of TA Lärm, Anhang A.1.4 (equation G2), from the parts j of the rating time:
//   Lr = 10 lg[ (1/Tr) sum_j T_j 10^(0.1 (LAeq,j - Cmet + KT,j + KI,j + KR,j)) ]
// with Tr = 16 h by day and 1 h (the loudest night hour) at night. For a monitoring measurement
// Nr. 6.9 compares Lr reduced by 3 dB. The compared value is rounded to whole dB, half away from
// zero (DIN 1333), before it is set against the limit of Nr. 6.1.
RatingResult AssessRating(const std::vector<Track>& tracks, const QTimeZone& zone,
                          const TaLaermInput& in) {
    RatingResult out;
    const AreaInfo& area = AreaOf(in.area);
    const bool tag = in.period == RatingPeriod::Tag;
    out.limit = tag ? area.dayLimit : area.nightLimit;
    out.trH = tag ? 16.0 : 1.0;
    if (!std::isfinite(in.cMetDb) || in.cMetDb < 0)
        out.reason = QStringLiteral("Cmet muss 0 dB oder mehr sein");
    if (in.parts.empty() && out.reason.isEmpty()) out.reason = QStringLiteral("keine Teilzeiten");

    std::optional<LocalTimeLine> line;
    if (zone.isValid()) line = MakeLocalTimeLine(tracks, zone);

    double sum = 0, sumT = 0;
    for (size_t i = 0; i < in.parts.size(); ++i) {
        const RatingPart& p = in.parts[i];
        RatingPartResult r;
        const RangeLevel rl = LevelOfRange(tracks, p.range);
        r.level = rl.level;
        r.reason = rl.reason;
        if (r.reason.isEmpty() && !(std::isfinite(p.tH) && p.tH > 0))
            r.reason = QStringLiteral("Teilzeit T_j muss über 0 h sein");
        if (r.reason.isEmpty() && p.ktDb != 0 && p.ktDb != 3 && p.ktDb != 6)
            r.reason = QStringLiteral("KT muss 0, 3 oder 6 dB sein");
        if (r.reason.isEmpty() && !(std::isfinite(p.kiDb) && p.kiDb >= 0))
            r.reason = QStringLiteral("KI muss 0 dB oder mehr sein");
        if (p.kr) {
            if (tag && area.restPeriods)
                r.krDb = 6;
            else
                out.warnings << PartReason(
                    i, tag ? QStringLiteral("KR gilt nicht im ") + area.name +
                                 QStringLiteral(", nicht angesetzt")
                           : QStringLiteral("KR gilt nur tags, nicht angesetzt"));
        }
        if (!r.reason.isEmpty() && out.reason.isEmpty()) out.reason = PartReason(i, r.reason);

        const Track* t = TrackOf(tracks, p.range.measurement);
        if (t && r.reason.isEmpty()) {
            if (!t->start || !line) {
                out.warnings << PartReason(
                    i, QStringLiteral(
                           "ohne Startzeit nicht prüfbar, ob sie im Beurteilungszeitraum liegt"));
            } else {
                const ResolvedRange rr = Resolve(*t, p.range);
                Micros outside = 0;
                WalkLocal(*t, *line, rr.from, rr.to, [&](const LocalSegment& s, Micros us) {
                    if (!InPeriod(in.period, s.hourOfDay)) outside += us;
                });
                if (outside > 0)
                    out.warnings << PartReason(
                        i, tag ? QStringLiteral("liegt außerhalb der Tageszeit 06–22 Uhr")
                               : QStringLiteral("liegt außerhalb der Nachtzeit 22–06 Uhr"));
            }
        }
        if (r.level.laeq && r.reason.isEmpty()) {
            sumT += p.tH;
            sum +=
                p.tH * std::pow(10.0, 0.1 * (*r.level.laeq - in.cMetDb + p.ktDb + p.kiDb + r.krDb));
        }
        out.parts.push_back(r);
    }
    if (sumT > out.trH)
        out.warnings << QStringLiteral("Summe der Teilzeiten %1 h übersteigt Tr = %2 h")
                            .arg(sumT)
                            .arg(out.trH);
    if (!out.reason.isEmpty()) return out;

    out.lr = 10.0 * std::log10(sum / out.trH);
    out.compared = in.messabschlag ? *out.lr - 3.0 : *out.lr;
    out.rounded = int(RoundHalfAway(*out.compared, 0));
    out.exceeded = *out.rounded > out.limit;
    out.verdict = out.exceeded ? QStringLiteral("Immissionsrichtwert orientierend überschritten")
                               : QStringLiteral("Immissionsrichtwert orientierend eingehalten");
    return out;
}

}  // namespace kelvarn

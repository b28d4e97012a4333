#include "eval/AssessmentSpans.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kelvarn {

namespace {

constexpr Micros kDay = 24 * kHour;

Micros FloorDiv(Micros a, Micros b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

Micros CeilDiv(Micros a, Micros b) {
    return -FloorDiv(-a, b);
}

// The marked ranges within [0, span), in order and merged where they overlap or touch.
std::vector<std::pair<Micros, Micros>> MergedMarkers(const AssessedMeasurement& m, Micros span) {
    std::vector<std::pair<Micros, Micros>> out;
    for (const TimeRange& r : m.leftOut) {
        if (!std::isfinite(r.fromS) || !std::isfinite(r.toS)) continue;
        const Micros from = std::clamp<Micros>(ToMicros(r.fromS), 0, span);
        const Micros to = std::clamp<Micros>(ToMicros(r.toS), 0, span);
        if (from < to) out.emplace_back(from, to);
    }
    std::sort(out.begin(), out.end());
    std::vector<std::pair<Micros, Micros>> merged;
    for (const auto& r : out) {
        if (!merged.empty() && r.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, r.second);
        else
            merged.push_back(r);
    }
    return merged;
}

// A zone's offset from UTC at t and where it changes until end.
struct OffsetSpan {
    Micros from = 0;
    int offsetS = 0;
};

std::vector<OffsetSpan> OffsetsOf(const QTimeZone& zone, Micros from, Micros to) {
    const QDateTime a = QDateTime::fromMSecsSinceEpoch(from / 1000, QTimeZone::utc());
    const QDateTime b = QDateTime::fromMSecsSinceEpoch(to / 1000, QTimeZone::utc());
    std::vector<OffsetSpan> out{{from, zone.offsetFromUtc(a)}};
    if (zone.hasTransitions()) {
        for (const QTimeZone::OffsetData& d : zone.transitions(a, b)) {
            const Micros at = d.atUtc.toMSecsSinceEpoch() * 1000;
            if (at <= from || at >= to) continue;
            out.push_back({at, d.offsetFromUtc});
        }
    }
    return out;
}

// 10^(L/10), from a table for the cell's levels (v / 2 - 25 dB(A), v = 0 .. 255): a record's
// levels are those, and pow would be most of the time of an assessment.
double Linear(double level) {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (size_t v = 0; v < t.size(); ++v)
            t[v] = std::pow(10.0, (double(v) / 2.0 - 25.0) / 10.0);
        return t;
    }();
    const double v = (level + 25.0) * 2.0;
    if (v >= 0 && v <= 255 && v == std::floor(v)) return table[size_t(v)];
    return std::pow(10.0, level / 10.0);
}

}  // namespace

Micros ToMicros(double seconds) {
    return Micros(std::llround(seconds * double(kMicrosPerS)));
}

SpanLevel Energy::Level() const {
    SpanLevel l;
    l.coveredS = ToSeconds(covered);
    if (covered > 0) l.laeq = 10.0 * std::log10(sum / l.coveredS);
    return l;
}

Track MakeTrack(const AssessedMeasurement& m) {
    Track t;
    t.m = &m;
    if (m.start.isValid()) t.start = m.start.toMSecsSinceEpoch() * 1000;
    if (!std::isfinite(m.intervalS) || m.intervalS <= 0 || ToMicros(m.intervalS) <= 0) {
        t.reason = QStringLiteral("kein Messintervall bekannt");
        return t;
    }
    t.interval = ToMicros(m.intervalS);
    t.span = Micros(m.levels.size()) * t.interval;
    if (m.levels.empty()) {
        t.reason = QStringLiteral("keine gemessene Zeit");
        return t;
    }
    const auto markers = MergedMarkers(m, t.span);
    for (const auto& r : markers) t.leftOut += r.second - r.first;

    t.pieces.reserve(m.levels.size() + markers.size());
    size_t j = 0;
    for (size_t k = 0; k < m.levels.size(); ++k) {
        const Micros s = Micros(k) * t.interval;
        const Micros e = s + t.interval;
        const double lin = Linear(m.levels[k]);
        while (j < markers.size() && markers[j].second <= s) ++j;
        Micros cur = s;
        size_t i = j;
        while (i < markers.size() && markers[i].first < e) {
            if (markers[i].first > cur) t.pieces.push_back({cur, markers[i].first, lin});
            cur = std::max(cur, markers[i].second);
            if (markers[i].second > e) break;
            ++i;
        }
        if (cur < e) t.pieces.push_back({cur, e, lin});
    }
    return t;
}

Energy EnergyIn(const Track& t, Micros from, Micros to) {
    Energy e;
    auto it = std::upper_bound(t.pieces.begin(), t.pieces.end(), from,
                               [](Micros x, const Piece& p) { return x < p.to; });
    for (; it != t.pieces.end() && it->from < to; ++it) {
        const Micros a = std::max(from, it->from);
        const Micros b = std::min(to, it->to);
        if (b > a) e.Add(b - a, it->lin);
    }
    return e;
}

ResolvedRange Resolve(const Track& t, const MeasurementRange& r) {
    ResolvedRange out;
    const double from = r.fromS.value_or(0);
    const double to = r.toS ? *r.toS : ToSeconds(t.span);
    if (!std::isfinite(from) || !std::isfinite(to)) {
        out.reason = QStringLiteral("Bereich ist keine Zahl");
        return out;
    }
    if (from >= to) {
        out.reason = QStringLiteral("Bereich leer (von nicht vor bis)");
        return out;
    }
    out.from = std::clamp<Micros>(ToMicros(from), 0, t.span);
    out.to = std::clamp<Micros>(ToMicros(to), 0, t.span);
    if (out.from >= out.to) out.reason = QStringLiteral("Bereich außerhalb der gemessenen Zeit");
    return out;
}

LocalTimeLine MakeLocalTimeLine(const std::vector<Track>& tracks, const QTimeZone& zone) {
    LocalTimeLine line;
    std::optional<Micros> first, last;
    for (const Track& t : tracks) {
        if (!t.start || t.span <= 0) continue;
        first = first ? std::min(*first, *t.start) : *t.start;
        last = last ? std::max(*last, *t.start + t.span) : *t.start + t.span;
    }
    if (!first) return line;

    // Two hours of margin catch the hour that begins before the first sample, also across a
    // change of the offset.
    const Micros from = *first - 2 * kHour;
    const Micros to = *last + 2 * kHour;
    const std::vector<OffsetSpan> offsets = OffsetsOf(zone, from, to);
    std::vector<Micros> bounds;
    std::vector<Micros> candidates;
    for (size_t i = 0; i < offsets.size(); ++i) {
        const Micros u = offsets[i].from;
        const Micros v = i + 1 < offsets.size() ? offsets[i + 1].from : to;
        const Micros o = Micros(offsets[i].offsetS) * kMicrosPerS;
        bounds.push_back(u);
        for (Micros h = CeilDiv(u + o, kHour) * kHour - o; h < v; h += kHour) {
            candidates.push_back(h);
            bounds.push_back(h);
            bounds.push_back(h + kHour);
        }
    }
    bounds.push_back(to);
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());

    for (Micros h : candidates) {
        for (const Track& t : tracks) {
            if (t.start && t.span > 0 && h < *t.start + t.span && h + kHour > *t.start) {
                line.hourStarts.push_back(h);
                break;
            }
        }
    }

    size_t oi = 0;
    for (size_t i = 0; i + 1 < bounds.size(); ++i) {
        LocalSegment s;
        s.from = bounds[i];
        s.to = bounds[i + 1];
        while (oi + 1 < offsets.size() && offsets[oi + 1].from <= s.from) ++oi;
        s.offsetS = offsets[oi].offsetS;
        const Micros local = s.from + Micros(s.offsetS) * kMicrosPerS;
        const Micros day = FloorDiv(local, kDay);
        s.hourOfDay = int((local - day * kDay) / kHour);
        // 1 January 1970 was a Thursday.
        s.weekday = int(((day + 3) % 7 + 7) % 7) + 1;
        line.segments.push_back(s);
    }

    for (const Track& t : tracks) {
        if (!t.start) continue;
        auto seg = line.segments.begin();
        for (const Piece& p : t.pieces) {
            Micros a = *t.start + p.from;
            const Micros b = *t.start + p.to;
            if (seg == line.segments.end() || seg->from > a)
                seg = std::upper_bound(line.segments.begin(), line.segments.end(), a,
                                       [](Micros x, const LocalSegment& g) { return x < g.to; });
            while (a < b && seg != line.segments.end()) {
                if (seg->to <= a) {
                    ++seg;
                    continue;
                }
                const Micros c = std::min(b, seg->to);
                seg->energy.Add(c - a, p.lin);
                a = c;
            }
        }
    }
    return line;
}

Energy EnergyBetween(const LocalTimeLine& line, Micros from, Micros to) {
    Energy e;
    auto it = std::lower_bound(line.segments.begin(), line.segments.end(), from,
                               [](const LocalSegment& g, Micros x) { return g.from < x; });
    for (; it != line.segments.end() && it->to <= to; ++it) e.Add(it->energy);
    return e;
}

QDateTime AtMicros(Micros t, const QTimeZone& zone) {
    return QDateTime::fromMSecsSinceEpoch(FloorDiv(t, 1000), zone);
}

}  // namespace kelvarn

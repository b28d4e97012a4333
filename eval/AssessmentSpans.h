#pragma once

// The time line under the assessment: the kept pieces of each measurement's samples and the
// segments of local time they fall into. Times are whole microseconds, so that the samples of
// a measurement tile its span exactly and a wholly covered hour has exactly 3600 s.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "eval/Assessment.h"

namespace kelvarn {

using Micros = int64_t;
constexpr Micros kMicrosPerS = 1000000;
constexpr Micros kHour = 3600 * kMicrosPerS;

Micros ToMicros(double seconds);
inline double ToSeconds(Micros us) {
    return double(us) / double(kMicrosPerS);
}

// Covered time, counted whole so that it adds up exactly, and its energy sum w 10^(L/10) [s].
struct Energy {
    Micros covered = 0;
    double sum = 0;
    void Add(Micros us, double lin) {
        covered += us;
        sum += ToSeconds(us) * lin;
    }
    void Add(const Energy& e) {
        covered += e.covered;
        sum += e.sum;
    }
    SpanLevel Level() const;
};

// A kept piece of one sample [us from the measurement's start] and its 10^(L/10).
struct Piece {
    Micros from = 0, to = 0;
    double lin = 0;
};

// A measurement on the time line.
struct Track {
    const AssessedMeasurement* m = nullptr;
    Micros interval = 0;
    Micros span = 0;              // measured span: samples x interval
    std::optional<Micros> start;  // since the epoch, when known
    std::vector<Piece> pieces;    // in time order
    Micros leftOut = 0;           // removed by markers within the span
    QString reason;               // why it has no time line
};

Track MakeTrack(const AssessedMeasurement& m);

// The energy of a track within [from, to) us from its start.
Energy EnergyIn(const Track& t, Micros from, Micros to);

// The range of a measurement as us from its start, clipped to its measured span.
struct ResolvedRange {
    Micros from = 0, to = 0;
    QString reason;  // when the range is not usable
};
ResolvedRange Resolve(const Track& t, const MeasurementRange& r);

// Segments of local time: between consecutive instants that are a full hour of local time, an
// hour after one, or a change of the zone's offset. Within a segment the local time lies in
// one hour of the day.
struct LocalSegment {
    Micros from = 0, to = 0;  // since the epoch
    int offsetS = 0;          // from UTC
    int hourOfDay = 0;        // local
    int weekday = 0;          // local, 1 = Monday .. 7 = Sunday
    Energy energy;
};

struct LocalTimeLine {
    std::vector<Micros> hourStarts;  // full local hours that meet a measured span
    std::vector<LocalSegment> segments;
};

// The local time line of the tracks with a start, their energies filled in.
LocalTimeLine MakeLocalTimeLine(const std::vector<Track>& tracks, const QTimeZone& zone);

// The energy of [from, to) since the epoch, which must be segment bounds.
Energy EnergyBetween(const LocalTimeLine& line, Micros from, Micros to);

QDateTime AtMicros(Micros t, const QTimeZone& zone);

// Calls f(segment, us) for every covered part of [from, to) us from the track's start,
// split at the line's segments; nothing for a track without a start.
template <class F>
void WalkLocal(const Track& t, const LocalTimeLine& line, Micros from, Micros to, F f) {
    if (!t.start) return;
    for (const Piece& p : t.pieces) {
        Micros a = std::max(from, p.from);
        const Micros b = std::min(to, p.to);
        if (a >= b) continue;
        for (const LocalSegment& s : line.segments) {
            if (a >= b) break;
            const Micros sa = s.from - *t.start, sb = s.to - *t.start;
            if (sb <= a || sa >= b) continue;
            const Micros c = std::min(b, sb);
            f(s, c - std::max(a, sa));
            a = c;
        }
    }
}

}  // namespace kelvarn

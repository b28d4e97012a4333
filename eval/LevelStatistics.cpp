#include "eval/LevelStatistics.h"

#include <algorithm>
#include <cmath>

namespace kelvarn {

namespace {

// ln 10 as the cell's software has always used it; the same value both ways, so that a
// constant level gives itself back.
constexpr double kLn10 = 2.302585;
constexpr double kNoLevel = -25.0;

struct Run {
    int lo = 0;  // first offset inside the record
    int hi = 0;  // one past the last
    int Count() const { return hi - lo; }
};

Run Inside(int n, int first) {
    if (n < 1) return {};
    const int64_t lo = std::max<int64_t>(first, 0);
    const int64_t hi = std::min<int64_t>(int64_t(first) + n, MeasurementRecord::kSize);
    if (hi <= lo) return {};
    return {int(lo), int(hi)};
}

// n x percent / 100, rounded to the nearest integer with halves away from zero, and at least 1:
// a short run has its percentile in its own samples, not beyond the scale.
int Threshold(int n, int percent) {
    return std::max(1, int(std::round(n * double(percent) / 100.0)));
}

}  // namespace

std::array<uint16_t, 256> LevelHistogram(const MeasurementRecord& rec, int n, int first) {
    std::array<uint16_t, 256> h{};
    const Run run = Inside(n, first);
    for (int i = run.lo; i < run.hi; ++i) ++h[rec.bytes[i]];
    return h;
}

LevelStats LevelStatistics(const MeasurementRecord& rec, int n, int first) {
    const Run run = Inside(n, first);
    const int count = run.Count();
    if (count < 1) return {kNoLevel, kNoLevel, kNoLevel};

    const std::array<uint16_t, 256> h = LevelHistogram(rec, n, first);
    double e = 0;
    for (int i = run.lo; i < run.hi; ++i) e += std::exp(kLn10 * SampleToLevel(rec.bytes[i]) / 10.0);

    LevelStats st;
    st.LeQ = 10.0 * std::log(e / count) / kLn10;

    // Each walk stops in the class in which its running count first reaches the threshold, so a
    // constant level gives itself back and L95 never lies above L01.
    const int t95 = Threshold(count, 5);
    int sum = 0;
    int k = 0;
    for (; k < 255; ++k) {
        sum += h[size_t(k)];
        if (sum >= t95) break;
    }
    st.L95 = SampleToLevel(k);

    const int t01 = Threshold(count, 1);
    sum = 0;
    k = 255;
    for (; k > 0; --k) {
        sum += h[size_t(k)];
        if (sum >= t01) break;
    }
    st.L01 = SampleToLevel(k);
    return st;
}

QString ClassRuleText() {
    return QStringLiteral(
        "LN ist der Pegel, der in N % der Messzeit überschritten wird. Auf „LeQ“ wird er "
        "nach 0,5-dB-Klassen bestimmt: L01 ist die Klasse, in der die vom lautesten Pegel an "
        "gezählten Messwerte 1 % erreichen, L95 die Klasse, in der die vom leisesten an "
        "gezählten 5 % erreichen (jeweils mindestens ein Messwert).");
}

}  // namespace kelvarn

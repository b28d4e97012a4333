#include "cell/LiveLevel.h"

#include <algorithm>
#include <cmath>

#include "data/ProgramTable.h"

namespace kelvarn {

double LiveTime(int k, int row) {
    const Messtypen& r = Programs().Row(row);
    return double(k) * r.IntervalMs / TimeDivisor(r.DurationUnit);
}

int RoundHalfEven(double value) {
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff < 0.5) return int(lower);
    if (diff > 0.5) return int(lower) + 1;
    return std::fmod(lower, 2.0) == 0.0 ? int(lower) : int(lower) + 1;
}

bool TakeOverLive(MeasurementRecord& rec, int row, const std::vector<double>& levels) {
    if (!IsProgramRow(row)) return false;
    BuildHeader(rec, row);
    const size_t n = std::min(levels.size(), size_t(MeasurementRecord::kSampleBytes));
    for (size_t k = 0; k < n; ++k)
        rec.bytes[MeasurementRecord::kHeaderSize + k] =
            static_cast<uint8_t>(std::clamp(LevelToSample(levels[k]), 0, 255));
    return true;
}

}  // namespace kelvarn

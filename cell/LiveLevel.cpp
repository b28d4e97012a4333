#include "cell/LiveLevel.h"

#include <algorithm>
#include <cmath>

#include "data/ProgramTable.h"

namespace kelvarn {

double LiveTime(int k, int row) {
    const ProgramRow& r = Programs().Row(row);
    return double(k) * r.IntervalMs / TimeDivisor(r.DurationUnit);
}

int RoundHalfEven(double value) {
    return int(std::nearbyint(value));  // the default rounding mode: halves to even
}

bool TakeOverLive(MeasurementRecord& rec, int row, const std::vector<double>& levels) {
    if (!IsProgramRow(row)) return false;
    BuildHeader(rec, row);
    const size_t n = std::min(levels.size(), size_t(MeasurementRecord::kSampleBytes));
    for (size_t k = 0; k < n; ++k)
        rec.bytes[MeasurementRecord::kHeaderSize + k] =
            static_cast<uint8_t>(std::clamp(LevelToSample(levels[k]), 0, 255));
    // A measurement that stopped early has no levels behind its last one;
    // what the record held before belongs to another measurement.
    std::fill(rec.bytes.begin() + long(MeasurementRecord::kHeaderSize + n), rec.bytes.end(),
              uint8_t(0));
    return true;
}

}  // namespace kelvarn

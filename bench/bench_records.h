#pragma once

// Reproducible records for the benchmarks.

#include <algorithm>
#include <random>

#include "data/MeasurementRecord.h"

namespace kelvarn::bench {

// A full record of program row whose samples scatter around 35 dB(A).
inline MeasurementRecord NoiseRecord(int row) {
    MeasurementRecord rec;
    BuildHeader(rec, row);
    std::mt19937 gen(row);
    std::normal_distribution<double> noise(120, 12);
    const int total = GetSampleTotal(rec);
    for (int i = 0; i < total; ++i)
        rec.bytes[size_t(10 + i)] = uint8_t(std::clamp(noise(gen), 0.0, 255.0));
    return rec;
}

}  // namespace kelvarn::bench

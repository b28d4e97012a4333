#pragma once

#include <array>
#include <cstdint>

#include "data/MeasurementRecord.h"

namespace kelvarn {

// Counts the n bytes at offsets first .. first + n - 1 of the record by value. Bytes outside
// the record (offsets 0 .. 6145) are not read and not counted; n < 1 counts nothing.
std::array<uint16_t, 256> LevelHistogram(const MeasurementRecord& rec, int n, int first);

struct LevelStats {
    double LeQ = 0;  // energetic mean [dB(A)]
    double L95 = 0;  // level exceeded by 95 % of the samples, one class step up [dB(A)]
    double L01 = 0;  // level exceeded by 1 % of the samples, one class step down [dB(A)]
};

// LeQ, L95 and L01 over the same bytes as LevelHistogram (n >= 1). Only the bytes that lie
// inside the record are used. Without any byte (n < 1, or the run lies wholly outside) there
// is no level to give: all three are -25.0 dB(A), the bottom of the scale, so the LeQ is not
// above 0 and no caller writes a table row for it.
LevelStats LevelStatistics(const MeasurementRecord& rec, int n, int first);

}  // namespace kelvarn

#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "data/MeasurementRecord.h"

namespace kelvarn {

// Counts the n bytes at offsets first .. first + n - 1 of the record by value. Bytes outside
// the record (offsets 0 .. 6145) are not read and not counted; n < 1 counts nothing.
std::array<uint16_t, 256> LevelHistogram(const MeasurementRecord& rec, int n, int first);

struct LevelStats {
    double LeQ = 0;  // energetic mean [dB(A)]
    double L95 = 0;  // level exceeded in 95 % of the measured time, by classes [dB(A)]
    double L01 = 0;  // level exceeded in 1 % of the measured time, by classes [dB(A)]
};

// LeQ, L95 and L01 over the same bytes as LevelHistogram (n >= 1). The percentiles go by the
// 0.5 dB classes: with N samples and T = max(1, N x 5 / 100 rounded half away from zero), L95 is
// the level of the class in which the count walked up from the lowest class first reaches T; L01
// likewise with N x 1 / 100, walked down from the highest class. Only the bytes that lie
// inside the record are used. Without any byte (n < 1, or the run lies wholly outside) there
// is no level to give: all three are -25.0 dB(A), the bottom of the scale, so the LeQ is not
// above 0 and no caller writes a table row for it.
LevelStats LevelStatistics(const MeasurementRecord& rec, int n, int first);

// How the LeQ curves and tables find L01 and L95, in German, for the user: the tooltip of the
// LeQ tables and the notes of the report.
QString ClassRuleText();

}  // namespace kelvarn

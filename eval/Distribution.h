#pragma once

#include <QString>
#include <array>

#include "eval/ViewData.h"

namespace kelvarn {

// Counts per sample value 0 .. 255.
using ClassCounts = std::array<int, 256>;

// The distribution table and bars of Chart2: heading row "L/dB(A)" and countHeading, then one
// row per class 50 .. 255 (0.0 .. 102.5 dB(A)) that occurs, level "%5.1f" and count "%4.0f".
// Classes below 0 dB(A) are counted elsewhere but never shown.
void FillDistribution(const ClassCounts& counts, const NumberFormat& fmt,
                      const QString& countHeading, SeriesData& bars, TableText& table);

}  // namespace kelvarn

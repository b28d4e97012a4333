#pragma once

#include <vector>

#include "data/MeasurementRecord.h"

namespace kelvarn {

// Time of live sample k (from 0) of program row (1..9) on the live chart's
// axis: k x interval, in the row's duration unit.
double LiveTime(int k, int row);

// Nearest integer, halves to the even neighbour (52.5 -> 52, 53.5 -> 54).
int RoundHalfEven(double value);

// Whether a live measurement has shown all it should: points is the sample
// count of the program selected now, count the samples taken so far.
inline bool LiveEndReached(int points, int count) {
    return points < count + 2;
}

// Whether a row number names a program of the table.
inline bool IsProgramRow(int row) {
    return row >= 1 && row <= 9;
}

// Writes the header of program row (1..9) and one sample byte per live
// level into rec (level k at offset 10 + k); samples beyond the levels
// become 0 (no level). Levels beyond the record's 6136 samples are left
// out. false, with rec unchanged, when row is no program row.
bool TakeOverLive(MeasurementRecord& rec, int row, const std::vector<double>& levels);

}  // namespace kelvarn

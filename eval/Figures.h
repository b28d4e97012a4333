#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "data/MeasurementRecord.h"
#include "eval/ViewData.h"

namespace kelvarn {

// The standard noise figures of one run of levels. Percentile level LN is the level reached or
// exceeded by N % of the samples: with the levels sorted from highest to lowest, L(1) >= ... >=
// L(n), LN = L(k) with k = ceil(N * n / 100), at least 1. The L01 and L95 of the LeQ curves go
// by 0.5 dB classes instead (LevelStatistics), so the two may differ by one class on the same
// samples.
struct LevelFigures {
    static constexpr std::array<int, 7> kPercents = {1, 5, 10, 50, 90, 95, 99};

    int n = 0;            // samples
    double duration = 0;  // n sampling intervals [unit of the program]
    // Empty when n = 0.
    std::optional<double> laeq, lmax, lmin;     // [dB(A)]
    std::array<std::optional<double>, 7> ln{};  // L1 L5 L10 L50 L90 L95 L99 [dB(A)]
};

// Counts per sample value 0 .. 255 of a run of samples.
using LevelCounts = std::array<int, 256>;

// The figures of the samples counted in counts; intervalUnits is one sampling interval in the
// program's unit.
LevelFigures FiguresOf(const LevelCounts& counts, double intervalUnits);

// The figures of every measurement of a record, and of all of them together, over the samples
// the evaluation reads (channel 1 of every point, clipped to the record for a damaged file).
// A measurement's trailing run of zero bytes is no measured time: a take-over after an early stop
// and a series that stopped early leave the rest of the record at zero, and counting those as
// levels of -25 dB(A) would pull LAeq, Lmin and the percentiles down and stretch the duration.
// Zeros inside a measurement stay levels.
struct RecordFigures {
    QString unit;  // duration unit: "s", "min", "h", or "ms" for an unknown interval
    std::vector<LevelFigures> measurements;  // one per evaluated measurement
    LevelFigures total;
    // Every level of each measurement as the charts show it, trailing zero run included [dB(A)];
    // the figures are made of the first measured[m] of them.
    std::vector<std::vector<double>> levels;
    std::vector<int> measured;  // samples up to the last non-zero byte, per measurement
    std::vector<double> times;  // of point 1, 2, ... [unit]
};

RecordFigures ComputeFigures(const MeasurementRecord& rec);

// RecordFigures::measured alone, without the figures: per evaluated measurement its samples up
// to the last non-zero byte.
std::vector<int> MeasuredCounts(const MeasurementRecord& rec);
// Samples of a run of sample bytes up to and including its last non-zero byte.
int MeasuredCount(const uint8_t* samples, int n, int stride);

// The figures as a table: heading row "Messung", "n", "Dauer/<unit>", "LAeq", "Lmax", "Lmin",
// "L1" ... "L99", then one row per measurement ("1", "2", ...) and, when withTotal, a row
// "Gesamt". Levels "%5.1f", durations "%5.3f", counts "%4.0f"; empty cells where n = 0.
// Copied plain (TableText::CopyText).
TableText FiguresTable(const RecordFigures& f, const NumberFormat& fmt, bool withTotal);

// Whether the window, the export and the report show the "Gesamt" row: for more than one
// measurement.
bool ShowsTotal(const RecordFigures& f);

// How the figures find LN, in German, for the user: the tooltip of "Kennwerte" and the notes of
// the report.
QString RankRuleText();
// Both rules together, for the notes under the report's figures.
QString PercentileNotesText();

}  // namespace kelvarn

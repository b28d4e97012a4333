#pragma once

// The assessment as the window's sub-tab and the report show it: tables of texts and the
// points of the hourly chart. Both views take them from here, so they cannot differ.

#include <QString>
#include <optional>
#include <vector>

#include "eval/Assessment.h"
#include "eval/ViewData.h"

namespace kelvarn {

// "Messung", "Beginn", "Ende", "erfasst [h]", "ausgelassen [s]", "LAeq [dB(A)]"; one row a
// measurement. A level that cannot be given is "–"; the reason is in the last column.
TableText MeasurementLevelTable(const Assessment& a, const NumberFormat& fmt);

// "Stunde ab", "Zeitraum" (Tag/Nacht), "erfasst [min]", "LAeq [dB(A)]"; one row a clock hour.
// Only the heading row without start times.
TableText HourTable(const Assessment& a, const NumberFormat& fmt);

// "Zeitraum", "erfasst [h]", "LAeq [dB(A)]": Tag, Nacht, the three Lden periods, then the
// Lden of the measured time and the loudest night hour, each with its reason where missing.
TableText PeriodTable(const Assessment& a, const NumberFormat& fmt);

// "Nr.", "Bereich", "Te [h]", "erfasst [h]", "LAeq [dB(A)]", "Hinweis"; one row a task.
TableText ExposureTable(const Assessment& a, const AssessmentInput& in, const NumberFormat& fmt);

// "Nr.", "Bereich", "T [h]", "erfasst [h]", "LAeq [dB(A)]", "KT", "KI", "KR", "Hinweis";
// one row a part.
TableText RatingTable(const Assessment& a, const AssessmentInput& in, const NumberFormat& fmt);

// The hourly chart: bars of the day hours and of the night hours (22-06) at x = 0, 1, ...,
// one per clock hour that has a level; a line at the area's limit over the whole width when
// one is given; the label of each position (the hour's start, "21:00").
struct HourlyChartData {
    SeriesData day, night, limit;
    std::vector<QString> labels;
};
HourlyChartData HourlyChart(const Assessment& a, std::optional<int> limit);

// Whether a clock hour that starts at this local time belongs to the night (22-06).
bool IsNightHour(const QDateTime& localStart);

}  // namespace kelvarn

#pragma once

#include <QColor>
#include <array>

#include "eval/AssessmentView.h"

namespace kelvarn {

class TChart;

// Colours of the twelve measurement series ("Block 1" .. "Block 12").
const std::array<QColor, 12>& BlockColours();

// Titles, axes, fixed ranges and series of each chart as the window starts.
void SetUpLiveChart(TChart& chart);                      // Chart4
void SetUpLiveDistributionChart(TChart& chart);          // Chart5
void SetUpLevelChart(TChart& chart);                     // Chart1
void SetUpLeqChart(TChart& chart);                       // Chart6
void SetUpDistributionChart(TChart& chart);              // Chart2
void SetUpOverviewChart(TChart& chart);                  // Chart3
void SetUpOverviewLeqChart(TChart& chart);               // Chart12Leq
void SetUpSmallDistributionChart(TChart& chart, int k);  // Pegel1 .. Pegel12
// The assessment's clock hours: day and night bars and the area's limit as a line.
void SetUpHourlyChart(TChart& chart);
void ShowHourlyChart(TChart& chart, const HourlyChartData& data);

}  // namespace kelvarn

#pragma once

#include "files/CommandResult.h"
#include "output/OutputKind.h"

class QCustomPlot;

namespace kelvarn {

class PrinterSource;

// "Drucken" of a chart: one landscape page on the default printer, as a job
// named after the chart's control name, the chart inside fixed margins
// (stretched to them, or in its on-screen proportions). The printer's paper
// orientation is back as it was afterwards, also when printing failed.
CommandResult PrintChart(QCustomPlot& chart, ChartPaper paper, PrinterSource& printers);

// Margin around a printed chart on every side [mm].
constexpr double kChartPageMarginMm = 15.0;

}  // namespace kelvarn

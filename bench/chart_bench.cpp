// Replot of the level chart with a long record: flat or in depth, with or
// without value labels; and one tick of the live chart.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <string>

#include "widgets/Chart.h"
#include "widgets/ChartMarks.h"
#include "widgets/ChartSetup.h"

namespace {

constexpr int kPoints = 6000;  // the longest single measurement holds 6136 samples

// A noisy level around 55 dB(A) in 0.5 dB steps, with the LeQ curves above.
void FillLevelChart(kelvarn::TChart& chart) {
    chart.SetBottomAxis(QStringLiteral("t/h"), 0, 24);
    kelvarn::SeriesData level, leq, l01, l95;
    unsigned seed = 12345;
    for (int p = 0; p < kPoints; ++p) {
        seed = seed * 1103515245u + 12345u;
        const double t = 24.0 * p / kPoints;
        level.Add(t, std::round(2 * (55 + 12 * std::sin(p / 300.0) + (seed >> 16) % 20)) / 2);
        leq.Add(t, 65);
        l01.Add(t, 75);
        l95.Add(t, 45);
    }
    chart.SetPoints(0, level);
    chart.SetPoints(12, leq);
    chart.SetPoints(13, l01);
    chart.SetPoints(14, l95);
}

void LevelChartReplot(benchmark::State& state) {
    const bool marks = state.range(0) != 0;
    const bool depth = state.range(1) != 0;
    kelvarn::TChart chart(QStringLiteral("Chart1"), QStringLiteral("Schallpegeldiagramm"));
    kelvarn::SetUpLevelChart(chart);
    FillLevelChart(chart);
    for (int i = 0; i < chart.SeriesCount(); ++i) chart.SetSeriesMarks(i, marks);
    chart.SetDepthView(depth);
    chart.resize(800, 500);
    chart.show();
    QApplication::processEvents();
    for (auto _ : state) chart.replot(QCustomPlot::rpImmediateRefresh);
    state.counters["labels"] = double(chart.Marks()->LastBoxes().size());
    state.SetLabel(std::string(marks ? "labels" : "no labels") + (depth ? ", depth" : ", flat"));
}
BENCHMARK(LevelChartReplot)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

// One live tick: a point added to a long live curve, then the replot.
void LiveTick(benchmark::State& state) {
    const bool depth = state.range(0) != 0;
    kelvarn::TChart chart(QStringLiteral("Chart4"), QStringLiteral("Direktmessung"));
    kelvarn::SetUpLiveChart(chart);
    chart.SetBottomAxis(QStringLiteral("t in s"), 0, 6136);
    for (int p = 0; p < kPoints; ++p) chart.AddPoint(0, p, 50 + p % 17);
    chart.SetDepthView(depth);
    chart.resize(800, 500);
    chart.show();
    QApplication::processEvents();
    int p = kPoints;
    for (auto _ : state) {
        chart.AddPoint(0, p, 50 + p % 17);
        ++p;
        chart.replot(QCustomPlot::rpImmediateRefresh);
    }
    state.SetLabel(depth ? "depth" : "flat");
}
BENCHMARK(LiveTick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

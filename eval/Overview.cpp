#include "eval/Overview.h"

#include <algorithm>
#include <cmath>

#include "eval/LevelStatistics.h"

namespace kelvarn {

void PrepareOverview(Evaluation& ev, const RecordBounds& b, const QString& durationUnit) {
    ev.overviewTable = TableText(b.measurements + 1, b.pointRows + 1);
    ev.overviewTable.SetCell(0, 0, QStringLiteral("t/") + durationUnit);
    for (int m = 1; m <= b.measurements; ++m)
        ev.overviewTable.SetCell(m, 0, QStringLiteral("L") + QString::number(m));
    ev.overviewDistributionTable = TableText();
}

double OverviewX(int m, double t) {
    return (m - 1) + 0.5 + t / 10.0;
}

void AddOverviewPoint(Evaluation& ev, int m, double t, double level) {
    ev.overviewSeries[m - 1].Add(OverviewX(m, t), level);
}

void OverviewDistributions(const MeasurementRecord& rec, const RecordBounds& b, Evaluation& ev) {
    for (int m = 1; m <= b.measurements; ++m) {
        const int64_t first = MeasurementOffset(b.P, b.C, m);
        const int n = BytesInside(first, b.P);
        if (n < 1) continue;
        const std::array<uint16_t, 256> h = LevelHistogram(rec, n, int(first));
        for (int v = 50; v <= 255; ++v)
            if (h[v] > 0) ev.measurementDistributions[m - 1].Add(SampleToLevel(v), h[v]);
    }
}

void OverviewTable(Evaluation& ev, const NumberFormat& fmt) {
    double lo = 120.0;
    double hi = 0.0;
    bool any = false;
    for (const SeriesData& s : ev.measurementDistributions) {
        if (s.Empty()) continue;
        any = true;
        lo = std::min(lo, s.x.front());
        hi = std::max(hi, s.x.back());
    }
    // Levels are whole 0.5 dB steps, so twice a difference is a whole number.
    const int rows = any ? int(std::lround(2 * (hi - lo))) + 2 : 1;
    ev.overviewDistributionTable = TableText(13, rows);
    ev.overviewDistributionTable.SetCell(0, 0, QStringLiteral("L/dB(A)"));
    for (int k = 1; k <= 12; ++k)
        ev.overviewDistributionTable.SetCell(k, 0, QStringLiteral(" n") + QString::number(k));
    if (!any) return;

    for (int r = 1; r < rows; ++r)
        ev.overviewDistributionTable.SetCell(0, r, fmt.Level(lo + (r - 1) * 0.5));
    for (int k = 1; k <= 12; ++k) {
        const SeriesData& s = ev.measurementDistributions[k - 1];
        for (int i = 0; i < s.Count(); ++i) {
            const int row = 1 + int(std::lround(2 * (s.x[i] - lo)));
            ev.overviewDistributionTable.SetCell(k, row, QString::number(std::lround(s.y[i])));
        }
    }
}

}  // namespace kelvarn

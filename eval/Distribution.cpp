#include "eval/Distribution.h"

#include "data/MeasurementRecord.h"
#include "eval/Evaluation.h"
#include "eval/LevelStatistics.h"
#include "eval/RecordBounds.h"

namespace kelvarn {

namespace {
constexpr int kFirstShownClass = 50;  // 0.0 dB(A)
}

void FillDistribution(const ClassCounts& counts, const NumberFormat& fmt,
                      const QString& countHeading, SeriesData& bars, TableText& table) {
    int classes = 0;
    for (int v = kFirstShownClass; v <= 255; ++v)
        if (counts[v] != 0) ++classes;

    bars.Clear();
    table.SetSize(2, classes + 1);
    table.ClearCells();
    table.SetCell(0, 0, QStringLiteral("L/dB(A)"));
    table.SetCell(1, 0, countHeading);
    int row = 0;
    for (int v = kFirstShownClass; v <= 255; ++v) {
        if (counts[v] == 0) continue;
        ++row;
        const double level = SampleToLevel(v);
        table.SetCell(0, row, fmt.Level(level));
        table.SetCell(1, row, fmt.Count(counts[v]));
        bars.Add(level, counts[v]);
    }
}

SingleDistribution MeasurementDistribution(const MeasurementRecord& rec, int k,
                                           const NumberFormat& fmt) {
    if (k < 1) k = 1;  // not one of the small charts: measurement 1
    const int n = GetPoints(rec);
    const int q = GetChannels(rec);
    const int64_t first = MeasurementOffset(n, q, k);
    const int inside = BytesInside(first, n);

    ClassCounts counts{};
    if (inside > 0) {
        const std::array<uint16_t, 256> h = LevelHistogram(rec, inside, int(first));
        for (int v = 0; v < 256; ++v) counts[v] = h[v];
    }

    SingleDistribution d;
    FillDistribution(counts, fmt, QStringLiteral("   n"), d.bars, d.table);
    d.title = QString::number(k) + QStringLiteral(". Verteilung");
    return d;
}

}  // namespace kelvarn

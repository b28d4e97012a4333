#include <vector>

#include "data/ProgramTable.h"
#include "eval/Distribution.h"
#include "eval/Evaluation.h"
#include "eval/Figures.h"
#include "eval/Overview.h"
#include "eval/RecordBounds.h"

namespace kelvarn {

namespace {

void NameMeasurementSeries(Evaluation& ev) {
    for (int m = 1; m <= kBlockSeries; ++m) {
        ev.levelSeries[m - 1].name = QStringLiteral("Block ") + QString::number(m);
        ev.overviewSeries[m - 1].name = QStringLiteral("Block") + QString::number(m);
    }
}

}  // namespace

Evaluation EvaluateRecord(const MeasurementRecord& rec, const EvalOptions& opt) {
    return EvaluateRecord(rec, ComputeFigures(rec), opt);
}

Evaluation EvaluateRecord(const MeasurementRecord& rec, const RecordFigures& figures,
                          const EvalOptions& opt) {
    const NumberFormat& fmt = opt.fmt;
    Evaluation ev;
    NameMeasurementSeries(ev);

    const ProgramRow& program = Programs().ProgramForInterval(GetInterval(rec));
    const double divisor = TimeDivisor(program.DurationUnit);
    ev.levelAxisTitle = QStringLiteral("t/") + program.DurationUnit;
    ev.levelAxisMax = program.Duration;

    const RecordBounds b = MeasureRecord(rec);
    ev.P = b.P;
    ev.I = GetInterval(rec);
    ev.C = b.C;
    ev.M = b.M;
    ev.twelve = ev.M == 12;
    ev.damageNotice = DamageNotice(b);

    ev.levelTable = TableText(b.measurements + 1, b.pointRows + 1);
    PrepareOverview(ev, b, program.DurationUnit);
    for (int m = 1; m <= b.measurements; ++m)
        ev.levelTable.SetCell(m, 0, QStringLiteral("L/dB(A)"));
    ev.levelBlocksVisible = ev.twelve;

    // Wide counters: without an active channel every point reads the same byte, and a
    // 16-bit counter would wrap.
    ClassCounts histogram{};
    // The twelve measurements share their times, and levels have 256 values only: format
    // each text once.
    std::vector<QString> timeText(size_t(b.pointRows));
    for (int p = 1; p <= b.pointRows; ++p)
        timeText[p - 1] = fmt.Time(double(int64_t(p - 1) * ev.I) / divisor);
    std::array<QString, 256> levelText;
    for (int v = 0; v < 256; ++v) levelText[v] = fmt.Level(SampleToLevel(v));

    for (int m = 1; m <= b.measurements; ++m) {
        const int64_t start = MeasurementOffset(b.P, b.C, m);
        SeriesData& series = ev.levelSeries[m - 1];
        for (int p = 1; p <= b.points[m - 1]; ++p) {
            const double t = double(int64_t(p - 1) * ev.I) / divisor;
            const int v = rec.bytes[size_t(start + int64_t(p - 1) * b.C)];
            const double level = SampleToLevel(v);
            ++histogram[v];
            series.Add(t, level);
            if (ev.twelve) AddOverviewPoint(ev, m, t, level);
            ev.overviewTable.SetCell(0, p, timeText[p - 1]);
            ev.overviewTable.SetCell(m, p, levelText[v]);
            ev.levelTable.SetCell(0, p, timeText[p - 1]);
            ev.levelTable.SetCell(m, p, levelText[v]);
        }
    }

    FillDistribution(histogram, fmt, QStringLiteral("    n"), ev.distributionBars,
                     ev.distributionTable);

    if (ev.twelve) {
        OverviewDistributions(rec, b, ev);
        OverviewTable(ev, fmt);
    }

    ComputeLeqCurves(rec, opt, ev);

    ev.figuresTable = FiguresTable(figures, fmt, ShowsTotal(figures));
    return ev;
}

}  // namespace kelvarn

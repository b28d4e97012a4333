#include <QStringList>
#include <cmath>

#include "data/ProgramTable.h"
#include "eval/Evaluation.h"
#include "eval/LevelStatistics.h"
#include "eval/Overview.h"
#include "eval/RecordBounds.h"

namespace kelvarn {

namespace {

void ResetLeqOutputs(Evaluation& ev) {
    const QStringList names = {QStringLiteral("LeQ"), QStringLiteral("L01"), QStringLiteral("L95")};
    for (int i = 0; i < kLeqCurves; ++i) {
        ev.levelSeries[kLeqSeries + i] = SeriesData{names[i], {}, {}};
        ev.overviewSeries[kLeqSeries + i] = SeriesData{names[i], {}, {}};
        ev.overviewLeqSeries[i] = SeriesData{names[i], {}, {}};
    }
    ev.leqSeries[0] = SeriesData{QStringLiteral("L95"), {}, {}};
    ev.leqSeries[1] = SeriesData{QStringLiteral("Leq"), {}, {}};
    ev.leqSeries[2] = SeriesData{QStringLiteral("L01"), {}, {}};
}

// Fresh tables, so that no row keeps a value of an earlier record.
void ResetLeqTables(Evaluation& ev, int sections) {
    ev.leqTable = TableText(4, sections + 1);
    ev.overviewLeqTable = TableText(4, 13);
    for (TableText* t : {&ev.leqTable, &ev.overviewLeqTable}) {
        t->SetCell(1, 0, QStringLiteral("LeQ"));
        t->SetCell(2, 0, QStringLiteral("L01"));
        t->SetCell(3, 0, QStringLiteral("L95"));
    }
    for (int j = 1; j <= 12; ++j) ev.overviewLeqTable.SetCell(0, j, QString::asprintf("%3d", j));
}

void WriteRow(TableText& t, int row, const LevelStats& st, const NumberFormat& fmt) {
    t.SetCell(1, row, fmt.Level(st.LeQ));
    t.SetCell(2, row, fmt.Level(st.L01));
    t.SetCell(3, row, fmt.Level(st.L95));
}

}  // namespace

void ComputeLeqCurves(const MeasurementRecord& rec, const EvalOptions& opt, Evaluation& ev) {
    const int P = GetPoints(rec);
    const int C = GetChannels(rec);
    const int I = GetInterval(rec);
    const int M = GetMeasurements(rec);
    const ProgramRow& program = Programs().ProgramForInterval(I);
    const int S = program.Points;
    const int W = program.LeqSections;
    const double divisor = TimeDivisor(program.DurationUnit);

    ResetLeqOutputs(ev);
    ResetLeqTables(ev, W);
    // The curves are drawn over the program's time, as the level chart is.
    ev.leqAxisTitle = QStringLiteral("t/") + program.DurationUnit;
    // No program has this interval: there are no sections to cut the record into.
    if (W == 0) return;

    // Halves to even (the default rounding mode): 999 / 6 = 166.5 gives 166.
    const int R = M == 12 ? P : int(std::nearbyint(double(S - 1) / W));
    const int lastMeasurement = M == 1 ? 1 : 12;
    const bool overview = M == 12;

    for (int j = 1; j <= lastMeasurement; ++j) {
        for (int s = 0; s < W; ++s) {
            // Measurement 1 is walked section by section; every section of a later
            // measurement starts at that measurement's first sample.
            const int64_t first = j == 1 ? MeasurementRecord::kHeaderSize + int64_t(s) * R
                                         : MeasurementOffset(P, C, j);
            // A damaged header may place a section partly or wholly beyond the record:
            // only the bytes inside are used, and a section without any is left out.
            const int n = BytesInside(first, R);
            if (n < 1) continue;
            const LevelStats st = LevelStatistics(rec, n, int(first));
            if (st.LeQ > 0) WriteRow(ev.overviewLeqTable, j, st, opt.fmt);
            if (j == 1 && st.LeQ > 0) {
                ev.leqTable.SetCell(0, s + 1, QString::asprintf("%3d", s + 1));
                WriteRow(ev.leqTable, s + 1, st, opt.fmt);
            }
            const double edges[2] = {double(int64_t(s) * I * R) / divisor,
                                     double(int64_t(s + 1) * I * R) / divisor};
            for (double t : edges) {
                if (opt.leqBox && j == 1) {
                    ev.levelSeries[kLeqSeries].Add(t, st.LeQ);
                    ev.levelSeries[kL01Series].Add(t, st.L01);
                    ev.levelSeries[kL95Series].Add(t, st.L95);
                }
                if (overview) {
                    const double x = OverviewX(j, t);
                    ev.overviewLeqSeries[0].Add(x, st.LeQ);
                    ev.overviewLeqSeries[1].Add(x, st.L01);
                    ev.overviewLeqSeries[2].Add(x, st.L95);
                    if (opt.leq12Box) {
                        ev.overviewSeries[kLeqSeries].Add(x, st.LeQ);
                        ev.overviewSeries[kL01Series].Add(x, st.L01);
                        ev.overviewSeries[kL95Series].Add(x, st.L95);
                    }
                }
                if (j == 1) {
                    ev.leqSeries[0].Add(t, st.L95);
                    ev.leqSeries[1].Add(t, st.LeQ);
                    ev.leqSeries[2].Add(t, st.L01);
                }
            }
        }
    }
}

}  // namespace kelvarn

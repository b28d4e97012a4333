#include <gtest/gtest.h>

#include "eval/Evaluation.h"
#include "eval_records.h"

using namespace kelvarn;
using namespace kelvarn::testing;

namespace {

EvalOptions German() {
    EvalOptions opt;
    opt.fmt = GermanFormat();
    return opt;
}

}  // namespace

TEST(ShowTime, TimeColumnAndAxisOfEveryProgram) {
    struct Case {
        int row;
        const char* axis;
        double axisMax;
        const char* second;  // time of point 2
        const char* last;    // time of the last point
    };
    const Case cases[] = {
        {1, "t/s", 10, "0,010", "9,990"},   {2, "t/s", 60, "0,060", "59,940"},
        {3, "t/min", 6, "0,006", "5,994"},  {4, "t/min", 60, "0,010", "59,990"},
        {5, "t/h", 6, "0,001", "5,999"},    {6, "t/h", 24, "0,004", "23,996"},
        {7, "t/s", 10, "0,020", "9,980"},   {8, "t/s", 60, "0,120", "59,880"},
        {9, "t/min", 10, "0,020", "9,980"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const auto rec = ProgramRecord(c.row, Constant(150));
        const Evaluation ev = EvaluateRecord(*rec, German());
        EXPECT_EQ(ev.levelAxisTitle, c.axis);
        EXPECT_EQ(ev.levelAxisMax, c.axisMax);
        const int P = Programs().Row(c.row).Points;
        EXPECT_EQ(ev.levelTable.Rows(), P + 1);
        EXPECT_EQ(ev.levelTable.Cell(0, 1), "0,000");
        EXPECT_EQ(ev.levelTable.Cell(0, 2), c.second);
        EXPECT_EQ(ev.levelTable.Cell(0, P), c.last);
        EXPECT_EQ(ev.overviewTable.Cell(0, P), c.last);
        EXPECT_TRUE(ev.damageNotice.isEmpty());
        // Twelve-measurement programs restart their time for every measurement.
        const SeriesData& last = ev.levelSeries[Programs().Row(c.row).Measurements - 1];
        EXPECT_EQ(last.x.front(), 0.0);
    }
}

TEST(ShowTime, ProgramAAllAtFifty) {
    const auto rec = ProgramRecord(1, Constant(150));
    const Evaluation ev = EvaluateRecord(*rec, German());

    EXPECT_EQ(ev.P, 1000);
    EXPECT_EQ(ev.I, 10);
    EXPECT_EQ(ev.C, 1);
    EXPECT_EQ(ev.M, 1);
    EXPECT_FALSE(ev.twelve);
    EXPECT_FALSE(ev.levelBlocksVisible);

    const SeriesData& s1 = ev.levelSeries[0];
    EXPECT_EQ(s1.name, "Block 1");
    ASSERT_EQ(s1.Count(), 1000);
    EXPECT_EQ(s1.x.front(), 0.0);
    EXPECT_EQ(s1.y.front(), 50.0);
    EXPECT_DOUBLE_EQ(s1.x.back(), 9.99);
    EXPECT_EQ(s1.y.back(), 50.0);
    for (int m = 2; m <= 12; ++m) EXPECT_TRUE(ev.levelSeries[m - 1].Empty()) << m;

    EXPECT_EQ(ev.levelTable.Cols(), 2);
    EXPECT_EQ(ev.levelTable.Rows(), 1001);
    EXPECT_EQ(ev.levelTable.Cell(0, 0), "");
    EXPECT_EQ(ev.levelTable.Cell(1, 0), "L/dB(A)");
    EXPECT_EQ(ev.levelTable.Cell(0, 1), "0,000");
    EXPECT_EQ(ev.levelTable.Cell(1, 1), " 50,0");
    EXPECT_EQ(ev.levelTable.Cell(1, 1000), " 50,0");

    EXPECT_EQ(ev.distributionTable, [] {
        TableText t(2, 2);
        t.SetCell(0, 0, "L/dB(A)");
        t.SetCell(1, 0, "    n");
        t.SetCell(0, 1, " 50,0");
        t.SetCell(1, 1, "1000");
        return t;
    }());
    ASSERT_EQ(ev.distributionBars.Count(), 1);
    EXPECT_EQ(ev.distributionBars.x[0], 50.0);
    EXPECT_EQ(ev.distributionBars.y[0], 1000.0);

    // The overview is empty, only Grid12 mirrors the level table on its hidden tab.
    for (int k = 0; k < 12; ++k) {
        EXPECT_TRUE(ev.measurementDistributions[k].Empty());
        EXPECT_TRUE(ev.overviewSeries[k].Empty());
    }
    EXPECT_EQ(ev.overviewDistributionTable.Rows(), 0);
    EXPECT_EQ(ev.overviewTable.Cols(), 2);
    EXPECT_EQ(ev.overviewTable.Rows(), 1001);
    EXPECT_EQ(ev.overviewTable.Cell(0, 0), "t/s");
    EXPECT_EQ(ev.overviewTable.Cell(1, 0), "L1");
    EXPECT_EQ(ev.overviewTable.Cell(0, 1000), "9,990");
    EXPECT_EQ(ev.overviewTable.Cell(1, 1000), " 50,0");
}

TEST(ShowTime, ProgramGShowsTheOverview) {
    const auto rec = ProgramRecord(7, [](int m, int) { return uint8_t(140 + m); });
    const Evaluation ev = EvaluateRecord(*rec, German());
    EXPECT_TRUE(ev.twelve);
    EXPECT_TRUE(ev.levelBlocksVisible);
    EXPECT_EQ(ev.levelTable.Rows(), 501);
    EXPECT_EQ(ev.levelTable.Cols(), 13);
    for (int m = 1; m <= 12; ++m) {
        SCOPED_TRACE(m);
        EXPECT_EQ(ev.levelTable.Cell(m, 0), "L/dB(A)");
        EXPECT_EQ(ev.overviewTable.Cell(m, 0), "L" + QString::number(m));
        EXPECT_EQ(ev.levelTable.Cell(m, 500), GermanFormat().Level(SampleToLevel(140 + m)));
        EXPECT_EQ(ev.levelSeries[m - 1].Count(), 500);
        EXPECT_EQ(ev.overviewSeries[m - 1].Count(), 500);
        EXPECT_EQ(ev.overviewSeries[m - 1].name, "Block" + QString::number(m));
    }
    // The whole-record distribution counts all twelve measurements.
    EXPECT_EQ(ev.distributionTable.Rows(), 13);
    EXPECT_EQ(ev.distributionTable.Cell(1, 1), " 500");
}

TEST(ShowTime, IntervalOfNoProgramKeepsMilliseconds) {
    auto rec = std::make_unique<MeasurementRecord>();
    SetHeader(*rec, 4, 1, 11, 1);
    for (int i = 0; i < 4; ++i) rec->bytes[10 + i] = 150;
    const Evaluation ev = EvaluateRecord(*rec, German());
    EXPECT_EQ(ev.levelAxisTitle, "t/");
    EXPECT_EQ(ev.levelAxisMax, 0.0);
    EXPECT_EQ(ev.overviewTable.Cell(0, 0), "t/");
    EXPECT_EQ(ev.levelTable.Cell(0, 1), "0,000");
    EXPECT_EQ(ev.levelTable.Cell(0, 2), "11,000");
    EXPECT_EQ(ev.levelTable.Cell(0, 3), "22,000");
    EXPECT_EQ(ev.levelSeries[0].x.back(), 33.0);
}

TEST(ShowTime, DistributionLeavesOutLevelsBelowZero) {
    // Samples 40 (-5 dB(A)) and 60 (5 dB(A)): both are drawn, only 60 is listed.
    const auto rec = ProgramRecord(1, [](int, int p) { return uint8_t(p % 2 ? 40 : 60); });
    const Evaluation ev = EvaluateRecord(*rec, German());
    EXPECT_EQ(ev.levelSeries[0].y[0], -5.0);
    EXPECT_EQ(ev.levelTable.Cell(1, 1), " -5,0");
    ASSERT_EQ(ev.distributionTable.Rows(), 2);
    EXPECT_EQ(ev.distributionTable.Cell(0, 1), "  5,0");
    EXPECT_EQ(ev.distributionTable.Cell(1, 1), " 500");
    ASSERT_EQ(ev.distributionBars.Count(), 1);
    EXPECT_EQ(ev.distributionBars.x[0], 5.0);
}

TEST(ShowTime, AllBelowZeroLeavesEveryDistributionEmpty) {
    const auto rec = ProgramRecord(7, Constant(40));
    const Evaluation ev = EvaluateRecord(*rec, German());
    EXPECT_EQ(ev.distributionTable.Rows(), 1);
    EXPECT_EQ(ev.distributionTable.Cell(1, 0), "    n");
    EXPECT_TRUE(ev.distributionBars.Empty());
    for (const SeriesData& s : ev.measurementDistributions) EXPECT_TRUE(s.Empty());
    ASSERT_EQ(ev.overviewDistributionTable.Rows(), 1);
    EXPECT_EQ(ev.overviewDistributionTable.Cols(), 13);
    EXPECT_EQ(ev.overviewDistributionTable.Cell(0, 0), "L/dB(A)");
    EXPECT_EQ(ev.overviewDistributionTable.Cell(12, 0), " n12");
}

TEST(ShowTime, EmptyRecordsKeepTheirHeadingRow) {
    // The all-zero record after start-up: no program, no points, no measurement.
    auto zero = std::make_unique<MeasurementRecord>();
    Evaluation ev = EvaluateRecord(*zero, German());
    EXPECT_EQ(ev.levelTable.Rows(), 1);
    EXPECT_EQ(ev.levelTable.Cols(), 1);
    EXPECT_EQ(ev.distributionTable.Rows(), 1);
    EXPECT_EQ(ev.leqTable.Rows(), 1);
    EXPECT_TRUE(ev.damageNotice.isEmpty());

    // Program A's header without points: the level column keeps its heading.
    auto noPoints = std::make_unique<MeasurementRecord>();
    SetHeader(*noPoints, 0, 1, 10, 1);
    ev = EvaluateRecord(*noPoints, German());
    EXPECT_EQ(ev.levelTable.Rows(), 1);
    EXPECT_EQ(ev.levelTable.Cols(), 2);
    EXPECT_EQ(ev.levelTable.Cell(1, 0), "L/dB(A)");
    EXPECT_TRUE(ev.levelSeries[0].Empty());
}

TEST(ShowTime, ReadsChannelOneOfEveryPoint) {
    // Two channels: channel 1 at 150, channel 2 at 200, point by point.
    auto rec = std::make_unique<MeasurementRecord>();
    SetHeader(*rec, 1000, 2, 10, 1);
    for (int p = 0; p < 1000; ++p) {
        rec->bytes[10 + 2 * p] = 150;
        rec->bytes[11 + 2 * p] = 200;
    }
    const Evaluation ev = EvaluateRecord(*rec, German());
    EXPECT_EQ(ev.C, 2);
    ASSERT_EQ(ev.levelSeries[0].Count(), 1000);
    for (double y : ev.levelSeries[0].y) ASSERT_EQ(y, 50.0);
    EXPECT_EQ(ev.distributionTable.Rows(), 2);
    EXPECT_TRUE(ev.damageNotice.isEmpty());
}

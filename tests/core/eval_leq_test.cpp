#include <gtest/gtest.h>

#include "eval/Evaluation.h"
#include "eval_records.h"

using namespace kelvarn;
using namespace kelvarn::testing;

namespace {

EvalOptions German(bool leqBox = false, bool leq12Box = false) {
    EvalOptions opt;
    opt.leqBox = leqBox;
    opt.leq12Box = leq12Box;
    opt.fmt = GermanFormat();
    return opt;
}

}  // namespace

TEST(LeqCurves, SectionsOfTheSingleMeasurementPrograms) {
    struct Case {
        int row;
        int R;        // samples per section
        int W;        // sections
        double edge;  // section length in the program's unit
    };
    const Case cases[] = {
        {1, 999, 1, 9.99},                      // A: the last sample is in no section
        {2, 166, 6, 9.96},                      // B: 999 / 6 = 166.5 rounds to the even 166
        {3, 166, 6, 0.996}, {4, 500, 12, 5.0},  // D: twelve sections cover all 6000 samples
        {6, 250, 24, 1.0},                      // F
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        // Section s sits at 25 + s dB(A); samples after the last section are at the top of
        // the scale and would show in the last section if it reached them.
        const auto rec = ProgramRecord(c.row, [&](int, int p) {
            const int s = (p - 1) / c.R;
            return uint8_t(s < c.W ? 100 + 2 * s : 255);
        });
        const Evaluation ev = EvaluateRecord(*rec, German(true));
        const NumberFormat de = GermanFormat();

        ASSERT_EQ(ev.leqTable.Rows(), c.W + 1);
        ASSERT_EQ(ev.leqTable.Cols(), 4);
        EXPECT_EQ(ev.leqTable.Cell(0, 0), "");
        EXPECT_EQ(ev.leqTable.Cell(1, 0), "LeQ");
        EXPECT_EQ(ev.leqTable.Cell(2, 0), "L01");
        EXPECT_EQ(ev.leqTable.Cell(3, 0), "L95");
        for (int s = 0; s < c.W; ++s) {
            SCOPED_TRACE(s);
            EXPECT_EQ(ev.leqTable.Cell(0, s + 1), QString::asprintf("%3d", s + 1));
            EXPECT_EQ(ev.leqTable.Cell(1, s + 1), de.Level(25 + s));
            EXPECT_EQ(ev.leqTable.Cell(2, s + 1), de.Level(25 + s));
            EXPECT_EQ(ev.leqTable.Cell(3, s + 1), de.Level(25 + s));
        }
        // Row 1 of the overview table ends with the last section.
        EXPECT_EQ(ev.overviewLeqTable.Cell(1, 1), de.Level(25 + c.W - 1));

        // Step curves: two points per section, the same value at both edges.
        const SeriesData& leq = ev.leqSeries[1];
        EXPECT_EQ(leq.name, "Leq");
        ASSERT_EQ(leq.Count(), 2 * c.W);
        EXPECT_EQ(leq.x.front(), 0.0);
        EXPECT_NEAR(leq.x[1], c.edge, 1e-9);
        EXPECT_NEAR(leq.x.back(), c.W * c.edge, 1e-9);
        EXPECT_NEAR(leq.y.back(), 25 + c.W - 1, 1e-9);
        EXPECT_EQ(ev.leqSeries[0].y.back(), 25.0 + c.W - 1);  // L95
        EXPECT_EQ(ev.leqSeries[2].y.back(), 25.0 + c.W - 1);  // L01
        EXPECT_EQ(ev.levelSeries[12].x, leq.x);
        EXPECT_EQ(ev.levelSeries[12].y, leq.y);
        for (const SeriesData& s : ev.overviewLeqSeries) EXPECT_TRUE(s.Empty());
    }
}

TEST(LeqCurves, ConstantFiftyInTheTables) {
    const auto rec = ProgramRecord(1, Constant(150));
    const Evaluation ev = EvaluateRecord(*rec, German());
    EXPECT_EQ(ev.leqTable.Cell(0, 1), "  1");
    EXPECT_EQ(ev.leqTable.Cell(1, 1), " 50,0");
    EXPECT_EQ(ev.leqTable.Cell(2, 1), " 50,0");
    EXPECT_EQ(ev.leqTable.Cell(3, 1), " 50,0");
    // LeqBox unticked: Chart1 has no LeQ curves, Chart6 has them all the same.
    for (int i = 12; i < 15; ++i) EXPECT_TRUE(ev.levelSeries[i].Empty());
    EXPECT_EQ(ev.leqSeries[1].Count(), 2);
}

TEST(LeqCurves, TwelveMeasurementsOneSectionEach) {
    // Measurement j sits at 25 + j dB(A).
    const auto rec = ProgramRecord(7, [](int m, int) { return uint8_t(100 + 2 * m); });
    const NumberFormat de = GermanFormat();

    Evaluation ev = EvaluateRecord(*rec, German(false, true));
    ASSERT_EQ(ev.overviewLeqTable.Rows(), 13);
    for (int j = 1; j <= 12; ++j) {
        SCOPED_TRACE(j);
        EXPECT_EQ(ev.overviewLeqTable.Cell(0, j), QString::asprintf("%3d", j));
        EXPECT_EQ(ev.overviewLeqTable.Cell(1, j), de.Level(25 + j));
        EXPECT_EQ(ev.overviewLeqTable.Cell(2, j), de.Level(25 + j));
        EXPECT_EQ(ev.overviewLeqTable.Cell(3, j), de.Level(25 + j));
    }
    // GridLeQ holds measurement 1 only.
    ASSERT_EQ(ev.leqTable.Rows(), 2);
    EXPECT_EQ(ev.leqTable.Cell(1, 1), " 26,0");
    EXPECT_EQ(ev.leqSeries[1].x.back(), 10.0);

    const SeriesData& leq = ev.overviewLeqSeries[0];
    EXPECT_EQ(leq.name, "LeQ");
    ASSERT_EQ(leq.Count(), 24);
    EXPECT_EQ(leq.x[8], 4.5);  // measurement 5
    EXPECT_EQ(leq.x[9], 5.5);
    EXPECT_NEAR(leq.y[8], 30.0, 1e-9);
    EXPECT_EQ(ev.overviewLeqSeries[1].y[8], 30.0);  // L01
    EXPECT_EQ(ev.overviewLeqSeries[2].y[8], 30.0);  // L95
    EXPECT_EQ(ev.overviewSeries[12].x, leq.x);      // Leq12Box ticked
    EXPECT_TRUE(ev.levelSeries[12].Empty());

    ev = EvaluateRecord(*rec, German());
    EXPECT_TRUE(ev.overviewSeries[12].Empty());
    EXPECT_EQ(ev.overviewLeqSeries[0].Count(), 24);
}

// The LeQ chart's time axis is in the program's unit, as the level chart's is: its curves end
// at 9.99 for program A (seconds) and at 24 for F (hours).
TEST(LeqCurves, TimeAxisCaptionIsInTheProgramsUnit) {
    const std::pair<int, const char*> cases[] = {
        {1, "t/s"}, {2, "t/s"}, {3, "t/min"}, {4, "t/min"}, {5, "t/h"},
        {6, "t/h"}, {7, "t/s"}, {8, "t/s"},   {9, "t/min"},
    };
    for (const auto& [row, caption] : cases) {
        SCOPED_TRACE(row);
        const auto rec = ProgramRecord(row, Constant(150));
        const Evaluation ev = EvaluateRecord(*rec, German());
        EXPECT_EQ(ev.leqAxisTitle, caption);
        EXPECT_EQ(ev.leqAxisTitle, ev.levelAxisTitle);
    }
    auto rec = std::make_unique<MeasurementRecord>();
    SetHeader(*rec, 1000, 1, 11, 1);
    EXPECT_EQ(EvaluateRecord(*rec, German()).leqAxisTitle, "t/");
}

TEST(LeqCurves, IntervalOfNoProgramHasNoSections) {
    auto rec = std::make_unique<MeasurementRecord>();
    SetHeader(*rec, 1000, 1, 11, 1);
    for (int i = 0; i < 1000; ++i) rec->bytes[10 + i] = 150;
    const Evaluation ev = EvaluateRecord(*rec, German(true, true));
    ASSERT_EQ(ev.leqTable.Rows(), 1);
    EXPECT_EQ(ev.leqTable.Cell(1, 0), "LeQ");
    ASSERT_EQ(ev.overviewLeqTable.Rows(), 13);
    EXPECT_EQ(ev.overviewLeqTable.Cell(0, 12), " 12");
    EXPECT_EQ(ev.overviewLeqTable.Cell(1, 1), "");
    for (const SeriesData& s : ev.leqSeries) EXPECT_TRUE(s.Empty());
    for (int i = 12; i < 15; ++i) EXPECT_TRUE(ev.levelSeries[i].Empty());
}

TEST(LeqCurves, QuietSectionsWriteNoRowButDrawTheirCurve) {
    // Program B, section 3 at 0 dB(A) or below: LeQ not above 0.
    const auto rec = ProgramRecord(2, [](int, int p) {
        const int s = (p - 1) / 166;
        return uint8_t(s == 2 ? (p % 2 ? 50 : 40) : 150);
    });
    const Evaluation ev = EvaluateRecord(*rec, German());
    for (int c = 0; c < 4; ++c) EXPECT_EQ(ev.leqTable.Cell(c, 3), "") << c;
    EXPECT_EQ(ev.leqTable.Cell(0, 4), "  4");
    EXPECT_LE(ev.leqSeries[1].y[4], 0.0);
    EXPECT_EQ(ev.leqSeries[1].Count(), 12);
}

TEST(LeqCurves, RefillingNeverKeepsRowsOfAnEarlierRecord) {
    const auto twelve = ProgramRecord(7, Constant(150));
    const auto quiet = ProgramRecord(1, Constant(40));
    const auto single = ProgramRecord(1, Constant(150));

    Evaluation ev = EvaluateRecord(*twelve, German(true, true));
    ASSERT_EQ(ev.overviewLeqTable.Cell(1, 12), " 50,0");

    // A single measurement only writes row 1 of Grid12Leq.
    ComputeLeqCurves(*single, German(true, true), ev);
    EXPECT_EQ(ev.overviewLeqTable.Cell(1, 1), " 50,0");
    for (int j = 2; j <= 12; ++j) EXPECT_EQ(ev.overviewLeqTable.Cell(1, j), "") << j;
    EXPECT_EQ(ev.overviewLeqTable.Cell(0, 12), " 12");
    for (const SeriesData& s : ev.overviewLeqSeries) EXPECT_TRUE(s.Empty());
    for (int i = 12; i < 15; ++i) EXPECT_TRUE(ev.overviewSeries[i].Empty());

    // A quiet section writes nothing, so its row is empty, not the earlier value.
    ComputeLeqCurves(*quiet, German(true, true), ev);
    EXPECT_EQ(ev.leqTable.Cell(1, 1), "");
    EXPECT_EQ(ev.leqTable.Cell(0, 1), "");
    EXPECT_EQ(ev.overviewLeqTable.Cell(1, 1), "");
    EXPECT_EQ(ev.levelSeries[12].Count(), 2);

    // Unticked boxes leave no curves of the earlier call behind.
    ComputeLeqCurves(*single, German(), ev);
    for (int i = 12; i < 15; ++i) EXPECT_TRUE(ev.levelSeries[i].Empty());
    EXPECT_EQ(ev.levelSeries[12].name, "LeQ");
    // The level curves are not the LeQ pass's business.
    EXPECT_EQ(ev.levelSeries[0].Count(), 500);
}

#include <gtest/gtest.h>

#include "eval/Evaluation.h"
#include "eval_records.h"

using namespace kelvarn;
using namespace kelvarn::testing;

namespace {

Evaluation Evaluate(const MeasurementRecord& rec) {
    EvalOptions opt;
    opt.fmt = GermanFormat();
    return EvaluateRecord(rec, opt);
}

}  // namespace

TEST(Overview, EachMeasurementGetsItsOwnDistributionColumn) {
    const auto rec = ProgramRecord(7, [](int m, int) { return uint8_t(100 + m); });
    const Evaluation ev = Evaluate(*rec);
    for (int k = 1; k <= 12; ++k) {
        SCOPED_TRACE(k);
        const SeriesData& bars = ev.pegel[k - 1];
        ASSERT_EQ(bars.Count(), 1);
        EXPECT_EQ(bars.x[0], (100 + k) / 2.0 - 25);
        EXPECT_EQ(bars.y[0], 500.0);
    }
    const TableText& t = ev.gridSpek12;
    ASSERT_EQ(t.Rows(), 13);
    ASSERT_EQ(t.Cols(), 13);
    EXPECT_EQ(t.Cell(0, 0), "L/dB(A)");
    EXPECT_EQ(t.Cell(1, 0), " n1");
    EXPECT_EQ(t.Cell(12, 0), " n12");
    EXPECT_EQ(t.Cell(0, 1), " 25,5");
    EXPECT_EQ(t.Cell(0, 12), " 31,0");
    for (int k = 1; k <= 12; ++k)
        for (int r = 1; r <= 12; ++r) EXPECT_EQ(t.Cell(k, r), r == k ? "500" : "") << k << "," << r;
}

TEST(Overview, LevelsMissingInBetweenGetEmptyRows) {
    // Measurement 1 has 120 and 124 only (35.0 and 37.0 dB(A)); the others stay at 37.0.
    const auto rec =
        ProgramRecord(7, [](int m, int p) { return uint8_t(m == 1 && p <= 200 ? 120 : 124); });
    const Evaluation ev = Evaluate(*rec);
    const TableText& t = ev.gridSpek12;
    ASSERT_EQ(t.Rows(), 6);
    const char* levels[] = {" 35,0", " 35,5", " 36,0", " 36,5", " 37,0"};
    for (int r = 1; r <= 5; ++r) EXPECT_EQ(t.Cell(0, r), levels[r - 1]);
    EXPECT_EQ(t.Cell(1, 1), "200");
    EXPECT_EQ(t.Cell(1, 2), "");
    EXPECT_EQ(t.Cell(1, 3), "");
    EXPECT_EQ(t.Cell(1, 4), "");
    EXPECT_EQ(t.Cell(1, 5), "300");
    EXPECT_EQ(t.Cell(2, 1), "");
    EXPECT_EQ(t.Cell(2, 5), "500");
}

TEST(Overview, CurvesSitSideBySideOnTheMeasurementAxis) {
    struct Case {
        int row;
        int m;
        double first, last;
    };
    const Case cases[] = {
        {7, 1, 0.5, 1.498},  // G: 0 .. 9.98 s
        {7, 12, 11.5, 12.498},
        {9, 3, 2.5, 3.498},  // I: 0 .. 9.98 min
        {8, 1, 0.5, 6.488},  // H: 0 .. 59.88 s, six axis units
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row * 100 + c.m);
        const auto rec = ProgramRecord(c.row, Constant(150));
        const Evaluation ev = Evaluate(*rec);
        const SeriesData& s = ev.chart3[c.m - 1];
        ASSERT_EQ(s.Count(), 500);
        EXPECT_DOUBLE_EQ(s.x.front(), c.first);
        EXPECT_DOUBLE_EQ(s.x.back(), c.last);
        EXPECT_EQ(s.y.back(), 50.0);
    }
}

#include <gtest/gtest.h>

#include "eval/Evaluation.h"
#include "eval/Overview.h"
#include "eval/Readout.h"
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
        const SeriesData& bars = ev.measurementDistributions[k - 1];
        ASSERT_EQ(bars.Count(), 1);
        EXPECT_EQ(bars.x[0], (100 + k) / 2.0 - 25);
        EXPECT_EQ(bars.y[0], 500.0);
    }
    const TableText& t = ev.overviewDistributionTable;
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
    const TableText& t = ev.overviewDistributionTable;
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
        const SeriesData& s = ev.overviewSeries[c.m - 1];
        ASSERT_EQ(s.Count(), 500);
        EXPECT_DOUBLE_EQ(s.x.front(), c.first);
        EXPECT_DOUBLE_EQ(s.x.back(), c.last);
        EXPECT_EQ(s.y.back(), 50.0);
    }
}

// The read-out of a chart point: measurement, curve, time and level in the user's numbers.
TEST(ChartReadout, NamesCurveMeasurementTimeAndLevel) {
    const NumberFormat de = GermanFormat();
    const ReadoutClock seconds{"s", std::nullopt};
    struct Case {
        QString curve;
        int measurement;
        std::optional<double> t;
        ReadoutClock clock;
        double level;
        const char* text;
    };
    const Case cases[] = {
        {"Block 1", 0, 2.17, seconds, 33.5, "Block 1: t = 2,170 s, L = 33,5 dB(A)"},
        {"Leq", 0, 12.25, {"h", std::nullopt}, 60, "Leq: t = 12,250 h, L = 60,0 dB(A)"},
        {"", 3, 4.56, seconds, 28, "Messung 3: t = 4,560 s, L = 28,0 dB(A)"},
        {"LeQ", 5, std::nullopt, seconds, 30, "Messung 5, LeQ: L = 30,0 dB(A)"},
        {"Block 1", 0, 11.0, {"", std::nullopt}, -2.5, "Block 1: t = 11,000, L = -2,5 dB(A)"},
        // With the start known, the time of day: 14:00:00 + 1.5 h; and round the clock.
        {"Leq", 0, 1.5, {"h", QTime(14, 0)}, 50, "Leq: 15:30:00, L = 50,0 dB(A)"},
        {"Block 1", 0, 90, {"min", QTime(23, 0)}, 50, "Block 1: 00:30:00, L = 50,0 dB(A)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadoutText(c.curve, c.measurement, c.t, c.clock, c.level, de), c.text);
}

TEST(ChartReadout, OverviewXGivesBackTheTimeInTheMeasurement) {
    // Program G: measurement 3 at t = 4.56 s lies at x = 2.5 + 0.456; H's run past the next.
    for (const auto& [m, t] : {std::pair{3, 4.56}, std::pair{1, 0.0}, std::pair{12, 59.88}}) {
        const OverviewPoint p = FromOverviewX(m, OverviewX(m, t));
        EXPECT_EQ(p.measurement, m);
        EXPECT_NEAR(p.t, t, 1e-9);
    }
}

#include <gtest/gtest.h>

#include "eval/Evaluation.h"
#include "eval_records.h"

using namespace kelvarn;
using namespace kelvarn::testing;

TEST(MeasurementDistribution, OneLevelGivesOneRowAndOneBar) {
    // Measurement 3 at 120 (35.0 dB(A)), the others louder.
    const auto rec = ProgramRecord(7, [](int m, int) { return uint8_t(m == 3 ? 120 : 200); });
    const SingleDistribution d = MeasurementDistribution(*rec, 3, GermanFormat());
    TableText expected(2, 2);
    expected.SetCell(0, 0, "L/dB(A)");
    expected.SetCell(1, 0, "   n");
    expected.SetCell(0, 1, " 35,0");
    expected.SetCell(1, 1, " 500");
    EXPECT_EQ(d.table, expected);
    ASSERT_EQ(d.bars.Count(), 1);
    EXPECT_EQ(d.bars.x[0], 35.0);
    EXPECT_EQ(d.bars.y[0], 500.0);
    EXPECT_EQ(d.title, "3. Verteilung");
}

TEST(MeasurementDistribution, LevelsBelowZeroLeaveOnlyTheHeading) {
    const auto rec = ProgramRecord(7, [](int m, int) { return uint8_t(m == 5 ? 40 : 150); });
    const SingleDistribution d = MeasurementDistribution(*rec, 5, GermanFormat());
    EXPECT_EQ(d.table.Rows(), 1);
    EXPECT_EQ(d.table.Cell(1, 0), "   n");
    EXPECT_TRUE(d.bars.Empty());
    EXPECT_EQ(d.title, "5. Verteilung");
}

TEST(MeasurementDistribution, RowsRiseToTheLoudestClass) {
    const auto rec = ProgramRecord(
        8, [](int m, int p) { return uint8_t(m == 12 ? (p % 3 == 0 ? 255 : 100 + p % 3) : 0); });
    const SingleDistribution d = MeasurementDistribution(*rec, 12, GermanFormat());
    ASSERT_EQ(d.table.Rows(), 4);
    EXPECT_EQ(d.table.Cell(0, 1), " 25,5");
    EXPECT_EQ(d.table.Cell(0, 2), " 26,0");
    EXPECT_EQ(d.table.Cell(0, 3), "102,5");
    EXPECT_EQ(d.table.Cell(1, 3), " 166");
    EXPECT_EQ(d.bars.x.back(), 102.5);
}

TEST(MeasurementDistribution, NoChartMeansMeasurementOne) {
    const auto rec = ProgramRecord(1, Constant(150));
    const SingleDistribution d = MeasurementDistribution(*rec, 0, GermanFormat());
    EXPECT_EQ(d.title, "1. Verteilung");
    EXPECT_EQ(d.table.Cell(1, 1), "1000");
}

TEST(EvaluationLookup, ControlNamesFindTheirOutputs) {
    const auto rec = ProgramRecord(7, Constant(150));
    const Evaluation ev = EvaluateRecord(*rec, EvalOptions{});
    EXPECT_EQ(TableByName(ev, "grid"), &ev.levelTable);
    EXPECT_EQ(TableByName(ev, "gridspek"), &ev.distributionTable);
    EXPECT_EQ(TableByName(ev, "Grid12"), &ev.overviewTable);
    EXPECT_EQ(TableByName(ev, "GridLeQ"), &ev.leqTable);
    EXPECT_EQ(TableByName(ev, "Grid12Leq"), &ev.overviewLeqTable);
    EXPECT_EQ(TableByName(ev, "GridSpek12"), &ev.overviewDistributionTable);
    EXPECT_EQ(TableByName(ev, "Grid"), nullptr);
    EXPECT_EQ(TableByName(ev, ""), nullptr);

    const auto chart1 = ChartByName(ev, "Chart1");
    ASSERT_EQ(chart1.size(), 15u);
    EXPECT_EQ(chart1[0], &ev.levelSeries[0]);
    EXPECT_EQ(chart1[14]->name, "L95");
    EXPECT_EQ(ChartByName(ev, "Chart2"), std::vector<const SeriesData*>{&ev.distributionBars});
    EXPECT_EQ(ChartByName(ev, "Chart3").size(), 15u);
    EXPECT_EQ(ChartByName(ev, "Chart6").at(0)->name, "L95");
    EXPECT_EQ(ChartByName(ev, "Chart12Leq").at(2)->name, "L95");
    EXPECT_EQ(ChartByName(ev, "Pegel1"),
              std::vector<const SeriesData*>{&ev.measurementDistributions[0]});
    EXPECT_EQ(ChartByName(ev, "Pegel12"),
              std::vector<const SeriesData*>{&ev.measurementDistributions[11]});
    for (const char* bad : {"Pegel0", "Pegel13", "Pegel01", "Pegel", "pegel1", "Chart4"})
        EXPECT_TRUE(ChartByName(ev, bad).empty()) << bad;
}

TEST(EvaluationLookup, NamesByMeaningFindWhatTheirControlNamesFind) {
    const auto rec = ProgramRecord(7, Constant(150));
    const Evaluation ev = EvaluateRecord(*rec, EvalOptions{});
    const struct {
        const char* meaning;
        const char* control;
        const TableText* table;
    } tables[] = {
        {"levelTable", "grid", &ev.levelTable},
        {"distributionTable", "gridspek", &ev.distributionTable},
        {"overviewTable", "Grid12", &ev.overviewTable},
        {"leqTable", "GridLeQ", &ev.leqTable},
        {"overviewLeqTable", "Grid12Leq", &ev.overviewLeqTable},
        {"overviewDistributionTable", "GridSpek12", &ev.overviewDistributionTable},
        {"figuresTable", "GridKennwerte", &ev.figuresTable},
    };
    for (const auto& t : tables) {
        EXPECT_EQ(TableByName(ev, t.meaning), t.table) << t.meaning;
        EXPECT_EQ(TableByName(ev, t.control), t.table) << t.control;
    }
    const struct {
        const char* meaning;
        const char* control;
        const SeriesData* first;
    } charts[] = {
        {"levelChart", "Chart1", &ev.levelSeries[0]},
        {"distributionChart", "Chart2", &ev.distributionBars},
        {"overviewChart", "Chart3", &ev.overviewSeries[0]},
        {"leqChart", "Chart6", &ev.leqSeries[0]},
        {"overviewLeqChart", "Chart12Leq", &ev.overviewLeqSeries[0]},
        {"distribution1", "Pegel1", &ev.measurementDistributions[0]},
        {"distribution12", "Pegel12", &ev.measurementDistributions[11]},
    };
    for (const auto& c : charts) {
        SCOPED_TRACE(c.meaning);
        const auto byMeaning = ChartByName(ev, c.meaning);
        ASSERT_FALSE(byMeaning.empty());
        EXPECT_EQ(byMeaning.front(), c.first);
        EXPECT_EQ(byMeaning, ChartByName(ev, c.control));
    }
    for (const char* bad : {"distribution0", "distribution13", "distribution01", "LevelTable"})
        EXPECT_TRUE(TableByName(ev, bad) == nullptr && ChartByName(ev, bad).empty()) << bad;
}

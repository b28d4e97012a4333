#include <gtest/gtest.h>

#include "eval/Evaluation.h"
#include "eval_records.h"

using namespace kelvarn;
using namespace kelvarn::testing;

// Headers of foreign or damaged files that ask for more than a record holds. Every sample
// byte is 150, so that any level other than 50.0 would come from outside the samples.
TEST(DamagedRecord, EvaluatesOnlyWhatLiesInsideTheRecord) {
    struct Case {
        const char* what;
        int points, channels, interval, measurements;
        int shownMeasurements;  // level columns
        int rows;               // points of measurement 1
        int lastPoints;         // points of the last shown measurement
        const char* notice;     // part of the notice, empty for a sound record
    };
    const Case cases[] = {
        {"6000 points x 12", 6000, 1, 20, 12, 2, 6000, 136, "mehr Messwerte"},
        {"200 measurements of G", 500, 1, 20, 200, 12, 500, 500, "200 Messungen"},
        {"200 measurements of A", 1000, 1, 10, 200, 7, 1000, 136, "200 Messungen"},
        {"65535 points", 65535, 1, 10, 1, 1, 6136, 6136, "mehr Messwerte"},
        {"four channels, last point cut", 1535, 4, 10, 1, 1, 1534, 1534, "mehr Messwerte"},
        {"four channels, exactly full", 1534, 4, 10, 1, 1, 1534, 1534, ""},
        {"13 measurements", 10, 1, 10, 13, 12, 10, 10, "13 Messungen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto rec = std::make_unique<MeasurementRecord>();
        SetHeader(*rec, c.points, c.channels, c.interval, c.measurements);
        for (int i = 10; i < MeasurementRecord::kSize; ++i) rec->bytes[i] = 150;

        EvalOptions opt;
        opt.leqBox = opt.leq12Box = true;
        opt.fmt = GermanFormat();
        const Evaluation ev = EvaluateRecord(*rec, opt);

        EXPECT_EQ(ev.P, c.points);
        EXPECT_EQ(ev.M, c.measurements);
        if (*c.notice) {
            EXPECT_TRUE(ev.damageNotice.startsWith(" Die Datei ist beschädigt: "))
                << ev.damageNotice.toStdString();
            EXPECT_TRUE(ev.damageNotice.contains(c.notice)) << ev.damageNotice.toStdString();
        } else {
            EXPECT_TRUE(ev.damageNotice.isEmpty());
        }
        EXPECT_EQ(ev.levelTable.Cols(), c.shownMeasurements + 1);
        EXPECT_EQ(ev.levelTable.Rows(), c.rows + 1);
        EXPECT_EQ(ev.overviewTable.Cols(), c.shownMeasurements + 1);
        EXPECT_EQ(ev.levelSeries[0].Count(), c.rows);
        EXPECT_EQ(ev.levelSeries[c.shownMeasurements - 1].Count(), c.lastPoints);
        for (int m = c.shownMeasurements + 1; m <= 12; ++m)
            EXPECT_TRUE(ev.levelSeries[m - 1].Empty()) << m;
        EXPECT_EQ(ev.levelTable.Cell(c.shownMeasurements, c.lastPoints), " 50,0");
        EXPECT_EQ(ev.levelTable.Cell(c.shownMeasurements, c.lastPoints + 1), "");

        // Nothing but the 150s inside the record was read.
        for (const SeriesData& s : ev.levelSeries)
            for (double y : s.y) ASSERT_GE(y, 49.5);
        ASSERT_EQ(ev.distributionBars.Count(), 1);
        EXPECT_EQ(ev.distributionBars.x[0], 50.0);
        for (const SeriesData& s : ev.measurementDistributions)
            for (double x : s.x) ASSERT_EQ(x, 50.0);
        for (int j = 1; j <= 12; ++j) {
            const QString leq = ev.overviewLeqTable.Cell(1, j);
            if (!leq.isEmpty()) {
                EXPECT_EQ(leq, " 50,0") << j;
            }
        }
    }
}

TEST(DamagedRecord, TwelveMeasurementsOfTooManyPoints) {
    auto rec = std::make_unique<MeasurementRecord>();
    SetHeader(*rec, 6000, 1, 20, 12);
    for (int i = 10; i < MeasurementRecord::kSize; ++i) rec->bytes[i] = 150;
    EvalOptions opt;
    opt.fmt = GermanFormat();
    const Evaluation ev = EvaluateRecord(*rec, opt);
    EXPECT_TRUE(ev.twelve);
    // Measurement 2 has 136 samples inside, the later ones none.
    EXPECT_EQ(ev.measurementDistributions[0].y.at(0), 6000.0);
    EXPECT_EQ(ev.measurementDistributions[1].y.at(0), 136.0);
    for (int k = 3; k <= 12; ++k) EXPECT_TRUE(ev.measurementDistributions[k - 1].Empty()) << k;
    EXPECT_EQ(ev.overviewDistributionTable.Cell(1, 1), "6000");
    EXPECT_EQ(ev.overviewDistributionTable.Cell(2, 1), "136");
    EXPECT_EQ(ev.overviewDistributionTable.Cell(3, 1), "");
    EXPECT_EQ(ev.overviewLeqTable.Cell(1, 2), " 50,0");
    EXPECT_EQ(ev.overviewLeqTable.Cell(1, 3), "");
    EXPECT_EQ(ev.overviewLeqSeries[0].Count(), 4);  // two measurements, two edges each

    const SingleDistribution outside = MeasurementDistribution(*rec, 12, opt.fmt);
    EXPECT_EQ(outside.table.Rows(), 1);
    EXPECT_TRUE(outside.bars.Empty());
}

TEST(DamagedRecord, SectionsOfAbsentMeasurementsStayInsideTheRecord) {
    // Neither 1 nor 12 measurements: the LeQ pass walks measurements 1 to 12 and would reach
    // past the record from measurement 7 on.
    auto rec = std::make_unique<MeasurementRecord>();
    SetHeader(*rec, 1000, 1, 10, 3);
    for (int i = 10; i < MeasurementRecord::kSize; ++i) rec->bytes[i] = 150;
    EvalOptions opt;
    opt.fmt = GermanFormat();
    const Evaluation ev = EvaluateRecord(*rec, opt);
    EXPECT_TRUE(ev.damageNotice.isEmpty());
    EXPECT_EQ(ev.levelTable.Cols(), 4);
    EXPECT_EQ(ev.overviewLeqTable.Cell(1, 7), " 50,0");  // 136 bytes inside
    EXPECT_EQ(ev.overviewLeqTable.Cell(1, 12), "");      // none inside
}

TEST(DamagedRecord, NoActiveChannelCountsWithoutWrapping) {
    // Without an active channel every point reads the first sample byte; 12 x 6000 of them
    // are more than a 16-bit counter holds.
    auto rec = std::make_unique<MeasurementRecord>();
    SetHeader(*rec, 6000, 0, 20, 12);
    rec->bytes[10] = 150;
    EvalOptions opt;
    opt.fmt = GermanFormat();
    const Evaluation ev = EvaluateRecord(*rec, opt);
    EXPECT_TRUE(ev.damageNotice.isEmpty());
    ASSERT_EQ(ev.distributionTable.Rows(), 2);
    EXPECT_EQ(ev.distributionTable.Cell(1, 1), "72000");
    EXPECT_EQ(ev.distributionBars.y.at(0), 72000.0);
}

#include <gtest/gtest.h>

#include "data/MeasurementRecord.h"
#include "data/ProgramCode.h"
#include "data/ProgramTable.h"

using namespace kelvarn;

TEST(ProgramTable, EveryRowKeepsItsInvariants) {
    const ProgramTable& t = Programs();
    const int keyLengths[9] = {298, 298, 320, 342, 344, 344, 316, 316, 362};
    for (int r = 1; r <= 9; ++r) {
        const ProgramRow& row = t.Row(r);
        SCOPED_TRACE(r);
        EXPECT_EQ(int64_t(row.Points) * row.IntervalMs,
                  int64_t(row.Duration) * TimeDivisor(row.DurationUnit));
        EXPECT_LE(row.Points * row.Measurements, 6000);
        EXPECT_EQ(row.BinFileName, QString(ProgramLetter(r)) + ".BIN");
        EXPECT_EQ(row.KeyProgram.size(), keyLengths[r - 1]);
        EXPECT_EQ(row.TimedProgram.size(), r <= 6 ? 776 : 796);
        const auto image = TimedProgramImage(row.TimedProgram);
        for (int pos : {68, 73, 78, 313}) EXPECT_EQ(image[pos - 1], 0) << pos;
        // Positions after the decoded text keep their filler.
        EXPECT_EQ(image[399], 255);
        EXPECT_EQ(t.RowForInterval(row.IntervalMs), r);
    }
    EXPECT_TRUE(Programs().Row(0).BinFileName.isEmpty());
    EXPECT_TRUE(Programs().Row(10).BinFileName.isEmpty());
}

TEST(ProgramTable, LookupsByInterval) {
    const ProgramTable& t = Programs();
    EXPECT_EQ(t.RowForInterval(10), 1);
    EXPECT_EQ(t.RowForInterval(14400), 6);
    EXPECT_EQ(t.RowForInterval(20), 7);
    const ProgramRow& none = t.ProgramForInterval(11);
    EXPECT_TRUE(none.BinFileName.isEmpty());
    EXPECT_TRUE(none.DurationUnit.isEmpty());
    EXPECT_EQ(none.Points, 0);
    EXPECT_EQ(none.LeqSections, 0);
    EXPECT_EQ(none.IntervalMs, 0);
}

TEST(ProgramTable, UnbuiltTableIsEmpty) {
    ProgramTable t;
    EXPECT_EQ(t.Row(1).Points, 0);
    EXPECT_EQ(t.RowForInterval(0), 0);
    t.Build();
    EXPECT_EQ(t.Row(1).Points, 1000);
}

TEST(ProgramTable, TimeDivisorComparesExactly) {
    EXPECT_EQ(TimeDivisor("s"), 1000);
    EXPECT_EQ(TimeDivisor("min"), 60000);
    EXPECT_EQ(TimeDivisor("h"), 3600000);
    EXPECT_EQ(TimeDivisor(""), 1);
    EXPECT_EQ(TimeDivisor("S"), 1);
}

TEST(ProgramTable, ListsShownToTheUser) {
    const QStringList items = ProgramChoiceItems();
    ASSERT_EQ(items.size(), 9);
    EXPECT_EQ(items[1], "B -  1 Minute ");
    EXPECT_EQ(items[8], "I - 12 x 10 Minuten");
    const QStringList memo = ProgramOverviewLines();
    ASSERT_EQ(memo.size(), 12);
    EXPECT_EQ(memo[6], " E  1 x  6 h      6000 x  3,6 s");
    EXPECT_TRUE(memo[8].isEmpty());
}

TEST(ProgramTable, ProgramNamesAsAPersonReadsThem) {
    const char* const names[] = {
        "Programm A, 10 s",      "Programm B, 1 min",      "Programm C, 6 min",
        "Programm D, 1 h",       "Programm E, 6 h",        "Programm F, 24 h",
        "Programm G, 12 × 10 s", "Programm H, 12 × 1 min", "Programm I, 12 × 10 min",
    };
    for (int r = 1; r <= 9; ++r) EXPECT_EQ(ProgramName(r), QString::fromUtf8(names[r - 1])) << r;
    EXPECT_EQ(ProgramName(0), QString());
    EXPECT_EQ(ProgramName(10), QString());
}

TEST(ProgramCode, OwnProgramsIdentifyThemselves) {
    for (int r = 1; r <= 9; ++r) {
        auto key = IdentifyProgram(KeyProgramBytes(Programs().Row(r).KeyProgram));
        ASSERT_TRUE(key) << r;
        EXPECT_EQ(key->row, r);
        EXPECT_FALSE(key->timed);
        auto image = TimedProgramImage(Programs().Row(r).TimedProgram);
        image[67] = 2;
        image[72] = 4;
        image[77] = 30;
        auto timed = IdentifyProgram(std::vector<uint8_t>(image.begin(), image.begin() + 400));
        ASSERT_TRUE(timed) << r;
        EXPECT_EQ(timed->row, r);
        EXPECT_TRUE(timed->timed);
        EXPECT_EQ(timed->delayHours, 2);
        EXPECT_EQ(timed->delayMinutes, 4);
        EXPECT_EQ(timed->delaySeconds, 30);
    }
    EXPECT_FALSE(IdentifyProgram({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_FALSE(IdentifyProgram({}));
}

TEST(ProgramCode, TimedWordsAreStoredLowByteFirst) {
    const auto image = TimedProgramImage("12AB34");
    EXPECT_EQ(image[0], 0xAB);
    EXPECT_EQ(image[1], 0x12);
    // "34" starts a group (4g+1 = 5 < 6) whose missing digits read as 0.
    EXPECT_EQ(image[2], 0x00);
    EXPECT_EQ(image[3], 0x34);
    EXPECT_EQ(image[4], 255);
    EXPECT_EQ(KeyProgramBytes("0AFF1"), (std::vector<uint8_t>{0x0A, 0xFF}));
}

struct HeaderCase {
    std::vector<int> header;
    int points, channels, interval, measurements, total, row;
};

TEST(MeasurementRecord, AccessorsOnHeaders) {
    const HeaderCase cases[] = {
        {{0x03, 0xE8, 1, 0, 0, 0, 0x00, 0x09, 1, 1}, 1000, 1, 10, 1, 1000, 1},
        {{0x01, 0xF4, 1, 0, 0, 0, 0x04, 0xAF, 1, 0x0C}, 500, 1, 1200, 12, 6000, 9},
        {{0, 0, 1, 2, 0, 0, 0x00, 0x08, 0, 0}, 0, 2, 10, 0, 0, 1},
        {{0x17, 0x70, 1, 0, 0, 0, 0x00, 0x09, 1, 1}, 6000, 1, 10, 1, 6000, 1},  // no such program
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0, 0, 0, 0, 1},
        // 16-bit wrap: 0xFFFF + 4 channels, 60000 * 4 * 12.
        {{0xEA, 0x60, 1, 1, 1, 1, 0xFF, 0xFF, 4, 12}, 60000, 4, 3, 12, (60000 * 4 * 12) % 65536, 1},
    };
    for (const HeaderCase& c : cases) {
        MeasurementRecord rec;
        for (size_t i = 0; i < c.header.size(); ++i) rec.bytes[i] = uint8_t(c.header[i]);
        SCOPED_TRACE(c.points);
        EXPECT_EQ(GetPoints(rec), c.points);
        EXPECT_EQ(GetChannels(rec), c.channels);
        EXPECT_EQ(GetInterval(rec), c.interval);
        EXPECT_EQ(GetMeasurements(rec), c.measurements);
        EXPECT_EQ(GetSampleTotal(rec), c.total);
        EXPECT_EQ(FindProgramRow(rec), c.row);
    }
}

TEST(MeasurementRecord, BuildHeaderGivesTheRowBack) {
    MeasurementRecord f;
    f.bytes[10] = 77;
    BuildHeader(f, 6);
    EXPECT_EQ(std::vector<int>(f.bytes.begin(), f.bytes.begin() + 10),
              (std::vector<int>{0x17, 0x70, 1, 0, 0, 0, 0x38, 0x3F, 1, 1}));
    EXPECT_EQ(f.bytes[10], 77);
    MeasurementRecord g;
    BuildHeader(g, 7);
    EXPECT_EQ(std::vector<int>(g.bytes.begin(), g.bytes.begin() + 10),
              (std::vector<int>{0x01, 0xF4, 1, 0, 0, 0, 0x00, 0x13, 1, 0x0C}));
    for (int r = 1; r <= 9; ++r) {
        MeasurementRecord rec;
        BuildHeader(rec, r);
        EXPECT_EQ(GetPoints(rec), Programs().Row(r).Points);
        EXPECT_EQ(GetInterval(rec), Programs().Row(r).IntervalMs);
        EXPECT_EQ(GetMeasurements(rec), Programs().Row(r).Measurements);
        EXPECT_EQ(FindProgramRow(rec), r);
    }
}

TEST(MeasurementRecord, LevelCoding) {
    EXPECT_DOUBLE_EQ(SampleToLevel(0), -25.0);
    EXPECT_DOUBLE_EQ(SampleToLevel(50), 0.0);
    EXPECT_DOUBLE_EQ(SampleToLevel(150), 50.0);
    EXPECT_DOUBLE_EQ(SampleToLevel(255), 102.5);
    EXPECT_EQ(LevelToSample(63.5), 177);
    EXPECT_EQ(LevelToSample(45.5), 141);
    // Halves go to the even neighbour.
    EXPECT_EQ(LevelToSample(-24.75), 0);
    EXPECT_EQ(LevelToSample(-24.25), 2);
    for (int v = 0; v < 256; ++v) EXPECT_EQ(LevelToSample(SampleToLevel(v)), v);
}

// The arithmetic of the live level and of its take-over into the record.
#include <gtest/gtest.h>

#include "cell/LiveLevel.h"
#include "data/MeasurementRecord.h"

using namespace kelvarn;

TEST(LiveLevelTest, TimeAxisCountsSamplesInTheProgramsUnit) {
    struct Row {
        int k, row;
        double x;
    };
    const Row rows[] = {
        {0, 1, 0.0},       {999, 1, 9.99},  // A: 10 ms, s
        {999, 2, 59.94},                    // B: 60 ms, s
        {500, 3, 3.0},                      // C: 360 ms, min
        {5999, 6, 23.996},                  // F: 14400 ms, h
        {499, 9, 9.98},                     // I: 1200 ms, min
    };
    for (const Row& r : rows) EXPECT_NEAR(LiveTime(r.k, r.row), r.x, 1e-9) << r.k << " " << r.row;
}

TEST(LiveLevelTest, RoundingTakesHalvesToTheEvenNeighbour) {
    const std::pair<double, int> rows[] = {{52.5, 52}, {53.5, 54},   {60.0, 60},   {0.5, 0},
                                           {1.5, 2},   {-24.5, -24}, {-23.5, -24}, {63.4, 63},
                                           {63.6, 64}, {102.5, 102}};
    for (auto [v, n] : rows) EXPECT_EQ(RoundHalfEven(v), n) << v;
}

TEST(LiveLevelTest, EndComesWithTheLastSampleOfTheSelectedProgram) {
    EXPECT_FALSE(LiveEndReached(1000, 997));
    EXPECT_TRUE(LiveEndReached(1000, 999)) << "the tick that shows sample 1000";
    EXPECT_TRUE(LiveEndReached(0, 0)) << "no program selected";
}

TEST(LiveLevelTest, TakeOverWritesHeaderAndOneByteAPoint) {
    MeasurementRecord rec;
    rec.bytes.fill(0x33);
    std::vector<double> levels(100, 45.5);
    levels[1] = 63.5;
    levels[2] = -24.5;
    ASSERT_TRUE(TakeOverLive(rec, 1, levels));

    MeasurementRecord header;
    BuildHeader(header, 1);
    EXPECT_TRUE(std::equal(rec.bytes.begin(), rec.bytes.begin() + 10, header.bytes.begin()));
    EXPECT_EQ(rec.bytes[10], 141) << "45.5 dB(A)";
    EXPECT_EQ(rec.bytes[11], 177) << "63.5 dB(A)";
    EXPECT_EQ(rec.bytes[12], 1) << "-24.5 dB(A)";
    EXPECT_EQ(rec.bytes[109], 141);
    EXPECT_EQ(rec.bytes[110], 0) << "samples behind the curve are no levels";
    EXPECT_EQ(rec.bytes.back(), 0);
}

TEST(LiveLevelTest, TakeOverWithoutAProgramRowChangesNothing) {
    MeasurementRecord rec;
    rec.bytes.fill(0x33);
    const MeasurementRecord before = rec;
    for (int row : {-1, 0, 10}) {
        EXPECT_FALSE(TakeOverLive(rec, row, {45.5}));
        EXPECT_EQ(rec, before);
    }
}

TEST(LiveLevelTest, TakeOverStopsAtTheEndOfTheRecord) {
    struct Guarded {
        MeasurementRecord rec;
        std::array<uint8_t, 64> guard;
    } g;
    g.guard.fill(0xAB);
    ASSERT_TRUE(TakeOverLive(g.rec, 4, std::vector<double>(7000, 50.0)));
    EXPECT_EQ(g.rec.bytes[MeasurementRecord::kSize - 1], 150);
    for (uint8_t b : g.guard) ASSERT_EQ(b, 0xAB);
}

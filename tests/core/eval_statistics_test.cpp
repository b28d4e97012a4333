#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "eval/LevelStatistics.h"
#include "eval_records.h"

using namespace kelvarn;
using namespace kelvarn::testing;

namespace {

// A record whose samples from offset 10 on are the given bytes.
std::unique_ptr<MeasurementRecord> WithSamples(const std::vector<uint8_t>& samples) {
    auto rec = std::make_unique<MeasurementRecord>();
    for (size_t i = 0; i < samples.size(); ++i) rec->bytes[10 + i] = samples[i];
    return rec;
}

std::vector<uint8_t> Repeat(uint8_t v, int n) {
    return std::vector<uint8_t>(size_t(n), v);
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(LevelStatistics, ConstantLevelGivesItselfBackWithTheOneStepRule) {
    const auto rec = WithSamples(Repeat(150, 1000));
    const LevelStats st = LevelStatistics(*rec, 1000, 10);
    EXPECT_NEAR(st.LeQ, 50.0, 1e-9);
    EXPECT_EQ(st.L95, 50.5);  // above L01 on a constant level
    EXPECT_EQ(st.L01, 49.5);
    const NumberFormat de = GermanFormat();
    EXPECT_EQ(de.Level(st.LeQ), " 50,0");
    EXPECT_EQ(de.Level(st.L95), " 50,5");
    EXPECT_EQ(de.Level(st.L01), " 49,5");
}

TEST(LevelStatistics, LeqIsTheEnergeticMean) {
    // Half at 25 dB(A), half at 65 dB(A): the loud half dominates.
    const auto rec = WithSamples(Repeat(100, 500) + Repeat(180, 500));
    const double expected = 10.0 * std::log10((std::pow(10.0, 2.5) + std::pow(10.0, 6.5)) / 2);
    EXPECT_NEAR(LevelStatistics(*rec, 1000, 10).LeQ, expected, 1e-4);
}

TEST(LevelStatistics, PercentileThresholdsAndWalks) {
    struct Case {
        const char* what;
        std::vector<uint8_t> samples;
        double l95, l01;
    };
    const std::vector<Case> cases = {
        // 10 samples: T95 = 0.5 rounds away from zero to 1, T01 = 0.1 rounds to 0.
        {"ten samples", Repeat(100, 5) + Repeat(110, 5), 25.5, 102.0},
        // Below 50 samples the L01 walk stops after its first step.
        {"49 samples", Repeat(150, 49), 50.5, 102.0},
        // 50 samples: T01 = 0.5 rounds up to 1.
        {"50 samples", Repeat(150, 50), 50.5, 49.5},
        // Below 10 samples the L95 walk stops after its first step.
        {"9 samples", Repeat(150, 9), -24.5, 102.0},
        // 30 samples: T95 = 1.5 rounds to 2, so the second-quietest sample decides.
        {"T95 rounds 1.5 up", Repeat(100, 1) + Repeat(110, 1) + Repeat(150, 28), 30.5, 102.0},
        // 150 samples: T01 = 1.5 rounds to 2, so the second-loudest sample decides.
        {"T01 rounds 1.5 up", Repeat(200, 1) + Repeat(190, 1) + Repeat(150, 148), 50.5, 69.5},
        // The walks may end beyond either end of the scale.
        {"all at the top", Repeat(255, 100), 103.0, 102.0},
        {"all at the bottom", Repeat(0, 100), -24.5, -25.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto rec = WithSamples(c.samples);
        const LevelStats st = LevelStatistics(*rec, int(c.samples.size()), 10);
        EXPECT_EQ(st.L95, c.l95);
        EXPECT_EQ(st.L01, c.l01);
    }
}

TEST(LevelStatistics, CountsOnlyBytesOfTheGivenRun) {
    // Loud bytes on both sides of the run must not leak into it.
    const auto rec = WithSamples(Repeat(255, 5) + Repeat(150, 20) + Repeat(255, 5));
    const LevelStats st = LevelStatistics(*rec, 20, 15);
    EXPECT_NEAR(st.LeQ, 50.0, 1e-9);
    const auto h = LevelHistogram(*rec, 20, 15);
    EXPECT_EQ(h[150], 20);
    EXPECT_EQ(h[255], 0);
}

TEST(LevelStatistics, NoSamplesGiveTheBottomOfTheScale) {
    const auto rec = WithSamples(Repeat(150, 100));
    for (int n : {0, -5}) {
        const LevelStats st = LevelStatistics(*rec, n, 10);
        EXPECT_EQ(st.LeQ, -25.0) << n;
        EXPECT_EQ(st.L95, -25.0) << n;
        EXPECT_EQ(st.L01, -25.0) << n;
        EXPECT_FALSE(std::isnan(st.LeQ));
    }
    // A run wholly beyond the record has no samples either.
    EXPECT_EQ(LevelStatistics(*rec, 100, MeasurementRecord::kSize).LeQ, -25.0);
}

TEST(LevelStatistics, RunsReachingPastTheRecordUseOnlyTheBytesInside) {
    auto rec = std::make_unique<MeasurementRecord>();
    for (int i = 6100; i < MeasurementRecord::kSize; ++i) rec->bytes[i] = 150;
    const auto h = LevelHistogram(*rec, 500, 6100);
    int total = 0;
    for (int c : h) total += c;
    EXPECT_EQ(total, 46);
    EXPECT_EQ(h[150], 46);
    const LevelStats st = LevelStatistics(*rec, 500, 6100);
    EXPECT_NEAR(st.LeQ, 50.0, 1e-9);
    EXPECT_EQ(st.L01, 102.0);  // 46 samples inside: below 50
}

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

TEST(LevelStatistics, ConstantLevelGivesItselfBack) {
    const auto rec = WithSamples(Repeat(150, 1000));
    const LevelStats st = LevelStatistics(*rec, 1000, 10);
    EXPECT_NEAR(st.LeQ, 50.0, 1e-9);
    EXPECT_EQ(st.L95, 50.0);
    EXPECT_EQ(st.L01, 50.0);
    const NumberFormat de = GermanFormat();
    EXPECT_EQ(de.Level(st.LeQ), " 50,0");
    EXPECT_EQ(de.Level(st.L95), " 50,0");
    EXPECT_EQ(de.Level(st.L01), " 50,0");
}

TEST(LevelStatistics, LeqIsTheEnergeticMean) {
    // Half at 25 dB(A), half at 65 dB(A): the loud half dominates.
    const auto rec = WithSamples(Repeat(100, 500) + Repeat(180, 500));
    const double expected = 10.0 * std::log10((std::pow(10.0, 2.5) + std::pow(10.0, 6.5)) / 2);
    EXPECT_NEAR(LevelStatistics(*rec, 1000, 10).LeQ, expected, 1e-4);
}

// Each walk stops in the class where its running count first reaches
// T = max(1, N x percent / 100 rounded half away from zero).
TEST(LevelStatistics, PercentilesAreTheClassesThatReachTheThreshold) {
    struct Case {
        const char* what;
        std::vector<uint8_t> samples;
        double l95, l01;
    };
    const std::vector<Case> cases = {
        {"constant 50 dB(A)", Repeat(150, 1000), 50.0, 50.0},
        // 50 samples: T01 = 0.5 rounds up to 1; 49 samples: 0.49 rounds to 0, made 1.
        {"50 samples", Repeat(150, 50), 50.0, 50.0},
        {"49 samples", Repeat(150, 49), 50.0, 50.0},
        // Fewer than 50: L01 is the loudest sample, not the top of the scale.
        {"40 samples, one loud", Repeat(150, 39) + Repeat(200, 1), 50.0, 75.0},
        // Fewer than 10: L95 is the quietest sample, not the bottom of the scale.
        {"9 samples", Repeat(150, 9), 50.0, 50.0},
        {"9 samples, one quiet", Repeat(100, 1) + Repeat(150, 8), 25.0, 50.0},
        // 10 samples: T95 = 0.5 rounds away from zero to 1, T01 = 0.1 to 0, made 1.
        {"ten samples", Repeat(100, 5) + Repeat(110, 5), 25.0, 30.0},
        // 30 samples: T95 = 1.5 rounds to 2, so the second-quietest sample decides.
        {"T95 rounds 1.5 up", Repeat(100, 1) + Repeat(110, 1) + Repeat(150, 28), 30.0, 50.0},
        // 150 samples: T01 = 1.5 rounds to 2, so the second-loudest sample decides.
        {"T01 rounds 1.5 up", Repeat(200, 1) + Repeat(190, 1) + Repeat(150, 148), 50.0, 70.0},
        // Two levels, 25 and 65 dB(A), with the thresholds (50 and 10 of 1000) just reached
        // in the class of the minority, or just missed.
        {"mix: 50 quiet reach T95", Repeat(100, 50) + Repeat(180, 950), 25.0, 65.0},
        {"mix: 49 quiet miss T95", Repeat(100, 49) + Repeat(180, 951), 65.0, 65.0},
        {"mix: 10 loud reach T01", Repeat(180, 10) + Repeat(100, 990), 25.0, 65.0},
        {"mix: 9 loud miss T01", Repeat(180, 9) + Repeat(100, 991), 25.0, 25.0},
        // The walks end within the scale.
        {"all at the top", Repeat(255, 100), 102.5, 102.5},
        {"all at the bottom", Repeat(0, 100), -25.0, -25.0},
        {"one sample", Repeat(151, 1), 50.5, 50.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto rec = WithSamples(c.samples);
        const LevelStats st = LevelStatistics(*rec, int(c.samples.size()), 10);
        EXPECT_EQ(st.L95, c.l95);
        EXPECT_EQ(st.L01, c.l01);
        EXPECT_LE(st.L95, st.L01);
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
    EXPECT_EQ(st.L01, 50.0);  // 46 samples inside: the loudest of them
}

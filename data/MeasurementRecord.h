#pragma once

#include <array>
#include <cstdint>

namespace kelvarn {

// The cell's memory image plus the two bytes the PC adds; also the whole
// body of a measurement file, so the offsets are binding.
struct MeasurementRecord {
    static constexpr int kSize = 6146;
    static constexpr int kHeaderSize = 10;
    static constexpr int kSampleBytes = kSize - kHeaderSize;  // 6136

    // 0-1 PointCount (high first), 2-5 ChannelSlots, 6-7 IntervalCode
    // (interval [ms] minus channel count, high first), 8 ChannelCount,
    // 9 MeasurementCount, 10.. Samples [level byte: v / 2 - 25 dB(A)].
    std::array<uint8_t, kSize> bytes{};

    void Clear() { bytes.fill(0); }
    bool operator==(const MeasurementRecord&) const = default;
};

uint16_t GetPoints(const MeasurementRecord& rec);
uint8_t GetChannels(const MeasurementRecord& rec);
uint16_t GetInterval(const MeasurementRecord& rec);  // [ms], 16-bit arithmetic
uint8_t GetMeasurements(const MeasurementRecord& rec);
uint16_t GetSampleTotal(const MeasurementRecord& rec);  // modulo 65536

// Writes bytes 0 to 9 for program row r (1..9) with channel 1 on.
void BuildHeader(MeasurementRecord& rec, int row);

// First row (1..9) whose interval and points match the header, 0 when none.
int MatchProgramRow(const MeasurementRecord& rec);
// The same, but row 1 when none matches.
int FindProgramRow(const MeasurementRecord& rec);

// Level in dB(A) of a sample byte, and back (halves to even).
double SampleToLevel(int v);
int LevelToSample(double level);

}  // namespace kelvarn

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

    // Header offsets. Two-byte fields are stored high byte first.
    static constexpr int kPointCountOffset = 0;    // 2 bytes
    static constexpr int kChannelSlotsOffset = 2;  // one byte per channel, non-zero = on
    static constexpr int kChannelSlots = 4;
    static constexpr int kIntervalCodeOffset = 6;  // 2 bytes: interval [ms] minus channels
    static constexpr int kChannelCountOffset = 8;
    static constexpr int kMeasurementCountOffset = 9;
    static constexpr int kSamplesOffset = kHeaderSize;  // level byte: v / 2 - 25 dB(A)

    std::array<uint8_t, kSize> bytes{};

    void Clear() { bytes.fill(0); }
    bool operator==(const MeasurementRecord&) const = default;
};

uint16_t GetPoints(const MeasurementRecord& rec);
uint8_t GetChannels(const MeasurementRecord& rec);
uint16_t GetInterval(const MeasurementRecord& rec);  // [ms], 16-bit arithmetic
uint8_t GetMeasurements(const MeasurementRecord& rec);
uint16_t GetSampleTotal(const MeasurementRecord& rec);  // modulo 65536

// Writes the header for program row r (1..9) with channel 1 on; points,
// interval and measurement count come from the program table.
void BuildHeader(MeasurementRecord& rec, int row);

// First row (1..9) whose interval and points match the header, 0 when none.
int MatchProgramRow(const MeasurementRecord& rec);
// The same, but row 1 when none matches.
int FindProgramRow(const MeasurementRecord& rec);

// Level in dB(A) of a sample byte, and back (halves to even).
double SampleToLevel(int v);
int LevelToSample(double level);

}  // namespace kelvarn

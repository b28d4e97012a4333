#include "data/MeasurementRecord.h"

#include <cmath>

#include "data/ProgramTable.h"

namespace kelvarn {

namespace {

using R = MeasurementRecord;

uint16_t ReadWord(const MeasurementRecord& rec, int offset) {
    return static_cast<uint16_t>(rec.bytes[size_t(offset)] * 256 + rec.bytes[size_t(offset) + 1]);
}

void WriteWord(MeasurementRecord& rec, int offset, uint16_t value) {
    rec.bytes[size_t(offset)] = static_cast<uint8_t>(value >> 8);
    rec.bytes[size_t(offset) + 1] = static_cast<uint8_t>(value & 0xFF);
}

}  // namespace

uint16_t GetPoints(const MeasurementRecord& rec) {
    return ReadWord(rec, R::kPointCountOffset);
}

uint8_t GetChannels(const MeasurementRecord& rec) {
    uint8_t n = 0;
    for (int i = 0; i < R::kChannelSlots; ++i)
        if (rec.bytes[size_t(R::kChannelSlotsOffset + i)] != 0) ++n;
    return n;
}

uint16_t GetInterval(const MeasurementRecord& rec) {
    return static_cast<uint16_t>(GetChannels(rec) + ReadWord(rec, R::kIntervalCodeOffset));
}

uint8_t GetMeasurements(const MeasurementRecord& rec) {
    return rec.bytes[R::kMeasurementCountOffset];
}

uint16_t GetSampleTotal(const MeasurementRecord& rec) {
    return static_cast<uint16_t>(uint32_t(GetPoints(rec)) * GetChannels(rec) *
                                 GetMeasurements(rec));
}

void BuildHeader(MeasurementRecord& rec, int row) {
    const ProgramRow& r = Programs().Row(row);
    WriteWord(rec, R::kPointCountOffset, r.Points);
    // Channel 1 on, the other slots off.
    for (int i = 0; i < R::kChannelSlots; ++i) rec.bytes[size_t(R::kChannelSlotsOffset + i)] = 0;
    rec.bytes[R::kChannelSlotsOffset] = 1;
    WriteWord(rec, R::kIntervalCodeOffset, static_cast<uint16_t>(r.IntervalMs - 1));
    rec.bytes[R::kChannelCountOffset] = 1;
    rec.bytes[R::kMeasurementCountOffset] = static_cast<uint8_t>(r.Measurements);
}

int MatchProgramRow(const MeasurementRecord& rec) {
    const ProgramTable& t = Programs();
    for (int r = 1; r <= ProgramTable::kRows; ++r)
        if (t.Row(r).IntervalMs == GetInterval(rec) && t.Row(r).Points == GetPoints(rec)) return r;
    return 0;
}

int FindProgramRow(const MeasurementRecord& rec) {
    const int row = MatchProgramRow(rec);
    return row > 0 ? row : 1;
}

double SampleToLevel(int v) {
    return v / 2.0 - 25.0;
}

int LevelToSample(double level) {
    return static_cast<int>(std::nearbyint((level + 25.0) * 2.0));  // FE_TONEAREST: halves to even
}

}  // namespace kelvarn

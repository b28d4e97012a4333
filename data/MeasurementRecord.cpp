#include "data/MeasurementRecord.h"

#include <cmath>

#include "data/ProgramTable.h"

namespace kelvarn {

uint16_t GetPoints(const MeasurementRecord& rec) {
    return static_cast<uint16_t>(rec.bytes[0] * 256 + rec.bytes[1]);
}

uint8_t GetChannels(const MeasurementRecord& rec) {
    uint8_t n = 0;
    for (int i = 2; i <= 5; ++i)
        if (rec.bytes[i] != 0) ++n;
    return n;
}

uint16_t GetInterval(const MeasurementRecord& rec) {
    return static_cast<uint16_t>(GetChannels(rec) + rec.bytes[6] * 256 + rec.bytes[7]);
}

uint8_t GetMeasurements(const MeasurementRecord& rec) { return rec.bytes[9]; }

uint16_t GetSampleTotal(const MeasurementRecord& rec) {
    return static_cast<uint16_t>(uint32_t(GetPoints(rec)) * GetChannels(rec) *
                                 GetMeasurements(rec));
}

void BuildHeader(MeasurementRecord& rec, int row) {
    const Messtypen& r = Programs().Row(row);
    const uint16_t code = static_cast<uint16_t>(r.IntervalMs - 1);
    rec.bytes[0] = static_cast<uint8_t>(r.Points >> 8);
    rec.bytes[1] = static_cast<uint8_t>(r.Points & 0xFF);
    rec.bytes[2] = 1;
    rec.bytes[3] = 0;
    rec.bytes[4] = 0;
    rec.bytes[5] = 0;
    rec.bytes[6] = static_cast<uint8_t>(code >> 8);
    rec.bytes[7] = static_cast<uint8_t>(code & 0xFF);
    rec.bytes[8] = 1;
    rec.bytes[9] = (row >= 7 && row <= 9) ? 12 : 1;
}

int MatchProgramRow(const MeasurementRecord& rec) {
    const ProgramTable& t = Programs();
    for (int r = 1; r <= ProgramTable::kRows; ++r)
        if (t.Row(r).IntervalMs == GetInterval(rec) && t.Row(r).Points == GetPoints(rec))
            return r;
    return 0;
}

int FindProgramRow(const MeasurementRecord& rec) {
    const int row = MatchProgramRow(rec);
    return row > 0 ? row : 1;
}

double SampleToLevel(int v) { return v / 2.0 - 25.0; }

int LevelToSample(double level) {
    return static_cast<int>(std::nearbyint((level + 25.0) * 2.0));  // FE_TONEAREST: halves to even
}

}  // namespace kelvarn

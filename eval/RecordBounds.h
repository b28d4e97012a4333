#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "data/MeasurementRecord.h"

namespace kelvarn {

// What part of a record's header can be evaluated without reading outside its 6146 bytes.
// A foreign or damaged file may announce more measurements than there are series (M > 12)
// or more samples than offsets 10 .. 6145 hold.
struct RecordBounds {
    int P = 0, C = 0, M = 0;       // as read from the header
    int pointRows = 0;             // whole points of measurement 1 inside the record
    int measurements = 0;          // measurements evaluated: at most 12, each with a point
    std::array<int, 12> points{};  // whole points inside, per evaluated measurement
    bool damaged = false;          // the header asks for more than the record holds
};

RecordBounds MeasureRecord(const MeasurementRecord& rec);

// Offset of the first sample of measurement m (1-based).
int64_t MeasurementOffset(int P, int C, int m);

// How many of the n bytes from offset first lie inside the record.
int BytesInside(int64_t first, int64_t n);

// The notice for a damaged record, empty for a sound one.
QString DamageNotice(const RecordBounds& b);

}  // namespace kelvarn

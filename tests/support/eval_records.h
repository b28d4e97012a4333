#pragma once

// Records for the evaluation tests.

#include <QLocale>
#include <functional>
#include <memory>

#include "data/MeasurementRecord.h"
#include "data/ProgramTable.h"
#include "eval/ViewData.h"

namespace kelvarn::testing {

// Sample byte of measurement m (1-based) and point p (1-based).
using SampleFn = std::function<uint8_t(int m, int p)>;

// A record as the read-out leaves it: header of program row r, every sample of every
// measurement from fn, the rest 0. On the heap at its exact size, so that a read past its
// end hits the sanitizer's red zone.
inline std::unique_ptr<MeasurementRecord> ProgramRecord(int row, const SampleFn& fn) {
    auto rec = std::make_unique<MeasurementRecord>();
    BuildHeader(*rec, row);
    const int P = GetPoints(*rec);
    const int M = GetMeasurements(*rec);
    for (int m = 1; m <= M; ++m)
        for (int p = 1; p <= P; ++p) rec->bytes[10 + (m - 1) * P + (p - 1)] = fn(m, p);
    return rec;
}

inline SampleFn Constant(uint8_t v) {
    return [v](int, int) { return v; };
}

// Header bytes written directly, the way a foreign file may hold them.
inline void SetHeader(MeasurementRecord& rec, int points, int channels, int intervalMs,
                      int measurements) {
    rec.bytes[0] = uint8_t(points >> 8);
    rec.bytes[1] = uint8_t(points & 0xFF);
    for (int c = 0; c < 4; ++c) rec.bytes[2 + c] = c < channels ? 1 : 0;
    const int code = intervalMs - channels;
    rec.bytes[6] = uint8_t(code >> 8);
    rec.bytes[7] = uint8_t(code & 0xFF);
    rec.bytes[8] = uint8_t(channels);
    rec.bytes[9] = uint8_t(measurements);
}

// Numbers as a German system shows them.
inline NumberFormat GermanFormat() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    return NumberFormat::FromLocale();
}

}  // namespace kelvarn::testing

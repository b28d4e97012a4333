#include "eval/RecordBounds.h"

#include <algorithm>

namespace kelvarn {

namespace {

constexpr int kMaxMeasurements = 12;  // series Block 1 .. Block 12

// Whole points of measurement m that lie inside the record. Without an active channel every
// point reads the byte at offset 10, which is always there.
int PointsInside(int P, int C, int m) {
    if (C == 0) return P;
    const int64_t start = MeasurementOffset(P, C, m);
    if (start >= MeasurementRecord::kSize) return 0;
    return int(std::min<int64_t>(P, (MeasurementRecord::kSize - start) / C));
}

}  // namespace

int64_t MeasurementOffset(int P, int C, int m) {
    return MeasurementRecord::kHeaderSize + int64_t(m - 1) * P * C;
}

int BytesInside(int64_t first, int64_t n) {
    if (n < 1 || first < 0 || first >= MeasurementRecord::kSize) return 0;
    return int(std::min<int64_t>(n, MeasurementRecord::kSize - first));
}

RecordBounds MeasureRecord(const MeasurementRecord& rec) {
    RecordBounds b;
    b.P = GetPoints(rec);
    b.C = GetChannels(rec);
    b.M = GetMeasurements(rec);
    b.damaged =
        b.M > kMaxMeasurements || int64_t(b.M) * b.P * b.C > MeasurementRecord::kSampleBytes;
    b.pointRows = PointsInside(b.P, b.C, 1);
    const int wanted = std::min(b.M, kMaxMeasurements);
    for (int m = 1; m <= wanted; ++m) {
        const int n = PointsInside(b.P, b.C, m);
        // A measurement that starts beyond the record is left out, and so are the later ones.
        // Without points (P = 0) a measurement still has its column, only no values.
        if (b.P > 0 && n < 1) break;
        b.points[m - 1] = n;
        b.measurements = m;
    }
    return b;
}

QString DamageNotice(const RecordBounds& b) {
    if (!b.damaged) return {};
    const QString shown = QStringLiteral(" Angezeigt werden nur die vorhandenen Messwerte.");
    if (b.M > kMaxMeasurements)
        return QStringLiteral(
                   " Die Datei ist beschädigt: sie beschreibt %1 Messungen, "
                   "ein Datensatz fasst höchstens 12.")
                   .arg(b.M) +
               shown;
    return QStringLiteral(
               " Die Datei ist beschädigt: sie beschreibt mehr Messwerte, "
               "als ein Datensatz fasst.") +
           shown;
}

}  // namespace kelvarn

#include "eval/MarkedFigures.h"

#include "data/ProgramTable.h"
#include "eval/RecordBounds.h"

namespace kelvarn {

std::vector<bool> ForeignNoiseSamples(const ProtocolMarker* const* markers, size_t count,
                                      int points, int intervalMs) {
    std::vector<bool> out(size_t(std::max(points, 0)), false);
    for (size_t i = 0; i < count; ++i) {
        const ProtocolMarker& mk = *markers[i];
        if (mk.kind != MarkerKind::kFremdgeraeusch) continue;
        for (int p = 1; p <= points; ++p) {
            const double middle = (p - 0.5) * intervalMs / 1000.0;
            if (middle >= mk.fromS && middle < mk.toS) out[size_t(p - 1)] = true;
        }
    }
    return out;
}

std::vector<std::optional<LevelFigures>> FiguresWithoutForeignNoise(const MeasurementRecord& rec,
                                                                    const RecordFigures& figures,
                                                                    const MeasurementProtocol& p) {
    const RecordBounds b = MeasureRecord(rec);
    const int interval = GetInterval(rec);
    const ProgramRow& program = Programs().ProgramForInterval(interval);
    const double step = interval / double(TimeDivisor(program.DurationUnit));
    std::vector<std::optional<LevelFigures>> out(figures.measurements.size());
    for (size_t m = 0; m < out.size(); ++m) {
        std::vector<const ProtocolMarker*> own;
        for (const ProtocolMarker& mk : p.markers)
            if (mk.measurement == int(m) + 1 && mk.kind == MarkerKind::kFremdgeraeusch)
                own.push_back(&mk);
        if (own.empty()) continue;
        const int measured = figures.measured[m];
        const std::vector<bool> left =
            ForeignNoiseSamples(own.data(), own.size(), measured, interval);
        const int64_t start = MeasurementOffset(b.P, b.C, int(m) + 1);
        LevelCounts counts{};
        for (int s = 1; s <= measured; ++s)
            if (!left[size_t(s - 1)]) ++counts[rec.bytes[size_t(start + int64_t(s - 1) * b.C)]];
        out[m] = FiguresOf(counts, step);
    }
    return out;
}

TableText FiguresTableWithProtocol(const MeasurementRecord& rec, const RecordFigures& figures,
                                   const MeasurementProtocol& p, const NumberFormat& fmt) {
    return FiguresTableWithCuts(figures, FiguresWithoutForeignNoise(rec, figures, p), fmt);
}

TableText FiguresTableWithCuts(const RecordFigures& figures,
                               const std::vector<std::optional<LevelFigures>>& without,
                               const NumberFormat& fmt) {
    const bool total = ShowsTotal(figures);
    TableText plain = FiguresTable(figures, fmt, total);
    int extra = 0;
    for (const auto& w : without) extra += w ? 1 : 0;
    if (extra == 0) return plain;

    // The rows of each measurement, with its second row made as FiguresTable makes rows.
    TableText t(plain.Cols(), plain.Rows() + extra);
    int r = 0;
    const auto copyRow = [&](int from) {
        for (int c = 0; c < plain.Cols(); ++c) t.SetCell(c, r, plain.Cell(c, from));
        ++r;
    };
    copyRow(0);
    for (size_t m = 0; m < without.size(); ++m) {
        copyRow(int(m) + 1);
        if (!without[m]) continue;
        RecordFigures one;
        one.unit = figures.unit;
        one.measurements = {*without[m]};
        const TableText row = FiguresTable(one, fmt, false);
        t.SetCell(0, r, QStringLiteral("%1 ohne Fremdgeräusch").arg(m + 1));
        for (int c = 1; c < plain.Cols(); ++c) t.SetCell(c, r, row.Cell(c, 1));
        ++r;
    }
    if (total) copyRow(plain.Rows() - 1);
    return t;
}

}  // namespace kelvarn

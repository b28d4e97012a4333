#include "eval/Figures.h"

#include <cmath>

#include "data/ProgramTable.h"
#include "eval/RecordBounds.h"

namespace kelvarn {

namespace {

// The level of rank k (1-based) in the levels sorted from highest to lowest.
double LevelOfRank(const LevelCounts& counts, int k) {
    int seen = 0;
    for (int v = 255; v >= 0; --v) {
        seen += counts[size_t(v)];
        if (seen >= k) return SampleToLevel(v);
    }
    return SampleToLevel(0);
}

QString UnitOf(const QString& durationUnit) {
    return durationUnit.isEmpty() ? QStringLiteral("ms") : durationUnit;
}

}  // namespace

LevelFigures FiguresOf(const LevelCounts& counts, double intervalUnits) {
    LevelFigures f;
    double energy = 0;
    int lo = -1, hi = -1;
    for (int v = 0; v < 256; ++v) {
        const int c = counts[size_t(v)];
        if (c == 0) continue;
        f.n += c;
        energy += c * std::pow(10.0, SampleToLevel(v) / 10.0);
        if (lo < 0) lo = v;
        hi = v;
    }
    f.duration = f.n * intervalUnits;
    if (f.n == 0) return f;
    f.laeq = 10.0 * std::log10(energy / f.n);
    f.lmax = SampleToLevel(hi);
    f.lmin = SampleToLevel(lo);
    for (size_t i = 0; i < LevelFigures::kPercents.size(); ++i) {
        // Whole-number arithmetic: ceil(N * n / 100) exactly, at least 1.
        const int64_t product = int64_t(LevelFigures::kPercents[i]) * f.n;
        const int k = std::max<int>(1, int((product + 99) / 100));
        f.ln[i] = LevelOfRank(counts, k);
    }
    return f;
}

RecordFigures ComputeFigures(const MeasurementRecord& rec) {
    RecordFigures out;
    const int interval = GetInterval(rec);
    const ProgramRow& program = Programs().ProgramForInterval(interval);
    const double divisor = TimeDivisor(program.DurationUnit);
    const double step = interval / divisor;
    out.unit = UnitOf(program.DurationUnit);

    const RecordBounds b = MeasureRecord(rec);
    out.times.resize(size_t(b.pointRows));
    for (int p = 1; p <= b.pointRows; ++p)
        out.times[size_t(p - 1)] = double(int64_t(p - 1) * interval) / divisor;

    LevelCounts all{};
    for (int m = 1; m <= b.measurements; ++m) {
        const int64_t start = MeasurementOffset(b.P, b.C, m);
        const int points = b.points[size_t(m - 1)];
        const int measured = MeasuredCount(rec.bytes.data() + start, points, b.C);
        LevelCounts counts{};
        std::vector<double> levels;
        levels.reserve(size_t(points));
        for (int p = 1; p <= points; ++p) {
            const int v = rec.bytes[size_t(start + int64_t(p - 1) * b.C)];
            if (p <= measured) {
                ++counts[size_t(v)];
                ++all[size_t(v)];
            }
            levels.push_back(SampleToLevel(v));
        }
        out.measurements.push_back(FiguresOf(counts, step));
        out.levels.push_back(std::move(levels));
        out.measured.push_back(measured);
    }
    out.total = FiguresOf(all, step);
    return out;
}

std::vector<int> MeasuredCounts(const MeasurementRecord& rec) {
    const RecordBounds b = MeasureRecord(rec);
    std::vector<int> out;
    for (int m = 1; m <= b.measurements; ++m)
        out.push_back(MeasuredCount(rec.bytes.data() + MeasurementOffset(b.P, b.C, m),
                                    b.points[size_t(m - 1)], b.C));
    return out;
}

int MeasuredCount(const uint8_t* samples, int n, int stride) {
    while (n > 0 && samples[int64_t(n - 1) * stride] == 0) --n;
    return n;
}

bool ShowsTotal(const RecordFigures& f) {
    return f.measurements.size() > 1;
}

TableText FiguresTable(const RecordFigures& f, const NumberFormat& fmt, bool withTotal) {
    const int rows = int(f.measurements.size()) + (withTotal ? 1 : 0);
    TableText t(13, rows + 1);
    t.SetPlainCopy(true);  // the figures go on into reports and spreadsheets
    const QStringList headings = {
        QStringLiteral("Messung"), QStringLiteral("n"),    QStringLiteral("Dauer/") + f.unit,
        QStringLiteral("LAeq"),    QStringLiteral("Lmax"), QStringLiteral("Lmin"),
        QStringLiteral("L1"),      QStringLiteral("L5"),   QStringLiteral("L10"),
        QStringLiteral("L50"),     QStringLiteral("L90"),  QStringLiteral("L95"),
        QStringLiteral("L99")};
    for (int c = 0; c < headings.size(); ++c) t.SetCell(c, 0, headings[c]);

    auto row = [&](int r, const QString& label, const LevelFigures& x) {
        t.SetCell(0, r, label);
        t.SetCell(1, r, fmt.Count(x.n));
        t.SetCell(2, r, fmt.Time(x.duration));
        const auto level = [&](int col, const std::optional<double>& v) {
            if (v) t.SetCell(col, r, fmt.Level(*v));
        };
        level(3, x.laeq);
        level(4, x.lmax);
        level(5, x.lmin);
        for (size_t i = 0; i < x.ln.size(); ++i) level(6 + int(i), x.ln[i]);
    };
    for (size_t m = 0; m < f.measurements.size(); ++m)
        row(int(m) + 1, QString::number(m + 1), f.measurements[m]);
    if (withTotal) row(rows, QStringLiteral("Gesamt"), f.total);
    return t;
}

QString RankRuleText() {
    return QStringLiteral(
        "LN ist der Pegel, der in N % der Messzeit überschritten wird. Die Kennwerte bestimmen "
        "ihn nach Rang: von n Messwerten, vom lautesten an gezählt, der Messwert an Stelle "
        "⌈N · n / 100⌉ (mindestens der erste). L01 und L95 auf „LeQ“ zählen nach "
        "0,5-dB-Klassen und können davon um eine Klasse (0,5 dB) abweichen.");
}

QString PercentileNotesText() {
    return QStringLiteral(
        "LAeq ist der energetische Mittelwert des Pegels. LN ist der Pegel, der in N % der "
        "Messzeit überschritten wird. Die Kennwerte bestimmen ihn nach Rang: von n Messwerten, "
        "vom lautesten an gezählt, der Messwert an Stelle ⌈N · n / 100⌉ (mindestens der erste). "
        "Die Kurven L01 und L95 des Äquivalenzpegeldiagramms zählen nach 0,5-dB-Klassen: die "
        "Klasse, in der die vom lautesten (L01) bzw. vom leisesten Pegel an (L95) gezählten "
        "Messwerte 1 % bzw. 5 % erreichen. Beide können um eine Klasse (0,5 dB) voneinander "
        "abweichen.");
}

}  // namespace kelvarn

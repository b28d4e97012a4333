#include "eval/Evaluation.h"

namespace kelvarn {

namespace {

// A name by meaning and the control name it stands beside.
struct Names {
    const char* meaning;
    const char* control;

    bool Match(const QString& name) const {
        return name == QLatin1String(meaning) || name == QLatin1String(control);
    }
};

const struct {
    Names names;
    TableText Evaluation::*table;
} kTables[] = {
    {{"levelTable", "grid"}, &Evaluation::levelTable},
    {{"distributionTable", "gridspek"}, &Evaluation::distributionTable},
    {{"overviewTable", "Grid12"}, &Evaluation::overviewTable},
    {{"leqTable", "GridLeQ"}, &Evaluation::leqTable},
    {{"overviewLeqTable", "Grid12Leq"}, &Evaluation::overviewLeqTable},
    {{"overviewDistributionTable", "GridSpek12"}, &Evaluation::overviewDistributionTable},
    {{"figuresTable", "GridKennwerte"}, &Evaluation::figuresTable},
};

template <size_t N>
std::vector<const SeriesData*> All(const std::array<SeriesData, N>& series) {
    std::vector<const SeriesData*> out;
    out.reserve(N);
    for (const SeriesData& s : series) out.push_back(&s);
    return out;
}

// k from 1 to 12 when name is prefix followed by k exactly: no sign, blank or leading zero.
int Numbered(const QString& name, QLatin1String prefix) {
    if (!name.startsWith(prefix)) return 0;
    const QString digits = name.mid(prefix.size());
    bool ok = false;
    const int k = digits.toInt(&ok);
    return ok && k >= 1 && k <= 12 && digits == QString::number(k) ? k : 0;
}

}  // namespace

const TableText* TableByName(const Evaluation& ev, const QString& name) {
    for (const auto& t : kTables)
        if (t.names.Match(name)) return &(ev.*t.table);
    return nullptr;
}

std::vector<const SeriesData*> ChartByName(const Evaluation& ev, const QString& name) {
    if (Names{"levelChart", "Chart1"}.Match(name)) return All(ev.levelSeries);
    if (Names{"distributionChart", "Chart2"}.Match(name)) return {&ev.distributionBars};
    if (Names{"overviewChart", "Chart3"}.Match(name)) return All(ev.overviewSeries);
    if (Names{"leqChart", "Chart6"}.Match(name)) return All(ev.leqSeries);
    if (Names{"overviewLeqChart", "Chart12Leq"}.Match(name)) return All(ev.overviewLeqSeries);
    int k = Numbered(name, QLatin1String("distribution"));
    if (k == 0) k = Numbered(name, QLatin1String("Pegel"));
    if (k > 0) return {&ev.measurementDistributions[size_t(k - 1)]};
    return {};
}

}  // namespace kelvarn

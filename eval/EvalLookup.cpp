#include "eval/Evaluation.h"

namespace kelvarn {

const TableText* TableByName(const Evaluation& ev, const QString& name) {
    if (name == QLatin1String("grid")) return &ev.levelTable;
    if (name == QLatin1String("gridspek")) return &ev.distributionTable;
    if (name == QLatin1String("Grid12")) return &ev.overviewTable;
    if (name == QLatin1String("GridLeQ")) return &ev.leqTable;
    if (name == QLatin1String("Grid12Leq")) return &ev.overviewLeqTable;
    if (name == QLatin1String("GridSpek12")) return &ev.overviewDistributionTable;
    if (name == QLatin1String("GridKennwerte")) return &ev.figuresTable;
    return nullptr;
}

namespace {

template <size_t N>
std::vector<const SeriesData*> All(const std::array<SeriesData, N>& series) {
    std::vector<const SeriesData*> out;
    out.reserve(N);
    for (const SeriesData& s : series) out.push_back(&s);
    return out;
}

}  // namespace

std::vector<const SeriesData*> ChartByName(const Evaluation& ev, const QString& name) {
    if (name == QLatin1String("Chart1")) return All(ev.levelSeries);
    if (name == QLatin1String("Chart2")) return {&ev.distributionBars};
    if (name == QLatin1String("Chart3")) return All(ev.overviewSeries);
    if (name == QLatin1String("Chart6")) return All(ev.leqSeries);
    if (name == QLatin1String("Chart12Leq")) return All(ev.overviewLeqSeries);
    if (name.startsWith(QLatin1String("Pegel"))) {
        const QString digits = name.mid(5);
        bool ok = false;
        const int k = digits.toInt(&ok);
        // "Pegel" + the tag exactly: no sign, blank or leading zero.
        if (ok && k >= 1 && k <= 12 && digits == QString::number(k))
            return {&ev.measurementDistributions[k - 1]};
    }
    return {};
}

}  // namespace kelvarn

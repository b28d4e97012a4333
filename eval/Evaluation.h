#pragma once

#include <QString>
#include <array>
#include <vector>

#include "data/MeasurementRecord.h"
#include "eval/ViewData.h"

namespace kelvarn {

struct EvalOptions {
    bool leqBox = false;                // LeqBox ticked: LeQ curves on Chart1
    bool leq12Box = false;              // Leq12Box ticked: LeQ curves on Chart3
    NumberFormat fmt = NumberFormat();  // decimal separator of the user's locale
};

// Series of the level charts Chart1 and Chart3: one per measurement ("Block 1" .. "Block 12"),
// then the three LeQ curves.
inline constexpr int kBlockSeries = 12;
inline constexpr int kLeqSeries = kBlockSeries;  // "LeQ"
inline constexpr int kL01Series = kLeqSeries + 1;
inline constexpr int kL95Series = kLeqSeries + 2;
inline constexpr int kLeqCurves = 3;  // LeQ, L01, L95
inline constexpr int kLevelSeries = kBlockSeries + kLeqCurves;

// Everything the "&Auswertung" tab shows for one record, without widgets.
struct Evaluation {
    int P = 0, I = 0, C = 0, M = 0;  // as read from the record; I [ms]
    bool twelve = false;             // M == 12: overview tabs shown, single tabs hidden
    // Level over time (the window's Chart1 and its table grid).
    QString levelAxisTitle;                            // "t/" + DurationUnit
    double levelAxisMax = 0;                           // Duration [DurationUnit]
    std::array<SeriesData, kLevelSeries> levelSeries;  // "Block 1".."Block 12","LeQ","L01","L95"
    bool levelBlocksVisible = false;                   // series 2..12 visible (M == 12)
    TableText levelTable;
    // The level distribution (Chart2, gridspek).
    SeriesData distributionBars;
    TableText distributionTable;
    // The twelve measurements side by side (Chart3, Grid12).
    std::array<SeriesData, kLevelSeries> overviewSeries;  // "Block1".."Block12","LeQ","L01","L95"
    TableText overviewTable;
    // The distribution of each measurement (Pegel1..Pegel12, GridSpek12).
    std::array<SeriesData, kBlockSeries> measurementDistributions;
    TableText overviewDistributionTable;
    // The LeQ curves over time (Chart6, GridLeQ).
    std::array<SeriesData, kLeqCurves> leqSeries;  // "L95","Leq","L01"
    QString leqAxisTitle;                          // "t/" + DurationUnit, as the level chart's
    TableText leqTable;
    // LeQ, L01 and L95 per measurement (Chart12Leq, Grid12Leq).
    std::array<SeriesData, kLeqCurves> overviewLeqSeries;  // "LeQ","L01","L95"
    TableText overviewLeqTable;
    // The noise figures per measurement, and "Gesamt" for several (GridKennwerte).
    TableText figuresTable;
    QString damageNotice;  // non-empty when the record had to be clipped
};

// The evaluation pass over a record: level over time, distribution, the twelve-measurement
// overview and the LeQ curves.
Evaluation EvaluateRecord(const MeasurementRecord& rec, const EvalOptions& opt);
// The same with the record's figures computed before (ComputeFigures).
struct RecordFigures;
Evaluation EvaluateRecord(const MeasurementRecord& rec, const RecordFigures& figures,
                          const EvalOptions& opt);

// Recomputes the LeQ curves and both LeQ tables of ev; the other outputs stay as they are.
void ComputeLeqCurves(const MeasurementRecord& rec, const EvalOptions& opt, Evaluation& ev);

// The distribution of one measurement of the record (double click on small chart k).
struct SingleDistribution {
    SeriesData bars;
    TableText table;
    QString title;
};
SingleDistribution MeasurementDistribution(const MeasurementRecord& rec, int k,
                                           const NumberFormat& fmt);

// Lookups by name. Each table and chart has a name by what it holds, and the name of the
// window's control that shows it, kept as an alias for scripts written against it:
//   tables  levelTable (grid), distributionTable (gridspek), overviewTable (Grid12),
//           leqTable (GridLeQ), overviewLeqTable (Grid12Leq),
//           overviewDistributionTable (GridSpek12), figuresTable (GridKennwerte);
//   charts  levelChart (Chart1), distributionChart (Chart2), overviewChart (Chart3),
//           leqChart (Chart6), overviewLeqChart (Chart12Leq),
//           distribution1..distribution12 (Pegel1..Pegel12).
// Unknown names give nullptr or an empty list.
const TableText* TableByName(const Evaluation& ev, const QString& name);
std::vector<const SeriesData*> ChartByName(const Evaluation& ev, const QString& name);

}  // namespace kelvarn

#pragma once

#include <QString>

#include "data/MeasurementRecord.h"
#include "eval/Evaluation.h"
#include "eval/RecordBounds.h"

namespace kelvarn {

// The twelve-measurement overview, run by the evaluation pass at its fixed places. The colours of
// the overview series (copied from Chart1) are the window's business.

// Size of Grid12 like grid, "t/" + unit in its corner, "L1".."L12" headings; GridSpek12 empty.
void PrepareOverview(Evaluation& ev, const RecordBounds& b, const QString& durationUnit);

// Twelve-measurement record only: point (x, L) of measurement m on Chart3, with the x of the
// overview axis for a time t in the program's unit.
void AddOverviewPoint(Evaluation& ev, int m, double t, double level);
double OverviewX(int m, double t);

// Twelve-measurement record only: the distribution charts Pegel1..Pegel12 and GridSpek12.
void OverviewDistributions(const MeasurementRecord& rec, const RecordBounds& b, Evaluation& ev);
void OverviewTable(Evaluation& ev, const NumberFormat& fmt);

}  // namespace kelvarn

#pragma once

#include <vector>

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
#include "eval/Figures.h"
#include "eval/ViewData.h"

namespace kelvarn {

// Which samples of measurement m (1-based) the protocol's "Fremdgeräusch" markers leave out:
// sample p (1-based) covers [(p - 1) * interval, p * interval) from the measurement's start and
// is left out when the middle of that span lies inside a marker's [from, to).
std::vector<bool> ForeignNoiseSamples(const ProtocolMarker* const* markers, size_t count,
                                      int points, int intervalMs);

// The figures of each measurement without the samples its "Fremdgeräusch" markers leave out
// (of the measured time only); nullopt for a measurement without such markers.
std::vector<std::optional<LevelFigures>> FiguresWithoutForeignNoise(const MeasurementRecord& rec,
                                                                    const RecordFigures& figures,
                                                                    const MeasurementProtocol& p);

// The "Kennwerte" table with, behind each measurement that markers cut, a row "<m> ohne
// Fremdgeräusch"; the same as FiguresTable when none does.
TableText FiguresTableWithProtocol(const MeasurementRecord& rec, const RecordFigures& figures,
                                   const MeasurementProtocol& p, const NumberFormat& fmt);
// The same table from figures cut before (FiguresWithoutForeignNoise), so that a face that
// holds them formats them without computing them again.
TableText FiguresTableWithCuts(const RecordFigures& figures,
                               const std::vector<std::optional<LevelFigures>>& without,
                               const NumberFormat& fmt);

}  // namespace kelvarn

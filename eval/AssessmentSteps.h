#pragma once

// The workplace and the TA Lärm steps of the assessment, on the measurements' time lines.

#include <vector>

#include "eval/Assessment.h"
#include "eval/AssessmentSpans.h"

namespace kelvarn {

// The track of measurement number n (1-based), or none.
const Track* TrackOf(const std::vector<Track>& tracks, int n);

// The level of a range of a measurement; reason set when it has no covered time.
struct RangeLevel {
    SpanLevel level;
    QString reason;
};
RangeLevel LevelOfRange(const std::vector<Track>& tracks, const MeasurementRange& r);

ExposureResult AssessExposure(const std::vector<Track>& tracks,
                              const std::vector<ExposureTask>& tasks);

RatingResult AssessRating(const std::vector<Track>& tracks, const QTimeZone& zone,
                          const TaLaermInput& in);

}  // namespace kelvarn

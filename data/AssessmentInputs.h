#pragma once

// The assessment's inputs that the measurement protocol keeps: the tasks of a working day for
// the daily noise exposure LEX,8h and the inputs of the rating level Lr of TA Lärm. Each object
// keeps the keys of its file that this program does not know, as the protocol's other objects
// do, so that a newer program's keys survive an edit here.

#include <QJsonObject>
#include <optional>
#include <vector>

namespace kelvarn {

// A measurement or a range of it; no from/to means from its start/to its end.
struct MeasurementRange {
    int measurement = 0;  // 1-based
    std::optional<double> fromS, toS;

    bool operator==(const MeasurementRange&) const = default;
};

// A task of a working day: its range is measured, teH is its exposure time.
struct ExposureTask {
    MeasurementRange range;
    double teH = 0;  // [h]
    QJsonObject extra;

    bool operator==(const ExposureTask&) const = default;
};

// The tasks of the working day whose exposure is assessed.
struct WorkplaceInput {
    std::vector<ExposureTask> tasks;
    QJsonObject extra;

    bool operator==(const WorkplaceInput&) const = default;
};

// Area types of TA Lärm Nr. 6.1 (their limits: eval/Assessment.h) and the periods rated.
enum class AreaType { Industrie, Gewerbe, Urban, Misch, Wa, Wr, Kur };
enum class RatingPeriod { Tag, Nacht };

// A part of the rating time with its surcharges [dB].
struct RatingPart {
    MeasurementRange range;
    double tH = 0;  // exposure time T_j [h]
    double ktDb = 0;
    double kiDb = 0;
    bool kr = false;  // rest-period surcharge of 6 dB asked for
    QJsonObject extra;

    bool operator==(const RatingPart&) const = default;
};

struct TaLaermInput {
    AreaType area = AreaType::Wa;
    RatingPeriod period = RatingPeriod::Tag;
    double cMetDb = 0;
    bool messabschlag = false;  // 3 dB off for a monitoring measurement, Nr. 6.9
    bool holiday = false;       // the day is a Sunday-like public holiday (rest periods)
    std::vector<RatingPart> parts;
    QJsonObject extra;

    bool operator==(const TaLaermInput&) const = default;
};

}  // namespace kelvarn

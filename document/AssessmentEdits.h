#pragma once

// The changes a user makes to the assessment's inputs (workplace tasks for LEX,8h, the TA Lärm
// settings and parts), with the rules that propose their values: the next measurement, the rest
// of the eight-hour day as Te, the measured time up to Tr as T_j, KR where a part lies in the
// rest periods. The window and kelvarn-cli call the same operations.

#include <QString>

#include "document/ProtocolEdits.h"
#include "eval/Assessment.h"

namespace kelvarn {

class MeasurementDocument;

// The TA Lärm settings without the parts: area, period, Cmet, Messabschlag, holiday.
struct TaLaermSettings {
    AreaType area = AreaType::Wa;
    RatingPeriod period = RatingPeriod::Tag;
    double cMetDb = 0;
    bool messabschlag = false;
    bool holiday = false;

    bool operator==(const TaLaermSettings&) const = default;
};
TaLaermSettings SettingsOf(const TaLaermInput& in);

// The rating time Tr of a period [h]: 16 by day, the loudest hour (1) at night.
double RatingTimeH(RatingPeriod period);

// A task with the proposed values added behind the others: the measurement after the last
// task's (at most the last one), and the rest of the eight-hour day as Te.
EditResult AddTask(MeasurementDocument& doc);
EditResult ChangeTask(MeasurementDocument& doc, int index, const ExposureTask& task);
EditResult RemoveTask(MeasurementDocument& doc, int index);

// A part with the proposed values, rated with settings: the measurement after the last part's,
// its measured time as T_j up to Tr, KR ticked where it lies wholly in the rest
// periods (a note where it does only in part).
EditResult AddPart(MeasurementDocument& doc, const TaLaermSettings& settings);
// A part changed in place; one moved to another time is offered KR anew.
EditResult ChangePart(MeasurementDocument& doc, int index, const RatingPart& part);
EditResult RemovePart(MeasurementDocument& doc, int index);
// The settings, keeping the parts; settings left at their defaults without parts store nothing.
EditResult SetTaLaermSettings(MeasurementDocument& doc, const TaLaermSettings& settings);
// The loudest night hour as the parts, rated at night with the other settings.
EditResult TakeLoudestNightHour(MeasurementDocument& doc, const TaLaermSettings& settings);

}  // namespace kelvarn

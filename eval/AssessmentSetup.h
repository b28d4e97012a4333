#pragma once

// The assessment's input as a measurement and its protocol give it: the start times and the
// "Fremdgeräusch" markers of the protocol, and its workplace tasks and TA Lärm inputs. The window,
// the report and the command line all build their assessment here, so they cannot differ.

#include <QStringList>
#include <QTimeZone>
#include <optional>
#include <vector>

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
#include "eval/Assessment.h"
#include "eval/Figures.h"

namespace kelvarn {

struct AssessmentSetup {
    AssessmentInput input;
    // Inputs of the protocol that could not be read ("ta_laerm: ..."); they are left out of
    // the assessment, everything else is assessed.
    QStringList problems;
};

// The record's measurements with the protocol's starts and foreign-noise markers, and the
// protocol's assessment inputs, for clock hours and periods in zone.
AssessmentSetup SetUpAssessment(const MeasurementRecord& rec, const MeasurementProtocol& p,
                                const QTimeZone& zone);
// The same with the record's figures computed before.
AssessmentSetup SetUpAssessment(const MeasurementRecord& rec, const RecordFigures& figures,
                                const MeasurementProtocol& p, const QTimeZone& zone);

}  // namespace kelvarn

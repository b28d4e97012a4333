#pragma once

#include <QString>
#include <QStringList>

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"

namespace kelvarn {

// The protocol as lines for the report, German with decimal commas: the site and people, each
// measurement's start and end (start plus its measured time) with the source, the calibration
// check with its flag, and the first 30 markers. Fields not filled in say "nicht angegeben".
QStringList ProtocolReportLines(const MeasurementRecord& rec, const MeasurementProtocol& p);

}  // namespace kelvarn

#pragma once

#include <QString>

#include "data/MeasurementRecord.h"
#include "files/CommandResult.h"
#include "files/RichText.h"

namespace kelvarn {

// The remarks file to load with an opened measurement file: the first of
// RemarksFileCandidates that is there; empty when there is none.
QString ExistingRemarksFile(const QString& measurementPath);

// Saves rec as the measurement file at path and remarks as its remarks file
// (RemarksFileName). Both new files are written completely before either old
// one is replaced, so a disk that has room for one but not the other keeps
// both old files, and the message is the one of the file that failed. Only
// when the remarks file cannot be put in place after the measurement file was,
// the message says so: "Die Messung wurde gespeichert, die Beschreibung nicht.
// " and the remarks message.
CommandResult SaveMeasurementWithRemarks(const QString& path, const MeasurementRecord& rec,
                                         const RichText& remarks);

}  // namespace kelvarn

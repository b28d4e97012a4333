#pragma once

#include <QString>

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
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

// The files of a measurement that one save writes; a part left null keeps its file as it is.
struct MeasurementFiles {
    const MeasurementRecord* record = nullptr;      // the measurement file at the path
    const RichText* remarks = nullptr;              // its remarks file (RemarksFileName)
    const MeasurementProtocol* protocol = nullptr;  // its protocol file (ProtocolFileName)
};

// Saves the given parts beside path the same way: every new file is written completely
// before any old one is replaced, and a failure then replaces none. Should putting one in
// place fail after others were, the rest is left as it was and the message says what was
// saved and what was not: "Die Messung wurde gespeichert, die Beschreibung und das Protokoll
// nicht. " followed by the message of the file that failed.
CommandResult SaveMeasurementFiles(const QString& path, const MeasurementFiles& parts);

}  // namespace kelvarn

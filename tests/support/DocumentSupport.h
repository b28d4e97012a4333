#pragma once

// Puts a measurement into the window's document as the window's own commands would.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QTemporaryDir>

#include "app/TForm1.h"

namespace kelvarn {

// A record in no file, as a take-over leaves it: the protocol, the name and the description
// stay.
inline void SetRecord(TForm1& form, const MeasurementRecord& record) {
    MeasurementDocument& doc = form.Document();
    doc.TakeOver(record, doc.Protocol(), QDateTime());
}

// The measurement named as a save under that name names it, in no file afterwards: as after a
// save and a take-over of the same record.
inline void NameMeasurement(TForm1& form, const QString& name) {
    QTemporaryDir dir;
    MeasurementDocument& doc = form.Document();
    ASSERT_TRUE(doc.Save(dir.filePath(name), true).ok);
    doc.TakeOver(doc.Record(), doc.Protocol(), QDateTime());
}

}  // namespace kelvarn

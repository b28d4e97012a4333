#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
#include "files/CommandResult.h"

namespace kelvarn {

// The protocol file ".KVP" beside a measurement file: JSON in UTF-8, a public format that
// scripts read and write:
//   {"format": "kelvarn-protocol", "version": 1,
//    "measurements": [{"measurement": 1, "start": "2026-06-10T21:37:12+02:00",
//                      "start_source": "eingegeben"}],
//    "site": "...", "operator": "...", "instrument": "...", "purpose": "...", "weather": "...",
//    "calibration": {"reference_db": 94.0, "before_db": 94.1, "after_db": 93.9},
//    "markers": [{"measurement": 1, "from_s": 120.0, "to_s": 300.0, "kind": "fremdgeraeusch",
//                 "text": "Lkw"}],
//    "ta_laerm": {...}, "workplace": {...}}
// start_source one of pc_start, zeitstart, geschaetzt, eingegeben (absent: unknown); kind one
// of fremdgeraeusch, ereignis; a missing text is empty; numbers in C notation; times in ISO
// 8601 with their UTC offset. The assessment inputs "ta_laerm" and "workplace" are optional
// (files/AssessmentInputsFile.h); one that cannot be read does not make the protocol
// unreadable, it is kept in unreadInputs with its problem. Keys this program does not know are
// kept, at the top and inside the objects, and written again.

// No protocol comes near this size; a larger file is refused unread.
constexpr qint64 kMaxProtocolBytes = 16 * 1024 * 1024;

// What the protocol is checked against: the measurements of its record and their lengths.
struct ProtocolShape {
    std::vector<double> seconds;  // one per measurement: its length [s]

    int Measurements() const { return int(seconds.size()); }
};

// The measurements the evaluation reads of rec, each with its full length (points times
// interval, trailing zero run included: a marker may lie there).
ProtocolShape ShapeOf(const MeasurementRecord& rec);

// What keeps a marker from lying in the record of shape: a measurement it has not, a range
// that is empty or reversed, or one outside the measurement ("von 300 s ist nicht kleiner als
// bis 120 s"); empty when it lies in it. Opening a protocol and every edit check by it.
QString MarkerRangeProblem(const ProtocolMarker& mk, const ProtocolShape& shape);

// The protocol file of a measurement file: named as its remarks file, with "KVP" in place of
// "RMK" ("MESS1.DBA" -> "MESS1.KVP").
QString ProtocolFileName(const QString& measurementPath);

// Reads a protocol from the bytes of its file. On failure the message names the problem
// ("Marke 2: von 300 s ist nicht kleiner als bis 120 s", ...) and out keeps what it held.
CommandResult ParseProtocol(const QByteArray& json, const ProtocolShape& shape,
                            MeasurementProtocol& out);

// The protocol as the bytes of its file; ParseProtocol reads them back to the same protocol.
QByteArray WriteProtocol(const MeasurementProtocol& p);

// How reading the protocol file of an opened measurement went.
struct ProtocolLoad {
    enum State {
        kMissing,     // no file: an empty protocol
        kRead,        // read and sound
        kUnreadable,  // there, but it could not be read or its content is bad
    };
    State state = kMissing;
    // For kUnreadable: "Das Protokoll "<path>" kann nicht gelesen werden: <problem>".
    QString message;
};

// Reads the protocol file at path, checked against shape. out becomes the file's protocol, an
// empty one when there is no file, and is left as it was when the file is unreadable.
ProtocolLoad ReadProtocolFile(const QString& path, const ProtocolShape& shape,
                              MeasurementProtocol& out);

}  // namespace kelvarn

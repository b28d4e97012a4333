#pragma once

// The assessment's inputs as the protocol file stores them, beside its other keys:
//   "workplace": {"tasks": [{"measurement": 1, "from_s": 0, "to_s": 7200, "te_h": 6.5}]}
//   "ta_laerm": {"area": "wa", "period": "tag", "c_met_db": 0, "messabschlag": false,
//                "holiday": false, "parts": [{"measurement": 1, "from_s": null, "to_s": null,
//                "t_h": 4, "kt_db": 3, "ki_db": 0, "kr": true}]}
// from_s/to_s null or absent mean the whole measurement; a missing dB value is 0, a missing flag
// false. Area keys: industrie, gewerbe, urban, misch, wa, wr, kur; periods tag, nacht. Keys this
// program does not know are kept in each object and written again. Written, each object is one
// line of compact JSON with its keys in sorted order and every known key given.

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include "data/AssessmentInputs.h"

namespace kelvarn {

template <class T>
struct Parsed {
    T value{};
    QString error;  // names the key and what is wrong with it; empty when read
};

// The value under "workplace" and "ta_laerm". An input with a problem is not read: its error
// says why ("ta_laerm: unbekanntes Gebiet \"mond\"") and its value is empty.
Parsed<WorkplaceInput> ReadWorkplace(const QJsonValue& workplace);
Parsed<TaLaermInput> ReadTaLaerm(const QJsonValue& taLaerm);

QJsonObject WorkplaceJson(const WorkplaceInput& workplace);
QJsonObject TaLaermJson(const TaLaermInput& in);

}  // namespace kelvarn

#pragma once

// The assessment's inputs as the measurement protocol stores them, beside its other keys:
//   "workplace": {"tasks": [{"measurement": 1, "from_s": 0, "to_s": 7200, "te_h": 6.5}]}
//   "ta_laerm": {"area": "wa", "period": "tag", "c_met_db": 0, "messabschlag": false,
//                "holiday": false, "parts": [{"measurement": 1, "from_s": null, "to_s": null,
//                "t_h": 4, "kt_db": 3, "ki_db": 0, "kr": true}]}
// from_s/to_s null or absent mean the whole measurement; a missing dB value is 0, a missing flag
// false. Area keys: industrie, gewerbe, urban, misch, wa, wr, kur; periods tag, nacht.

#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

#include "eval/Assessment.h"

namespace kelvarn {

template <class T>
struct Parsed {
    T value{};
    QString error;  // names the key and what is wrong with it; empty when read
};

Parsed<std::vector<ExposureTask>> ParseWorkplace(const QJsonObject& workplace);
Parsed<TaLaermInput> ParseTaLaerm(const QJsonObject& taLaerm);

QJsonObject WorkplaceJson(const std::vector<ExposureTask>& tasks);
QJsonObject TaLaermJson(const TaLaermInput& in);

}  // namespace kelvarn

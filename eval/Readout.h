#pragma once

#include <QString>
#include <QTime>
#include <optional>

#include "eval/ViewData.h"

namespace kelvarn {

// The clock of a measurement's chart times: the program's time unit, and the time of day at which
// the measurement began when that is known.
struct ReadoutClock {
    QString unit;                // "s", "min", "h"; empty for an interval of no program
    std::optional<QTime> start;  // time of day of the first sample
};

// One chart time as the read-out names it: the time since the start in the program's unit
// ("t = 12,340 s"), or, with a known start, the time of day ("14:03:12").
QString ReadoutTime(double t, const ReadoutClock& clock, const NumberFormat& fmt);

// The read-out of one chart point: the curve, the measurement (0: none named), its time (none for
// a curve that holds one value per measurement) and its level, on one line:
// "Block 1: t = 12,340 s, L = 63,5 dB(A)", "Messung 3, LeQ: L = 60,3 dB(A)".
QString ReadoutText(const QString& curve, int measurement, std::optional<double> t,
                    const ReadoutClock& clock, double level, const NumberFormat& fmt);

// The measurement (1 ..) and its time in the program's unit of a point of the twelve-measurement
// overview, whose x is (measurement - 1) + 0.5 + t / 10.
struct OverviewPoint {
    int measurement = 0;
    double t = 0;
};
OverviewPoint FromOverviewX(int measurement, double x);

}  // namespace kelvarn

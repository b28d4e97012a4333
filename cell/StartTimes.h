#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>
#include <QTimeZone>
#include <vector>

#include "data/Protocol.h"

namespace kelvarn {

// Start times of measurements, from what Kelvarn knows when: the cell keeps no clock.
// Every "now" is a local date and time of the zone that the caller's clock gives (the process's
// zone on the desktop, any zone in a test); results keep that zone's offset at their instant.

// The start of a timed upload ("Programmstart zur angegebenen Zeit:"): the next moment the
// clock shows target, today when that is now or later, else tomorrow. The cell counts the
// delay down in real seconds, so across a change of summer time the start lies an hour away
// from the target's wall-clock time (03:30 asked at 01:00 on the spring day starts at 04:30).
struct TimedStart {
    QDateTime start;  // with its UTC offset
    bool tomorrow = false;
};
TimedStart NextTimedStart(const QDateTime& now, const QTime& target);

// The message after a timed upload: "Messbeginn am 11.12.2026 um 14:00:00", with " (morgen,
// die Uhrzeit ist heute schon vorbei)" when the time of day had passed.
QString TimedStartMessage(const TimedStart& t);

// What a timed upload leaves for the read-out: the program and the start (in KV.INI, section
// "Zeitstart"). Any other upload forgets it.
struct RememberedStart {
    int row = 0;  // program row 1..9; 0: none
    QDateTime start;
};
RememberedStart ReadRememberedStart();
bool RememberStart(const RememberedStart& s);
bool ForgetRememberedStart();

// The remembered start applies to a read-out of program row at readOut when it was made for
// that program and lies before the read-out.
bool RememberedStartApplies(const RememberedStart& s, int row, const QDateTime& readOut);

// The latest possible starts of the measurements of a record read out at readOut (source
// "geschätzt"): the measured ones back to back, the last of them ending at the read-out.
// intervalMs is the sampling interval, points the samples per measurement, measured the
// samples up to each measurement's trailing zero run. Measurements after the last measured
// one get no start. Empty when nothing was measured.
std::vector<QDateTime> EstimatedStarts(const QDateTime& readOut, int intervalMs, int points,
                                       const std::vector<int>& measured);

// For a series: the starts of measurements from+1 .. count back to back after the start of
// measurement from (each lasting seconds), as "eingegeben"; earlier measurements and from
// itself stay as they are. Offsets follow zone, also across a change of summer time.
void FillBackToBack(MeasurementProtocol& p, int from, int count, double seconds,
                    const QTimeZone& zone);

// A date and time typed by the user or given on a command line: ISO 8601, with an offset or,
// without one, in zone. Invalid for anything else.
QDateTime ParseStartInput(const QString& text, const QTimeZone& zone);

}  // namespace kelvarn

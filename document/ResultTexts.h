#pragma once

// One text for each result that more than one face shows: the window, the report and
// kelvarn-cli take these lines, so that a result reads the same wherever it is read. Numbers in
// the format handed in: the report's German, the window's and the command line's locale.

#include <QString>
#include <QStringList>

#include "data/Protocol.h"
#include "eval/Assessment.h"
#include "eval/ViewData.h"

namespace kelvarn {

struct DocumentView;

// The calibration check: "Kalibrierung: Kalibrator 94,0 dB, vorher 94,1 dB, nachher 93,9 dB,
// Abweichung -0,2 dB" ("-" for a reading not given), or "Kalibrierung: nicht angegeben"; then,
// where the drift is flagged, "Kalibrierabweichung über 0,5 dB".
QStringList CalibrationLines(const ProtocolCalibration& c, const NumberFormat& fmt);

// Beside the readings as they are typed: "Abweichung nachher − vorher: 0,7 dB" where both
// are given, then the flag line where the drift is too large.
QStringList CalibrationDriftLines(const ProtocolCalibration& c, const NumberFormat& fmt);

// A range left out of the figures as foreign noise: "Messung 1: 120,0–300,0 s (Lkw)".
QString LeftOutText(const ProtocolMarker& mk, const NumberFormat& fmt);
// "Als Fremdgeräusch ausgelassen:" and one LeftOutText per "Fremdgeräusch" marker; nothing
// where no marker leaves time out.
QStringList LeftOutLines(const MeasurementProtocol& p, const NumberFormat& fmt);

// The LEX,8h result: the formula, the value and its verdict, or why there is none
// ("LEX,8h: keine Tätigkeiten angegeben."), and the notes.
QStringList ExposureLines(const Assessment& a, const NumberFormat& fmt);
// The TA Lärm result: area, period, limit and Cmet, the formula, warnings, Lr and its verdict,
// or why there is none ("Lr: keine Teilzeiten angegeben."), and the notes.
QStringList RatingLines(const Assessment& a, const AssessmentInput& in, const NumberFormat& fmt);

// The protocol as lines for the report: the site and people, each measurement's start and end
// (start plus its measured time) with the source, the calibration check with its flag, and the
// first 30 markers. Fields not filled in say "nicht angegeben".
QStringList ProtocolReportLines(const DocumentView& view, const MeasurementProtocol& p,
                                int intervalMs, const NumberFormat& fmt);

}  // namespace kelvarn

#pragma once

// The assessment as text and as JSON: the same words for the command line, the window and the
// report, each result with its formula, its inputs, the assumptions made, and the reason where
// it cannot be computed.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "eval/Assessment.h"
#include "eval/ViewData.h"

namespace kelvarn {

// Fixed texts.
QString LdenName();           // "Lden des Messzeitraums (orientierend)"
QStringList ExposureNotes();  // without uncertainty; no peak values from these samples
QStringList RatingNotes();    // rounding, peak criterion, foreign noise
QString IndicativeNote();     // the cell is no calibrated class 1 meter; every report says it
QString SampleNote();         // LAeq from the samples, each the level of its interval

// "Lr = 62,1 dB(A); Vergleichswert nach Nr. 6.9 = 59,1 dB(A)" with the Messabschlag,
// "Lr = 62,1 dB(A)" without.
QString RatingValueText(const RatingResult& r, bool messabschlag, const NumberFormat& fmt);

// An entered number as typed, up to ten significant digits, with the format's decimal point.
QString DecimalText(double v, const NumberFormat& fmt);

// A range of a measurement: "Messung 2", "Messung 2, 120–Ende s".
QString RangeText(const MeasurementRange& r, const NumberFormat& fmt);

// A time as "10.06.2026 21:00:00 +02:00".
QString LocalTimeText(const QDateTime& t);
// The formulas of LEX,8h and of the TA Lärm rating level, as every result text gives them.
QString ExposureFormula();
QString RatingFormula();

// The LEX,8h's formula, result or reason, the regulation's wording and the notes.
QStringList ExposureResultLines(const ExposureResult& e, const NumberFormat& fmt);
// "Gebiet: …, Tag (Tr = 16 h), Immissionsrichtwert 55 dB(A), Cmet = 0 dB[, Messabschlag …]".
QString RatingInputLine(const RatingResult& r, const TaLaermInput& t, const NumberFormat& fmt);
// Lr's formula, the warnings, the result or reason, the verdict and the notes.
QStringList RatingResultLines(const RatingResult& r, const TaLaermInput& t,
                              const NumberFormat& fmt);

// The whole assessment as lines of text.
QStringList AssessmentLines(const Assessment& a, const AssessmentInput& in,
                            const NumberFormat& fmt);

// The assessment as one JSON object, numbers in C notation with full precision, null where a
// figure cannot be computed, times in ISO 8601 with their offset:
// {"file", "measurements": [{"measurement", "start", "end", "covered_s", "laeq"}],
//  "hours": [{"start", "covered_s", "laeq"}], "periods": {"tag", "nacht", "day", "evening",
//  "night"}, "lden", "loudest_night_hour": {"start", "laeq"},
//  "lex8h": {"value", "lower_action", "upper_action"},
//  "lr": {"value", "compared", "rounded", "limit", "exceeded"}}
QByteArray AssessmentJson(const QString& file, const Assessment& a);

// A number in C notation, the shortest text that reads back as the same double.
QByteArray JsonNumber(double v);

}  // namespace kelvarn

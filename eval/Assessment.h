#pragma once

// The assessment of a measurement: levels per clock hour and per period of the day, Lden,
// the loudest night hour, the daily noise exposure LEX,8h of a workplace and the rating level
// Lr of TA Lärm. Everything is computed from the level samples: sample k of a measurement
// covers [start + (k-1) interval, start + k interval) and is taken as the level of that
// interval. A level over any span is energetic, weighted by the seconds of it that are covered:
//   L = 10 lg( sum w_i 10^(L_i/10) / sum w_i ),   coverage = sum w_i.
// Ranges marked as foreign noise ("Fremdgeräusch") are no covered time in any figure; they are
// cut by time, so a marker that ends inside a sample keeps the rest of that sample.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <optional>
#include <vector>

#include "data/AssessmentInputs.h"
#include "eval/Figures.h"

namespace kelvarn {

// A range of a measurement [s from its start].
struct TimeRange {
    double fromS = 0;
    double toS = 0;
};

// One measurement as the assessment reads it.
struct AssessedMeasurement {
    int number = 0;        // 1-based, as the record counts them
    QDateTime start;       // with its zone or offset; invalid when not known
    double intervalS = 0;  // sampling interval [s]
    // The measured levels [dB(A)], the trailing zero run left off (it is no measured time).
    std::vector<double> levels;
    std::vector<TimeRange> leftOut;  // foreign noise, left out of every figure
};

// The measurements of a record without start times or markers, made of its figures: the
// levels up to each measurement's trailing zero run.
std::vector<AssessedMeasurement> AssessedMeasurements(const RecordFigures& f, double intervalS);

// The area types of TA Lärm Nr. 6.1 with their immission limits by day and by night.
struct AreaInfo {
    AreaType type;
    const char* key;   // as the protocol file stores it
    QString name;      // as TA Lärm names it
    int dayLimit;      // [dB(A)]
    int nightLimit;    // [dB(A)]
    bool restPeriods;  // whether the rest-period surcharge KR applies (by day)
};
const std::vector<AreaInfo>& Areas();
const AreaInfo& AreaOf(AreaType t);
std::optional<AreaType> AreaForKey(const QString& key);

struct AssessmentInput {
    std::vector<AssessedMeasurement> measurements;
    QTimeZone zone;  // of the clock hours and the periods of the day
    std::vector<ExposureTask> tasks;
    std::optional<TaLaermInput> taLaerm;
};

// ---- results ----

// The level of a span; no level without covered time.
struct SpanLevel {
    double coveredS = 0;
    std::optional<double> laeq;  // [dB(A)]
};

struct MeasurementLevel {
    int number = 0;
    QDateTime start, end;  // invalid without a start time
    SpanLevel level;
    double leftOutS = 0;  // removed by markers, within the measured span
    QString reason;       // why there is no level
};

struct HourLevel {
    QDateTime start;  // in the assessment's zone
    double lengthS = 3600;
    SpanLevel level;
};

struct PeriodLevels {
    SpanLevel tag, nacht;           // 06-22, 22-06
    SpanLevel day, evening, night;  // 06-18, 18-22, 22-06
};

struct ExposureTaskResult {
    SpanLevel level;  // of the task's range
    double teH = 0;
    QString reason;
};

struct ExposureResult {
    std::vector<ExposureTaskResult> tasks;
    std::optional<double> lex8h;    // [dB(A)]
    std::optional<double> rounded;  // to 0.1 dB, half away from zero
    bool lowerAction = false;       // rounded > 80 dB(A)
    bool upperAction = false;       // rounded >= 85 dB(A)
    QString reason;                 // why there is no LEX,8h
    QStringList verdict;            // the regulation's wording on the rounded value
};

struct RatingPartResult {
    SpanLevel level;
    double krDb = 0;  // the surcharge KR actually applied
    QString reason;
};

struct RatingResult {
    std::vector<RatingPartResult> parts;
    double trH = 0;                  // rating time [h]
    int limit = 0;                   // the area's limit in the period [dB(A)]
    std::optional<double> lr;        // [dB(A)]
    std::optional<double> compared;  // Lr, or Lr - 3 dB with the Messabschlag
    std::optional<int> rounded;      // compared, whole dB, half away from zero
    bool exceeded = false;
    QString reason;  // why there is no Lr
    QStringList warnings;
    QString verdict;
};

struct Assessment {
    std::vector<MeasurementLevel> measurements;
    std::optional<std::vector<HourLevel>> hours;  // none without start times
    std::optional<PeriodLevels> periods;
    QString timeReason;  // why there are no hours and periods
    std::optional<double> lden;
    double ldenCoveredS = 0;
    QString ldenReason;
    std::optional<HourLevel> loudestNightHour;
    QString nightHourReason;
    std::optional<ExposureResult> exposure;  // none without tasks
    std::optional<RatingResult> rating;      // none without TA Lärm inputs
};

Assessment Assess(const AssessmentInput& in);

// The energetic mean 10 lg(1/n sum 10^(L_i/10)) of levels, as repeated measurements are
// averaged; none for no level.
std::optional<double> EnergeticMean(const std::vector<double>& levels);

// Rounding half away from zero to the given decimals (DIN 1333); the value is first freed of
// the last bits of floating-point noise, so that 55.5 computed as 55.49999999999999 rounds up.
double RoundHalfAway(double v, int decimals);

// Whether a local time of day lies in the rest periods of TA Lärm Nr. 6.5: on working days
// (Monday to Saturday) 06-07 and 20-22, on Sundays and public holidays 06-09, 13-15 and 20-22.
bool InRestPeriod(const QDateTime& local, bool holiday);

// The seconds of a range of a measurement that lie in the rest periods, and all its seconds,
// in the zone's local time; none without a start time.
struct RestShare {
    double inRestS = 0;
    double coveredS = 0;
};
std::optional<RestShare> RestPeriodShare(const AssessedMeasurement& m, const MeasurementRange& r,
                                         const QTimeZone& zone, bool holiday);

// The loudest night hour as rating parts of the measurements it lies in, each with its
// covered share of the hour as T_j.
std::vector<RatingPart> NightHourParts(const std::vector<AssessedMeasurement>& ms,
                                       const HourLevel& hour);

}  // namespace kelvarn

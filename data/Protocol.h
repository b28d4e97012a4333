#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>
#include <vector>

#include "data/AssessmentInputs.h"

namespace kelvarn {

// Where a measurement's start time came from.
enum class StartSource {
    kUnknown,     // no source given
    kPcStart,     // "PC-Start": the run command of a live run that was taken over; exact
    kZeitstart,   // "Zeitstart": the start time computed for a timed upload
    kGeschaetzt,  // "geschätzt": read-out time minus the measured duration; the latest start
    kEingegeben,  // "eingegeben": typed or changed by the user
};

// The key in the protocol file ("pc_start", ...); empty for kUnknown.
QString StartSourceKey(StartSource s);
// The source of a key; nullopt for a key that names none.
std::optional<StartSource> StartSourceFromKey(const QString& key);
// The caption shown to the user: "PC-Start", "Zeitstart", "geschätzt", "eingegeben", or an
// empty text for kUnknown.
QString StartSourceCaption(StartSource s);

struct ProtocolStart;
// A start as the user reads it: "10.06.2026 21:37:12" with "spätestens " in front for an
// estimate; an empty text for an invalid start.
QString StartText(const ProtocolStart& s);

// The start of one measurement of the record.
struct ProtocolStart {
    int measurement = 1;  // 1-based
    QDateTime start;      // local date and time with its UTC offset; invalid when not known
    StartSource source = StartSource::kUnknown;
    QJsonObject extra;  // keys of the file this program does not know, kept for the next save

    bool operator==(const ProtocolStart&) const = default;
};

enum class MarkerKind {
    kFremdgeraeusch,  // foreign noise: left out of the figures "ohne Fremdgeräusch"
    kEreignis,        // an event: kept, labelled
};

// "fremdgeraeusch" / "ereignis", and back (nullopt for any other key).
QString MarkerKindKey(MarkerKind k);
std::optional<MarkerKind> MarkerKindFromKey(const QString& key);
// "Fremdgeräusch" / "Ereignis".
QString MarkerKindCaption(MarkerKind k);

// A range of one measurement, in seconds from its start.
struct ProtocolMarker {
    int measurement = 1;  // 1-based
    double fromS = 0;     // [s], from < to
    double toS = 0;       // [s]
    MarkerKind kind = MarkerKind::kFremdgeraeusch;
    QString text;
    QJsonObject extra;

    bool operator==(const ProtocolMarker&) const = default;
};

// The check with a calibrator before and after the measurement.
struct ProtocolCalibration {
    std::optional<double> referenceDb;  // the calibrator's level [dB]
    std::optional<double> beforeDb;     // the reading before the measurement [dB]
    std::optional<double> afterDb;      // the reading after it [dB]
    QJsonObject extra;

    bool operator==(const ProtocolCalibration&) const = default;
};

// The largest drift between the readings before and after that a measurement may show.
constexpr double kCalibrationTolerance = 0.5;  // [dB]

// after - before, when both readings are there.
std::optional<double> CalibrationDrift(const ProtocolCalibration& c);
// Whether |after - before| exceeds kCalibrationTolerance (compared on the readings rounded to
// 0.1 dB, as they are entered and shown, so 94,0 / 94,5 is not flagged).
bool CalibrationDriftFlagged(const ProtocolCalibration& c);

// The keys of the protocol file that hold the assessment inputs.
inline constexpr char kWorkplaceKey[] = "workplace";
inline constexpr char kTaLaermKey[] = "ta_laerm";

// An assessment input of the protocol file that could not be read. It is written again as it
// stood, so that a slip in one input loses nothing of it, and it is left out of the assessment,
// which names its problem, until the user enters that input anew.
struct UnreadInput {
    QString key;      // kWorkplaceKey or kTaLaermKey
    QJsonValue json;  // as the file held it
    QString problem;  // "ta_laerm: unbekanntes Gebiet \"mond\""

    bool operator==(const UnreadInput&) const = default;
};

// The measurement protocol (Messprotokoll): when, where and how a measurement was made and
// which of its ranges to leave out. It lives beside the measurement file in its ".KVP" file.
struct MeasurementProtocol {
    std::vector<ProtocolStart> starts;  // at most one per measurement, in measurement order
    QString site;                       // Messort
    QString operator_;                  // Messende(r)
    QString instrument;                 // Messgerät, with its serial number
    QString purpose;                    // Auftrag/Zweck
    QString weather;                    // Wetter
    ProtocolCalibration calibration;
    std::vector<ProtocolMarker> markers;
    std::optional<WorkplaceInput> workplace;  // the working day assessed as LEX,8h
    std::optional<TaLaermInput> taLaerm;      // the inputs of the rating level Lr
    // The inputs of the file that could not be read, in the order they were read. An input is
    // in its field above or here, never in both: the one entered takes the unread one's place.
    std::vector<UnreadInput> unreadInputs;
    QJsonObject extra;  // top-level keys this program does not know, kept for the next save

    bool operator==(const MeasurementProtocol&) const = default;

    // Nothing entered and nothing kept from a file.
    bool IsEmpty() const { return *this == MeasurementProtocol{}; }

    // The start entry of measurement m, or nullptr.
    const ProtocolStart* StartOf(int m) const;
    // Sets the start of measurement m (adding the entry in measurement order).
    void SetStart(int m, const QDateTime& start, StartSource source);
    // Forgets the unread input under key: the one entered now takes its place.
    void DropUnread(const char* key);
};

}  // namespace kelvarn

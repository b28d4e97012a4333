#pragma once

// Every change a user makes to the measurement protocol, in the window or with
// "kelvarn-cli protocol": one operation each, checked against the record, applied to the
// document whole or not at all. The window and the command line call the same ones, so a
// change that one refuses the other refuses with the same words.

#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <optional>

#include "data/Protocol.h"

namespace kelvarn {

class MeasurementDocument;
struct DocumentView;

// How an edit went.
// Both texts are whole sentences with their full stop, shown as they are.
struct EditResult {
    QString problem;  // why it was refused ("Marke 2: von 300 s ist nicht kleiner als bis ...
                      // 120 s."); the document is unchanged then
    QString note;     // what the user should know of an edit that was made; may be empty

    bool Ok() const { return problem.isEmpty(); }
    static EditResult Refused(const QString& why) { return {why, {}}; }
};

// The start of measurement m as typed ("eingegeben").
EditResult SetStart(MeasurementDocument& doc, int m, const QDateTime& start);
// The measurements after from start back to back behind it, each lasting as long as from;
// refused while from has no start.
EditResult FillSeries(MeasurementDocument& doc, int from, const QTimeZone& zone);

// A marker added behind the others; one changed in place; one removed (index 0-based).
EditResult AddMarker(MeasurementDocument& doc, const ProtocolMarker& mk);
EditResult ChangeMarker(MeasurementDocument& doc, int index, const ProtocolMarker& mk);
EditResult RemoveMarker(MeasurementDocument& doc, int index);
// A "Fremdgeräusch" marker of measurement 1 from a span of the level chart, in the chart's unit
// (the program's duration unit), clipped to the measurement; nullopt for an empty span.
std::optional<ProtocolMarker> MarkerFromChartSpan(const DocumentView& view, double from, double to);
// Seconds of one unit of the level chart's time axis.
double ChartUnitSeconds(const DocumentView& view);

// The calibrator's level and the readings before and after.
EditResult SetCalibration(MeasurementDocument& doc, const ProtocolCalibration& c);

// The texts of the protocol: Messort, Messende(r), Messgerät, Auftrag/Zweck, Wetter.
enum class ProtocolField { kSite, kOperator, kInstrument, kPurpose, kWeather };
EditResult SetProtocolText(MeasurementDocument& doc, ProtocolField field, const QString& text);

}  // namespace kelvarn

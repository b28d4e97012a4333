#pragma once

// What every face shows of the measurement document, derived once per change of the record or
// of the protocol: the window's tabs, the report, the export and kelvarn-cli read it and never
// compute it again, so that a figure without the marked time or an assessment result cannot
// differ between them.

#include <QTimeZone>
#include <optional>
#include <vector>

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
#include "eval/Assessment.h"
#include "eval/AssessmentSetup.h"
#include "eval/Evaluation.h"
#include "eval/Figures.h"
#include "files/ProtocolFile.h"

namespace kelvarn {

// How the view is made: the LeQ curves the level charts carry, the number format of its table
// texts, and the zone of the assessment's clock hours.
struct ViewOptions {
    EvalOptions eval;
    QTimeZone zone = QTimeZone::systemTimeZone();
};

struct DocumentView {
    // The evaluation pass: charts and tables. Its figuresTable carries, behind each measurement
    // that "Fremdgeräusch" markers cut, the row "<m> ohne Fremdgeräusch".
    Evaluation evaluation;
    // The figures of each measurement and in total.
    RecordFigures figures;
    // Per measurement the figures without the samples its markers leave out; nullopt where no
    // marker cuts it.
    std::vector<std::optional<LevelFigures>> withoutForeignNoise;
    // The measurements and their lengths, what protocol edits are checked against.
    ProtocolShape shape;
    // The assessment's input (starts, markers, tasks, TA Lärm parts), what of it could not be
    // read, and its result.
    AssessmentSetup assessmentSetup;
    Assessment assessment;
    // The program whose interval the record has: its row in the program table, 0 for none.
    int programRow = 0;

    // The "Kennwerte" table in fmt, with the rows "ohne Fremdgeräusch", from the figures above.
    TableText FiguresTableIn(const NumberFormat& fmt) const;
    // Whether the assessment has anything to say beyond the figures: a start time, inputs, or
    // inputs that could not be read.
    bool AssessesByTime() const;
};

// The whole view of a record and its protocol.
DocumentView MakeView(const MeasurementRecord& rec, const MeasurementProtocol& p,
                      const ViewOptions& opt);
// The parts that depend on the protocol, after it changed: the cut figures, the figures table
// and the assessment. The evaluation's charts stay.
void UpdateViewForProtocol(DocumentView& view, const MeasurementRecord& rec,
                           const MeasurementProtocol& p, const ViewOptions& opt);
// The LeQ curves and tables after the options for them changed; the rest stays.
void UpdateViewForLeq(DocumentView& view, const MeasurementRecord& rec, const ViewOptions& opt);

}  // namespace kelvarn

#include "eval/AssessmentSetup.h"

#include "eval/Figures.h"

namespace kelvarn {

AssessmentSetup SetUpAssessment(const MeasurementRecord& rec, const MeasurementProtocol& p,
                                const QTimeZone& zone) {
    return SetUpAssessment(rec, ComputeFigures(rec), p, zone);
}

AssessmentSetup SetUpAssessment(const MeasurementRecord& rec, const RecordFigures& figures,
                                const MeasurementProtocol& p, const QTimeZone& zone) {
    AssessmentSetup out;
    out.input.zone = zone;
    out.input.measurements = AssessedMeasurements(figures, GetInterval(rec) / 1000.0);
    for (AssessedMeasurement& m : out.input.measurements) {
        if (const ProtocolStart* s = p.StartOf(m.number); s && s->start.isValid())
            m.start = s->start;
        for (const ProtocolMarker& mk : p.markers)
            if (mk.measurement == m.number && mk.kind == MarkerKind::kFremdgeraeusch)
                m.leftOut.push_back({mk.fromS, mk.toS});
    }
    if (p.workplace) out.input.tasks = p.workplace->tasks;
    out.input.taLaerm = p.taLaerm;
    // An input of the file that cannot be read is named and left out; the rest is still
    // assessed.
    for (const UnreadInput& u : p.unreadInputs) out.problems << u.problem;
    return out;
}

}  // namespace kelvarn

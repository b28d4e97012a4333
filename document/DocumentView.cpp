#include "document/DocumentView.h"

#include "data/ProgramTable.h"
#include "eval/MarkedFigures.h"

namespace kelvarn {

TableText DocumentView::FiguresTableIn(const NumberFormat& fmt) const {
    return FiguresTableWithCuts(figures, withoutForeignNoise, fmt);
}

bool DocumentView::AssessesByTime() const {
    const AssessmentInput& in = assessmentSetup.input;
    for (const AssessedMeasurement& m : in.measurements)
        if (m.start.isValid()) return true;
    return !in.tasks.empty() || in.taLaerm || !assessmentSetup.problems.isEmpty();
}

DocumentView MakeView(const MeasurementRecord& rec, const MeasurementProtocol& p,
                      const ViewOptions& opt) {
    DocumentView view;
    view.figures = ComputeFigures(rec);
    view.evaluation = EvaluateRecord(rec, view.figures, opt.eval);
    view.shape = ShapeOf(rec);
    view.programRow = Programs().RowForInterval(GetInterval(rec));
    UpdateViewForProtocol(view, rec, p, opt);
    return view;
}

void UpdateViewForProtocol(DocumentView& view, const MeasurementRecord& rec,
                           const MeasurementProtocol& p, const ViewOptions& opt) {
    view.withoutForeignNoise = FiguresWithoutForeignNoise(rec, view.figures, p);
    view.evaluation.figuresTable = view.FiguresTableIn(opt.eval.fmt);
    view.assessmentSetup = SetUpAssessment(rec, view.figures, p, opt.zone);
    view.assessment = Assess(view.assessmentSetup.input);
}

void UpdateViewForLeq(DocumentView& view, const MeasurementRecord& rec, const ViewOptions& opt) {
    ComputeLeqCurves(rec, opt.eval, view.evaluation);
}

}  // namespace kelvarn

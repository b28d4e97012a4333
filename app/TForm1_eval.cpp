// The evaluation tab: puts what the evaluation computes into the charts and
// tables.
#include <QAction>
#include <QCheckBox>
#include <QSignalBlocker>
#include <QTabWidget>

#include "app/TForm1.h"
#include "app/tabs/ProtocolTab.h"
#include "eval/Evaluation.h"
#include "eval/Figures.h"
#include "eval/LevelStatistics.h"
#include "widgets/Chart.h"
#include "widgets/StringGrid.h"

namespace kelvarn {

namespace {

// The view as the boxes ask for it: LeQ curves on the level charts where they are ticked,
// numbers in the user's locale.
void SetViewOptions(MeasurementDocument& doc, const QCheckBox* leqBox, const QCheckBox* leq12Box) {
    ViewOptions opt = doc.Options();
    opt.eval.leqBox = leqBox->isChecked();
    opt.eval.leq12Box = leq12Box->isChecked();
    opt.eval.fmt = NumberFormat::FromLocale();
    doc.SetViewOptions(opt);
}

void SetSeries(TChart* chart, int first, const SeriesData* data, int count) {
    for (int i = 0; i < count; ++i) chart->SetPoints(first + i, data[i]);
}

// The LeQ curves of the four charts and both LeQ tables.
void ShowLeq(TForm1& form, const Evaluation& ev) {
    SetSeries(form.Controls().Chart1, kLeqSeries, ev.levelSeries.data() + kLeqSeries, kLeqCurves);
    SetSeries(form.Controls().Chart3, kLeqSeries, ev.overviewSeries.data() + kLeqSeries,
              kLeqCurves);
    SetSeries(form.Controls().Chart6, 0, ev.leqSeries.data(), kLeqCurves);
    form.Controls().Chart6->xAxis->setLabel(ev.leqAxisTitle);
    form.Controls().Chart6->Rescale();
    SetSeries(form.Controls().Chart12Leq, 0, ev.overviewLeqSeries.data(), kLeqCurves);
    form.Controls().GridLeQ->SetTable(ev.leqTable);
    form.Controls().Grid12Leq->SetTable(ev.overviewLeqTable);
}

}  // namespace

void TForm1::WireEvaluation() {
    // The LeQ tables and the figures find L01 and L95 by different rules, which may part by one
    // class on the same samples: each table says how it finds its own.
    GridLeQ->setToolTip(ClassRuleText());
    Grid12Leq->setToolTip(ClassRuleText());
    GridKennwerte->setToolTip(RankRuleText());
    connect(LeqBox, &QCheckBox::clicked, this, [this] { LeqBoxClick(); });
    connect(Leq12Box, &QCheckBox::clicked, this, [this] { Leq12BoxClick(); });
}

void TForm1::ShowTime() {
    SetViewOptions(document_, LeqBox, Leq12Box);
    const Evaluation& ev = document_.View().evaluation;

    Chart1->SetBottomAxis(ev.levelAxisTitle, 0, ev.levelAxisMax);
    SetSeries(Chart1, 0, ev.levelSeries.data(), kBlockSeries);
    for (int i = 1; i < kBlockSeries; ++i) Chart1->SetSeriesVisible(i, ev.levelBlocksVisible);
    grid->SetTable(ev.levelTable);

    Chart2->SetPoints(0, ev.distributionBars);
    Chart2->Rescale();
    gridspek->SetTable(ev.distributionTable);

    ShowEvaluationTabs(ev.twelve);
    SetSeries(Chart3, 0, ev.overviewSeries.data(), kBlockSeries);
    Grid12->SetTable(ev.overviewTable);
    for (int k = 0; k < 12; ++k) {
        Pegel[size_t(k)]->SetPoints(0, ev.measurementDistributions[size_t(k)]);
        Pegel[size_t(k)]->Rescale();
        Pegel[size_t(k)]->QueueReplot();
    }
    GridSpek12->SetTable(ev.overviewDistributionTable);
    GridKennwerte->SetTable(ev.figuresTable);

    // The LeQ curves come from the same pass.
    ShowLeq(*this, ev);

    // A new record is shown whole.
    for (TChart* chart : ZoomCharts()) chart->ResetView();
    protocolTab_->Show();
    protocolTab_->ShowSelectedStart();
    for (TChart* chart : {Chart1, Chart2, Chart3, Chart6, Chart12Leq}) chart->QueueReplot();
    {
        // Brought to the front by the program, not by the user: no help text.
        const QSignalBlocker block(PageControl1);
        PageControl2->setCurrentWidget(ev.twelve ? TabSheet9 : TabSheet6);
        PageControl1->setCurrentWidget(TabSheet4);
    }
    MeasurementShown();
    if (!ev.damageNotice.isEmpty()) seams_->Notice(this, ev.damageNotice);
}

void TForm1::LeQEinzeichnen(QObject*) {
    SetViewOptions(document_, LeqBox, Leq12Box);
    ShowLeq(*this, document_.View().evaluation);
    for (TChart* chart : {Chart1, Chart3, Chart6, Chart12Leq}) chart->QueueReplot();
}

void TForm1::LeqBoxClick() {
    if (Chart1->PointCount(0) == 0) return;
    if (LeqBox->isChecked()) {
        LeQEinzeichnen(LeqBox);
    } else {
        for (int i = kLeqSeries; i < kLevelSeries; ++i) Chart1->ClearSeries(i);
        Chart1->QueueReplot();
    }
}

void TForm1::Leq12BoxClick() {
    if (Chart1->PointCount(0) == 0) return;
    if (Leq12Box->isChecked()) {
        LeQEinzeichnen(Leq12Box);
    } else {
        for (int i = kLeqSeries; i < kLevelSeries; ++i) Chart3->ClearSeries(i);
        Chart3->QueueReplot();
    }
}

void TForm1::Pegel1DblClick(QObject* sender) {
    int k = 1;
    if (auto* chart = qobject_cast<TChart*>(sender)) k = chart->property("tag").toInt();
    if (k < 1 || k > 12) k = 1;
    const SingleDistribution d =
        MeasurementDistribution(document_.Record(), k, NumberFormat::FromLocale());
    Chart2->SetPoints(0, d.bars);
    Chart2->Rescale();
    gridspek->SetTable(d.table);
    Chart2->SetTitle(d.title);
    Chart2->QueueReplot();
    // With twelve measurements the tab is hidden: show it to bring it to the front.
    PageControl2->setTabVisible(PageControl2->indexOf(TabSheet7), true);
    PageControl2->setCurrentWidget(TabSheet7);
}

}  // namespace kelvarn

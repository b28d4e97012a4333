// View commands of the evaluation charts: legends, value labels, the x axis
// of the distribution and its colouring. They change only how the charts
// look, never the record.
#include <QAction>
#include <cmath>

#include "app/TForm1.h"
#include "data/ProgramTable.h"
#include "eval/Evaluation.h"
#include "eval/Readout.h"
#include "widgets/Chart.h"

namespace kelvarn {

namespace {

// The fixed range of the distribution's x axis [dB(A)].
constexpr double kLevelAxisMin = 0;
constexpr double kLevelAxisMax = 110;

// The clock of the record's chart times. The time of day of a measurement's
// start is not known, so times count from its start.
ReadoutClock ClockOf(const MeasurementRecord& rec) {
    return {Programs().ProgramForInterval(GetInterval(rec)).DurationUnit, std::nullopt};
}

// "Ansicht zurücksetzen" of a chart's menu, named after the chart, shows the whole record.
void WireResetEntry(TChart* chart, const QObject* owner) {
    auto* reset = owner->findChild<QAction*>(chart->objectName() + QStringLiteral("Ansicht"));
    if (!reset) return;
    QObject::connect(reset, &QAction::triggered, chart, [chart] {
        chart->ResetView();
        chart->replot();
    });
}

void ToggleLegend(TChart* chart, QAction* entry) {
    chart->SetLegendVisible(!chart->LegendVisible());
    entry->setChecked(chart->LegendVisible());
    chart->QueueReplot();
}

}  // namespace

void TForm1::WireView() {
    // The level charts can be looked at closely: zoom and pan on the time
    // axis, and a read-out of the curve under the pointer.
    auto level = [this](const TChart* chart) {
        return [this, chart](const TChart::NearPoint& p) {
            return ReadoutText(chart->SeriesName(p.series), 0, p.key, ClockOf(document_.Record()),
                               p.value, NumberFormat::FromLocale());
        };
    };
    // On the overview, x is the measurement and its time; a LeQ curve holds
    // one value per measurement, from x = measurement - 0.5 on.
    auto overview = [this](const TChart* chart, int blocks) {
        return [this, chart, blocks](const TChart::NearPoint& p) {
            const NumberFormat fmt = NumberFormat::FromLocale();
            if (p.series < blocks) {
                const OverviewPoint o = FromOverviewX(p.series + 1, p.key);
                return ReadoutText(QString(), o.measurement, o.t, ClockOf(document_.Record()),
                                   p.value, fmt);
            }
            const double start = chart->PointKey(p.series, p.point - p.point % 2);
            const int measurement = int(std::lround(start + 0.5));
            return ReadoutText(chart->SeriesName(p.series), measurement, std::nullopt,
                               ClockOf(document_.Record()), p.value, fmt);
        };
    };
    Chart1->SetReadout(level(Chart1));
    Chart6->SetReadout(level(Chart6));
    Chart3->SetReadout(overview(Chart3, kBlockSeries));
    Chart12Leq->SetReadout(overview(Chart12Leq, 0));
    for (int i = kLeqSeries; i < kLevelSeries; ++i) {
        Chart1->SetSeriesSteps(i, true);
        Chart3->SetSeriesSteps(i, true);
    }
    for (int i = 0; i < kLeqCurves; ++i) {
        Chart6->SetSeriesSteps(i, true);
        Chart12Leq->SetSeriesSteps(i, true);
    }
    for (TChart* chart : ZoomCharts()) {
        chart->SetTimeZoom(true);
        WireResetEntry(chart, this);
    }

    // A checkable action flips its own mark before it reports; the handlers
    // set the mark from the chart, so both ways of calling them agree.
    connect(Legende1, &QAction::triggered, this, [this] { Legende1Click(); });
    connect(Werte, &QAction::triggered, this, [this] { WerteClick(); });
    connect(MenuItem8, &QAction::triggered, this, [this] { MenuItem8Click(); });
    connect(Legende2, &QAction::triggered, this, [this] { Legende2Click(); });
    connect(AutomatischeXSkalierung1, &QAction::triggered, this,
            [this] { AutomatischeXSkalierung1Click(); });
    connect(FarbigeBalken1, &QAction::triggered, this, [this] { FarbigeBalken1Click(); });
}

void TForm1::Legende1Click() {
    ToggleLegend(Chart1, Legende1);
}

void TForm1::MenuItem8Click() {
    ToggleLegend(Chart6, MenuItem8);
}

void TForm1::Legende2Click() {
    ToggleLegend(Chart12Leq, Legende2);
}

void TForm1::WerteClick() {
    // Every series flips its own labels; all start hidden, so they agree.
    for (int i = 0; i < Chart1->SeriesCount(); ++i)
        Chart1->SetSeriesMarks(i, !Chart1->SeriesMarks(i));
    Werte->setChecked(Chart1->SeriesMarks(1));  // "Block 2"
    Chart1->QueueReplot();
}

void TForm1::AutomatischeXSkalierung1Click() {
    // The axis state is the truth; the mark shows it.
    if (Chart2->BottomAutoScale()) {
        Chart2->SetBottomAutoScale(false);
        Chart2->xAxis->setRange(kLevelAxisMin, kLevelAxisMax);
    } else {
        Chart2->SetBottomAutoScale(true);
    }
    AutomatischeXSkalierung1->setChecked(Chart2->BottomAutoScale());
    Chart2->QueueReplot();
}

void TForm1::FarbigeBalken1Click() {
    Chart2->SetBarsMultiColour(0, !Chart2->BarsMultiColour(0));
    FarbigeBalken1->setChecked(Chart2->BarsMultiColour(0));
    Chart2->QueueReplot();
}

}  // namespace kelvarn

// View commands of the evaluation charts: legends, value labels, the x axis
// of the distribution and its colouring. They change only how the charts
// look, never the record.
#include <QAction>

#include "app/TForm1.h"
#include "widgets/Chart.h"

namespace kelvarn {

namespace {

// The fixed range of the distribution's x axis [dB(A)].
constexpr double kLevelAxisMin = 0;
constexpr double kLevelAxisMax = 110;

void ToggleLegend(TChart* chart, QAction* entry) {
    chart->SetLegendVisible(!chart->LegendVisible());
    entry->setChecked(chart->LegendVisible());
    chart->QueueReplot();
}

}  // namespace

void TForm1::WireView() {
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

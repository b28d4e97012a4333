// The tab "&Auswertung": the document view's charts and tables, and the commands that change
// only how the charts look (legends, value labels, the distribution's axis and colours).
#include "app/tabs/EvaluationTab.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>
#include <cmath>

#include "app/MenuTable.h"
#include "app/TForm1.h"
#include "app/tabs/AssessmentTab.h"
#include "app/tabs/ProtocolTab.h"
#include "data/ProgramTable.h"
#include "document/MeasurementDocument.h"
#include "eval/Evaluation.h"
#include "eval/Figures.h"
#include "eval/LevelStatistics.h"
#include "eval/Readout.h"
#include "widgets/Chart.h"
#include "widgets/ChartSetup.h"
#include "widgets/Readable.h"
#include "widgets/StringGrid.h"

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

QWidget* ChartAndGrid(QWidget* chart, QWidget* table) {
    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(chart);
    split->addWidget(table);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    split->setSizes({560, 200});
    return split;
}

}  // namespace

EvaluationTab::EvaluationTab(const TabContext& context, TForm1Controls& controls, QObject* parent)
    : QObject(parent), c_(context), w_(controls) {}

QWidget* EvaluationTab::Build() {
    QWidget* tab = NamedPage("TabSheet4");
    auto* layout = new QVBoxLayout(tab);
    auto* split = new QSplitter(Qt::Vertical, tab);
    split->setObjectName(QStringLiteral("Splitter1"));
    w_.PageControl2 = new QTabWidget;
    w_.PageControl2->setObjectName(QStringLiteral("PageControl2"));
    w_.PageControl2->setTabPosition(QTabWidget::South);

    auto page = [&](QWidget*& sheet, const char* name, const QString& caption, QWidget* chart,
                    QWidget* table) {
        sheet = NamedPage(name);
        auto* l = new QVBoxLayout(sheet);
        l->setContentsMargins(2, 2, 2, 2);
        l->addWidget(ChartAndGrid(chart, table));
        w_.PageControl2->addTab(sheet, caption);
    };

    w_.Chart1 = new TChart(QStringLiteral("Chart1"), QStringLiteral("Schallpegeldiagramm"));
    SetUpLevelChart(*w_.Chart1);
    w_.grid = new StringGrid(QStringLiteral("grid"));
    page(w_.TabSheet6, "TabSheet6", QStringLiteral("&Pegel"), w_.Chart1, w_.grid);
    w_.LeqBox = new QCheckBox(QStringLiteral("LeQ"), w_.Chart1);
    w_.LeqBox->setObjectName(QStringLiteral("LeqBox"));
    w_.LeqBox->move(6, 4);
    KeepBlackOnWhite(w_.LeqBox);
    AddContextMenu(c_.window, w_.Chart1);
    AddContextMenu(c_.window, w_.grid);

    w_.Chart6 = new TChart(QStringLiteral("Chart6"), QStringLiteral("Äquivalenzpegeldiagramm"));
    SetUpLeqChart(*w_.Chart6);
    w_.GridLeQ = new StringGrid(QStringLiteral("GridLeQ"));
    page(w_.TabSheet3, "TabSheet3", QStringLiteral("&LeQ"), w_.Chart6, w_.GridLeQ);
    AddContextMenu(c_.window, w_.Chart6);
    AddContextMenu(c_.window, w_.GridLeQ);

    w_.Chart2 = new TChart(QStringLiteral("Chart2"), QStringLiteral("Verteilung"));
    SetUpDistributionChart(*w_.Chart2);
    w_.gridspek = new StringGrid(QStringLiteral("gridspek"));
    page(w_.TabSheet7, "TabSheet7", QStringLiteral("&Verteilung"), w_.Chart2, w_.gridspek);
    AddContextMenu(c_.window, w_.Chart2);
    AddContextMenu(c_.window, w_.gridspek);

    w_.Chart3 = new TChart(QStringLiteral("Chart3"), QStringLiteral("Pegel in der Übersicht"));
    SetUpOverviewChart(*w_.Chart3);
    w_.Grid12 = new StringGrid(QStringLiteral("Grid12"));
    page(w_.TabSheet9, "TabSheet9", QStringLiteral("Pe&gel 12"), w_.Chart3, w_.Grid12);
    w_.Leq12Box = new QCheckBox(QStringLiteral("LeQ"), w_.Chart3);
    w_.Leq12Box->setObjectName(QStringLiteral("Leq12Box"));
    w_.Leq12Box->move(6, 4);
    KeepBlackOnWhite(w_.Leq12Box);
    AddContextMenu(c_.window, w_.Chart3);
    AddContextMenu(c_.window, w_.Grid12);

    w_.Chart12Leq =
        new TChart(QStringLiteral("Chart12Leq"), QStringLiteral("Äquivalenzen in der Übersicht"));
    SetUpOverviewLeqChart(*w_.Chart12Leq);
    w_.Grid12Leq = new StringGrid(QStringLiteral("Grid12Leq"));
    page(w_.TabSheet15, "TabSheet15", QStringLiteral("Le&Q 12"), w_.Chart12Leq, w_.Grid12Leq);
    AddContextMenu(c_.window, w_.Chart12Leq);
    AddContextMenu(c_.window, w_.Grid12Leq);

    w_.Panel6 = new QWidget;
    w_.Panel6->setObjectName(QStringLiteral("Panel6"));
    auto* stack = new QVBoxLayout(w_.Panel6);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    for (int k = 1; k <= 12; ++k) {
        TChart* small = new TChart(QStringLiteral("Pegel%1").arg(k), QString(), w_.Panel6);
        SetUpSmallDistributionChart(*small, k);
        // The small charts show the panel's menu.
        small->setContextMenuPolicy(Qt::NoContextMenu);
        small->installEventFilter(this);
        w_.Pegel[size_t(k - 1)] = small;
        stack->addWidget(small);
    }
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("ScrollBox1"));
    scroll->setWidgetResizable(true);
    scroll->setWidget(w_.Panel6);
    w_.GridSpek12 = new StringGrid(QStringLiteral("GridSpek12"));
    page(w_.TabSheet8, "TabSheet8", QStringLiteral("Ve&rteilung 12"), scroll, w_.GridSpek12);
    AddContextMenu(c_.window, w_.Panel6);
    AddContextMenu(c_.window, w_.GridSpek12);

    BuildSubTabs();
    split->addWidget(w_.PageControl2);
    w_.RichEdit1 = new QTextEdit;
    w_.RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    w_.RichEdit1->setAcceptRichText(true);
    AddContextMenu(c_.window, w_.RichEdit1);
    split->addWidget(w_.RichEdit1);
    split->setStretchFactor(0, 5);
    split->setStretchFactor(1, 1);
    split->setSizes({420, 70});
    layout->addWidget(split);

    // Check marks as the charts start.
    w_.Legende1 = c_.window->findChild<QAction*>(QStringLiteral("Legende1"));
    w_.Werte = c_.window->findChild<QAction*>(QStringLiteral("Werte"));
    w_.MenuItem8 = c_.window->findChild<QAction*>(QStringLiteral("MenuItem8"));
    w_.Legende2 = c_.window->findChild<QAction*>(QStringLiteral("Legende2"));
    w_.AutomatischeXSkalierung1 =
        c_.window->findChild<QAction*>(QStringLiteral("AutomatischeXSkalierung1"));
    w_.FarbigeBalken1 = c_.window->findChild<QAction*>(QStringLiteral("FarbigeBalken1"));
    w_.SpeichernalsText1 = c_.window->findChild<QAction*>(QStringLiteral("SpeichernalsText1"));
    for (QAction* a : {w_.Legende1, w_.Werte, w_.MenuItem8, w_.Legende2,
                       w_.AutomatischeXSkalierung1, w_.FarbigeBalken1})
        a->setCheckable(true);
    w_.AutomatischeXSkalierung1->setChecked(true);
    w_.SpeichernalsText1->setEnabled(false);
    WireView();
    return tab;
}

QWidget* EvaluationTab::BuildSubTabs() {
    w_.TabSheet16 = NamedPage("TabSheet16");
    auto* figures = new QVBoxLayout(w_.TabSheet16);
    figures->setContentsMargins(2, 2, 2, 2);
    w_.GridKennwerte = new StringGrid(QStringLiteral("GridKennwerte"), w_.TabSheet16);
    figures->addWidget(w_.GridKennwerte);
    AddContextMenu(c_.window, w_.GridKennwerte);
    w_.PageControl2->addTab(w_.TabSheet16, QStringLiteral("Kenn&werte"));
    assessment_ = new AssessmentTab(c_, this);
    ProtocolTab::Reach reach;
    reach.levelChart = w_.Chart1;
    reach.levelTable = w_.grid;
    reach.leqBox = w_.LeqBox;
    reach.figures = w_.GridKennwerte;
    reach.protocolShown = [this] { assessment_->ShowProblem({}); };
    protocol_ = new ProtocolTab(c_, reach, this);
    w_.TabSheetProtokoll = protocol_->Build();
    w_.PageControl2->addTab(w_.TabSheetProtokoll, QStringLiteral("Pro&tokoll"));
    w_.TabSheetBeurteilung = assessment_->Build();
    w_.ChartBeurteilung = assessment_->HourChart();
    w_.GridStunden = assessment_->HourTable();
    w_.GridZeitraeume = assessment_->PeriodTable();
    w_.GridMessungen = assessment_->MeasurementTable();
    w_.PageControl2->addTab(w_.TabSheetBeurteilung, QStringLiteral("&Beurteilung"));
    // The assessment shows whatever the protocol holds, however it was changed.
    connect(&c_.document, &MeasurementDocument::ProtocolChanged, assessment_, &AssessmentTab::Show);
    return w_.PageControl2;
}

void EvaluationTab::WireView() {
    // The LeQ tables and the figures find L01 and L95 by different rules, which may part by one
    // class on the same samples: each table says how it finds its own.
    w_.GridLeQ->setToolTip(ClassRuleText());
    w_.Grid12Leq->setToolTip(ClassRuleText());
    w_.GridKennwerte->setToolTip(RankRuleText());
    connect(w_.LeqBox, &QCheckBox::clicked, this, [this] { LeqBoxClicked(); });
    connect(w_.Leq12Box, &QCheckBox::clicked, this, [this] { Leq12BoxClicked(); });

    // The level charts can be looked at closely: zoom and pan on the time axis, and a read-out
    // of the curve under the pointer.
    auto level = [this](const TChart* chart) {
        return [this, chart](const TChart::NearPoint& p) {
            return ReadoutText(chart->SeriesName(p.series), 0, p.key, ClockOf(c_.document.Record()),
                               p.value, NumberFormat::FromLocale());
        };
    };
    // On the overview, x is the measurement and its time; a LeQ curve holds one value per
    // measurement, from x = measurement - 0.5 on.
    auto overview = [this](const TChart* chart, int blocks) {
        return [this, chart, blocks](const TChart::NearPoint& p) {
            const NumberFormat fmt = NumberFormat::FromLocale();
            if (p.series < blocks) {
                const OverviewPoint o = FromOverviewX(p.series + 1, p.key);
                return ReadoutText(QString(), o.measurement, o.t, ClockOf(c_.document.Record()),
                                   p.value, fmt);
            }
            const double start = chart->PointKey(p.series, p.point - p.point % 2);
            const int measurement = int(std::lround(start + 0.5));
            return ReadoutText(chart->SeriesName(p.series), measurement, std::nullopt,
                               ClockOf(c_.document.Record()), p.value, fmt);
        };
    };
    w_.Chart1->SetReadout(level(w_.Chart1));
    w_.Chart6->SetReadout(level(w_.Chart6));
    w_.Chart3->SetReadout(overview(w_.Chart3, kBlockSeries));
    w_.Chart12Leq->SetReadout(overview(w_.Chart12Leq, 0));
    for (int i = kLeqSeries; i < kLevelSeries; ++i) {
        w_.Chart1->SetSeriesSteps(i, true);
        w_.Chart3->SetSeriesSteps(i, true);
    }
    for (int i = 0; i < kLeqCurves; ++i) {
        w_.Chart6->SetSeriesSteps(i, true);
        w_.Chart12Leq->SetSeriesSteps(i, true);
    }
    for (TChart* chart : ZoomCharts()) {
        chart->SetTimeZoom(true);
        WireResetEntry(chart, c_.window);
    }

    // A checkable action flips its own mark before it reports; the handlers set the mark from
    // the chart, so both ways of calling them agree.
    connect(w_.Legende1, &QAction::triggered, this,
            [this] { ToggleLegend(w_.Chart1, w_.Legende1); });
    connect(w_.Werte, &QAction::triggered, this, [this] { ToggleValueLabels(); });
    connect(w_.MenuItem8, &QAction::triggered, this,
            [this] { ToggleLegend(w_.Chart6, w_.MenuItem8); });
    connect(w_.Legende2, &QAction::triggered, this,
            [this] { ToggleLegend(w_.Chart12Leq, w_.Legende2); });
    connect(w_.AutomatischeXSkalierung1, &QAction::triggered, this,
            [this] { ToggleDistributionScale(); });
    connect(w_.FarbigeBalken1, &QAction::triggered, this, [this] { ToggleColouredBars(); });
    ShowTabs(false);
    ColourSmallCharts();
}

QString EvaluationTab::Show() {
    SetViewOptions(c_.document, w_.LeqBox, w_.Leq12Box);
    const Evaluation& ev = c_.document.View().evaluation;

    w_.Chart1->SetBottomAxis(ev.levelAxisTitle, 0, ev.levelAxisMax);
    SetSeries(w_.Chart1, 0, ev.levelSeries.data(), kBlockSeries);
    for (int i = 1; i < kBlockSeries; ++i) w_.Chart1->SetSeriesVisible(i, ev.levelBlocksVisible);
    w_.grid->SetTable(ev.levelTable);

    w_.Chart2->SetPoints(0, ev.distributionBars);
    w_.Chart2->Rescale();
    w_.gridspek->SetTable(ev.distributionTable);

    ShowTabs(ev.twelve);
    SetSeries(w_.Chart3, 0, ev.overviewSeries.data(), kBlockSeries);
    w_.Grid12->SetTable(ev.overviewTable);
    for (int k = 0; k < 12; ++k) {
        w_.Pegel[size_t(k)]->SetPoints(0, ev.measurementDistributions[size_t(k)]);
        w_.Pegel[size_t(k)]->Rescale();
        w_.Pegel[size_t(k)]->QueueReplot();
    }
    w_.GridSpek12->SetTable(ev.overviewDistributionTable);
    w_.GridKennwerte->SetTable(ev.figuresTable);

    // The LeQ curves come from the same pass.
    ShowLeq();

    // A new record is shown whole.
    for (TChart* chart : ZoomCharts()) chart->ResetView();
    protocol_->Show();
    protocol_->ShowSelectedStart();
    for (TChart* chart : {w_.Chart1, w_.Chart2, w_.Chart3, w_.Chart6, w_.Chart12Leq})
        chart->QueueReplot();
    {
        // Brought to the front by the program, not by the user: no help text.
        const QSignalBlocker block(w_.PageControl1);
        w_.PageControl2->setCurrentWidget(ev.twelve ? w_.TabSheet9 : w_.TabSheet6);
        w_.PageControl1->setCurrentWidget(w_.TabSheet4);
    }
    return ev.damageNotice;
}

void EvaluationTab::ShowLeq() {
    SetViewOptions(c_.document, w_.LeqBox, w_.Leq12Box);
    const Evaluation& ev = c_.document.View().evaluation;
    SetSeries(w_.Chart1, kLeqSeries, ev.levelSeries.data() + kLeqSeries, kLeqCurves);
    SetSeries(w_.Chart3, kLeqSeries, ev.overviewSeries.data() + kLeqSeries, kLeqCurves);
    SetSeries(w_.Chart6, 0, ev.leqSeries.data(), kLeqCurves);
    w_.Chart6->xAxis->setLabel(ev.leqAxisTitle);
    w_.Chart6->Rescale();
    SetSeries(w_.Chart12Leq, 0, ev.overviewLeqSeries.data(), kLeqCurves);
    w_.GridLeQ->SetTable(ev.leqTable);
    w_.Grid12Leq->SetTable(ev.overviewLeqTable);
}

void EvaluationTab::LeqBoxClicked() {
    if (w_.Chart1->PointCount(0) == 0) return;
    if (w_.LeqBox->isChecked()) {
        ShowLeq();
        for (TChart* chart : {w_.Chart1, w_.Chart3, w_.Chart6, w_.Chart12Leq}) chart->QueueReplot();
    } else {
        for (int i = kLeqSeries; i < kLevelSeries; ++i) w_.Chart1->ClearSeries(i);
        w_.Chart1->QueueReplot();
    }
}

void EvaluationTab::Leq12BoxClicked() {
    if (w_.Chart1->PointCount(0) == 0) return;
    if (w_.Leq12Box->isChecked()) {
        ShowLeq();
        for (TChart* chart : {w_.Chart1, w_.Chart3, w_.Chart6, w_.Chart12Leq}) chart->QueueReplot();
    } else {
        for (int i = kLeqSeries; i < kLevelSeries; ++i) w_.Chart3->ClearSeries(i);
        w_.Chart3->QueueReplot();
    }
}

void EvaluationTab::ShowDistributionOf(int k) {
    if (k < 1 || k > 12) k = 1;
    const SingleDistribution d =
        MeasurementDistribution(c_.document.Record(), k, NumberFormat::FromLocale());
    w_.Chart2->SetPoints(0, d.bars);
    w_.Chart2->Rescale();
    w_.gridspek->SetTable(d.table);
    w_.Chart2->SetTitle(d.title);
    w_.Chart2->QueueReplot();
    // With twelve measurements the tab is hidden: show it to bring it to the front.
    w_.PageControl2->setTabVisible(w_.PageControl2->indexOf(w_.TabSheet7), true);
    w_.PageControl2->setCurrentWidget(w_.TabSheet7);
}

void EvaluationTab::ShowTabs(bool twelve) {
    for (QWidget* single : {w_.TabSheet6, w_.TabSheet3, w_.TabSheet7})
        w_.PageControl2->setTabVisible(w_.PageControl2->indexOf(single), !twelve);
    for (QWidget* overview : {w_.TabSheet9, w_.TabSheet15, w_.TabSheet8})
        w_.PageControl2->setTabVisible(w_.PageControl2->indexOf(overview), twelve);
}

void EvaluationTab::ColourSmallCharts() {
    // Each small chart in the colour of its measurement on the level chart.
    for (int k = 1; k <= 12; ++k)
        w_.Pegel[size_t(k - 1)]->SetSeriesColor(0, w_.Chart1->SeriesColor(k - 1));
}

std::array<TChart*, 7> EvaluationTab::BigCharts() const {
    return {w_.Chart4, w_.Chart5, w_.Chart1, w_.Chart6, w_.Chart2, w_.Chart3, w_.Chart12Leq};
}

std::array<TChart*, 4> EvaluationTab::ZoomCharts() const {
    return {w_.Chart1, w_.Chart6, w_.Chart3, w_.Chart12Leq};
}

bool EvaluationTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        auto* chart = qobject_cast<TChart*>(watched);
        if (chart && chart->property("tag").toInt() > 0) {
            ShowDistributionOf(chart->property("tag").toInt());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void EvaluationTab::ToggleValueLabels() {
    // Every series flips its own labels; all start hidden, so they agree.
    for (int i = 0; i < w_.Chart1->SeriesCount(); ++i)
        w_.Chart1->SetSeriesMarks(i, !w_.Chart1->SeriesMarks(i));
    w_.Werte->setChecked(w_.Chart1->SeriesMarks(1));  // "Block 2"
    w_.Chart1->QueueReplot();
}

void EvaluationTab::ToggleDistributionScale() {
    // The axis state is the truth; the mark shows it.
    if (w_.Chart2->BottomAutoScale()) {
        w_.Chart2->SetBottomAutoScale(false);
        w_.Chart2->xAxis->setRange(kLevelAxisMin, kLevelAxisMax);
    } else {
        w_.Chart2->SetBottomAutoScale(true);
    }
    w_.AutomatischeXSkalierung1->setChecked(w_.Chart2->BottomAutoScale());
    w_.Chart2->QueueReplot();
}

void EvaluationTab::ToggleColouredBars() {
    w_.Chart2->SetBarsMultiColour(0, !w_.Chart2->BarsMultiColour(0));
    w_.FarbigeBalken1->setChecked(w_.Chart2->BarsMultiColour(0));
    w_.Chart2->QueueReplot();
}

}  // namespace kelvarn

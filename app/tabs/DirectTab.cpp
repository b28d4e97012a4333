// The tab "D&irekt": the live level from the cell as digits, bar, curve and distribution, and
// its start, stop and automatic restart. The live run itself lives in the cell layer; this
// tab starts it and shows what it reports.
#include "app/tabs/DirectTab.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CellCommands.h"
#include "app/MenuTable.h"
#include "app/TForm1.h"
#include "cell/CellResult.h"
#include "cell/LiveLevel.h"
#include "data/ProgramTable.h"
#include "eval/Figures.h"
#include "widgets/Chart.h"
#include "widgets/ChartSetup.h"

namespace kelvarn {

namespace {

// The highest level the level bar shows [dB(A)].
constexpr int kBarTop = 110;

QCPGraph* LiveLine(TChart* chart) {
    return qobject_cast<QCPGraph*>(chart->Series(0));
}
QCPBars* LiveBars(TChart* chart) {
    return qobject_cast<QCPBars*>(chart->Series(0));
}

}  // namespace

DirectTab::DirectTab(const TabContext& context, TForm1Controls& controls, CellCommands& cell,
                     QObject* parent)
    : QObject(parent), c_(context), w_(controls), cell_(cell) {}

QWidget* DirectTab::Build() {
    QWidget* tab = NamedPage("TabSheet2");
    auto* layout = new QVBoxLayout(tab);
    w_.PageControl3 = new QTabWidget(tab);
    w_.PageControl3->setObjectName(QStringLiteral("PageControl3"));
    w_.PageControl3->setTabPosition(QTabWidget::South);

    // "&Digital"
    w_.TabSheet10 = NamedPage("TabSheet10");
    auto* digital = new QHBoxLayout(w_.TabSheet10);
    w_.Panel1 = new QLabel(QStringLiteral("0"), w_.TabSheet10);
    w_.Panel1->setObjectName(QStringLiteral("Panel1"));
    w_.Panel1->setAlignment(Qt::AlignCenter);
    w_.Panel1->setAutoFillBackground(true);
    w_.Panel1->setStyleSheet(
        QStringLiteral("background-color: #FFFFE1; color: black; border: 1px solid gray;"));
    w_.Panel1->setMinimumWidth(200);
    w_.Panel1->installEventFilter(this);
    digital->addWidget(w_.Panel1, 4);
    w_.Panel2 = new QFrame(w_.TabSheet10);
    w_.Panel2->setObjectName(QStringLiteral("Panel2"));
    w_.Panel2->setFrameShape(QFrame::StyledPanel);
    auto* unit = new QHBoxLayout(w_.Panel2);
    auto* labels = new QVBoxLayout;
    auto* dba = new QLabel(QStringLiteral("dB(A)"), w_.Panel2);
    dba->setObjectName(QStringLiteral("Label2"));
    QFont unitFont = dba->font();
    unitFont.setPointSize(28);
    unitFont.setBold(true);
    dba->setFont(unitFont);
    labels->addWidget(dba);
    // Empty until the first level arrives; each beside its name, so that the two numbers are
    // not taken for something else.
    w_.LabelMax = new QLabel(w_.Panel2);
    w_.LabelMax->setObjectName(QStringLiteral("LabelMax"));
    w_.LabelMax->setToolTip(QStringLiteral("Maximalpegel"));
    w_.LabelMin = new QLabel(w_.Panel2);
    w_.LabelMin->setObjectName(QStringLiteral("LabelMin"));
    w_.LabelMin->setToolTip(QStringLiteral("Minimalpegel"));
    auto* extremesGrid = new QGridLayout;
    int line = 0;
    for (QLabel* value : {w_.LabelMax, w_.LabelMin}) {
        auto* name = new QLabel(
            value == w_.LabelMax ? QStringLiteral("Max:") : QStringLiteral("Min:"), w_.Panel2);
        name->setObjectName(value->objectName() + QStringLiteral("Caption"));
        name->setToolTip(value->toolTip());
        QFont extremes = value->font();
        extremes.setPointSize(16);
        name->setFont(extremes);
        value->setFont(extremes);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        extremesGrid->addWidget(name, line, 0);
        extremesGrid->addWidget(value, line, 1);
        ++line;
    }
    extremesGrid->setColumnStretch(1, 1);
    labels->addLayout(extremesGrid);
    labels->addStretch(1);
    unit->addLayout(labels, 1);
    w_.dbabar = new QProgressBar(w_.Panel2);
    w_.dbabar->setObjectName(QStringLiteral("dbabar"));
    w_.dbabar->setOrientation(Qt::Vertical);
    w_.dbabar->setRange(0, 110);
    w_.dbabar->setValue(0);
    w_.dbabar->setTextVisible(false);
    unit->addWidget(w_.dbabar);
    w_.Panel2->setMaximumWidth(240);
    digital->addWidget(w_.Panel2, 1);
    w_.PageControl3->addTab(w_.TabSheet10, QStringLiteral("Di&gital"));
    AddContextMenu(c_.window, w_.Panel1);
    w_.Panel2->setContextMenuPolicy(Qt::ActionsContextMenu);
    w_.Panel2->addActions(w_.Panel1->actions());

    // "Ana&log"
    w_.TabSheet11 = NamedPage("TabSheet11");
    auto* analog = new QVBoxLayout(w_.TabSheet11);
    w_.Chart4 =
        new TChart(QStringLiteral("Chart4"), QStringLiteral("Direktmessung"), w_.TabSheet11);
    SetUpLiveChart(*w_.Chart4);
    analog->addWidget(w_.Chart4);
    w_.PageControl3->addTab(w_.TabSheet11, QStringLiteral("Ana&log"));
    AddContextMenu(c_.window, w_.Chart4);

    // "&Verteilung"
    w_.TabSheet12 = NamedPage("TabSheet12");
    auto* verteilung = new QVBoxLayout(w_.TabSheet12);
    w_.Chart5 = new TChart(QStringLiteral("Chart5"), QStringLiteral("Verteilung"), w_.TabSheet12);
    SetUpLiveDistributionChart(*w_.Chart5);
    verteilung->addWidget(w_.Chart5);
    w_.PageControl3->addTab(w_.TabSheet12, QStringLiteral("&Verteilung"));
    AddContextMenu(c_.window, w_.Chart5);

    layout->addWidget(w_.PageControl3, 1);

    auto* bottom = new QHBoxLayout;
    w_.directbar = new QProgressBar(tab);
    w_.directbar->setObjectName(QStringLiteral("directbar"));
    w_.directbar->setToolTip(QStringLiteral("Zeigt die Messzeit an"));
    w_.directbar->setTextVisible(false);
    w_.directbar->setValue(0);
    bottom->addWidget(w_.directbar, 1);
    w_.Button1 = new QPushButton(QStringLiteral("&Start"), tab);
    w_.Button1->setObjectName(QStringLiteral("Button1"));
    w_.Button1->setToolTip(
        QStringLiteral("Überträgt und startet in der Hardware das eingestellte Messprogramm"));
    bottom->addWidget(w_.Button1);
    // "St&opp" beside "&Start" (the S is taken by it), only while a live measurement runs.
    w_.StoppButton = new QPushButton(QStringLiteral("St&opp"), tab);
    w_.StoppButton->setObjectName(QStringLiteral("StoppButton"));
    w_.StoppButton->setToolTip(QStringLiteral("Beendet die laufende Direktmessung"));
    w_.StoppButton->setEnabled(false);
    bottom->addWidget(w_.StoppButton);
    w_.dauerbox = new QCheckBox(QStringLiteral("Automatischer &Neustart"), tab);
    w_.dauerbox->setObjectName(QStringLiteral("dauerbox"));
    w_.dauerbox->setToolTip(
        QStringLiteral("Betätigt den Startschalter nach einer Messung automatisch erneut"));
    bottom->addWidget(w_.dauerbox);
    bottom->addStretch(1);
    w_.Button3 = new QPushButton(QStringLiteral("Zur A&uswertung"), tab);
    w_.Button3->setObjectName(QStringLiteral("Button3"));
    bottom->addWidget(w_.Button3);
    layout->addLayout(bottom);
    // The live ticks when commands run inline.
    w_.Timer1 = new QTimer(c_.window);
    w_.Timer1->setObjectName(QStringLiteral("Timer1"));
    Wire();
    return tab;
}

void DirectTab::Wire() {
    connect(w_.Button1, &QPushButton::clicked, this, [this] { Start(); });
    connect(w_.StoppButton, &QPushButton::clicked, this, [this] { Stop(); });
    connect(w_.Timer1, &QTimer::timeout, this, [this] { Tick(); });
    // The digits follow the panel's size, never the other way round.
    w_.Panel1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    LiveRun& run = cell_.Run();
    connect(&run, &LiveRun::Starting, this, [this] { w_.directbar->setValue(0); });
    connect(&run, &LiveRun::Started, this, [this](const CellResult& result) { ShowStart(result); });
    connect(&run, &LiveRun::RunningChanged, this,
            [this](bool running) { RunningChanged(running); });
    connect(&run, &LiveRun::Sample, this, [this](const LiveSample& sample) { ShowSample(sample); });
}

void DirectTab::WireChoice() {
    // The program, its files and the automatic restart are chosen here and on
    // "&Einstellungen"; the live run starts again with what they show.
    connect(w_.ProgBox, &QComboBox::currentIndexChanged, this, [this] { UpdateChoice(); });
    connect(w_.dauerbox, &QCheckBox::toggled, this, [this] { UpdateChoice(); });
    connect(w_.Binfile, &QCheckBox::toggled, this, [this] { UpdateChoice(); });
    UpdateChoice();
}

bool DirectTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == w_.Panel1 && event->type() == QEvent::Resize) ResizeDigits();
    return QObject::eventFilter(watched, event);
}

void DirectTab::Start() {
    if (cell_.Busy() || !cell_.MayEndLive()) return;
    UpdateChoice();
    cell_.Run().Start();
}

void DirectTab::UpdateChoice() {
    cell_.Run().SetChoice({cell_.Port(), w_.ProgBox->currentIndex() + 1, w_.Binfile->isChecked(),
                           w_.dauerbox->isChecked()});
}

void DirectTab::ShowStart(const CellResult& result) {
    // Without a program there is nothing to pace or draw by; the cell got no run command.
    if (!result.Ok()) {
        cell_.ShowResult(result);
        return;
    }
    const ProgramRow& program = Programs().Row(result.row);
    ShowSession();
    w_.Chart4->SetBottomAxis(QStringLiteral("t/") + program.DurationUnit, 0, program.Duration);
    cell_.ShowResult(result);
    w_.directbar->setMaximum(program.Points);
}

void DirectTab::Tick() {
    if (cell_.Session().OwnThread()) return;
    cell_.Run().Tick();
}

void DirectTab::ShowSample(const LiveSample& sample) {
    w_.dbabar->setValue(std::clamp(RoundHalfEven(sample.level), 0, kBarTop));
    LiveLine(w_.Chart4)->addData(sample.time, sample.level);
    ShowFigures();
    w_.Panel1->setText(NumberFormat::FromLocale().Level(sample.level));
    w_.directbar->setValue(std::min(cell_.Session().Live().Count(), w_.directbar->maximum()));
    c_.setStatus(QStringLiteral(" Programm ") + ProgramLetter(cell_.Session().Live().Row()) +
                 QStringLiteral(", Messwert ") + QString::number(cell_.Session().Live().Count()));
    // Drawn on the next pass of the event loop, between two ticks.
    w_.Chart4->QueueReplot();
    w_.Chart5->QueueReplot();
}

void DirectTab::ShowSession() {
    QVector<double> times, levels;
    for (int k = 0; k < cell_.Session().Live().Count(); ++k) {
        times << LiveTime(k, cell_.Session().Live().Row());
        levels << cell_.Session().Live().Levels()[size_t(k)];
    }
    LiveLine(w_.Chart4)->setData(times, levels, true);
    ShowFigures();
    w_.Chart4->QueueReplot();
    w_.Chart5->QueueReplot();
}

void DirectTab::ShowFigures() {
    // Before the first level there is no maximum or minimum to show.
    const QLocale locale;
    const bool any = cell_.Session().Live().Count() > 0;
    w_.LabelMax->setText(any ? locale.toString(cell_.Session().Live().Maximum()) : QString());
    w_.LabelMin->setText(any ? locale.toString(cell_.Session().Live().Minimum()) : QString());
    QVector<double> keys, counts;
    for (const auto& [level, count] : cell_.Session().Live().Distribution()) {
        keys << level;
        counts << count;
    }
    LiveBars(w_.Chart5)->setData(keys, counts, true);
    w_.Chart5->Rescale();
}

void DirectTab::Stop() {
    if (!cell_.LiveRunning()) return;
    cell_.Run().Stop();
    CellResult stopped;
    stopped.command = CellCommand::kLive;
    stopped.status = CellStatus::kCancelled;
    stopped.count = cell_.Session().Live().Count();
    cell_.ShowResult(stopped);
}

void DirectTab::RunningChanged(bool running) {
    w_.StoppButton->setEnabled(running);
    if (!running) {
        w_.Timer1->stop();
    } else if (!cell_.Session().OwnThread()) {
        // Inline the link belongs to this thread: one tick per sampling interval of the
        // program, as the cell sends.
        w_.Timer1->start(Programs().Row(cell_.Session().Live().Row()).IntervalMs);
    }
}

void DirectTab::ResizeDigits() {
    // The digits grow with the panel's height: a third of it, in points. A
    // panel narrower than its height would cut the level off, so there the
    // widest level text sets the size instead.
    QFont f = w_.Panel1->font();
    int size = std::max(1, w_.Panel1->height() / 3);
    f.setPointSize(size);
    const QString widest = NumberFormat::FromLocale().Level(888.8);
    const int room = w_.Panel1->contentsRect().width() - 8;
    const int wide = QFontMetrics(f).horizontalAdvance(widest);
    if (room > 0 && wide > room) {
        size = std::max(1, size * room / wide);
        f.setPointSize(size);
        while (size > 1 && QFontMetrics(f).horizontalAdvance(widest) > room) f.setPointSize(--size);
    }
    w_.Panel1->setFont(f);
}

}  // namespace kelvarn

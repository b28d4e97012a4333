#include "app/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "app/MenuTable.h"
#include "app/PortComboBox.h"
#include "app/Program.h"
#include "app/ReportHeadBox.h"
#include "app/WindowPlacement.h"
#include "app/WindowReach.h"
#include "app/tabs/DirectTab.h"
#include "app/tabs/EvaluationTab.h"
#include "app/tabs/SettingsTab.h"
#include "data/ProgramTable.h"
#include "widgets/Chart.h"
#include "widgets/ChartSetup.h"
#include "widgets/Readable.h"
#include "widgets/StringGrid.h"
#include "widgets/WebLabel.h"

namespace kelvarn {

namespace {

const QString kStatusKelvarn = QStringLiteral(
    " Nach der DOS-Version 1.1 vom Oktober 2000 im Vertrieb der Tessaro Computer GmbH.");

}  // namespace

TForm1::TForm1(Seams* seams, QWidget* parent)
    : QMainWindow(parent),
      ownSeams_(seams ? nullptr : std::make_unique<Seams>()),
      seams_(seams ? seams : ownSeams_.get()),
      cell_(
          Context(), *this, seams_->CellCommandsOnOwnThread(),
          [this](bool quit) { quit ? Beenden1Click() : (void)close(); }, nullptr) {
    seams_->SetUpLink(cell_.Session().Link());
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kelvarn"));
    resize(800, 596);
    setMinimumSize(640, 480);

    BuildMenu();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = BuildKelvarnTab();
    direct_ =
        std::make_unique<DirectTab>(Context(), static_cast<TForm1Controls&>(*this), cell_, nullptr);
    TabSheet2 = direct_->Build();
    evaluation_ =
        std::make_unique<EvaluationTab>(Context(), static_cast<TForm1Controls&>(*this), nullptr);
    TabSheet4 = evaluation_->Build();
    settings_ = std::make_unique<SettingsTab>(Context(), static_cast<TForm1Controls&>(*this), cell_,
                                              nullptr);
    TabSheet13 = settings_->Build();
    direct_->WireChoice();
    PageControl1->addTab(TabSheet1, QStringLiteral("&Kelvarn"));
    PageControl1->addTab(TabSheet2, QStringLiteral("D&irekt"));
    PageControl1->addTab(TabSheet4, QStringLiteral("&Auswertung"));
    PageControl1->addTab(TabSheet13, QStringLiteral("&Einstellungen"));
    layout->addWidget(PageControl1, 1);
    ProgressBar1 = new QProgressBar(central);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setMaximumHeight(14);
    ProgressBar1->hide();
    // "Abbrechen" beside the progress bar; both show while a command runs.
    AbbrechenButton = new QPushButton(QStringLiteral("Abbrechen"), central);
    AbbrechenButton->setObjectName(QStringLiteral("AbbrechenButton"));
    AbbrechenButton->hide();
    auto* progress = new QHBoxLayout;
    progress->setContentsMargins(0, 0, 0, 0);
    progress->addWidget(ProgressBar1, 1);
    progress->addWidget(AbbrechenButton);
    layout->addLayout(progress);
    setCentralWidget(central);

    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    // A message with its cause can be longer than the window is wide: it goes on in a second
    // line rather than being cut. The band is two lines high whatever it shows, so the page
    // above does not move when a longer message comes or goes; the whole text is also the
    // tooltip, for the rare message that needs more.
    StatusBar1->setWordWrap(true);
    StatusBar1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const QMargins margins = StatusBar1->contentsMargins();
    StatusBar1->setFixedHeight(2 * StatusBar1->fontMetrics().lineSpacing() + margins.top() +
                               margins.bottom());
    statusBar()->setSizeGripEnabled(true);
    statusBar()->addWidget(StatusBar1, 1);

    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });

    WireOutput();
    WireCell();
    cell_.Wire();
    WireFiles();

    FormCreate();
    MakeReachable(*this);

    PlaceOnScreen(*this);
}

// The cell session, the last member, goes first and ends its jobs and the port itself.
TForm1::~TForm1() = default;

void TForm1::BuildMenu() {
    Datei1 = menuBar()->addMenu(QStringLiteral("&Datei"));
    Datei1->setObjectName(QLatin1String(FileMenu().control));
    for (const MenuEntry& entry : FileMenu().entries) {
        if (entry.IsSeparator()) {
            Datei1->addSeparator();
            continue;
        }
        QAction* action = Datei1->addAction(QString::fromUtf8(entry.caption));
        action->setObjectName(QLatin1String(entry.name));
        connect(action, &QAction::triggered, this, [this, command = entry.command] {
            if (command) (this->*command)();
        });
    }
    const auto named = [this](const char* name) {
        return Datei1->findChild<QAction*>(QLatin1String(name));
    };
    Au1 = named("Au1");
    N1 = named("N1");
    Speichern1 = named("Speichern1");
    Exportieren1 = named("Exportieren1");
    BerichtPdf1 = named("BerichtPdf1");
    BerichtDrucken1 = named("BerichtDrucken1");
    Beenden1 = named("Beenden1");
    // Until a measurement is shown there is nothing to export or report.
    for (QAction* a : {Exportieren1, BerichtPdf1, BerichtDrucken1}) a->setEnabled(false);
}

QWidget* TForm1::BuildKelvarnTab() {
    QWidget* tab = NamedPage("TabSheet1");
    auto* layout = new QVBoxLayout(tab);
    Panel3 = new QLabel(QStringLiteral("Kelvarn"), tab);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setAlignment(Qt::AlignCenter);
    QFont big = Panel3->font();
    big.setPointSize(72);
    big.setBold(true);
    Panel3->setFont(big);
    KeepTextReadable(Panel3, QColor(0x00, 0x00, 0x80));  // navy on a light desktop
    layout->addWidget(Panel3, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    WebLabel1 = new TWebLabel(tab);
    WebLabel1->setObjectName(QStringLiteral("WebLabel1"));
    WebLabel1->setText(QStringLiteral("Version ") + ProgramVersion());
    WebLabel1->SetLinkTyp(TURLType::lnHttp);
    WebLabel1->SetLink(QStringLiteral("www.kelvarn.example/version"));
    WebLabel1->setToolTip(QStringLiteral("http://www.kelvarn.example/version"));
    QFont small = WebLabel1->font();
    small.setPointSize(8);
    WebLabel1->setFont(small);
    WebLabel1->SetHover(true);
    WebLabel1->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    WebLabel1->setAttribute(Qt::WA_TranslucentBackground);
    bottom->addWidget(WebLabel1);
    layout->addLayout(bottom);
    return tab;
}

void TForm1::FormCreate() {
    // The program table first: everything after reads it.
    Programs();
    SetStatus(kStatusKelvarn);
    settings_->RestorePort();
    const QSignalBlocker block(PageControl1);
    PageControl1->setCurrentWidget(TabSheet1);
}

void TForm1::PageControl1Change() {
    QWidget* page = PageControl1->currentWidget();
    if (page == TabSheet1) {
        SetStatus(kStatusKelvarn);
    } else if (page == TabSheet2) {
        SetStatus(QStringLiteral(
            " Messungen mit angeschlossener Hardware und anschließender Auswertung am PC."));
    } else if (page == TabSheet4) {
        SetStatus(QStringLiteral(
            " Messdaten aus der Zelle auslesen; Messdateien öffnen, speichern und drucken."));
    } else if (page == TabSheet13) {
        SetStatus(QStringLiteral(" Messprogramm oder Hardwareanschluss einstellen."));
        DateTimePicker1->setDateTime(QDateTime::currentDateTime());
    }
    if (seams_->CtrlHeld()) {
        for (TChart* chart : BigCharts()) {
            chart->SetDepthView(!chart->DepthView());
            chart->QueueReplot();
        }
    }
}

void TForm1::SetStatus(const QString& text) {
    StatusBar1->setText(text);
    StatusBar1->setToolTip(text.trimmed());
}

QString TForm1::StatusText() const {
    return StatusBar1->text();
}

std::array<TChart*, 7> TForm1::BigCharts() const {
    return evaluation_->BigCharts();
}

void TForm1::ShowTime() {
    const QString notice = evaluation_->Show();
    MeasurementShown();
    if (!notice.isEmpty()) seams_->Notice(this, notice);
}

TabContext TForm1::Context() {
    return {document_, *seams_, this, [this](const QString& text) { SetStatus(text); },
            [this] { return StatusText(); }};
}

void TForm1::LiveTick() {
    direct_->Tick();
}

}  // namespace kelvarn

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
#include "app/tabs/EvaluationTab.h"
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

// "Courier New" where the desktop has it, else its fixed-pitch font.
QFont FixedFont() {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    const QFontMetrics m(f);
    if (m.horizontalAdvance(QLatin1Char('i')) != m.horizontalAdvance(QLatin1Char('W')))
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return f;
}

QWidget* Page(const char* name) {
    auto* w = new QWidget;
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

TForm1::TForm1(Seams* seams, QWidget* parent)
    : QMainWindow(parent),
      ownSeams_(seams ? nullptr : std::make_unique<Seams>()),
      seams_(seams ? seams : ownSeams_.get()),
      session_(seams_->CellCommandsOnOwnThread()) {
    seams_->SetUpLink(session_.Link());
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
    TabSheet2 = BuildDirektTab();
    const TabContext context{document_, *seams_, this,
                             [this](const QString& text) { SetStatus(text); },
                             [this] { return StatusText(); }};
    evaluation_ = new EvaluationTab(context, *this, this);
    TabSheet4 = evaluation_->Build();
    TabSheet13 = BuildEinstellungenTab();
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
    layout->addWidget(ProgressBar1);
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

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });

    WireOutput();
    WireCell();
    WireLink();
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
    QWidget* tab = Page("TabSheet1");
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

QWidget* TForm1::BuildDirektTab() {
    QWidget* tab = Page("TabSheet2");
    auto* layout = new QVBoxLayout(tab);
    PageControl3 = new QTabWidget(tab);
    PageControl3->setObjectName(QStringLiteral("PageControl3"));
    PageControl3->setTabPosition(QTabWidget::South);

    // "&Digital"
    TabSheet10 = Page("TabSheet10");
    auto* digital = new QHBoxLayout(TabSheet10);
    Panel1 = new QLabel(QStringLiteral("0"), TabSheet10);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setAutoFillBackground(true);
    Panel1->setStyleSheet(
        QStringLiteral("background-color: #FFFFE1; color: black; border: 1px solid gray;"));
    Panel1->setMinimumWidth(200);
    Panel1->installEventFilter(this);
    digital->addWidget(Panel1, 4);
    Panel2 = new QFrame(TabSheet10);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::StyledPanel);
    auto* unit = new QHBoxLayout(Panel2);
    auto* labels = new QVBoxLayout;
    auto* dba = new QLabel(QStringLiteral("dB(A)"), Panel2);
    dba->setObjectName(QStringLiteral("Label2"));
    QFont unitFont = dba->font();
    unitFont.setPointSize(28);
    unitFont.setBold(true);
    dba->setFont(unitFont);
    labels->addWidget(dba);
    // Empty until the first level arrives; each beside its name, so that the two numbers are
    // not taken for something else.
    LabelMax = new QLabel(Panel2);
    LabelMax->setObjectName(QStringLiteral("LabelMax"));
    LabelMax->setToolTip(QStringLiteral("Maximalpegel"));
    LabelMin = new QLabel(Panel2);
    LabelMin->setObjectName(QStringLiteral("LabelMin"));
    LabelMin->setToolTip(QStringLiteral("Minimalpegel"));
    auto* extremesGrid = new QGridLayout;
    int line = 0;
    for (QLabel* value : {LabelMax, LabelMin}) {
        auto* name =
            new QLabel(value == LabelMax ? QStringLiteral("Max:") : QStringLiteral("Min:"), Panel2);
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
    dbabar = new QProgressBar(Panel2);
    dbabar->setObjectName(QStringLiteral("dbabar"));
    dbabar->setOrientation(Qt::Vertical);
    dbabar->setRange(0, 110);
    dbabar->setValue(0);
    dbabar->setTextVisible(false);
    unit->addWidget(dbabar);
    Panel2->setMaximumWidth(240);
    digital->addWidget(Panel2, 1);
    PageControl3->addTab(TabSheet10, QStringLiteral("Di&gital"));
    AddContextMenu(this, Panel1);
    Panel2->setContextMenuPolicy(Qt::ActionsContextMenu);
    Panel2->addActions(Panel1->actions());

    // "Ana&log"
    TabSheet11 = Page("TabSheet11");
    auto* analog = new QVBoxLayout(TabSheet11);
    Chart4 = new TChart(QStringLiteral("Chart4"), QStringLiteral("Direktmessung"), TabSheet11);
    SetUpLiveChart(*Chart4);
    analog->addWidget(Chart4);
    PageControl3->addTab(TabSheet11, QStringLiteral("Ana&log"));
    AddContextMenu(this, Chart4);

    // "&Verteilung"
    TabSheet12 = Page("TabSheet12");
    auto* verteilung = new QVBoxLayout(TabSheet12);
    Chart5 = new TChart(QStringLiteral("Chart5"), QStringLiteral("Verteilung"), TabSheet12);
    SetUpLiveDistributionChart(*Chart5);
    verteilung->addWidget(Chart5);
    PageControl3->addTab(TabSheet12, QStringLiteral("&Verteilung"));
    AddContextMenu(this, Chart5);

    layout->addWidget(PageControl3, 1);

    auto* bottom = new QHBoxLayout;
    directbar = new QProgressBar(tab);
    directbar->setObjectName(QStringLiteral("directbar"));
    directbar->setToolTip(QStringLiteral("Zeigt die Messzeit an"));
    directbar->setTextVisible(false);
    directbar->setValue(0);
    bottom->addWidget(directbar, 1);
    Button1 = new QPushButton(QStringLiteral("&Start"), tab);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setToolTip(
        QStringLiteral("Überträgt und startet in der Hardware das eingestellte Messprogramm"));
    bottom->addWidget(Button1);
    dauerbox = new QCheckBox(QStringLiteral("Automatischer &Neustart"), tab);
    dauerbox->setObjectName(QStringLiteral("dauerbox"));
    dauerbox->setToolTip(
        QStringLiteral("Betätigt den Startschalter nach einer Messung automatisch erneut"));
    bottom->addWidget(dauerbox);
    bottom->addStretch(1);
    Button3 = new QPushButton(QStringLiteral("Zur A&uswertung"), tab);
    Button3->setObjectName(QStringLiteral("Button3"));
    bottom->addWidget(Button3);
    layout->addLayout(bottom);
    return tab;
}

QWidget* TForm1::BuildEinstellungenTab() {
    QWidget* tab = Page("TabSheet13");
    auto* layout = new QHBoxLayout(tab);
    auto* left = new QVBoxLayout;

    GroupBox1 = new QGroupBox(QStringLiteral("Messprogramm"), tab);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* prog = new QGridLayout(GroupBox1);
    ProgBox = new QComboBox(GroupBox1);
    ProgBox->setObjectName(QStringLiteral("ProgBox"));
    ProgBox->setEditable(false);
    ProgBox->setMaxVisibleItems(12);
    ProgBox->setFont(FixedFont());
    ProgBox->addItems(ProgramChoiceItems());
    ProgBox->setCurrentIndex(1);
    prog->addWidget(ProgBox, 0, 0);
    SendProgButton = new QPushButton(QStringLiteral("Ü&bertragen"), GroupBox1);
    SendProgButton->setObjectName(QStringLiteral("SendProgButton"));
    prog->addWidget(SendProgButton, 0, 1);
    radiotaste =
        new QRadioButton(QStringLiteral("Programmstart über &START-Taste der Hardware"), GroupBox1);
    radiotaste->setObjectName(QStringLiteral("radiotaste"));
    radiotaste->setChecked(true);
    prog->addWidget(radiotaste, 1, 0, 1, 2);
    RadioZeit = new QRadioButton(QStringLiteral("Programmstart zur angegebenen &Zeit:"), GroupBox1);
    RadioZeit->setObjectName(QStringLiteral("RadioZeit"));
    prog->addWidget(RadioZeit, 2, 0);
    DateTimePicker1 = new QDateTimeEdit(QDateTime::currentDateTime(), GroupBox1);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    prog->addWidget(DateTimePicker1, 2, 1);
    Binfile = new QCheckBox(QStringLiteral("E&xterne BIN-Dateien benutzen"), GroupBox1);
    Binfile->setObjectName(QStringLiteral("Binfile"));
    Binfile->setToolTip(
        QStringLiteral("Die Dateien sollten sich im Arbeitsverzeichnis der Anwendung befinden."));
    prog->addWidget(Binfile, 3, 0, 1, 2);
    Button2 =
        new QPushButton(QStringLiteral("Aktuelles &Messprogramm in der Zelle erfragen"), GroupBox1);
    Button2->setObjectName(QStringLiteral("Button2"));
    prog->addWidget(Button2, 4, 0, 1, 2);
    left->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox(QStringLiteral("Schnittstelle"), tab);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* port = new QGridLayout(GroupBox2);
    Label1 = new QLabel(QStringLiteral("Die Hardware befindet sich\nan folgender Schnittstelle:"),
                        GroupBox2);
    Label1->setObjectName(QStringLiteral("Label1"));
    port->addWidget(Label1, 0, 0, 1, 2);
    ComBox = new PortComboBox(GroupBox2);
    ComBox->setObjectName(QStringLiteral("ComBox"));
    ComBox->setEditable(false);
    // Seventeen entries: entry 0 stands for no port.
    ComBox->addItem(QStringLiteral("kein Port"));
    for (int n = 1; n <= 16; ++n) ComBox->addItem(QStringLiteral("COM %1").arg(n));
    ComBox->setCurrentIndex(-1);
    port->addWidget(ComBox, 1, 0);
    Button4 = new QPushButton(QStringLiteral("Automatische S&uche"), GroupBox2);
    Button4->setObjectName(QStringLiteral("Button4"));
    port->addWidget(Button4, 1, 1);
    PortDevice = new QLabel(GroupBox2);
    PortDevice->setObjectName(QStringLiteral("PortDevice"));
    PortDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    port->addWidget(PortDevice, 2, 0, 1, 2);
    left->addWidget(GroupBox2);
    GroupBox3 = new ReportHeadBox(*seams_, tab);
    connect(GroupBox3, &ReportHeadBox::StoreFailed, this, &TForm1::SetStatus);
    left->addWidget(GroupBox3);
    left->addStretch(1);
    layout->addLayout(left, 3);

    Memo2 = new QPlainTextEdit(tab);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setReadOnly(true);
    Memo2->setEnabled(false);
    Memo2->setFocusPolicy(Qt::NoFocus);
    Memo2->setFont(FixedFont());
    Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo2->setPlainText(ProgramOverviewLines().join(QLatin1Char('\n')));
    QPalette pal = Memo2->palette();
    pal.setColor(QPalette::Disabled, QPalette::Base, QColor(0xFF, 0xFF, 0xE1));
    pal.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
    Memo2->setPalette(pal);
    layout->addWidget(Memo2, 2);
    return tab;
}

void TForm1::FormCreate() {
    // The program table first: everything after reads it.
    Programs();
    SetStatus(kStatusKelvarn);
    RestorePort();
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

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel1 && event->type() == QEvent::Resize) Panel1Resize();
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace kelvarn

// The tab "&Einstellungen": the measurement program, its upload and the question which one
// the cell holds; the port, chosen by hand or found by the search, and restored at the start;
// the report's head.
#include "app/tabs/SettingsTab.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <map>
#include <memory>

#include "app/CellCommands.h"
#include "app/PortComboBox.h"
#include "app/Program.h"
#include "app/ReportHeadBox.h"
#include "app/Seams.h"
#include "app/TForm1.h"
#include "cell/CellProgress.h"
#include "cell/CellResult.h"
#include "cell/CellTasks.h"
#include "cell/ProgramTransfer.h"
#include "cell/StartTimes.h"
#include "data/ProgramTable.h"
#include "link/DeviceSearch.h"
#include "link/PortNames.h"
#include "link/SerialLink.h"
#include "link/SettingsFile.h"

namespace kelvarn {

namespace {

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

constexpr int kComBoxEntries = 17;  // entry 0 stands for port 0

// What an entry of a system port reads: where the port is, what it is,
// and the COM number that reaches it once it has one.
QString EntryText(const SystemPort& port) {
    const int n = MappedComNumber(port);
    return SystemPortText(port) + (n > 0 ? QStringLiteral(" = COM %1").arg(n) : QString());
}

// Appended to a status when the choice could not be stored: the next start would otherwise
// reach another port than the one the user was told about.
QString NotStored() {
    return QStringLiteral(" Die Wahl konnte nicht gespeichert werden (%1).")
        .arg(SettingsFilePath());
}

}  // namespace

SettingsTab::SettingsTab(const TabContext& context, TForm1Controls& controls, CellCommands& cell,
                         QObject* parent)
    : QObject(parent), c_(context), w_(controls), cell_(cell) {}

QWidget* SettingsTab::Build() {
    QWidget* tab = NamedPage("TabSheet13");
    auto* layout = new QHBoxLayout(tab);
    auto* left = new QVBoxLayout;

    w_.GroupBox1 = new QGroupBox(QStringLiteral("Messprogramm"), tab);
    w_.GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* prog = new QGridLayout(w_.GroupBox1);
    w_.ProgBox = new QComboBox(w_.GroupBox1);
    w_.ProgBox->setObjectName(QStringLiteral("ProgBox"));
    w_.ProgBox->setEditable(false);
    w_.ProgBox->setMaxVisibleItems(12);
    w_.ProgBox->setFont(FixedFont());
    w_.ProgBox->addItems(ProgramChoiceItems());
    w_.ProgBox->setCurrentIndex(1);
    prog->addWidget(w_.ProgBox, 0, 0);
    w_.SendProgButton = new QPushButton(QStringLiteral("Ü&bertragen"), w_.GroupBox1);
    w_.SendProgButton->setObjectName(QStringLiteral("SendProgButton"));
    prog->addWidget(w_.SendProgButton, 0, 1);
    w_.radiotaste = new QRadioButton(QStringLiteral("Programmstart über &START-Taste der Hardware"),
                                     w_.GroupBox1);
    w_.radiotaste->setObjectName(QStringLiteral("radiotaste"));
    w_.radiotaste->setChecked(true);
    prog->addWidget(w_.radiotaste, 1, 0, 1, 2);
    w_.RadioZeit =
        new QRadioButton(QStringLiteral("Programmstart zur angegebenen &Zeit:"), w_.GroupBox1);
    w_.RadioZeit->setObjectName(QStringLiteral("RadioZeit"));
    prog->addWidget(w_.RadioZeit, 2, 0);
    w_.DateTimePicker1 = new QDateTimeEdit(QDateTime::currentDateTime(), w_.GroupBox1);
    w_.DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    w_.DateTimePicker1->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    prog->addWidget(w_.DateTimePicker1, 2, 1);
    w_.Binfile = new QCheckBox(QStringLiteral("E&xterne BIN-Dateien benutzen"), w_.GroupBox1);
    w_.Binfile->setObjectName(QStringLiteral("Binfile"));
    w_.Binfile->setToolTip(
        QStringLiteral("Die Dateien sollten sich im Arbeitsverzeichnis der Anwendung befinden."));
    prog->addWidget(w_.Binfile, 3, 0, 1, 2);
    w_.Button2 = new QPushButton(QStringLiteral("Aktuelles &Messprogramm in der Zelle erfragen"),
                                 w_.GroupBox1);
    w_.Button2->setObjectName(QStringLiteral("Button2"));
    prog->addWidget(w_.Button2, 4, 0, 1, 2);
    left->addWidget(w_.GroupBox1);

    w_.GroupBox2 = new QGroupBox(QStringLiteral("Schnittstelle"), tab);
    w_.GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* port = new QGridLayout(w_.GroupBox2);
    w_.Label1 = new QLabel(
        QStringLiteral("Die Hardware befindet sich\nan folgender Schnittstelle:"), w_.GroupBox2);
    w_.Label1->setObjectName(QStringLiteral("Label1"));
    port->addWidget(w_.Label1, 0, 0, 1, 2);
    w_.ComBox = new PortComboBox(w_.GroupBox2);
    w_.ComBox->setObjectName(QStringLiteral("ComBox"));
    w_.ComBox->setEditable(false);
    // Seventeen entries: entry 0 stands for no port.
    w_.ComBox->addItem(QStringLiteral("kein Port"));
    for (int n = 1; n <= 16; ++n) w_.ComBox->addItem(QStringLiteral("COM %1").arg(n));
    w_.ComBox->setCurrentIndex(-1);
    port->addWidget(w_.ComBox, 1, 0);
    w_.Button4 = new QPushButton(QStringLiteral("Automatische S&uche"), w_.GroupBox2);
    w_.Button4->setObjectName(QStringLiteral("Button4"));
    port->addWidget(w_.Button4, 1, 1);
    w_.PortDevice = new QLabel(w_.GroupBox2);
    w_.PortDevice->setObjectName(QStringLiteral("PortDevice"));
    w_.PortDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    port->addWidget(w_.PortDevice, 2, 0, 1, 2);
    left->addWidget(w_.GroupBox2);
    w_.GroupBox3 = new ReportHeadBox(c_.seams, tab);
    connect(w_.GroupBox3, &ReportHeadBox::StoreFailed, this,
            [this](const QString& t) { c_.setStatus(t); });
    left->addWidget(w_.GroupBox3);
    left->addStretch(1);
    layout->addLayout(left, 3);

    w_.Memo2 = new QPlainTextEdit(tab);
    w_.Memo2->setObjectName(QStringLiteral("Memo2"));
    w_.Memo2->setReadOnly(true);
    w_.Memo2->setEnabled(false);
    w_.Memo2->setFocusPolicy(Qt::NoFocus);
    w_.Memo2->setFont(FixedFont());
    w_.Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    w_.Memo2->setPlainText(ProgramOverviewLines().join(QLatin1Char('\n')));
    QPalette pal = w_.Memo2->palette();
    pal.setColor(QPalette::Disabled, QPalette::Base, QColor(0xFF, 0xFF, 0xE1));
    pal.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
    w_.Memo2->setPalette(pal);
    layout->addWidget(w_.Memo2, 2);
    Wire();
    return tab;
}

void SettingsTab::Wire() {
    connect(w_.SendProgButton, &QPushButton::clicked, this, [this] { Upload(); });
    connect(w_.radiotaste, &QRadioButton::clicked, this, [this] { StartChoiceChanged(); });
    connect(w_.RadioZeit, &QRadioButton::clicked, this, [this] { StartChoiceChanged(); });
    connect(w_.Button2, &QPushButton::clicked, this, [this] { AskProgram(); });
    WireLink();
}

void SettingsTab::StartChoiceChanged() {
    w_.Binfile->setEnabled(w_.radiotaste->isChecked());
}

void SettingsTab::Upload() {
    auto out = std::make_shared<CellResult>();
    const int port = cell_.Port();
    const int row = w_.ProgBox->currentIndex() + 1;
    const bool keyStart = w_.radiotaste->isChecked();
    const bool timed = w_.RadioZeit->isChecked();
    const bool binFile = w_.Binfile->isChecked();
    const QTime target = w_.DateTimePicker1->dateTime().time();
    // The clock the delay was counted from: the start it leads to is remembered for the read-out.
    auto countedFrom = std::make_shared<QDateTime>();
    cell_.Start(
        [=, seams = &c_.seams](SerialLink& link, CellProgress& progress) {
            *out = UploadProgram(
                link, port, row, keyStart, timed, binFile, target,
                [seams, countedFrom] {
                    const QTime now = seams->TimeOfDay();
                    *countedFrom = seams->Now();
                    countedFrom->setTime(now);
                    return now;
                },
                progress);
        },
        [this, out, timed, keyStart, row, target, countedFrom] {
            if (!out->Ok()) {
                cell_.ShowResult(*out);
                return;
            }
            // The cell now holds this program; a start remembered for an earlier one is void.
            const TimedStart start = timed && countedFrom->isValid()
                                         ? NextTimedStart(*countedFrom, target)
                                         : TimedStart{};
            if (start.start.isValid())
                RememberStart({row, start.start});
            else
                ForgetRememberedStart();
            if (timed)
                c_.seams.Notice(c_.window,
                                QStringLiteral("Die Zelle blinkt num im Sekundentakt bis zum Start "
                                               "der Messung.\n") +
                                    TimedStartMessage(start));
            if (keyStart)
                c_.seams.Notice(c_.window, QStringLiteral("Messbeginn mit der START-Taste"));
        });
}

void SettingsTab::AskProgram() {
    auto result = std::make_shared<CellResult>();
    const int port = cell_.Port();
    cell_.Start([=, this](SerialLink& link,
                          CellProgress& progress) { *result = QueryCommand(link, port, progress); },
                [this, result] { cell_.ShowResult(*result); });
}

void SettingsTab::ShowPortDevice(int n) {
    const QString device = n > 0 ? PortDevicePath(n) : QString();
    if (device.isEmpty()) {
        w_.PortDevice->clear();
        return;
    }
    // Without an entry in [Ports] the number reaches the on-board port.
    const bool mapped =
        !ReadSetting(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(n)).isEmpty();
    w_.PortDevice->setText(QStringLiteral("COM %1 = %2%3")
                               .arg(n)
                               .arg(device, mapped ? QString() : QStringLiteral(" (eingebaut)")));
}

void SettingsTab::FillPortChoice() {
    // The selection survives a new list: a COM entry by its index, a
    // system port by its device.
    const int index = w_.ComBox->currentIndex();
    const QString chosenDevice =
        index >= kComBoxEntries && size_t(index - kComBoxEntries) < offeredPorts_.size()
            ? offeredPorts_[size_t(index - kComBoxEntries)].device
            : QString();
    allPorts_ = c_.seams.SerialPorts().Ports();
    offeredPorts_ = OfferedSystemPorts(allPorts_);
    const QSignalBlocker block(w_.ComBox);
    while (w_.ComBox->count() > kComBoxEntries) w_.ComBox->removeItem(w_.ComBox->count() - 1);
    int select = index < kComBoxEntries ? index : -1;
    for (const SystemPort& p : offeredPorts_) {
        if (p.device == chosenDevice) select = w_.ComBox->count();
        w_.ComBox->addItem(EntryText(p));
        // The field is narrow; the whole name shows on hovering.
        w_.ComBox->setItemData(w_.ComBox->count() - 1, EntryText(p), Qt::ToolTipRole);
    }
    w_.ComBox->setCurrentIndex(select);
    // The open list is as wide as its longest entry, not only as the field.
    w_.ComBox->view()->setMinimumWidth(w_.ComBox->view()->sizeHintForColumn(0) +
                                       w_.ComBox->view()->verticalScrollBar()->sizeHint().width());
}

void SettingsTab::SelectPortEntry(int n) {
    // A number that reaches one of the system's ports shows that port.
    for (size_t i = 0; i < offeredPorts_.size(); ++i) {
        if (n > 0 && MappedComNumber(offeredPorts_[i]) == n) {
            w_.ComBox->setCurrentIndex(kComBoxEntries + int(i));
            ShowPortDevice(n);
            return;
        }
    }
    w_.ComBox->setCurrentIndex(n >= 0 && n < kComBoxEntries ? n : -1);
    ShowPortDevice(n);
}

void SettingsTab::WireLink() {
    // Only a choice of the user's runs the handler; the selection that the
    // search or the start-up sets must not connect again.
    connect(w_.ComBox, &QComboBox::activated, this, [this] { PortChosen(); });
    connect(w_.Button4, &QPushButton::clicked, this, [this] { SearchPort(); });
    if (auto* box = dynamic_cast<PortComboBox*>(w_.ComBox))
        box->beforePopup = [this] { FillPortChoice(); };
}

void SettingsTab::PortChosen() {
    if (!cell_.MayEndLive()) {
        SelectPortEntry(cell_.Port());  // the choice shown goes back to the one in use
        return;
    }
    int n = w_.ComBox->currentIndex();
    if (n >= kComBoxEntries) {
        // One of the system's ports: reached through a COM number of its
        // own in [Ports], and that number is what is stored.
        const SystemPort port = offeredPorts_.at(size_t(n - kComBoxEntries));
        QString problem;
        n = ComNumberFor(port, allPorts_, &problem);
        if (n == 0) {
            c_.setStatus(QStringLiteral(" Keine Hardware an %1! %2").arg(port.device, problem));
            return;
        }
        w_.ComBox->setItemText(w_.ComBox->currentIndex(), EntryText(port));
    }
    ShowPortDevice(n);
    // The choice stands even when the port does not open now: the next
    // command tries it again (an adapter plugged in later then works).
    cell_.SetPort(n);
    auto out = std::make_shared<CellResult>();
    cell_.Start(
        [n, out](SerialLink& link, CellProgress&) {
            *out = ConnectCommand(link, n);
            if (out->Ok()) link.SetPortNumber(n);
        },
        [this, n, out] {
            QString text = CellMessage(*out).status;
            if (out->Ok()) {
                if (!WriteStoredPort(n)) text += NotStored();
            } else if (out->cause != CellCause::kOpenFailure && !WriteStoredPort(-1)) {
                // A port that could not be opened (busy, forbidden, unplugged)
                // says nothing about the cell: the stored choice stays.
                text += NotStored();
            }
            c_.setStatus(text);
        });
}

void SettingsTab::SearchPort() {
    if (cell_.Busy() || !cell_.MayEndLive()) return;
    c_.setStatus(QStringLiteral(" Hardware wird gesucht ..."));
    // The system's ports that no COM number reaches yet are tried under
    // numbers that reach nothing else, for this search only; the one where
    // a device answers keeps its number.
    FillPortChoice();
    const std::map<int, QString> trial = SearchTrialNumbers(offeredPorts_, allPorts_);
    auto out = std::make_shared<CellResult>();
    cell_.Start(
        [this, out, trial](SerialLink& link, CellProgress& progress) {
            // The questions go to the person on the window's thread.
            const AcceptPrompt prompt{
                [this] {
                    bool held = false;
                    cell_.Session().OnOwnerThread([&] { held = c_.seams.CtrlHeld(); });
                    return held;
                },
                [this](const QString& caption, const QString& text) {
                    bool yes = false;
                    cell_.Session().OnOwnerThread(
                        [&] { yes = c_.seams.Ask(c_.window, caption, text); });
                    return yes;
                },
                {},
                {}};
            *out = SearchCommand(link, trial, prompt, progress);
        },
        [this, out, trial] {
            CellResult& r = *out;
            if (!r.Ok()) {
                // Cancelled, or nothing answered: the user's choice stays, stored and shown,
                // for the cell that is merely switched off or plugged in later.
                cell_.ShowResult(r);
                return;
            }
            const KeptPort kept = KeepFoundPort(r, trial);
            if (!kept.stored) {
                c_.setStatus(CellMessage(r).status + NotStored());
                if (!kept.mapped) return;  // COM n reaches nothing without its entry
            } else {
                cell_.ShowResult(r);
            }
            cell_.SetPort(r.port);
            FillPortChoice();
            SelectPortEntry(r.port);
        });
}

void SettingsTab::RestorePort() {
    const int n = ReadStoredPort();
    if (c_.seams.CtrlHeld()) c_.seams.Notice(c_.window, QString::number(n));
    FillPortChoice();
    SelectPortEntry(n);
    if (n > 0) PortChosen();
}

}  // namespace kelvarn

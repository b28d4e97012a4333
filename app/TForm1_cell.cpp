// The cell commands of the window: program transfer, read-out, program
// query, start from the PC and the live level. The protocol lives in cell/;
// here its texts and results go into the controls.
#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTextEdit>
#include <QTimeZone>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <utility>

#include "app/TForm1.h"
#include "cell/CellResult.h"
#include "cell/CellSession.h"
#include "cell/CellTasks.h"
#include "cell/LiveLevel.h"
#include "cell/ProgramTransfer.h"
#include "cell/ReadOut.h"
#include "cell/StartTimes.h"
#include "data/ProgramTable.h"
#include "document/ArrivalProtocol.h"
#include "eval/Figures.h"
#include "link/DeviceSearch.h"
#include "link/SerialLink.h"
#include "widgets/Chart.h"

namespace kelvarn {

namespace {

// The highest level the level bar shows [dB(A)].
constexpr int kBarTop = 110;

// Puts extra right behind anchor, in the row of anchor's layout (a row is
// made for it when that layout is a column).
void InsertBeside(QWidget* anchor, QWidget* extra) {
    for (QBoxLayout* box : anchor->parentWidget()->findChildren<QBoxLayout*>()) {
        const int i = box->indexOf(anchor);
        if (i < 0) continue;
        if (box->direction() == QBoxLayout::LeftToRight ||
            box->direction() == QBoxLayout::RightToLeft) {
            box->insertWidget(i + 1, extra);
        } else {
            auto* row = new QHBoxLayout;
            row->setContentsMargins(0, 0, 0, 0);
            box->removeWidget(anchor);
            box->insertLayout(i, row);
            row->addWidget(anchor, 1);
            row->addWidget(extra);
        }
        return;
    }
}

QCPGraph* LiveLine(TChart* chart) {
    return qobject_cast<QCPGraph*>(chart->Series(0));
}
QCPBars* LiveBars(TChart* chart) {
    return qobject_cast<QCPBars*>(chart->Series(0));
}

}  // namespace

void TForm1::WireCell() {
    connect(SendProgButton, &QPushButton::clicked, this, [this] { SendProgButtonClick(); });
    connect(radiotaste, &QRadioButton::clicked, this, [this] { RadioZeitClick(); });
    connect(RadioZeit, &QRadioButton::clicked, this, [this] { RadioZeitClick(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    // The take-over is offered by the button and by every live view.
    connect(Button3, &QPushButton::clicked, this, [this] { ZurAuswertung1Click(); });
    for (const char* name : {"ZurAuswertung1", "ZurAuswertung2", "ZurAuswertung3"}) {
        if (QAction* a = findChild<QAction*>(QString::fromLatin1(name)))
            connect(a, &QAction::triggered, this, [this] { ZurAuswertung1Click(); });
    }
    // The digits follow the panel's size, never the other way round.
    Panel1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);

    // "St&opp" beside "&Start" (the S is taken by it).
    StoppButton = new QPushButton(QStringLiteral("St&opp"), Button1->parentWidget());
    StoppButton->setObjectName(QStringLiteral("StoppButton"));
    StoppButton->setToolTip(QStringLiteral("Beendet die laufende Direktmessung"));
    InsertBeside(Button1, StoppButton);
    StoppButton->setEnabled(false);  // only while a live measurement runs
    connect(StoppButton, &QPushButton::clicked, this, [this] { StoppClick(); });

    // "Abbrechen" beside the progress bar; both show while a command runs.
    AbbrechenButton = new QPushButton(QStringLiteral("Abbrechen"), ProgressBar1->parentWidget());
    AbbrechenButton->setObjectName(QStringLiteral("AbbrechenButton"));
    AbbrechenButton->hide();
    InsertBeside(ProgressBar1, AbbrechenButton);
    connect(AbbrechenButton, &QPushButton::clicked, this, [this] { AbbrechenClick(); });
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] { AbbrechenClick(); });

    connect(&session_, &CellSession::Status, this, [this](const QString& t) { SetStatus(t); });
    connect(&session_, &CellSession::ProgressMax, this, [this](int max) {
        // A range of 0..0 would make the bar a busy indicator.
        ProgressBar1->setRange(0, std::max(max, 1));
        ProgressBar1->setValue(0);
    });
    connect(&session_, &CellSession::ProgressPosition, ProgressBar1, &QProgressBar::setValue);
    connect(&session_, &CellSession::BusyChanged, this,
            [this](bool busy) { CellBusyChanged(busy); });
    connect(&session_, &CellSession::Idle, this, [this] { CellIdle(); });

    connect(ProgBox, &QComboBox::currentIndexChanged, this, [this] { UpdateLiveChoice(); });
    connect(dauerbox, &QCheckBox::toggled, this, [this] { UpdateLiveChoice(); });
    connect(Binfile, &QCheckBox::toggled, this, [this] { UpdateLiveChoice(); });
    UpdateLiveChoice();
    connect(&liveRun_, &LiveRun::Starting, this, [this] { directbar->setValue(0); });
    connect(&liveRun_, &LiveRun::Started, this,
            [this](const CellResult& result) { ShowLiveStart(result); });
    connect(&liveRun_, &LiveRun::RunningChanged, this,
            [this](bool running) { LiveRunningChanged(running); });
    connect(&liveRun_, &LiveRun::Sample, this,
            [this](const LiveSample& sample) { ShowLiveSample(sample); });
    connect(&liveRun_, &LiveRun::Ended, this,
            [this](const CellResult& result) { ShowCellResult(result); });
}

// ----- one command at a time

void TForm1::ShowCellResult(const CellResult& result) {
    const CellText text = CellMessage(result);
    if (!text.notice.isEmpty()) seams_->Notice(this, text.notice);
    if (text.setsStatus) SetStatus(text.status);
}

bool TForm1::CellCommandRunning() const {
    return session_.Busy();
}

int TForm1::CommandPort() const {
    // Only what this thread set: the link's own port number belongs to the link's thread, and
    // the port is let go after every command anyway.
    return chosenPort_;
}

bool TForm1::LiveRunning() const {
    return liveRun_.Running();
}

void TForm1::EndLive() {
    liveRun_.Stop();
}

void TForm1::LiveRunningChanged(bool running) {
    StoppButton->setEnabled(running);
    if (!running) {
        Timer1->stop();
    } else if (!session_.OwnThread()) {
        // Inline the link belongs to this thread: one tick per sampling interval of the
        // program, as the cell sends.
        Timer1->start(Programs().Row(Live().Row()).IntervalMs);
    }
}

bool TForm1::AskEndLive() {
    // On the long programs a running measurement is hours of work: it ends only when the user
    // says so. Should it reach its end while the question is open, its automatic restart
    // waits: after Ja it is dropped (what the user asked for comes instead), after Nein it
    // starts as it would have.
    liveRun_.HoldRestart();
    const bool yes = seams_->Ask(this, ApplicationTitle(),
                                 QStringLiteral("Die laufende Messung wird beendet. Fortfahren?"));
    liveRun_.ReleaseRestart(!yes);
    return yes;
}

bool TForm1::MayEndLive() {
    if (!LiveRunning()) return true;
    if (!AskEndLive()) return false;
    EndLive();
    return true;
}

bool TForm1::StartCellCommand(CellSession::Job job, std::function<void()> done, bool keepsPort) {
    if (session_.Busy()) return false;
    if (!MayEndLive()) return false;
    // A live measurement ends before any other exchange with the cell: its job ends within one
    // read time-out, and the command, queued behind it on the link's thread, runs then. The
    // port is let go after the command, as kelvarn-cli does, so that another program (or
    // kelvarn-cli) can use it while the window is idle; only a live measurement keeps it, and
    // its start decides that itself.
    EndLive();
    return session_.Run(std::move(job), std::move(done), keepsPort);
}

void TForm1::CellBusyChanged(bool busy) {
    for (QWidget* w : std::initializer_list<QWidget*>{SendProgButton, Button2, Button1, Button3,
                                                      Button4, ComBox})
        w->setEnabled(!busy);
    Au1->setEnabled(!busy);
    N1->setEnabled(!busy);
    if (busy) {
        ProgressBar1->setRange(0, 0);
        ProgressBar1->setValue(0);
    }
    ProgressBar1->setVisible(busy);
    AbbrechenButton->setVisible(busy);
}

void TForm1::CellIdle() {
    // After the command's own outcome, so that a close asks about what it kept.
    if (quitAfterCommand_) {
        quitAfterCommand_ = false;
        Beenden1Click();
    } else if (closeAfterCommand_) {
        closeAfterCommand_ = false;
        close();
    }
}

void TForm1::AbbrechenClick() {
    if (CellCommandRunning()) session_.Cancel();
}

bool TForm1::DeferWhileBusy(bool quit) {
    if (!CellCommandRunning()) return false;
    session_.Cancel();
    (quit ? quitAfterCommand_ : closeAfterCommand_) = true;
    return true;
}

// ----- program transfer

void TForm1::RadioZeitClick() {
    Binfile->setEnabled(radiotaste->isChecked());
}

void TForm1::SendProgButtonClick() {
    auto out = std::make_shared<CellResult>();
    const int port = CommandPort();
    const int row = ProgBox->currentIndex() + 1;
    const bool keyStart = radiotaste->isChecked();
    const bool timed = RadioZeit->isChecked();
    const bool binFile = Binfile->isChecked();
    const QTime target = DateTimePicker1->dateTime().time();
    // The clock the delay was counted from: the start it leads to is remembered for the read-out.
    auto countedFrom = std::make_shared<QDateTime>();
    StartCellCommand(
        [=, this](SerialLink& link, CellProgress& progress) {
            *out = UploadProgram(
                link, port, row, keyStart, timed, binFile, target,
                [this, countedFrom] {
                    const QTime now = seams_->TimeOfDay();
                    *countedFrom = seams_->Now();
                    countedFrom->setTime(now);
                    return now;
                },
                progress);
        },
        [this, out, timed, keyStart, row, target, countedFrom] {
            if (!out->Ok()) {
                ShowCellResult(*out);
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
                seams_->Notice(this,
                               QStringLiteral("Die Zelle blinkt num im Sekundentakt bis zum Start "
                                              "der Messung.\n") +
                                   TimedStartMessage(start));
            if (keyStart) seams_->Notice(this, QStringLiteral("Messbeginn mit der START-Taste"));
        });
}

// ----- read-out and program query

void TForm1::Au1Click() {
    // Asked before anything goes to the cell, so that Abbrechen changes nothing anywhere.
    if (CellCommandRunning() || !MayReplaceWork()) return;
    // Read into a copy: a read-out that yields no data leaves the record
    // that the evaluation shows, so nothing unsaved is lost.
    auto read = std::make_shared<MeasurementRecord>(document_.Record());
    auto result = std::make_shared<CellResult>();
    const int port = CommandPort();
    StartCellCommand(
        [=, this](SerialLink& link, CellProgress& progress) {
            *result = ReadOutCommand(link, port, *read, progress);
        },
        [this, read, result] {
            // Nothing arrived (no cell, a damaged header, a cancel before the data): the record
            // stays.
            if (!result->Ok() && (result->total == 0 || result->cause == CellCause::kDamaged)) {
                ShowCellResult(*result);
                return;
            }
            // What arrived is evaluated and can be saved, also when the data
            // stopped part-way or the read-out was cancelled; then the user
            // is told how much is missing.
            const CellText text = CellMessage(*result);
            SetStatus(text.status);
            const QDateTime now = seams_->Now();
            document_.ReadOut(*read,
                              ReadOutProtocol(*read, now,
                                              [this](const QString& question) {
                                                  return seams_->Ask(this, ApplicationTitle(),
                                                                     question);
                                              }),
                              now);
            ShowTime();
            if (!text.notice.isEmpty()) seams_->Notice(this, text.notice);
        });
}

void TForm1::Button2Click() {
    auto result = std::make_shared<CellResult>();
    const int port = CommandPort();
    StartCellCommand(
        [=, this](SerialLink& link, CellProgress& progress) {
            *result = QueryCommand(link, port, progress);
        },
        [this, result] { ShowCellResult(*result); });
}

// ----- start from the PC and the live level

void TForm1::Button1Click() {
    if (CellCommandRunning() || !MayEndLive()) return;
    UpdateLiveChoice();
    liveRun_.Start();
}

void TForm1::UpdateLiveChoice() {
    liveRun_.SetChoice(
        {CommandPort(), ProgBox->currentIndex() + 1, Binfile->isChecked(), dauerbox->isChecked()});
}

void TForm1::ShowLiveStart(const CellResult& result) {
    // Without a program there is nothing to pace or draw by; the cell got no run command.
    if (!result.Ok()) {
        ShowCellResult(result);
        return;
    }
    const ProgramRow& program = Programs().Row(result.row);
    ShowLiveSession();
    Chart4->SetBottomAxis(QStringLiteral("t/") + program.DurationUnit, 0, program.Duration);
    ShowCellResult(result);
    directbar->setMaximum(program.Points);
}

void TForm1::Timer1Timer() {
    if (session_.OwnThread()) return;
    liveRun_.Tick();
}

void TForm1::ShowLiveSample(const LiveSample& sample) {
    dbabar->setValue(std::clamp(RoundHalfEven(sample.level), 0, kBarTop));
    LiveLine(Chart4)->addData(sample.time, sample.level);
    ShowLiveFigures();
    Panel1->setText(NumberFormat::FromLocale().Level(sample.level));
    directbar->setValue(std::min(Live().Count(), directbar->maximum()));
    SetStatus(QStringLiteral(" Programm ") + ProgramLetter(Live().Row()) +
              QStringLiteral(", Messwert ") + QString::number(Live().Count()));
    // Drawn on the next pass of the event loop, between two ticks.
    Chart4->QueueReplot();
    Chart5->QueueReplot();
}

void TForm1::ShowLiveSession() {
    QVector<double> times, levels;
    for (int k = 0; k < Live().Count(); ++k) {
        times << LiveTime(k, Live().Row());
        levels << Live().Levels()[size_t(k)];
    }
    LiveLine(Chart4)->setData(times, levels, true);
    ShowLiveFigures();
    Chart4->QueueReplot();
    Chart5->QueueReplot();
}

void TForm1::ShowLiveFigures() {
    // Before the first level there is no maximum or minimum to show.
    const QLocale locale;
    const bool any = Live().Count() > 0;
    LabelMax->setText(any ? locale.toString(Live().Maximum()) : QString());
    LabelMin->setText(any ? locale.toString(Live().Minimum()) : QString());
    QVector<double> keys, counts;
    for (const auto& [level, count] : Live().Distribution()) {
        keys << level;
        counts << count;
    }
    LiveBars(Chart5)->setData(keys, counts, true);
    Chart5->Rescale();
}

void TForm1::StoppClick() {
    if (!LiveRunning()) return;
    EndLive();
    CellResult stopped;
    stopped.command = CellCommand::kLive;
    stopped.status = CellStatus::kCancelled;
    stopped.count = Live().Count();
    ShowCellResult(stopped);
}

void TForm1::ZurAuswertung1Click() {
    if (CellCommandRunning() || Live().Count() == 0) return;
    if (!IsProgramRow(Live().Row())) {
        // The last start found no program: there is no header to give the
        // curve, and the record stays as it is.
        seams_->Notice(this, QStringLiteral("Die Direktmessung kann nicht übernommen werden: "
                                            "Messprogramm nicht korrekt."));
        return;
    }
    if (!MayReplaceWork()) return;
    // The take-over writes the header and the samples taken over into the record in hand; the
    // bytes after them stay.
    MeasurementRecord record = document_.Record();
    Live().TakeOver(record);
    document_.TakeOver(record, TakeOverProtocol(document_.Protocol(), liveRun_.StartedAt()),
                       seams_->Now());
    ShowTime();
    SetStatus(QStringLiteral(" %1 von %2 Messwerten übernommen.")
                  .arg(Live().Count())
                  .arg(Programs().Row(Live().Row()).Points));
}

void TForm1::Panel1Resize() {
    // The digits grow with the panel's height: a third of it, in points. A
    // panel narrower than its height would cut the level off, so there the
    // widest level text sets the size instead.
    QFont f = Panel1->font();
    int size = std::max(1, Panel1->height() / 3);
    f.setPointSize(size);
    const QString widest = NumberFormat::FromLocale().Level(888.8);
    const int room = Panel1->contentsRect().width() - 8;
    const int wide = QFontMetrics(f).horizontalAdvance(widest);
    if (room > 0 && wide > room) {
        size = std::max(1, size * room / wide);
        f.setPointSize(size);
        while (size > 1 && QFontMetrics(f).horizontalAdvance(widest) > room) f.setPointSize(--size);
    }
    Panel1->setFont(f);
}

}  // namespace kelvarn

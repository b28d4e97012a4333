// The cell commands of the window: program transfer, read-out, program
// query, start from the PC and the live level. The protocol lives in cell/;
// here its texts and results go into the controls.
#include <QAction>
#include <QCheckBox>
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
#include <QTextEdit>
#include <QTimer>
#include <algorithm>

#include "app/TForm1.h"
#include "cell/CellTasks.h"
#include "cell/CommandBytes.h"
#include "cell/LiveLevel.h"
#include "cell/ProgramTransfer.h"
#include "cell/ReadOut.h"
#include "cell/Runner.h"
#include "data/ProgramTable.h"
#include "link/DeviceSearch.h"
#include "link/comphard.h"
#include "widgets/Chart.h"

namespace kelvarn {

namespace {

const QString kProductName = QStringLiteral("KELVARN");
const QString kNoName = QStringLiteral("OhneName.dba");

// Pauses of the start sequence [ms].
constexpr int kAfterConnectMs = 50;
constexpr int kBeforeRunMs = 50;
constexpr int kUploadSettleMs = 500;

// The highest level the level bar shows [dB(A)].
constexpr int kBarTop = 110;

// Shortest time between two repaints of the progress bar while the window
// is busy with the cell [ms]: the bar moves smoothly, the bytes stay fast.
constexpr int kProgressRepaintMs = 25;

// Puts the reports of a cell command into the status line and the progress
// bar at once: the window processes no events until the command is over.
class WindowProgress : public CellProgress {
public:
    WindowProgress(TForm1& form, QProgressBar* bar) : form_(form), bar_(bar) {}

    void Status(const QString& text) override {
        form_.SetStatus(text);
        form_.StatusBar1->repaint();
    }
    void ProgressMax(int max) override {
        if (!bar_) return;
        // A range of 0..0 would make the bar a busy indicator.
        bar_->setRange(0, std::max(max, 1));
        bar_->setValue(0);
        Repaint();
    }
    void ProgressPosition(int position) override {
        if (!bar_) return;
        bar_->setValue(position);
        if (!shown_.isValid() || shown_.elapsed() >= kProgressRepaintMs ||
            position >= bar_->maximum())
            Repaint();
    }

private:
    void Repaint() {
        bar_->repaint();
        shown_.start();
    }

    TForm1& form_;
    QProgressBar* bar_;
    QElapsedTimer shown_;
};

QCPGraph* LiveLine(TChart* chart) {
    return qobject_cast<QCPGraph*>(chart->Series(0));
}
QCPBars* LiveBars(TChart* chart) {
    return qobject_cast<QCPBars*>(chart->Series(0));
}

// One more sample of level L in the distribution: its bar grows by one, or
// a new bar of height 1 is put in its place, so the bars stay in ascending
// level order.
void CountLevel(QCPBars* bars, double level) {
    const QSharedPointer<QCPBarsDataContainer> data = bars->data();
    const auto found = data->findBegin(level, false);
    if (found != data->constEnd() && found->key == level) {
        (data->begin() + (found - data->constBegin()))->value += 1;
    } else {
        bars->addData(level, 1);
    }
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
}

void TForm1::CreateRunner() {
    runner.reset(new Runner([this] { Timer1Timer(); }, LiveProgram));
}

void TForm1::RunnerEnd::operator()(Runner* r) const {
    delete r;
}

// ----- program transfer

void TForm1::RadioZeitClick() {
    Binfile->setEnabled(radiotaste->isChecked());
}

void TForm1::SendProgButtonClick() {
    WindowProgress progress(*this, nullptr);
    const int row = ProgBox->currentIndex() + 1;
    progress.Status(QStringLiteral(" Hardware suchen ..."));
    if (!ConnectCell(GetPortNumber())) {
        seams_->Notice(this, QStringLiteral("Hardware antwortet nicht!"));
        SetStatus(QString());
        return;
    }
    progress.Status(QStringLiteral(" Moment noch ..."));
    Delay(kUploadSettleMs);
    const QString transferring = QStringLiteral(" Messprogramm ") +
                                 Programs().Row(row).BinFileName +
                                 QStringLiteral(" übertragen...");
    progress.Status(transferring);
    const bool sent =
        (!radiotaste->isChecked() || ProFile(row, Binfile->isChecked(), progress)) &&
        (!RadioZeit->isChecked() ||
         ProTFile(row, QTime::currentTime(), DateTimePicker1->dateTime().time()));
    if (!sent) {
        // A cell that stops prompting leaves the upload unfinished: say so
        // rather than leave "übertragen..." standing as if it went on. A
        // file error keeps its own text.
        if (StatusText() == transferring) progress.Status(QStringLiteral(" Fehler."));
        return;
    }
    Delay(kBeforeRunMs);
    SendRunCommand();
    if (RadioZeit->isChecked())
        seams_->Notice(this,
                       QStringLiteral("Die Zelle blinkt num im Sekundentakt bis zum Start der "
                                      "Messung."));
    if (radiotaste->isChecked())
        seams_->Notice(this, QStringLiteral("Messbeginn mit der START-Taste"));
}

// ----- read-out and program query

void TForm1::Au1Click() {
    WindowProgress progress(*this, ProgressBar1);
    PrepareCellRead(GetPortNumber(), progress);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    // Lay the bar out and draw it now: no event is processed until the end.
    centralWidget()->layout()->activate();
    ProgressBar1->repaint();

    // Read into a copy: a read-out that yields no data leaves the record
    // that the evaluation shows, so nothing unsaved is lost.
    MeasurementRecord read = CurrentRecord;
    const ReadOutResult result = ReadOutCell(read, progress);
    ProgressBar1->hide();

    switch (result.outcome) {
        case ReadOutResult::kNotReady:
            seams_->Notice(this, QStringLiteral("Hardware nicht bereit!"));
            SetStatus(QStringLiteral(" Fehler."));
            return;
        case ReadOutResult::kDefective:
            seams_->Notice(this,
                           QStringLiteral(" Datensatz ist defekt!  Bitte Batterieen überprüfen."));
            SetStatus(QStringLiteral(" Fehler."));
            return;
        case ReadOutResult::kOk:
        case ReadOutResult::kIncomplete:
            break;
    }
    // What arrived is evaluated and can be saved, also when the data
    // stopped part-way; then the user is told how much is missing.
    const bool complete = result.outcome == ReadOutResult::kOk;
    CurrentRecord = read;
    SetStatus(complete ? QStringLiteral(" OK.") : QStringLiteral(" Fehler."));
    setWindowTitle(kProductName + QStringLiteral(" - ") + kNoName);
    ProposedSaveName = kNoName;
    RichEdit1->setPlainText(QStringLiteral("Bemerkungen hier ..."));
    ShowTime(Au1);
    if (!complete) seams_->Notice(this, IncompleteReadOutText(result));
}

void TForm1::Button2Click() {
    WindowProgress progress(*this, nullptr);
    const int row = QueryProgramOnPort(GetPortNumber(), progress);
    SetStatus(ProgramQueryText(row));
}

// ----- start from the PC and the live level

void TForm1::Button1Click() {
    WindowProgress progress(*this, nullptr);
    directbar->setValue(0);
    progress.Status(QStringLiteral(" Hardware suchen ..."));
    if (!ConnectCell(GetPortNumber())) {
        SetStatus(QStringLiteral(" Hardware antwortet nicht."));
        return;
    }
    Delay(kAfterConnectMs);
    progress.Status(QStringLiteral(" Übertage Messprogramm ..."));
    // The START-key program (or its file), whatever start mode the settings
    // tab shows: the PC starts the cell itself.
    if (!ProFile(ProgBox->currentIndex() + 1, Binfile->isChecked(), progress)) return;
    progress.Status(QStringLiteral(" OK."));
    Delay(kAfterConnectMs);

    const int row = QueryCellProgram();
    LiveProgram.store(row);
    if (row <= 0) {
        // Without a row there is nothing to pace or draw by; a measurement
        // still running stops here (the cell got no run command).
        runner->Hold();
        SetStatus(QStringLiteral(" Messprogramm nicht korrekt."));
        return;
    }
    const Messtypen& program = Programs().Row(row);
    LabelMax->setText(QStringLiteral("0"));
    LabelMin->setText(QStringLiteral("120"));
    Chart4->SetBottomAxis(QStringLiteral("t/") + program.DurationUnit, 0, program.Duration);
    Chart4->ClearSeries(0);
    Chart5->ClearSeries(0);
    Chart4->QueueReplot();
    Chart5->QueueReplot();

    SendRunCommand();
    Delay(kCommandPauseMs);
    WriteByte(kCmdStartLive);
    Delay(kCommandPauseMs);

    LiveCount = 0;
    SetStatus(QStringLiteral(" Messung läuft ..."));
    directbar->setMaximum(program.Points);
    runner->Resume();
}

void TForm1::Timer1Timer() {
    // The end follows the program selected now; interval, axis and bar stay
    // those of the program the cell runs.
    const int selected = Programs().Row(ProgBox->currentIndex() + 1).Points;
    if (LiveEndReached(selected, LiveCount)) {
        runner->Hold();
        SetStatus(QStringLiteral(" Messung beendet."));
        if (dauerbox->isChecked()) {
            Button1Click();
            return;
        }
    }
    const int row = LiveProgram.load();
    if (!IsProgramRow(row)) {
        runner->Hold();
        return;
    }
    const int r = ReadByte();
    if (r <= 0) {
        // No byte, or the 0 that is no level: the views keep what they show.
        runner->Hold();
        SetStatus(QStringLiteral(" Fehler."));
        return;
    }
    const double x = LiveTime(LiveCount, row);
    ++LiveCount;
    const double level = SampleToLevel(r);

    dbabar->setValue(std::clamp(RoundHalfEven(level), 0, kBarTop));
    LiveLine(Chart4)->addData(x, level);
    const QLocale locale;
    if (!(locale.toDouble(LabelMax->text()) >= level)) LabelMax->setText(locale.toString(level));
    if (locale.toDouble(LabelMin->text()) > level) LabelMin->setText(locale.toString(level));
    Panel1->setText(NumberFormat::FromLocale().Level(level));
    CountLevel(LiveBars(Chart5), level);
    Chart5->Rescale();
    directbar->setValue(std::min(LiveCount, directbar->maximum()));
    SetStatus(QStringLiteral(" Programm ") + ProgramLetter(row) + QStringLiteral(", Messwert ") +
              QString::number(LiveCount));
    // Drawn on the next pass of the event loop, between two ticks.
    Chart4->QueueReplot();
    Chart5->QueueReplot();
}

void TForm1::ZurAuswertung1Click() {
    const QCPGraph* line = LiveLine(Chart4);
    if (!line || line->dataCount() == 0) return;
    const int row = LiveProgram.load();
    if (!IsProgramRow(row)) {
        // The last start found no program: there is no header to give the
        // curve, and the record stays as it is.
        seams_->Notice(this, QStringLiteral("Die Direktmessung kann nicht übernommen werden: "
                                            "Messprogramm nicht korrekt."));
        return;
    }
    std::vector<double> levels;
    levels.reserve(size_t(line->dataCount()));
    for (auto it = line->data()->constBegin(); it != line->data()->constEnd(); ++it)
        levels.push_back(it->value);
    TakeOverLive(CurrentRecord, row, levels);
    ShowTime(Button3);
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

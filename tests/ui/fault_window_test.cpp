// Faults on the line with kelvarn-cellsim, seen through the window: the
// line hangs up part-way through a read-out, an upload or a start from the
// PC; garbage comes in place of a header; the cell answers every request
// too late. Each command ends with the program's own message, keeps what
// arrived, leaves a usable window, and blocks no longer than the time-outs
// it may meet add up to.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <functional>

#include "DocumentSupport.h"
#include "FakeSeams.h"
#include "SimulatedCellWindow.h"
#include "app/TForm1.h"
#include "cell/CellTasks.h"
#include "link/SerialLink.h"
#include "link/SettingsFile.h"
#include "sim/CellModel.h"

using namespace kelvarn;

namespace {

// Bytes the simulator has received when a command begins: the start-up's
// connection check.
constexpr int kStartUp = 1;
// A read-out up to its first sample request: connection check, reset,
// readiness question, reset, read command, eight header requests.
constexpr int kReadOutHead = 1 + 10 + 2 + 10 + 1 + 8;
// An upload up to its first program byte: connection check, reset, 5.
constexpr int kUploadHead = 1 + 10 + 1;
// A start from the PC of program B up to the stream command: connection
// check, upload of its 149 program bytes, query, run command, then the 9.
constexpr int kStartOfB = 1 + (10 + 1 + 2 * 149 + 1) + (10 + 1 + 8) + (10 + 1) + 1;

// The pauses of one command (the 500 ms before a read-out or an upload,
// the resets' 2 ms pauses, command pauses, one live interval), with room.
constexpr int kCommandPausesMs = 800;

// How long a faulted command may block: every read that can go silent
// costs one read time-out, every answered exchange a little line and
// process time; doubled for a loaded machine. A bound, not a goal.
qint64 BlockingBoundMs(int silentReads, int exchanges) {
    return 2 * (silentReads * kReadTimeoutMs + kCommandPausesMs) + 2 * exchanges;
}

QByteArray GarbageMemory() {
    QByteArray b(MeasurementRecord::kSize, '\0');
    const uint8_t header[8] = {0x9C, 0x41, 0xEE, 0x07, 0x80, 0xFF, 0x12, 0x34};
    for (int i = 0; i < 8; ++i) b[i] = char(header[i]);
    for (int i = 10; i < b.size(); ++i) b[i] = char(i * 37);
    return b;
}

enum class Command { ReadOut, Upload, LiveStart };

struct Fault {
    const char* name;
    QStringList options;
    Command command;
    QString status;   // the status line at the end
    QString notice;   // the message box, empty for none
    int silentReads;  // reads of the command that may wait a whole time-out
    int exchanges;    // bytes the command sends that are answered
    int keptSamples;  // read-out: samples of the cell the record holds after
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Fault& f, std::ostream* os) {
    *os << f.name;
}

class FaultWindowTest : public ::testing::TestWithParam<Fault>, public SimulatedCellWindow {};

}  // namespace

TEST_P(FaultWindowTest, EndsWithItsOwnMessageInAUsableWindow) {
    const Fault& f = GetParam();
    QStringList options = f.options;
    for (QString& o : options) o.replace(QStringLiteral("$GARBAGE"), dir.filePath("garbage.dba"));
    {
        QFile g(dir.filePath("garbage.dba"));
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        g.write(GarbageMemory());
    }
    Start(options);
    form->Controls().ProgBox->setCurrentIndex(1);  // B
    const MeasurementRecord before = form->Document().Record();
    const QString titleBefore = form->windowTitle();

    QElapsedTimer t;
    t.start();
    switch (f.command) {
        case Command::ReadOut: form->Controls().Au1->trigger(); break;
        case Command::Upload: emit form->Controls().SendProgButton->clicked(); break;
        case Command::LiveStart:
            emit form->Controls().Button1->clicked();
            // The ticks run on their own; the first one meets the fault.
            SpinUntil([&] { return !form->LiveRunning(); }, 10000);
            break;
    }
    const qint64 took = t.elapsed();

    EXPECT_EQ(form->StatusText(), f.status);
    EXPECT_EQ(seams.notices, f.notice.isEmpty() ? QStringList() : QStringList{f.notice});
    EXPECT_TRUE(seams.stops.isEmpty());
    EXPECT_LE(took, BlockingBoundMs(f.silentReads, f.exchanges))
        << "the command blocked longer than its time-outs allow";

    if (f.keptSamples > 0) {
        // Every sample that arrived is in the record the window evaluates.
        const MeasurementRecord cell = CellModel::SyntheticMeasurement(2, 1);
        const auto& got = form->Document().Record().bytes;
        EXPECT_TRUE(std::equal(cell.bytes.begin(), cell.bytes.begin() + 8, got.begin()));
        EXPECT_TRUE(std::equal(cell.bytes.begin() + 10, cell.bytes.begin() + 10 + f.keptSamples,
                               got.begin() + 10));
        EXPECT_EQ(form->windowTitle(), "KELVARN - OhneName.dba[*]");
    } else {
        EXPECT_EQ(form->Document().Record(), before)
            << "a failed command leaves the record as it was";
        EXPECT_EQ(form->windowTitle(), titleBefore);
    }

    // A usable window: nothing modal, nothing left running or half shown,
    // and the event loop answers.
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(form->LiveRunning());
    EXPECT_FALSE(form->Controls().ProgressBar1->isVisible());
    bool answered = false;
    QTimer::singleShot(0, form.get(), [&] { answered = true; });
    EXPECT_TRUE(SpinUntil([&] { return answered; }, 1000));
    form->Controls().ProgBox->setCurrentIndex(0);
    EXPECT_EQ(form->Controls().ProgBox->currentText().left(1), "A");
}

INSTANTIATE_TEST_SUITE_P(
    Line, FaultWindowTest,
    ::testing::Values(
        // The 400th sample request goes unanswered: 399 samples arrived.
        Fault{"ReadOutHangUpInTheSamples",
              {"--program", "B", "--unpaced", "--hang-up-after",
               QString::number(kStartUp + kReadOutHead + 400)},
              Command::ReadOut,
              " Auslesen unvollständig! Nur 399 von 1000 Messwerten empfangen. Verbindung "
              "unterbrochen.",
              "Auslesen unvollständig! Nur 399 von 1000 Messwerten empfangen. Verbindung "
              "unterbrochen.",
              1,
              kReadOutHead + 400,
              399},
        Fault{"ReadOutGarbageHeader",
              {"--memory", "$GARBAGE", "--unpaced"},
              Command::ReadOut,
              " Fehler.",
              " Datensatz ist defekt!  Bitte Batterieen überprüfen.",
              0,
              kReadOutHead + 2,
              0},
        // The connection check's two tries and the readiness question.
        Fault{"ReadOutLateAnswers",
              {"--answer-delay", "300"},
              Command::ReadOut,
              " Hardware nicht bereit! Zelle antwortet nicht.",
              "Hardware nicht bereit! Zelle antwortet nicht.",
              3,
              3,
              0},
        // The line drops after five program bytes: the sixth prompt is
        // missing, the upload stops without a run command and the status
        // line says it failed.
        Fault{"UploadHangUpInTheProgram",
              {"--unpaced", "--hang-up-after", QString::number(kStartUp + kUploadHead + 2 * 5)},
              Command::Upload,
              " Fehler. Verbindung unterbrochen.",
              "",
              1,
              kUploadHead + 2 * 5,
              0},
        Fault{"UploadLateAnswers",
              {"--answer-delay", "300"},
              Command::Upload,
              "",
              "Hardware antwortet nicht!",
              2,
              2,
              0},
        // The line drops as the cell is told to stream: the first tick
        // finds no level byte.
        Fault{"LiveHangUpAsTheStreamBegins",
              {"--unpaced", "--hang-up-after", QString::number(kStartUp + kStartOfB)},
              Command::LiveStart,
              " Fehler. Verbindung unterbrochen.",
              "",
              1,
              kStartOfB,
              0},
        Fault{"LiveLateAnswers",
              {"--answer-delay", "300"},
              Command::LiveStart,
              " Hardware antwortet nicht.",
              "",
              2,
              2,
              0}),
    [](const ::testing::TestParamInfo<Fault>& fault) { return std::string(fault.param.name); });

// Cancelling cell commands between two exchanges, the live session's waits
// and end rule, the session interrupted by Ctrl+C, and the causes of a port
// that does not open.
#include <gtest/gtest.h>

#include <QSerialPort>

#include "cell/CellSession.h"
#include "cell/CellTasks.h"
#include "cell/LiveSession.h"
#include "cell/ProgramTransfer.h"
#include "cell/ReadOut.h"
#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "link/SerialDevice.h"
#include "link/SerialLink.h"
#include "scripted_cell_support.h"

using namespace kelvarn;

namespace {

// Cancels once `after` positions have been reported.
struct CancelAfter : RecordedProgress {
    size_t after;
    explicit CancelAfter(size_t n) : after(n) {}
    bool Cancelled() const override { return positions.size() >= after; }
};

class CancelTest : public ScriptedCellTest {};

int Count(const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& run) {
    int n = 0;
    for (size_t i = 0; i + run.size() <= bytes.size(); ++i)
        n += std::equal(run.begin(), run.end(), bytes.begin() + long(i)) ? 1 : 0;
    return n;
}

}  // namespace

TEST_F(CancelTest, ReadOutKeepsExactlyWhatArrivedAndClosesTheRead) {
    Attach({.program = 2});
    CancelAfter progress(250);
    MeasurementRecord rec;
    rec.bytes.fill(0x77);
    const ReadOutResult r = ReadOutCell(link.serial, rec, progress);

    EXPECT_EQ(r.outcome, ReadOutResult::kIncomplete);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.received, 250);
    EXPECT_EQ(r.expected, 1000);
    EXPECT_EQ(port.written, Cat({Reset(), {7, 2}, Reset(), {2}, Ones(8 + 250), {0}}));
    MeasurementRecord expected;
    std::copy_n(cell->Memory().bytes.begin(), 8 + 2 + 250, expected.bytes.begin());
    expected.bytes[8] = 1;
    expected.bytes[9] = 1;
    EXPECT_EQ(rec, expected);
    EXPECT_EQ(IncompleteReadOutText(r),
              "Auslesen abgebrochen. Nur 250 von 1000 Messwerten empfangen.");
}

TEST_F(CancelTest, TwelveMeasurementsCancelledInTheFirstPassReadNoSecond) {
    Attach({.program = 7});
    CancelAfter progress(100);
    MeasurementRecord rec;
    const ReadOutResult r = ReadOutCell(link.serial, rec, progress);
    EXPECT_EQ(r.outcome, ReadOutResult::kIncomplete);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.received, 100);
    EXPECT_EQ(r.expected, 6000) << "counted against the whole measurement";
    EXPECT_EQ(Count(port.written, Cat({Reset(), {2}})), 1);
}

TEST_F(CancelTest, ReadOutCancelledBeforeItBeganTouchesNothing) {
    Attach({.program = 2});
    CancelAfter progress(0);
    MeasurementRecord rec;
    rec.bytes.fill(0x77);
    const ReadOutResult r = ReadOutCell(link.serial, rec, progress);
    EXPECT_EQ(r.outcome, ReadOutResult::kCancelled);
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(rec.bytes[0], 0x77);
}

TEST_F(CancelTest, UploadStopsBeforeTheNextPrompt) {
    Attach();
    CancelAfter progress(5);
    const std::vector<uint8_t> program = KeyProgramBytes(Programs().Row(4).KeyProgram);
    ASSERT_EQ(OpenUpload(link.serial), LinkStatus::kOk);
    EXPECT_FALSE(SendUploadPayload(link.serial, program.data(), program.size(), &progress));
    std::vector<uint8_t> expected = Cat({Reset(), {5}});
    for (size_t i = 0; i < 5; ++i) expected.insert(expected.end(), {1, program[i]});
    EXPECT_EQ(port.written, expected) << "nothing after the fifth byte";
    EXPECT_TRUE(port.rx.empty())
        << "the prompt the cell owed was taken: no answer is left for the next command";
    EXPECT_EQ(progress.maxima, std::vector<int>{int(program.size())});
}

TEST(SearchCancel, EndsBeforeTheNextProbe) {
    ScriptedLink link;
    for (int n = 1; n <= 3; ++n) link.AddPort(n);  // silent ports
    int asked = 0;
    AcceptPrompt prompt;
    prompt.cancelled = [&] { return ++asked > 2; };
    std::vector<int> probed;
    prompt.probing = [&](int n) { probed.push_back(n); };
    EXPECT_EQ(SearchHardware(link.serial, prompt), kNoDevice);
    EXPECT_EQ(probed, std::vector<int>{1});
    EXPECT_EQ(link.log.filter("open COM").size(), 2) << link.Transcript().toStdString();
}

// A cancel is for the command that runs; Ctrl+C on the command line interrupts the session:
// its live measurement stops, and every command begun afterwards starts cancelled, also one
// that had not begun when the key came.
TEST(SessionInterruptTest, EveryLaterCommandStartsCancelled) {
    CellSession session(false);
    auto cancelledAtStart = [&session] {
        bool cancelled = false;
        EXPECT_TRUE(session.Run(
            [&](SerialLink&, CellProgress& progress) { cancelled = progress.Cancelled(); }));
        return cancelled;
    };
    session.Cancel();
    EXPECT_FALSE(cancelledAtStart()) << "a cancel between commands stops none";
    session.Interrupt();
    EXPECT_TRUE(session.Interrupted());
    EXPECT_TRUE(session.Live().Stopped());
    EXPECT_TRUE(cancelledAtStart());
    EXPECT_TRUE(cancelledAtStart()) << "and the next one too";
}

TEST(LiveSessionTest, WaitsOneIntervalPlusTheReadTimeOutForEachLevel) {
    ScriptedLink link;
    ScriptedDevice& port = link.AddPort(3);
    ASSERT_TRUE(link.serial.OpenPort("COM3:9600,N,8,2"));
    const struct { int row, waitMs; } rows[] = {{1, 10 + 210}, {3, 360 + 210}, {6, 14400 + 210}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        LiveSession live;
        live.SetEndRule(1000, false);
        live.Begin(r.row);
        link.clock.elapsedMs = 0;
        const LiveStep silent = live.Tick(link.serial);
        EXPECT_EQ(silent.kind, LiveStep::kFailed);
        EXPECT_EQ(link.clock.elapsedMs, r.waitMs);

        port.Feed({170});
        const LiveStep level = live.Tick(link.serial);
        EXPECT_EQ(level.kind, LiveStep::kSample);
        EXPECT_EQ(level.raw, 170);
        EXPECT_EQ(live.Taken(), 1);
    }
}

TEST(LiveSessionTest, EndRuleRestartStopAndNoProgram) {
    ScriptedLink link;
    ScriptedDevice& port = link.AddPort(3);
    ASSERT_TRUE(link.serial.OpenPort("COM3:9600,N,8,2"));
    LiveSession live;
    live.SetEndRule(3, false);
    live.Begin(1);
    port.Feed({60, 61, 62, 63});
    EXPECT_FALSE(live.Tick(link.serial).endReached);
    EXPECT_FALSE(live.Tick(link.serial).endReached);
    const LiveStep last = live.Tick(link.serial);
    EXPECT_TRUE(last.endReached) << "the third of three samples ends it";
    EXPECT_EQ(last.kind, LiveStep::kSample);
    EXPECT_EQ(last.raw, 62);

    live.Begin(1);
    live.SetEndRule(1, true);
    const LiveStep restart = live.Tick(link.serial);
    EXPECT_EQ(restart.kind, LiveStep::kRestart);
    EXPECT_EQ(port.rx.size(), 1u) << "nothing read before a restart";

    live.SetEndRule(1000, false);
    port.Feed({0});
    EXPECT_EQ(live.Tick(link.serial).kind, LiveStep::kSample);  // the 63 still waiting
    EXPECT_EQ(live.Tick(link.serial).kind, LiveStep::kFailed) << "the 0 is no level";

    live.Stop();
    port.Feed({70});
    EXPECT_EQ(live.Tick(link.serial).kind, LiveStep::kStopped);
    EXPECT_EQ(port.rx.size(), 1u);

    live.Begin(-1);
    EXPECT_EQ(live.Tick(link.serial).kind, LiveStep::kNoProgram);
}

TEST(OpenFailureTest, CausesFromThePortsError) {
    const struct {
        QSerialPort::SerialPortError error;
        bool accessible;
        OpenFailure failure;
        const char* text;
    } rows[] = {
        {QSerialPort::DeviceNotFoundError, true, OpenFailure::kMissing, "Gerät nicht vorhanden"},
        {QSerialPort::PermissionError, false, OpenFailure::kDenied,
         "Zugriff verweigert (Benutzer zur Gruppe dialout hinzufügen)"},
        {QSerialPort::PermissionError, true, OpenFailure::kBusy,
         "Port belegt (von einem anderen Programm geöffnet)"},
        {QSerialPort::OpenError, true, OpenFailure::kBusy,
         "Port belegt (von einem anderen Programm geöffnet)"},
        {QSerialPort::UnknownError, true, OpenFailure::kOther, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(int(r.error));
        EXPECT_EQ(OpenFailureOf(r.error, r.accessible), r.failure);
        EXPECT_EQ(OpenFailureText(r.failure), QString::fromUtf8(r.text));
    }
}

TEST(OpenFailureTest, TheLinkKeepsTheCauseOfTheLastOpen) {
    ScriptedLink link;
    ScriptedDevice& port = link.AddPort(3);
    port.exists = false;
    port.failure = OpenFailure::kDenied;
    EXPECT_FALSE(link.serial.OpenPort("COM3:9600,N,8,2"));
    EXPECT_EQ(link.serial.LastOpenFailure(), OpenFailure::kDenied);
    EXPECT_FALSE(link.serial.OpenPort("COM4:9600,N,8,2"));  // no such port
    EXPECT_EQ(link.serial.LastOpenFailure(), OpenFailure::kMissing);
    port.exists = true;
    EXPECT_TRUE(link.serial.OpenPort("COM3:9600,N,8,2"));
    EXPECT_EQ(link.serial.LastOpenFailure(), OpenFailure::kNone);
}

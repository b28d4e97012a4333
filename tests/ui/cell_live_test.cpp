// The live measurement as the window runs it: ticking until the cell's
// stream ends, a clean end with its window, and the session that runs it as
// one long job beside the commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <atomic>

#include "SimulatedCellWindow.h"
#include "cell/CellResult.h"
#include "cell/CellSession.h"
#include "cell/CellTasks.h"
#include "cell_support.h"
#include "data/ProgramTable.h"
#include "widgets/Chart.h"

using namespace kelvarn;

namespace {

// Processes events until done() or ms have passed; whether done() held.
template <typename F>
bool SpinUntil(F done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return done();
}

}  // namespace

// The session on a thread of its own against kelvarn-cellsim on a pseudo-terminal.
class CellSessionTest : public ::testing::Test, public SimulatedCellWindow {};

// A command started while the live job waits for the cell's next level waits for it: the two
// never use the link at once, and both run on the link's thread.
TEST_F(CellSessionTest, ACommandRunsAfterTheLiveJobOnTheSameThread) {
    Launch({"--program", "D"});  // a level every 6 s: the job waits for the next one
    CellSession session(true);
    CellResult start;
    bool started = false;
    ASSERT_TRUE(
        session.Run([&](SerialLink& line,
                        CellProgress& progress) { start = StartLive(line, 2, 4, false, progress); },
                    [&] { started = true; }, true));
    ASSERT_TRUE(SpinUntil([&] { return started; }, 20000));
    ASSERT_TRUE(start.Ok()) << CellMessage(start).line.toStdString();
    session.Live().SetEndRule(Programs().Row(4).Points, false);
    session.Live().Begin(4);
    ASSERT_TRUE(session.RunLive([](const LiveStep&) {}));
    EXPECT_FALSE(session.Busy()) << "the live job leaves the session free for a command";

    std::atomic<QThread*> commandThread{nullptr};
    std::atomic<bool> portOpenAtCommand{true};
    bool done = false;
    ASSERT_TRUE(session.Run(
        [&](SerialLink& line, CellProgress&) {
            commandThread = QThread::currentThread();
            portOpenAtCommand = line.IsPortOpen();
        },
        [&] { done = true; }));
    EXPECT_TRUE(session.Busy());
    SpinUntil([] { return false; }, 300);
    EXPECT_EQ(commandThread.load(), nullptr) << "not while the live job runs";
    EXPECT_FALSE(done);

    session.StopLive();
    ASSERT_TRUE(SpinUntil([&] { return done; }, 2000));
    EXPECT_EQ(commandThread.load(), session.LinkThread());
    EXPECT_NE(commandThread.load(), qApp->thread());
    EXPECT_FALSE(portOpenAtCommand.load()) << "the live job let the port go before the command";
    EXPECT_FALSE(session.Busy());
}

// Ending the session while its job waits for an answer from this thread (a question to the
// user) drops the question and still waits for the job.
TEST(CellSessionEndTest, EndingDropsTheQuestionAJobWaitsFor) {
    auto session = std::make_unique<CellSession>(true);
    CellSession* s = session.get();
    std::atomic<bool> asking{false};
    std::atomic<bool> jobOver{false};
    bool asked = false;
    ASSERT_TRUE(session->Run([&, s](SerialLink&, CellProgress&) {
        asking = true;
        s->OnOwnerThread([&] { asked = true; });
        jobOver = true;
    }));
    while (!asking) QThread::msleep(1);
    // No event is handled here: the question stays posted, and the job waits for it.
    session.reset();
    EXPECT_TRUE(jobOver.load()) << "the session ends once the job is over";
    QApplication::processEvents();
    EXPECT_FALSE(asked) << "the dropped question is never asked";
}

TEST(CellSessionEndTest, InlineThereIsNoLiveJob) {
    CellSession session(false);
    bool ran = false;
    EXPECT_FALSE(session.RunLive([&](const LiveStep&) { ran = true; }));
    EXPECT_FALSE(ran);
}

class LiveWindowTest : public CellWindowTest {};

TEST_F(LiveWindowTest, TheLiveViewTicksUntilAZeroByte) {
    Start({.liveZeroAfter = 20});
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Button1->click();
    ASSERT_TRUE(form->LiveRunning());
    ASSERT_TRUE(SpinUntil([&] { return form->StatusText() == " Fehler."; }));
    EXPECT_EQ(form->Live().Count(), 20);
    EXPECT_FALSE(form->LiveRunning());
    EXPECT_FALSE(form->Controls().StoppButton->isEnabled());
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(form->Live().Count(), 20) << "no tick after the failure";
    EXPECT_EQ(form->Controls().Chart4->PointCount(0), 20);
}

TEST_F(LiveWindowTest, WindowEndsCleanlyWhileALiveMeasurementRuns) {
    Start();
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Button1->click();
    ASSERT_TRUE(SpinUntil([&] { return form->Live().Count() >= 3; }));
    QElapsedTimer t;
    t.start();
    form.reset();
    EXPECT_LT(t.elapsed(), 1000);

    // And a window whose live measurement never ran.
    form = std::make_unique<TForm1>(&seams);
    form.reset();
}

// The live measurement as the window runs it: ticking until the cell's
// stream ends, a clean end with its window, and the worker that runs it as
// one long job beside the commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <atomic>

#include "cell/CellWorker.h"
#include "cell_support.h"
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

// A command started while the background job runs waits for it: the two
// never use the link at once, and both run on the link's thread.
TEST(CellWorkerTest, ACommandRunsAfterTheBackgroundJobOnTheSameThread) {
    CellWorker worker(true);
    std::atomic<bool> stop{false};
    std::atomic<int> inside{0};
    std::atomic<int> mostInside{0};
    std::atomic<QThread*> backgroundThread{nullptr};
    std::atomic<QThread*> commandThread{nullptr};
    auto enter = [&] {
        const int now = ++inside;
        int seen = mostInside;
        while (now > seen && !mostInside.compare_exchange_weak(seen, now)) {
        }
    };
    ASSERT_TRUE(worker.RunInBackground([&] {
        enter();
        backgroundThread = QThread::currentThread();
        while (!stop) QThread::msleep(1);
        --inside;
    }));
    ASSERT_TRUE(SpinUntil([&] { return backgroundThread != nullptr; }));
    EXPECT_FALSE(worker.Busy()) << "the background job leaves the worker free for a command";

    bool done = false;
    ASSERT_TRUE(worker.Run(
        [&](CellProgress&) {
            enter();
            commandThread = QThread::currentThread();
            --inside;
        },
        [&] { done = true; }));
    EXPECT_TRUE(worker.Busy());
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(commandThread.load(), nullptr) << "not while the background job runs";
    EXPECT_FALSE(done);

    stop = true;
    ASSERT_TRUE(SpinUntil([&] { return done; }));
    EXPECT_EQ(mostInside.load(), 1);
    EXPECT_EQ(commandThread.load(), backgroundThread.load());
    EXPECT_NE(commandThread.load(), qApp->thread());
    EXPECT_FALSE(worker.Busy());
}

// Ending the worker while its job waits for an answer from this thread
// (a question to the user) drops the question and still waits for the job.
TEST(CellWorkerTest, EndingDropsTheQuestionAJobWaitsFor) {
    CellWorker worker(true);
    std::atomic<bool> asking{false};
    std::atomic<bool> jobOver{false};
    bool asked = false;
    ASSERT_TRUE(worker.Run([&](CellProgress&) {
        asking = true;
        worker.OnOwnerThread([&] { asked = true; });
        jobOver = true;
    }));
    while (!asking) QThread::msleep(1);
    // No event is handled here: the question stays posted, and the job waits for it.
    worker.Drain();
    EXPECT_TRUE(jobOver.load()) << "Drain returns once the job is over";
    QApplication::processEvents();
    EXPECT_FALSE(asked) << "the dropped question is never asked";
    EXPECT_FALSE(worker.Run([](CellProgress&) {})) << "no job starts after the end";
    EXPECT_FALSE(worker.RunInBackground([] {}));
}

TEST(CellWorkerTest, InlineThereIsNoBackgroundJob) {
    CellWorker worker(false);
    bool ran = false;
    EXPECT_FALSE(worker.RunInBackground([&] { ran = true; }));
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

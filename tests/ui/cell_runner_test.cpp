// The polling thread: ticks on the window's thread, holding and letting run
// again, pacing by the live program, and a clean end with its window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <atomic>

#include "cell/Runner.h"
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

TEST(RunnerTest, TicksOnTheWindowsThreadAndHoldsFromInsideATick) {
    std::atomic<int> row{1};  // A: 10 ms
    int ticks = 0;
    bool onMainThread = true;
    Runner* runner = nullptr;
    Runner r(
        [&] {
            onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
            if (++ticks == 3) runner->Hold();
        },
        row);
    runner = &r;
    EXPECT_FALSE(r.Running());
    QApplication::processEvents();
    EXPECT_EQ(ticks, 0) << "created held";

    r.Resume();
    ASSERT_TRUE(SpinUntil([&] { return ticks == 3; }));
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(ticks, 3) << "held after the tick that held it";
    EXPECT_FALSE(r.Running());
    EXPECT_TRUE(onMainThread);

    r.Hold();  // holding twice is holding
    r.Resume();
    r.Resume();  // running already: nothing changes
    ASSERT_TRUE(SpinUntil([&] { return ticks >= 6; }));
    EXPECT_TRUE(onMainThread);
}

TEST(RunnerTest, PausesForTheIntervalOfTheLiveProgram) {
    std::atomic<int> row{7};  // G: 20 ms
    int ticks = 0;
    Runner r([&] { ++ticks; }, row);
    QElapsedTimer t;
    t.start();
    r.Resume();
    ASSERT_TRUE(SpinUntil([&] { return ticks >= 11; }));
    EXPECT_GE(t.elapsed(), 10 * 20) << "ten pauses of 20 ms between eleven ticks";
}

TEST(RunnerTest, WithoutAProgramRowItHoldsInsteadOfPausing) {
    std::atomic<int> row{-1};
    int ticks = 0;
    Runner r([&] { ++ticks; }, row);
    r.Resume();
    ASSERT_TRUE(SpinUntil([&] { return ticks == 1 && !r.Running(); }));
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(ticks, 1);

    row = 1;
    r.Resume();
    ASSERT_TRUE(SpinUntil([&] { return ticks >= 3; }));
}

TEST(RunnerTest, EndsWhileATickIsWaitingForTheWindow) {
    std::atomic<int> row{1};
    int ticks = 0;
    auto r = std::make_unique<Runner>([&] { ++ticks; }, row);
    r->Resume();
    QThread::msleep(50);  // the first tick is queued and waits for this thread
    QElapsedTimer t;
    t.start();
    r.reset();
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_EQ(ticks, 0) << "a tick that falls due while the Runner ends does not run";
}

class LiveWindowTest : public CellWindowTest {};

TEST_F(LiveWindowTest, RunnerPacesTheLiveViewUntilAZeroByte) {
    Start({.liveZeroAfter = 20});
    form->ProgBox->setCurrentIndex(0);
    form->Button1->click();
    ASSERT_TRUE(form->runner->Running());
    ASSERT_TRUE(SpinUntil([&] { return form->StatusText() == " Fehler."; }));
    EXPECT_EQ(form->LiveCount, 20);
    EXPECT_FALSE(form->runner->Running());
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(form->LiveCount, 20) << "no tick after the failure";
    EXPECT_EQ(form->Chart4->PointCount(0), 20);
}

TEST_F(LiveWindowTest, WindowEndsCleanlyWhileTheRunnerRuns) {
    Start();
    form->ProgBox->setCurrentIndex(0);
    form->Button1->click();
    ASSERT_TRUE(SpinUntil([&] { return form->LiveCount >= 3; }));
    QElapsedTimer t;
    t.start();
    form.reset();
    EXPECT_LT(t.elapsed(), 1000);

    // And a window whose Runner never ran.
    form = std::make_unique<TForm1>(&seams);
    form.reset();
}

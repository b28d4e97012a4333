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
    LiveSession row;
    row.Begin(1);  // A: 10 ms
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

TEST(RunnerTest, TicksFallDueOnTheCellsClockAndNeverEarly) {
    LiveSession row;
    row.Begin(7);  // G: 20 ms
    std::vector<qint64> at;
    QElapsedTimer t;
    Runner r(
        [&] {
            at.push_back(t.elapsed());
            // A tick that costs more than half an interval: waiting a whole
            // interval after each would let these costs add up.
            QThread::msleep(12);
        },
        row);
    t.start();
    r.Resume();
    ASSERT_TRUE(SpinUntil([&] { return at.size() >= 11; }));
    for (size_t k = 0; k < at.size(); ++k)
        EXPECT_GE(at[k], qint64(k) * 20) << "tick " << k << " before it fell due";
}

TEST(RunnerTest, WithoutAProgramRowItHoldsInsteadOfPausing) {
    LiveSession row;
    row.Begin(-1);
    int ticks = 0;
    Runner r([&] { ++ticks; }, row);
    r.Resume();
    ASSERT_TRUE(SpinUntil([&] { return ticks == 1 && !r.Running(); }));
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(ticks, 1);

    row.Begin(1);
    r.Resume();
    ASSERT_TRUE(SpinUntil([&] { return ticks >= 3; }));
}

TEST(RunnerTest, EndsWhileATickIsWaitingForTheWindow) {
    LiveSession row;
    row.Begin(1);
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
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Button1->click();
    ASSERT_TRUE(form->runner->Running());
    ASSERT_TRUE(SpinUntil([&] { return form->StatusText() == " Fehler."; }));
    EXPECT_EQ(form->live.Count(), 20);
    EXPECT_FALSE(form->runner->Running());
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(form->live.Count(), 20) << "no tick after the failure";
    EXPECT_EQ(form->Controls().Chart4->PointCount(0), 20);
}

TEST_F(LiveWindowTest, WindowEndsCleanlyWhileTheRunnerRuns) {
    Start();
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Button1->click();
    ASSERT_TRUE(SpinUntil([&] { return form->live.Count() >= 3; }));
    QElapsedTimer t;
    t.start();
    form.reset();
    EXPECT_LT(t.elapsed(), 1000);

    // And a window whose Runner never ran.
    form = std::make_unique<TForm1>(&seams);
    form.reset();
}

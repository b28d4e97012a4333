#pragma once

#include <QDeadlineTimer>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <atomic>
#include <functional>

#include "cell/LiveSession.h"

namespace kelvarn {

// The polling thread of the live display. It does no work of its own: it
// hands each tick to the thread the Runner object lives in (the window's),
// or to the thread of the object given to TickOn (the thread that owns the
// link), and waits for it. So ticks never interleave with other exchanges
// with the cell. Ticks fall due on the cell's clock: the k-th after the
// loop is let run at that moment plus k sampling intervals of the live
// program, so what a tick costs never adds up over a long measurement, and
// a tick that ended late is followed at once by the next.
//
// It starts held. Resume lets it run; Hold, called from inside a tick,
// keeps it waiting once that tick is over: when let run again it counts
// its ticks afresh from then, the first one interval later. Destroying it
// ends the loop cleanly.
class Runner : public QThread {
    Q_OBJECT
public:
    // tick: the live tick, run on this object's thread. session: its row
    // (1..9) paces the ticks; it must outlive the Runner.
    Runner(std::function<void()> tick, const LiveSession& session, QObject* parent = nullptr);
    ~Runner() override;

    // Ticks run on context's thread from now on (nullptr: this object's).
    // context must outlive the Runner; set it before the first Resume.
    void TickOn(QObject* context) { context_ = context; }

    // Lets the loop run; nothing changes when it runs already.
    void Resume();
    // Holds the loop after the current tick; holding twice is holding.
    void Hold();
    // Whether the loop is let run (not whether a tick is under way).
    bool Running() const;

    // One tick, on the ticks' thread.
    void DoTick();

protected:
    void run() override;

private:
    // Waits while held; false when the Runner is being destroyed. waited
    // tells whether it was held.
    bool WaitUntilLetRun(bool* waited = nullptr);
    // Sleeps until deadline unless the Runner is destroyed meanwhile; false
    // then.
    bool SleepUntil(const QDeadlineTimer& deadline);

    std::function<void()> tick_;
    const LiveSession& session_;
    mutable QMutex mutex_;
    QWaitCondition changed_;
    bool running_ = false;  // guarded by mutex_
    std::atomic<bool> quit_{false};
    QObject* context_ = nullptr;
};

}  // namespace kelvarn

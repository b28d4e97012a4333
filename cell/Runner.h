#pragma once

#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <atomic>
#include <functional>

namespace kelvarn {

// The polling thread of the live display. It does no work of its own: it
// hands each tick to the thread the Runner object lives in (the window's),
// or to the thread of the object given to TickOn (the thread that owns the
// link), and waits for it, then sleeps for the sampling interval of the
// live program. So ticks never interleave with other exchanges with the
// cell.
//
// It starts held. Resume lets it run; Hold, called from inside a tick,
// keeps it waiting once that tick is over: when let run again it first
// sleeps one interval, then ticks. Destroying it ends the loop cleanly.
class Runner : public QThread {
    Q_OBJECT
public:
    // tick: the live tick, run on this object's thread. liveProgram: the row
    // (1..9) whose interval paces the ticks; it must outlive the Runner.
    Runner(std::function<void()> tick, const std::atomic<int>& liveProgram,
           QObject* parent = nullptr);
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
    // Waits while held; false when the Runner is being destroyed.
    bool WaitUntilLetRun();
    // Sleeps ms unless the Runner is destroyed meanwhile; false then.
    bool Sleep(int ms);

    std::function<void()> tick_;
    const std::atomic<int>& liveProgram_;
    mutable QMutex mutex_;
    QWaitCondition changed_;
    bool running_ = false;  // guarded by mutex_
    std::atomic<bool> quit_{false};
    QObject* context_ = nullptr;
};

}  // namespace kelvarn

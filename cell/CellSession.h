#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "cell/CellProgress.h"
#include "cell/LiveSession.h"
#include "link/SerialLink.h"

class QThread;

namespace kelvarn {

// One connection to the cell: the serial link, the live measurement taken over it, and the one
// thread every exchange runs on. The window and kelvarn-cli each hold one; whatever they ask
// of the cell is a job here, one at a time, with progress and cancel.
//
// The commands run one at a time on the link's thread, so the thread that starts them (the
// window's) keeps handling events: it repaints and shows progress while bytes go back and
// forth. A job reports through the CellProgress it is handed; the reports arrive in order as
// the signals below on the thread that made the session. A job looks at progress.Cancelled()
// between two exchanges and ends there after Cancel. A serial device belongs to the thread
// that opened it, so every use of the link goes through a job.
//
// Besides the commands, the live measurement runs as one long job (RunLive): it does not make
// the session busy, and a command started meanwhile runs after it on the same thread, so the
// two never share the link. Whoever starts a command ends the live measurement first.
//
// Inline (no thread of its own) every job runs at once on the calling thread: kelvarn-cli,
// and tests that drive a scripted link step by step. There is no live job inline; the caller
// ticks itself.
//
// Threads: the link and the live measurement's ticks belong to the link's thread (inline: the
// caller's). The commands' done, the live steps handed to RunLive's onStep and the signals
// arrive on the thread that made the session. Nothing written on the link's thread is read
// from the owner's except through a job's own result.
//
// Lifetime: the destructor stops the live measurement, waits for every job (their done and
// their questions are dropped) and lets the port go on the link's thread, before the thread
// ends. Whoever holds a session declares it after everything its jobs use, so that it goes
// before them.
class CellSession : public QObject {
    Q_OBJECT
public:
    using Job = std::function<void(SerialLink& link, CellProgress& progress)>;

    // ownThread: commands run on a thread of their own (the desktop), or at once on the
    // caller's thread (kelvarn-cli, and tests that drive a scripted line step by step).
    explicit CellSession(bool ownThread, QObject* parent = nullptr);
    ~CellSession() override;

    bool OwnThread() const { return thread_ != nullptr; }
    // The thread that owns the link; null inline.
    QThread* LinkThread() const { return thread_; }

    // The link, for what is set up before the first command (a scripted line in tests). Once
    // a command has run it belongs to the link's thread: jobs get it handed.
    SerialLink& Link() { return link_; }
    // The live measurement: its end rule and stop from any thread, what it took on the
    // owner's.
    LiveSession& Live() { return live_; }
    const LiveSession& Live() const { return live_; }

    // Runs job on the link's thread; done, when given, runs afterwards on the owner's thread.
    // The port is let go after the job, so that another program can use it while nothing is
    // asked of the cell, unless keepsPort (a live start that succeeded keeps it; its job
    // closes the port itself when the start fails). false, with nothing run, while a command
    // runs or once the session ends: commands never queue behind each other.
    bool Run(Job job, std::function<void()> done = {}, bool keepsPort = false);
    // true from Run until its done has run.
    bool Busy() const { return busy_; }
    // Asks the running command to stop at its next check. A lock-free store: safe in a signal
    // handler.
    void Cancel() { cancel_ = true; }
    // Ctrl+C on the command line: the running command stops at its next check, the live
    // measurement at its next tick, and every command begun afterwards starts cancelled.
    // Lock-free stores: safe in a signal handler.
    void Interrupt() {
        interrupted_ = true;
        cancel_ = true;
        live_.Stop();
    }
    bool Interrupted() const { return interrupted_; }
    // Runs f on the owner's thread and waits for it: for what a job must ask a person. Dropped
    // while the session ends.
    void OnOwnerThread(const std::function<void()>& f);

    // One tick of the live measurement on the link (the link's thread, or inline the
    // caller's); the port is let go once the measurement ends, fails or is stopped.
    LiveStep LiveTick();
    // The live measurement as one job on the link's thread: it ticks on the cell's own pacing
    // until the measurement ends, fails or is stopped, and hands each step to onStep on the
    // owner's thread. A command started meanwhile runs after it. false inline, where the
    // caller ticks itself, and once the session ends.
    bool RunLive(std::function<void(const LiveStep& step)> onStep);
    // Stops the live measurement: its job ends within one read time-out and lets the port go;
    // inline the port goes at once.
    void StopLive();

signals:
    void Status(const QString& text);
    void ProgressMax(int max);
    void ProgressPosition(int position);
    // Busy() changed; false just before the command's done runs, so that what done shows
    // shows beside idle controls.
    void BusyChanged(bool busy);
    // A command's done has run and no other command was started from it.
    void Idle();

private:
    class Reporter;
    // Runs f on the link's thread unless the session ends before it gets there; counted in
    // jobs_ until it is over.
    void Post(std::function<void()> f);
    void Finish(const std::function<void()>& done);
    // Ends for good: cancels the running command and waits for it and for the live job (their
    // done and questions are dropped); no job starts afterwards.
    void Drain();

    SerialLink link_;
    LiveSession live_;

    QThread* thread_ = nullptr;   // null inline
    QObject* context_ = nullptr;  // lives on thread_; jobs are posted to it
    bool busy_ = false;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> interrupted_{false};
    std::atomic<bool> dying_{false};
    // Jobs posted to the link's thread and not over yet, and the questions they wait for:
    // Drain waits on changed_ until jobs_ is 0, and a job waiting for its answer gives up when
    // the session ends.
    std::mutex mutex_;
    std::condition_variable changed_;
    int jobs_ = 0;  // guarded by mutex_
};

}  // namespace kelvarn

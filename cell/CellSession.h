#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "cell/CellProgress.h"
#include "cell/CellWorker.h"
#include "cell/LiveSession.h"
#include "link/SerialLink.h"

namespace kelvarn {

// One connection to the cell: the serial link, the live measurement taken over it, and the one
// thread every exchange runs on. The window and kelvarn-cli each hold one; whatever they ask
// of the cell is a job here, one at a time, with progress and cancel.
//
// Threads: the link and the live measurement's ticks belong to the link's thread (inline: the
// caller's). The commands' done, the live steps handed to RunLive's onStep and the signals
// arrive on the thread that made the session. Nothing written on the link's thread is read
// from the owner's except through a job's own result.
//
// Lifetime: the members are declared so that the worker goes first; the destructor stops the
// live measurement, waits for every job (their done and their questions are dropped) and lets
// the port go on the link's thread, before the thread ends. Whoever holds a session declares
// it after everything its jobs use, so that it goes before them.
class CellSession : public QObject {
    Q_OBJECT
public:
    using Job = std::function<void(SerialLink& link, CellProgress& progress)>;

    // ownThread: commands run on a thread of their own (the desktop), or at once on the
    // caller's thread (kelvarn-cli, and tests that drive a scripted line step by step).
    explicit CellSession(bool ownThread, QObject* parent = nullptr);
    ~CellSession() override;

    bool OwnThread() const { return worker_.OwnThread(); }

    // The link, for what is set up before the first command (a scripted line in tests) and for
    // jobs on the link's thread; a test may look at it while no job runs.
    SerialLink& Link() { return link_; }
    // The live measurement: its end rule and stop from any thread, what it took on the
    // owner's.
    LiveSession& Live() { return live_; }
    const LiveSession& Live() const { return live_; }

    // Runs job on the link's thread; done, when given, runs afterwards on the owner's thread.
    // The port is let go after the job, so that another program can use it while nothing is
    // asked of the cell, unless keepsPort (a live start that succeeded keeps it; its job
    // closes the port itself when the start fails). false, with nothing run, while a command
    // runs: commands never queue behind each other.
    bool Run(Job job, std::function<void()> done = {}, bool keepsPort = false);
    bool Busy() const { return worker_.Busy(); }
    // Asks the running command to stop at its next check. Safe in a signal handler.
    void Cancel() { worker_.Cancel(); }
    // Runs f on the owner's thread and waits for it: for what a job must ask a person.
    void OnOwnerThread(const std::function<void()>& f) { worker_.OnOwnerThread(f); }

    // One tick of the live measurement on the link (the link's thread, or inline the
    // caller's); the port is let go once the measurement ends, fails or is stopped.
    LiveStep LiveTick();
    // The live measurement as one job on the link's thread: it ticks on the cell's own pacing
    // until the measurement ends, fails or is stopped, and hands each step to onStep on the
    // owner's thread. A command started meanwhile runs after it. false inline, where the
    // caller ticks itself.
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
    // In this order: the worker (and the jobs it waits for) ends before the live measurement
    // and the link its jobs use.
    SerialLink link_;
    LiveSession live_;
    CellWorker worker_;
};

}  // namespace kelvarn

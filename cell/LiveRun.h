#pragma once

#include <QDateTime>
#include <QObject>
#include <functional>

#include "cell/LiveSession.h"

namespace kelvarn {

class CellSession;
struct CellResult;

// What a start from the PC uses, as the person has chosen it.
struct LiveChoice {
    int port = 0;  // the COM number the start connects to
    // The program row selected (1..9): its START-key program goes to the cell, and its sample
    // count ends the measurement (also when the cell runs another one).
    int program = 1;
    bool binFile = false;  // the program's file instead of its built-in START-key program
    bool restart = false;  // a finished measurement starts again at once
};

// A live measurement started from the PC, as "&Start" and kelvarn-cli live run it: the start
// command, the ticks until the measurement ends, fails or is stopped, the automatic restart at
// its end, whether it runs, and when its run command went out. What it took lives in the
// session's LiveSession; the signals tell the owner what to show.
//
// Everything here belongs to the thread that made the session. With a link thread the ticks
// run there as one job of the session and each step arrives here; inline the owner calls Tick
// (kelvarn-cli in a loop, the window on its timer), and each tick waits for the cell's next
// level. The session must outlive the run.
class LiveRun : public QObject {
    Q_OBJECT
    // Only the signals' code needs the result whole; the window's header stays without it.
    Q_MOC_INCLUDE("cell/CellResult.h")
public:
    // now: the clock the start time is read from.
    LiveRun(CellSession& session, std::function<QDateTime()> now, QObject* parent = nullptr);
    ~LiveRun() override;

    // What the next start (and an automatic restart) uses; the end rule follows it at once.
    void SetChoice(const LiveChoice& choice);
    const LiveChoice& Choice() const { return choice_; }

    // Stops a running measurement, then runs the start as a command of the session: Starting,
    // the command, then Started with its result; when it found a program the ticks run. false,
    // with nothing started, while another command runs.
    bool Start();
    // Ends the measurement: no tick reads after it, no step is shown, and the port goes (with a
    // link thread within one read time-out). What it took stays.
    void Stop();
    bool Running() const { return running_; }
    // When the last successful start sent its run command; invalid before.
    QDateTime StartedAt() const { return startedAt_; }

    // One tick on the owner's thread, where the link is used inline; its step is shown through
    // the signals.
    LiveStep Tick();

    // While held (the person is asked whether to end the measurement), a restart that falls due
    // waits. Release runs it when run, and drops it otherwise.
    void HoldRestart();
    void ReleaseRestart(bool run);

signals:
    // A start begins (also an automatic restart).
    void Starting();
    // The start's result (command kStart); Running() when it succeeded.
    void Started(const CellResult& result);
    void RunningChanged(bool running);
    // A level taken, as the views draw it.
    void Sample(const LiveSample& sample);
    // The measurement ended by itself (command kLive): at its end (ok; the last tick's level
    // follows as Sample), or on a missing level (failed). count: the levels taken.
    void Ended(const CellResult& result);

private:
    void Begun(const CellResult& result);
    void Apply(const LiveStep& step);
    void SetRunning(bool running);

    CellSession& session_;
    std::function<QDateTime()> now_;
    LiveChoice choice_;
    bool running_ = false;
    bool held_ = false;
    bool restartDue_ = false;
    QDateTime startedAt_;
};

}  // namespace kelvarn

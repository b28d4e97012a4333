#pragma once

#include <QObject>
#include <functional>

#include "app/tabs/TabContext.h"
#include "cell/CellSession.h"
#include "cell/LiveRun.h"

namespace kelvarn {

struct CellResult;
struct TForm1Controls;

// The window's side of the cell session: one command at a time, the controls that wait while
// it runs, its progress and "Abbrechen", the question before a command ends a live measurement,
// and the texts of each result. The tabs start their commands here.
//
// Whoever holds it declares it after everything its jobs and questions use (the seams, the
// controls, the document), so that it goes first: its session ends the jobs before any of
// those go.
class CellCommands : public QObject {
    Q_OBJECT

public:
    // ownThread: commands on a thread of their own (the desktop) or inline (tests). close ends
    // the window once the command that delayed it is over (quit: as "&Beenden" does).
    CellCommands(const TabContext& context, TForm1Controls& controls, bool ownThread,
                 std::function<void(bool quit)> close, QObject* parent);

    CellSession& Session() { return session_; }
    const CellSession& Session() const { return session_; }
    LiveRun& Run() { return liveRun_; }
    const LiveRun& Run() const { return liveRun_; }

    // The COM number the commands use: chosen by hand, restored at the start, or found by the
    // search; also after its open failed (an adapter plugged in again works at the next one).
    int Port() const { return port_; }
    void SetPort(int n) { port_ = n; }

    // Shows progress and "Abbrechen" while a command runs; after the window is built.
    void Wire();
    // Refuses while a command runs and ends a running live measurement after asking; the job
    // runs on the link's thread, done on this one. The port is let go after the job unless
    // keepsPort (the live start).
    bool Start(CellSession::Job job, std::function<void()> done, bool keepsPort = false);
    bool Busy() const { return session_.Busy(); }
    bool LiveRunning() const { return liveRun_.Running(); }
    // The question before a command ends the live measurement; true when it may end (it is
    // ended then), or when none runs.
    bool MayEndLive();
    // The texts of a command's result: its message box, then its status line.
    void ShowResult(const CellResult& result);
    // "Abbrechen" and Esc: the running command stops between two exchanges.
    void Cancel();
    // A close asked for during a command: the command is cancelled and the close follows its
    // end. false when no command runs.
    bool DeferClose(bool quit);
    // "Die laufende Messung wird beendet. Fortfahren?"; true for Ja. The measurement goes on
    // while it is asked; an automatic restart that falls due meanwhile waits for the answer.
    bool AskEndLive();

private:
    void BusyChanged(bool busy);
    void Idle();

    TabContext c_;
    TForm1Controls& w_;
    std::function<void(bool quit)> close_;
    int port_ = 0;
    bool closeAfter_ = false;
    bool quitAfter_ = false;
    // The link to the cell, its live measurement and the thread its commands run on, and the
    // live run on it.
    CellSession session_;
    LiveRun liveRun_;
};

}  // namespace kelvarn

// One command to the cell at a time, as the window runs it: the controls wait, the progress
// shows, "Abbrechen" and Esc cancel, and a running live measurement ends only when the user
// says so.
#include "app/CellCommands.h"

#include <QAction>
#include <QComboBox>
#include <QKeySequence>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>

#include "app/Seams.h"
#include "app/TForm1.h"
#include "cell/CellResult.h"

namespace kelvarn {

CellCommands::CellCommands(const TabContext& context, TForm1Controls& controls, bool ownThread,
                           std::function<void(bool quit)> close, QObject* parent)
    : QObject(parent),
      c_(context),
      w_(controls),
      close_(std::move(close)),
      session_(ownThread),
      liveRun_(session_, [seams = &context.seams] { return seams->Now(); }) {}

void CellCommands::Wire() {
    connect(w_.AbbrechenButton, &QPushButton::clicked, this, [this] { Cancel(); });
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), c_.window);
    connect(esc, &QShortcut::activated, this, [this] { Cancel(); });
    connect(&session_, &CellSession::Status, this, [this](const QString& t) { c_.setStatus(t); });
    connect(&session_, &CellSession::ProgressMax, this, [this](int max) {
        // A range of 0..0 would make the bar a busy indicator.
        w_.ProgressBar1->setRange(0, std::max(max, 1));
        w_.ProgressBar1->setValue(0);
    });
    connect(&session_, &CellSession::ProgressPosition, w_.ProgressBar1, &QProgressBar::setValue);
    connect(&session_, &CellSession::BusyChanged, this, [this](bool busy) { BusyChanged(busy); });
    connect(&session_, &CellSession::Idle, this, [this] { Idle(); });
    connect(&liveRun_, &LiveRun::Ended, this,
            [this](const CellResult& result) { ShowResult(result); });
}

void CellCommands::ShowResult(const CellResult& result) {
    const CellText text = CellMessage(result);
    if (!text.notice.isEmpty()) c_.seams.Notice(c_.window, text.notice);
    if (text.setsStatus) c_.setStatus(text.status);
}

bool CellCommands::AskEndLive() {
    // On the long programs a running measurement is hours of work: it ends only when the user
    // says so. Should it reach its end while the question is open, its automatic restart
    // waits: after Ja it is dropped (what the user asked for comes instead), after Nein it
    // starts as it would have.
    liveRun_.HoldRestart();
    const bool yes = c_.seams.Ask(c_.window, ApplicationTitle(),
                                  QStringLiteral("Die laufende Messung wird beendet. Fortfahren?"));
    liveRun_.ReleaseRestart(!yes);
    return yes;
}

bool CellCommands::MayEndLive() {
    if (!LiveRunning()) return true;
    if (!AskEndLive()) return false;
    liveRun_.Stop();
    return true;
}

bool CellCommands::Start(CellSession::Job job, std::function<void()> done, bool keepsPort) {
    if (session_.Busy()) return false;
    if (!MayEndLive()) return false;
    // A live measurement ends before any other exchange with the cell: its job ends within one
    // read time-out, and the command, queued behind it on the link's thread, runs then. The
    // port is let go after the command, as kelvarn-cli does, so that another program (or
    // kelvarn-cli) can use it while the window is idle; only a live measurement keeps it, and
    // its start decides that itself.
    liveRun_.Stop();
    return session_.Run(std::move(job), std::move(done), keepsPort);
}

void CellCommands::BusyChanged(bool busy) {
    for (QWidget* w : std::initializer_list<QWidget*>{w_.SendProgButton, w_.Button2, w_.Button1,
                                                      w_.Button3, w_.Button4, w_.ComBox})
        w->setEnabled(!busy);
    w_.Au1->setEnabled(!busy);
    w_.N1->setEnabled(!busy);
    if (busy) {
        w_.ProgressBar1->setRange(0, 0);
        w_.ProgressBar1->setValue(0);
    }
    w_.ProgressBar1->setVisible(busy);
    w_.AbbrechenButton->setVisible(busy);
}

void CellCommands::Idle() {
    // After the command's own outcome, so that a close asks about what it kept.
    if (quitAfter_ || closeAfter_) {
        const bool quit = quitAfter_;
        quitAfter_ = closeAfter_ = false;
        close_(quit);
    }
}

void CellCommands::Cancel() {
    if (Busy()) session_.Cancel();
}

bool CellCommands::DeferClose(bool quit) {
    if (!Busy()) return false;
    session_.Cancel();
    (quit ? quitAfter_ : closeAfter_) = true;
    return true;
}

}  // namespace kelvarn

#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "cell/CellProgress.h"

class QThread;

namespace kelvarn {

// Runs the commands to the cell one at a time on the thread that uses the
// serial link (the CellSession's, which holds it), so the thread that starts
// them (the window's) keeps handling events: it repaints and shows progress
// while bytes go back and forth. A job reports through the CellProgress it is handed; the reports
// arrive in order as the signals below on the starter's thread. A job looks
// at progress.Cancelled() between two exchanges and ends there after Cancel.
//
// While a worker with a thread of its own exists, every use of the link
// goes through it: a serial device belongs to the thread that opened it.
//
// Besides the commands, one long job may run in the background (the live
// measurement): it does not make the worker busy, and a command started
// meanwhile runs after it on the same thread, so the two never share the
// link. Whoever starts a command ends the background job first.
//
// Inline (no thread of its own) every job runs at once on the calling
// thread: for tests that drive a scripted link step by step. There is no
// background job inline.
class CellWorker : public QObject {
    Q_OBJECT
public:
    using Job = std::function<void(CellProgress& progress)>;

    explicit CellWorker(bool ownThread, QObject* parent = nullptr);
    // Cancels a running job, waits for it (its done is dropped) and ends the
    // thread.
    ~CellWorker() override;

    bool OwnThread() const { return thread_ != nullptr; }
    // true from Run until its done has run.
    bool Busy() const { return busy_; }
    // Runs job on the link's thread; done, when given, runs afterwards on
    // this object's thread. false, with nothing run, while another job is
    // busy: commands never queue up behind each other.
    bool Run(Job job, std::function<void()> done = {});
    // Runs job on the link's thread without making the worker busy; it
    // must end by itself once asked to (its owner's stop). false, with
    // nothing run, inline or while the worker ends.
    bool RunInBackground(std::function<void()> job);
    // Runs f on the link's thread and waits for it: short link work outside
    // a command (closing the port at the end). Not while a job is busy.
    void RunAndWait(const std::function<void()>& f);
    // Asks the running job to stop at its next check.
    void Cancel() { cancel_ = true; }
    bool CancelRequested() const { return cancel_; }
    // Runs f on this object's thread and waits for it: for what a job must
    // ask a person. Dropped while the worker is being destroyed.
    void OnOwnerThread(const std::function<void()>& f);
    // The thread that owns the link, and an object living there for work
    // handed to it; null inline.
    QThread* LinkThread() const { return thread_; }
    QObject* LinkContext() const { return context_; }
    // Ends for good: cancels the running job and waits for it and for a
    // background job (its done and its questions are dropped; the
    // background job must have been asked to stop); no job starts
    // afterwards. RunAndWait still works.
    void Drain();

signals:
    void Status(const QString& text);
    void ProgressMax(int max);
    void ProgressPosition(int position);
    // Busy() changed; false just before the job's done runs, so that whatever done shows
    // (a message about the outcome) shows beside idle controls.
    void BusyChanged(bool busy);
    // A job's done has run and no other job was started from it.
    void Idle();

private:
    class Reporter;
    void Finish(const std::function<void()>& done);
    // Runs f on the link's thread unless the worker ends before it gets
    // there; counted in jobs_ until it is over.
    void Post(std::function<void()> f);

    QThread* thread_ = nullptr;   // null inline
    QObject* context_ = nullptr;  // lives on thread_; jobs are posted to it
    bool busy_ = false;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> dying_{false};
    // Jobs posted to the link's thread and not over yet, and the questions
    // they wait for: Drain waits on changed_ until jobs_ is 0, and a job
    // waiting for its answer gives up when the worker ends.
    std::mutex mutex_;
    std::condition_variable changed_;
    int jobs_ = 0;  // guarded by mutex_
};

}  // namespace kelvarn

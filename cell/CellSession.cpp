#include "cell/CellSession.h"

#include <QThread>
#include <memory>

namespace kelvarn {

// What a job reports, as the session's signals.
class CellSession::Reporter : public CellProgress {
public:
    explicit Reporter(CellSession& session) : session_(session) {}
    void Status(const QString& text) override { emit session_.Status(text); }
    void ProgressMax(int max) override { emit session_.ProgressMax(max); }
    void ProgressPosition(int position) override { emit session_.ProgressPosition(position); }
    bool Cancelled() const override { return session_.cancel_; }

private:
    CellSession& session_;
};

CellSession::CellSession(bool ownThread, QObject* parent) : QObject(parent) {
    if (!ownThread) return;
    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("CellLink"));
    context_ = new QObject;
    context_->moveToThread(thread_);
    thread_->start();
}

CellSession::~CellSession() {
    // The live job ends within one read time-out of the stop; Drain waits for it and for a
    // command (which it cancels).
    live_.Stop();
    Drain();
    // The port is let go here, not left to the process's end: its lock file goes with it, and
    // the next program (or user) finds it free. On the link's thread, which owns the device.
    if (!thread_) {
        link_.ClosePort();
        return;
    }
    QMetaObject::invokeMethod(
        context_, [this] { link_.ClosePort(); }, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete context_;
    delete thread_;
}

void CellSession::Drain() {
    {
        // Under the lock, so a job waiting for an answer hears it.
        const std::lock_guard lock(mutex_);
        dying_ = true;
        cancel_ = true;
    }
    changed_.notify_all();
    // A question a job waits for is dropped now (its waiter gives up), so the jobs end without
    // this thread's help.
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return jobs_ == 0; });
    busy_ = false;
}

void CellSession::Post(std::function<void()> f) {
    {
        const std::lock_guard lock(mutex_);
        ++jobs_;
    }
    QMetaObject::invokeMethod(
        context_,
        [this, f = std::move(f)] {
            if (!dying_) f();
            {
                const std::lock_guard lock(mutex_);
                --jobs_;
            }
            changed_.notify_all();
        },
        Qt::QueuedConnection);
}

bool CellSession::Run(Job job, std::function<void()> done, bool keepsPort) {
    if (busy_ || dying_) return false;
    busy_ = true;
    cancel_ = interrupted_.load();
    emit BusyChanged(true);
    auto run = [this, keepsPort, job = std::move(job)] {
        Reporter reporter(*this);
        job(link_, reporter);
        if (!keepsPort) link_.ClosePort();
    };
    if (!thread_) {
        run();
        Finish(done);
        return true;
    }
    Post([this, run = std::move(run), done = std::move(done)] {
        run();
        // Posted after every report of the job, so it comes last.
        QMetaObject::invokeMethod(
            this, [this, done] { Finish(done); }, Qt::QueuedConnection);
    });
    return true;
}

void CellSession::Finish(const std::function<void()>& done) {
    if (dying_) return;
    busy_ = false;
    emit BusyChanged(false);
    if (done) done();
    // done may have started the next command.
    if (!busy_) emit Idle();
}

void CellSession::OnOwnerThread(const std::function<void()>& f) {
    if (QThread::currentThread() == thread()) {
        if (!dying_) f();
        return;
    }
    // Both threads see answered under the lock; f is only run while this waits (dying_ is set
    // on the owner's thread, never while f runs), so a question dropped at the end never
    // reaches a gone f.
    auto answered = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        this,
        [this, &f, answered] {
            if (!dying_) f();
            {
                const std::lock_guard lock(mutex_);
                *answered = true;
            }
            changed_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return *answered || dying_; });
}

LiveStep CellSession::LiveTick() {
    const LiveStep step = live_.Tick(link_);
    // The measurement is over, or stopped: the port is free again (a restart opens it anew).
    if (step.endReached || step.kind != LiveStep::kSample) link_.ClosePort();
    return step;
}

bool CellSession::RunLive(std::function<void(const LiveStep& step)> onStep) {
    if (!thread_ || dying_) return false;
    // Each tick waits for the cell's next level (the cell paces its stream); the step goes to
    // the owner's thread through this object, so none arrives once the session is gone.
    Post([this, onStep = std::move(onStep)] {
        for (;;) {
            const LiveStep step = LiveTick();
            QMetaObject::invokeMethod(
                this, [onStep, step] { onStep(step); }, Qt::QueuedConnection);
            if (step.endReached || step.kind != LiveStep::kSample) return;
        }
    });
    return true;
}

void CellSession::StopLive() {
    live_.Stop();
    if (!thread_) link_.ClosePort();
}

}  // namespace kelvarn

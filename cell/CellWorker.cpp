#include "cell/CellWorker.h"

#include <QThread>
#include <memory>

namespace kelvarn {

// What a job reports, passed on as the worker's signals.
class CellWorker::Reporter : public CellProgress {
public:
    explicit Reporter(CellWorker& worker) : worker_(worker) {}
    void Status(const QString& text) override { emit worker_.Status(text); }
    void ProgressMax(int max) override { emit worker_.ProgressMax(max); }
    void ProgressPosition(int position) override { emit worker_.ProgressPosition(position); }
    bool Cancelled() const override { return worker_.cancel_; }

private:
    CellWorker& worker_;
};

CellWorker::CellWorker(bool ownThread, QObject* parent) : QObject(parent) {
    if (!ownThread) return;
    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("CellLink"));
    context_ = new QObject;
    context_->moveToThread(thread_);
    thread_->start();
}

CellWorker::~CellWorker() {
    Drain();
    if (!thread_) return;
    thread_->quit();
    thread_->wait();
    delete context_;
    delete thread_;
}

void CellWorker::Drain() {
    {
        // Under the lock, so a job waiting for an answer hears it.
        const std::lock_guard lock(mutex_);
        dying_ = true;
        cancel_ = true;
    }
    changed_.notify_all();
    // A question a job waits for is dropped now (its waiter gives up), so
    // the jobs end without this thread's help.
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return jobs_ == 0; });
    busy_ = false;
}

void CellWorker::Post(std::function<void()> f) {
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

bool CellWorker::Run(Job job, std::function<void()> done) {
    if (busy_ || dying_) return false;
    busy_ = true;
    cancel_ = false;
    emit BusyChanged(true);
    if (!thread_) {
        Reporter reporter(*this);
        job(reporter);
        Finish(done);
        return true;
    }
    Post([this, job = std::move(job), done = std::move(done)] {
        Reporter reporter(*this);
        job(reporter);
        // Posted after every report of the job, so it comes last.
        QMetaObject::invokeMethod(
            this, [this, done] { Finish(done); }, Qt::QueuedConnection);
    });
    return true;
}

bool CellWorker::RunInBackground(std::function<void()> job) {
    if (!thread_ || dying_) return false;
    Post(std::move(job));
    return true;
}

void CellWorker::Finish(const std::function<void()>& done) {
    if (dying_) return;
    busy_ = false;
    emit BusyChanged(false);
    if (done) done();
    // done may have started the next command.
    if (!busy_) emit Idle();
}

void CellWorker::RunAndWait(const std::function<void()>& f) {
    if (!thread_ || QThread::currentThread() == thread_) {
        f();
        return;
    }
    QMetaObject::invokeMethod(context_, f, Qt::BlockingQueuedConnection);
}

void CellWorker::OnOwnerThread(const std::function<void()>& f) {
    if (QThread::currentThread() == thread()) {
        if (!dying_) f();
        return;
    }
    // Both threads see answered under the lock; f is only run while this
    // waits (dying_ is set on the owner's thread, never while f runs), so
    // a question dropped at the end never reaches a gone f.
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

}  // namespace kelvarn

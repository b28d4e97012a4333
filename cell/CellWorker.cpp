#include "cell/CellWorker.h"

#include <QCoreApplication>
#include <QThread>

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
    dying_ = true;
    cancel_ = true;
    // A job may wait for a question on this thread: those are dropped now,
    // so hand them over until the job has ended.
    while (jobRunning_) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        QThread::msleep(1);
    }
    busy_ = false;
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
    jobRunning_ = true;
    QMetaObject::invokeMethod(
        context_,
        [this, job = std::move(job), done = std::move(done)] {
            Reporter reporter(*this);
            job(reporter);
            // Posted after every report of the job, so it comes last.
            QMetaObject::invokeMethod(
                this, [this, done] { Finish(done); }, Qt::QueuedConnection);
            jobRunning_ = false;
        },
        Qt::QueuedConnection);
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
    QMetaObject::invokeMethod(
        this,
        [this, &f] {
            if (!dying_) f();
        },
        Qt::BlockingQueuedConnection);
}

}  // namespace kelvarn

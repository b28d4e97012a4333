#include "cell/Runner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QMutexLocker>

#include "cell/LiveLevel.h"
#include "data/ProgramTable.h"

namespace kelvarn {

Runner::Runner(std::function<void()> tick, const std::atomic<int>& liveProgram, QObject* parent)
    : QThread(parent), tick_(std::move(tick)), liveProgram_(liveProgram) {
    setObjectName(QStringLiteral("Runner"));
}

Runner::~Runner() {
    {
        QMutexLocker lock(&mutex_);
        quit_ = true;
        changed_.wakeAll();
    }
    // The loop may be waiting for a tick that this thread would run: hand
    // it over here (it returns at once now) until the loop has ended. A
    // tick for another thread is run by that thread's own event loop.
    QObject* target = context_ ? context_ : this;
    while (!wait(QDeadlineTimer(5))) {
        if (target->thread() == QThread::currentThread())
            QCoreApplication::sendPostedEvents(target, QEvent::MetaCall);
    }
}

void Runner::Resume() {
    {
        QMutexLocker lock(&mutex_);
        running_ = true;
        changed_.wakeAll();
    }
    if (!isRunning() && !quit_) start();
}

void Runner::Hold() {
    QMutexLocker lock(&mutex_);
    running_ = false;
}

bool Runner::Running() const {
    QMutexLocker lock(&mutex_);
    return running_;
}

void Runner::DoTick() {
    if (!quit_ && tick_) tick_();
}

bool Runner::WaitUntilLetRun() {
    QMutexLocker lock(&mutex_);
    while (!running_ && !quit_) changed_.wait(&mutex_);
    return !quit_;
}

bool Runner::Sleep(int ms) {
    QDeadlineTimer deadline(ms);
    QMutexLocker lock(&mutex_);
    while (!quit_ && !deadline.hasExpired()) changed_.wait(&mutex_, deadline);
    return !quit_;
}

void Runner::run() {
    for (;;) {
        if (!WaitUntilLetRun()) return;
        QMetaObject::invokeMethod(
            context_ ? context_ : this, [this] { DoTick(); }, Qt::BlockingQueuedConnection);
        if (!WaitUntilLetRun()) return;
        // A start whose program query failed leaves no row to pace by:
        // hold until the next start rather than guess an interval.
        int row = 0;
        {
            // Read under the lock: a start stores the row before it lets
            // the loop run, so a hold here cannot undo a later Resume.
            QMutexLocker lock(&mutex_);
            row = liveProgram_.load();
            if (!IsProgramRow(row)) running_ = false;
        }
        if (!IsProgramRow(row)) continue;
        if (!Sleep(Programs().Row(row).IntervalMs)) return;
    }
}

}  // namespace kelvarn

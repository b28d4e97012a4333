#include "cell/Runner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEvent>
#include <QMutexLocker>
#include <algorithm>

#include "cell/LiveLevel.h"
#include "data/ProgramTable.h"

namespace kelvarn {

Runner::Runner(std::function<void()> tick, const LiveSession& session, QObject* parent)
    : QThread(parent), tick_(std::move(tick)), session_(session) {
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

bool Runner::WaitUntilLetRun(bool* waited) {
    QMutexLocker lock(&mutex_);
    if (waited) *waited = !running_ && !quit_;
    while (!running_ && !quit_) changed_.wait(&mutex_);
    return !quit_;
}

bool Runner::SleepUntil(const QDeadlineTimer& deadline) {
    QMutexLocker lock(&mutex_);
    while (!quit_ && !deadline.hasExpired()) changed_.wait(&mutex_, deadline);
    return !quit_;
}

void Runner::run() {
    // The moment the ticks are counted from, and the ticks since then.
    QElapsedTimer since;
    since.start();
    qint64 ticks = 0;
    for (;;) {
        bool held = false;
        if (!WaitUntilLetRun(&held)) return;
        if (held) {
            // Held while it slept: let run again, it ticks at once and
            // counts from now.
            since.start();
            ticks = 0;
        }
        QMetaObject::invokeMethod(
            context_ ? context_ : this, [this] { DoTick(); }, Qt::BlockingQueuedConnection);
        ++ticks;
        bool waited = false;
        if (!WaitUntilLetRun(&waited)) return;
        if (waited) {
            // Held and let run again: a new measurement, counted from now.
            since.start();
            ticks = 1;
        }
        // A start whose program query failed leaves no row to pace by:
        // hold until the next start rather than guess an interval.
        int row = 0;
        {
            // Read under the lock: a start stores the row before it lets
            // the loop run, so a hold here cannot undo a later Resume.
            QMutexLocker lock(&mutex_);
            row = session_.Row();
            if (!IsProgramRow(row)) running_ = false;
        }
        if (!IsProgramRow(row)) continue;
        const qint64 due = ticks * Programs().Row(row).IntervalMs;
        if (!SleepUntil(QDeadlineTimer(std::max<qint64>(0, due - since.elapsed())))) return;
    }
}

}  // namespace kelvarn

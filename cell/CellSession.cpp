#include "cell/CellSession.h"

namespace kelvarn {

CellSession::CellSession(bool ownThread, QObject* parent) : QObject(parent), worker_(ownThread) {
    connect(&worker_, &CellWorker::Status, this, &CellSession::Status);
    connect(&worker_, &CellWorker::ProgressMax, this, &CellSession::ProgressMax);
    connect(&worker_, &CellWorker::ProgressPosition, this, &CellSession::ProgressPosition);
    connect(&worker_, &CellWorker::BusyChanged, this, &CellSession::BusyChanged);
    connect(&worker_, &CellWorker::Idle, this, &CellSession::Idle);
}

CellSession::~CellSession() {
    // The live job ends within one read time-out of the stop; Drain waits for it and for a
    // command (which it cancels).
    live_.Stop();
    worker_.Drain();
    // The port is let go here, not left to the process's end: its lock file goes with it, and
    // the next program (or user) finds it free. On the link's thread, which owns the device.
    worker_.RunAndWait([this] { link_.ClosePort(); });
}

bool CellSession::Run(Job job, std::function<void()> done, bool keepsPort) {
    return worker_.Run(
        [this, keepsPort, job = std::move(job)](CellProgress& progress) {
            job(link_, progress);
            if (!keepsPort) link_.ClosePort();
        },
        std::move(done));
}

LiveStep CellSession::LiveTick() {
    const LiveStep step = live_.Tick(link_);
    // The measurement is over, or stopped: the port is free again (a restart opens it anew).
    if (step.endReached || step.kind != LiveStep::kSample) link_.ClosePort();
    return step;
}

bool CellSession::RunLive(std::function<void(const LiveStep& step)> onStep) {
    // Each tick waits for the cell's next level (the cell paces its stream); the step goes to
    // the owner's thread through this object, so none arrives once the session is gone.
    return worker_.RunInBackground([this, onStep = std::move(onStep)] {
        for (;;) {
            const LiveStep step = LiveTick();
            QMetaObject::invokeMethod(
                this, [onStep, step] { onStep(step); }, Qt::QueuedConnection);
            if (step.endReached || step.kind != LiveStep::kSample) return;
        }
    });
}

void CellSession::StopLive() {
    live_.Stop();
    if (!OwnThread()) link_.ClosePort();
}

}  // namespace kelvarn

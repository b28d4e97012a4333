#include "cell/LiveRun.h"

#include <QPointer>
#include <memory>
#include <utility>

#include "cell/CellResult.h"
#include "cell/CellSession.h"
#include "cell/CellTasks.h"
#include "data/ProgramTable.h"

namespace kelvarn {

LiveRun::LiveRun(CellSession& session, std::function<QDateTime()> now, QObject* parent)
    : QObject(parent), session_(session), now_(std::move(now)) {}

LiveRun::~LiveRun() {
    // A live job of a session that stays ends within one read time-out; its steps and a start's
    // end find no run any more (they ask for it by QPointer).
    session_.Live().Stop();
}

void LiveRun::SetChoice(const LiveChoice& choice) {
    choice_ = choice;
    // The end follows the program selected now; interval, axis and progress stay those of the
    // program the cell runs.
    session_.Live().SetEndRule(Programs().Row(choice.program).Points, choice.restart);
}

bool LiveRun::Start() {
    if (session_.Busy()) return false;
    Stop();
    emit Starting();
    auto out = std::make_shared<CellResult>();
    const LiveChoice c = choice_;
    return session_.Run(
        [out, c](SerialLink& link, CellProgress& progress) {
            *out = StartLive(link, c.port, c.program, c.binFile, progress);
            // Only a running live measurement keeps the port.
            if (!out->Ok()) link.ClosePort();
        },
        [self = QPointer(this), out] {
            if (self) self->Begun(*out);
        },
        true);
}

void LiveRun::Begun(const CellResult& result) {
    // The START-key program went over when the query found no program: the views keep the last
    // curve, which can then no longer be taken over.
    if (result.Ok() || result.cause == CellCause::kNoProgram) session_.Live().Begin(result.row);
    if (result.Ok()) {
        // The run command has just gone out: the start a take-over records.
        startedAt_ = now_();
        SetRunning(true);
    }
    emit Started(result);
    // One job for the whole measurement: it ends with the measurement or with a stop, and the
    // port goes with it.
    if (running_ && session_.OwnThread())
        session_.RunLive([self = QPointer(this)](const LiveStep& step) {
            if (self) self->Apply(step);
        });
}

void LiveRun::Stop() {
    SetRunning(false);
    // The live job lets the port go as it ends; inline it goes at once.
    session_.StopLive();
}

LiveStep LiveRun::Tick() {
    const LiveStep step = session_.LiveTick();
    Apply(step);
    return step;
}

void LiveRun::HoldRestart() {
    held_ = true;
}

void LiveRun::ReleaseRestart(bool run) {
    held_ = false;
    if (std::exchange(restartDue_, false) && run) Start();
}

void LiveRun::SetRunning(bool running) {
    if (running_ == running) return;
    running_ = running;
    emit RunningChanged(running);
}

void LiveRun::Apply(const LiveStep& step) {
    // What the ticks found after a stop is not shown: the stop has said how it ended.
    if (session_.Live().Stopped()) {
        SetRunning(false);
        return;
    }
    if (step.endReached || step.kind != LiveStep::kSample) SetRunning(false);
    CellResult ended;
    ended.command = CellCommand::kLive;
    ended.status = CellStatus::kOk;
    ended.count = session_.Live().Count();
    if (step.endReached) emit Ended(ended);
    switch (step.kind) {
        case LiveStep::kRestart:
            if (held_)
                restartDue_ = true;
            else
                Start();
            return;
        case LiveStep::kNoProgram:
        case LiveStep::kStopped: return;
        case LiveStep::kFailed:
            // No byte, or the 0 that is no level: what was taken stays.
            ended.status = CellStatus::kFailed;
            ended.cause = CauseOf(step.fault);
            emit Ended(ended);
            return;
        case LiveStep::kSample: break;
    }
    // A level that was on its way when the measurement was stopped is not taken.
    LiveSample sample;
    if (session_.Live().Accept(step, &sample)) emit Sample(sample);
}

}  // namespace kelvarn

#include "cell/LiveSession.h"

#include <algorithm>

#include "cell/LiveLevel.h"
#include "data/ProgramTable.h"

namespace kelvarn {

void LiveSession::Begin(int row) {
    row_ = row;
    taken_ = 0;
    stop_ = false;
    if (!IsProgramRow(row)) return;
    levels_.clear();
    maximum_ = 0;
    minimum_ = 120;
    distribution_.clear();
}

void LiveSession::SetEndRule(int selectedPoints, bool restart) {
    selectedPoints_ = selectedPoints;
    restart_ = restart;
}

LiveStep LiveSession::Tick(SerialLink& link) {
    LiveStep step;
    if (stop_) return step;
    step.endReached = LiveEndReached(selectedPoints_, taken_);
    if (step.endReached && restart_) {
        step.kind = LiveStep::kRestart;
        return step;
    }
    const int row = row_;
    if (!IsProgramRow(row)) {
        step.kind = LiveStep::kNoProgram;
        return step;
    }
    // In slices of one read time-out, so a stop is heard soon; a device
    // that fails at once does not stretch the wait.
    int left = Programs().Row(row).IntervalMs + kReadTimeoutMs;
    int r = -1;
    while (left > 0 && r < 0) {
        if (stop_) return step;
        const int slice = std::min(left, kReadTimeoutMs);
        r = link.ReadByteWithin(slice);
        left -= slice;
    }
    if (r <= 0) {
        step.kind = LiveStep::kFailed;
        if (r < 0) step.fault = link.LastReadStatus();
        return step;
    }
    ++taken_;
    step.kind = LiveStep::kSample;
    step.raw = r;
    return step;
}

bool LiveSession::Accept(const LiveStep& step, LiveSample* sample) {
    const int row = row_;
    if (step.kind != LiveStep::kSample || stop_ || !IsProgramRow(row)) return false;
    const LiveSample s{LiveTime(Count(), row), SampleToLevel(step.raw)};
    levels_.push_back(s.level);
    maximum_ = std::max(maximum_, s.level);
    minimum_ = std::min(minimum_, s.level);
    ++distribution_[s.level];
    if (sample) *sample = s;
    return true;
}

bool LiveSession::TakeOver(MeasurementRecord& rec) const {
    if (levels_.empty()) return false;
    return TakeOverLive(rec, row_, levels_);
}

}  // namespace kelvarn

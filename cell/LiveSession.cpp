#include "cell/LiveSession.h"

#include <algorithm>

#include "cell/LiveLevel.h"
#include "data/ProgramTable.h"
#include "link/comphard.h"

namespace kelvarn {

void LiveSession::Begin(int row) {
    row_ = row;
    taken_ = 0;
    stop_ = false;
}

void LiveSession::SetEndRule(int selectedPoints, bool restart) {
    selectedPoints_ = selectedPoints;
    restart_ = restart;
}

LiveStep LiveSession::Tick() {
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
        r = ReadByteWithin(slice);
        left -= slice;
    }
    if (r <= 0) {
        step.kind = LiveStep::kFailed;
        return step;
    }
    ++taken_;
    step.kind = LiveStep::kSample;
    step.raw = r;
    return step;
}

}  // namespace kelvarn

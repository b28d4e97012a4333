#pragma once

#include <atomic>

namespace kelvarn {

// What one live tick found.
struct LiveStep {
    enum Kind {
        kSample,     // raw is the next level byte (1..255)
        kRestart,    // the end was reached with the automatic restart: nothing read
        kNoProgram,  // the last start found no program: nothing to pace or read by
        kFailed,     // no byte in time, or the byte 0 that is no level
        kStopped,    // the session was stopped before a byte came
    };
    Kind kind = kStopped;
    bool endReached = false;  // the end test held: this is the measurement's last tick
    int raw = 0;
};

// The PC's side of a running live measurement: the end rule and the wait
// for each level byte. Tick runs where the link is used (the link's thread);
// Begin, Stop and the end rule may be set from any thread.
class LiveSession {
public:
    // A new measurement of the program row (1..9, or <= 0 when the start found
    // none): no sample taken yet, not stopped.
    void Begin(int row);
    // Ends the session: a tick waiting for its byte returns within one read
    // time-out, and later ticks read nothing.
    void Stop() { stop_ = true; }
    bool Stopped() const { return stop_; }
    // The end rule: the sample count of the program selected now, and the
    // automatic restart.
    void SetEndRule(int selectedPoints, bool restart);
    int Taken() const { return taken_; }

    // One tick: the end test first, then one level byte, waited for up to
    // one sampling interval plus the read time-out (the cell paces its
    // stream; its first level may come one interval after the start).
    LiveStep Tick();

private:
    std::atomic<int> row_{0};
    std::atomic<int> taken_{0};
    std::atomic<int> selectedPoints_{0};
    std::atomic<bool> restart_{false};
    std::atomic<bool> stop_{false};
};

}  // namespace kelvarn

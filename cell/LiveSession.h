#pragma once

#include <atomic>
#include <map>
#include <vector>

#include "data/MeasurementRecord.h"
#include "link/SerialLink.h"

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
    // kFailed: why no byte came (kOk: the byte 0 that is no level came).
    LinkStatus fault = LinkStatus::kOk;
};

// One level as the live views draw it.
struct LiveSample {
    double time = 0;   // on the live chart's axis, in the program's duration unit
    double level = 0;  // [dB(A)]
};

// A running live measurement: the end rule and the wait for each level byte
// on the cell's side, and everything taken so far on the side that shows it
// (levels, maximum, minimum, distribution). The views only draw what the
// session holds, and the take-over builds its record from it.
//
// Tick runs where the link is used (the link's thread); Stop, Stopped and
// the end rule may be used from any thread. Begin, Accept and what they
// fill belong to the thread that shows the measurement, and Begin is called
// only while no tick runs.
class LiveSession {
public:
    // A new measurement of program row: no sample read, not stopped. A
    // program row (1..9) also starts the kept levels afresh; with any other
    // row (the start found no program) what was taken before stays for the
    // views, but cannot be taken over.
    void Begin(int row);
    // Ends the session: a tick waiting for its byte returns within one read
    // time-out, and later ticks read nothing.
    void Stop() { stop_ = true; }
    bool Stopped() const { return stop_; }
    // The end rule: the sample count of the program selected now, and the
    // automatic restart.
    void SetEndRule(int selectedPoints, bool restart);
    // The row of the last start: 1..9, 0 before the first, -1 when it found
    // no program.
    int Row() const { return row_; }
    // Level bytes read by ticks since the start.
    int Taken() const { return taken_; }

    // One tick on link: the end test first, then one level byte, waited for
    // up to one sampling interval plus the read time-out (the cell paces its
    // stream; its first level may come one interval after the start).
    LiveStep Tick(SerialLink& link);

    // Takes the level of a sample step into the session. false, with
    // nothing kept, for any other step, after a stop (a level that was on
    // its way), and without a program row.
    bool Accept(const LiveStep& step, LiveSample* sample = nullptr);
    int Count() const { return int(levels_.size()); }
    const std::vector<double>& Levels() const { return levels_; }
    // The loudest and quietest level so far; 0 and 120 before the first.
    double Maximum() const { return maximum_; }
    double Minimum() const { return minimum_; }
    // How many samples fell on each level, in ascending level order.
    const std::map<double, int>& Distribution() const { return distribution_; }

    // Writes the program's header and the levels taken into rec; samples
    // that did not arrive become 0 (no level). false, with rec unchanged,
    // when there is nothing to take over or no program row.
    bool TakeOver(MeasurementRecord& rec) const;

private:
    std::atomic<int> row_{0};
    std::atomic<int> taken_{0};
    std::atomic<int> selectedPoints_{0};
    std::atomic<bool> restart_{false};
    std::atomic<bool> stop_{false};

    std::vector<double> levels_;
    double maximum_ = 0;
    double minimum_ = 120;
    std::map<double, int> distribution_;
};

}  // namespace kelvarn

#pragma once

#include <QTime>
#include <cstdint>

namespace kelvarn {

// The three delay bytes written into a timed upload image. The cell counts
// them down itself; their exact arithmetic is what the cell expects.
struct StartDelay {
    uint8_t hours = 0;    // [h]
    uint8_t minutes = 0;  // [min]
    uint8_t seconds = 0;  // [s], may be 60
    bool operator==(const StartDelay&) const = default;
};

// The delay from the time of day now to the time of day target (dates play
// no part; a target earlier in the day, by as little as a second, lies on the
// next day).
StartDelay ComputeStartDelay(const QTime& now, const QTime& target);

}  // namespace kelvarn

#include "cell/StartDelay.h"

namespace kelvarn {

StartDelay ComputeStartDelay(const QTime& now, const QTime& target) {
    const int hN = now.hour(), mN = now.minute(), sN = now.second();
    int hT = target.hour(), mT = target.minute(), sT = target.second();
    // A target earlier in the day, by a second or more, lies on the next day:
    // the start time that the upload's message names is then tomorrow.
    if (hT < hN || (hT == hN && (mT < mN || (mT == mN && sT < sN)))) hT += 24;
    if (mT < mN) {
        mT += 60;
        hT -= 1;
    }
    if (sT < sN) {
        sT += 60;
        mT -= 1;
    }
    // Borrowing a minute for the seconds may take the minutes below the
    // current ones (10:20:30 to 12:20:10): then an hour lends to them, else
    // the minute byte would wrap to 255.
    if (mT < mN) {
        mT += 60;
        hT -= 1;
    }
    StartDelay d;
    d.hours = static_cast<uint8_t>(hT - hN);
    d.minutes = static_cast<uint8_t>(mT - mN);
    d.seconds = static_cast<uint8_t>(sT - sN);
    // Within the hour the cell counts the running minute by its seconds.
    if (d.hours == 0 && d.minutes != 0) {
        d.minutes = static_cast<uint8_t>(d.minutes - 1);
        d.seconds = static_cast<uint8_t>(60 - sN);
    }
    return d;
}

}  // namespace kelvarn

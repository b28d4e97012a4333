#pragma once

// What tests, benchmarks and the fuzz targets do to a SerialLink beyond
// what the program does with one: build it on other parts after the fact
// (the window's link is made before a test can hand it scripted ports),
// look at the fields the link keeps for itself, and put it back to its
// state at start between cases.

#include <QString>

#include "link/ByteDevice.h"
#include "link/SerialLink.h"

namespace kelvarn {

class UsbAdapter;

class LinkKit {
public:
    LinkKit() = delete;

    // A new maker of port devices (empty: the machine's serial ports).
    // Closes the open port first.
    static void SetDeviceFactory(SerialLink& link, DeviceFactory factory);
    // nullptr restores the real clock. The clock must outlive its use.
    static void SetClock(SerialLink& link, LinkClock* clock);
    // nullptr restores the platform's adapter. It must outlive its use.
    static void SetUsbAdapter(SerialLink& link, UsbAdapter* adapter);
    // Closes the port and puts every field back to its state at start,
    // keeping the factory, clock and adapter.
    static void Reset(SerialLink& link);

    // The last value given to the device's outputs (for the cell as
    // transformed).
    static int OutputState(const SerialLink& link) { return link.outputState_; }
    // The last values read on input channels 1 and 2.
    static int LastValue1(const SerialLink& link) { return link.lastValue1_; }
    static int LastValue2(const SerialLink& link) { return link.lastValue2_; }
    // USB replies without the valid-data mark since the count was last reset.
    static int UsbMissCount(const SerialLink& link) { return link.usbMissCount_; }
};

}  // namespace kelvarn

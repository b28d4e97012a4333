#include "sim/LinkKit.h"

#include <utility>

namespace kelvarn {

void LinkKit::SetDeviceFactory(SerialLink& link, DeviceFactory factory) {
    link.ClosePort();
    link.factory_ = std::move(factory);
}

void LinkKit::SetClock(SerialLink& link, LinkClock* clock) {
    link.clock_ = clock;
}

void LinkKit::SetUsbAdapter(SerialLink& link, UsbAdapter* adapter) {
    link.usb_ = adapter;
}

void LinkKit::Reset(SerialLink& link) {
    link.ClosePort();
    link.outputState_ = 0;
    link.lastValue1_ = 0;
    link.lastValue2_ = 0;
    link.usbMissCount_ = 0;
    link.openFailure_ = OpenFailure::kNone;
    link.lastRead_ = LinkStatus::kOk;
    link.usbDevicePath_ = QLatin1String(SerialLink::kInitialUsbPath);
    link.names_ = PortNames();
}

}  // namespace kelvarn

#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>

namespace kelvarn {

// The maker's USB interface adapter, reached only through a device path and
// device control requests; its driver lies outside the program. Each use
// opens the path, sends one request and closes it again.
class UsbAdapter {
public:
    static constexpr int kRequestControl = 4;   // block 23, a, b, -
    static constexpr int kRequestExchange = 8;  // block 6, outputs, -, -; 8-byte reply

    virtual ~UsbAdapter() = default;

    // Opens the device path for writing, shared for writing, as an existing
    // device. false when there is no such device.
    virtual bool Open(const QString& devicePath) = 0;
    // One device control request on the open path; false when it failed.
    virtual bool Request(int code, const std::array<uint8_t, 4>& in,
                         std::array<uint8_t, 8>& reply) = 0;
    virtual void Close() = 0;
};

// The adapter of this machine: the Windows driver's device, where there is
// one. Elsewhere no path opens. Each link makes its own, so the device
// handle it holds during a request is never shared between threads.
std::unique_ptr<UsbAdapter> MakePlatformUsbAdapter();

}  // namespace kelvarn

#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace kelvarn {

// Line settings taken from a port definition such as "COM3:9600,N,8,2".
struct LineSettings {
    int baud = 9600;    // [bit/s]
    char parity = 'N';  // N, E, O, M or S
    int dataBits = 8;   // 5..8
    int stopBits = 2;   // 1 or 2
};

// Why a port could not be opened, as far as the system tells.
enum class OpenFailure {
    kNone,     // it opened (or no open was tried)
    kDenied,   // the user may not open the device
    kMissing,  // there is no such device
    kBusy,     // another program holds it
    kOther,
};

// One serial device as the serial channel uses it: single bytes, blocking,
// with time-outs. The channel owns one of these while a port is open; the
// machine's ports and the scripted test device both implement it.
class ByteDevice {
public:
    virtual ~ByteDevice() = default;

    // Opens the device for reading and writing, not shared. Bytes that
    // arrived before the open are not handed over.
    virtual bool Open() = 0;
    // Why the last Open failed.
    virtual OpenFailure LastOpenFailure() const { return OpenFailure::kOther; }
    // Binary mode, no parity checks, no flow control of any kind.
    virtual bool Configure(const LineSettings& settings) = 0;
    virtual void ClearError() = 0;
    // Sends one byte, waiting at most timeoutMs for it to leave; false when
    // it could not be written.
    virtual bool Write(uint8_t value, int timeoutMs) = 0;
    // The next received byte 0..255, or -1 after timeoutMs without one or
    // on a read error.
    virtual int Read(int timeoutMs) = 0;
    // Whether the last Read that gave -1 ended on a read error (the line hung
    // up, the adapter went) rather than on the time-out.
    virtual bool ReadFailed() const { return false; }
    virtual bool PurgeReceive() = 0;
    virtual bool PurgeTransmit() = 0;
    virtual bool SetRts(bool on) = 0;
    virtual bool SetDtr(bool on) = 0;
    virtual bool Close() = 0;
};

// Makes the device for a port name "COMn" (n >= 1); it is opened afterwards.
using DeviceFactory = std::function<std::unique_ptr<ByteDevice>(const QString& portName)>;

// Where the serial channel's pauses go, so tests need not sleep.
class LinkClock {
public:
    virtual ~LinkClock() = default;
    virtual void Sleep(int ms) = 0;
};

}  // namespace kelvarn

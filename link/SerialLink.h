#pragma once

// The serial channel: the program's only access to hardware. A SerialLink
// holds one port, the device found on it and the clock its pauses go
// through; the cell code is handed the link it works on. Every operation is
// synchronous, never throws and never shows anything. Use a link from one
// thread at a time (the thread that opened its port).

#include <QString>
#include <array>
#include <cstdint>
#include <memory>

#include "link/ByteDevice.h"
#include "link/DeviceFamily.h"
#include "link/PortNames.h"

namespace kelvarn {

class UsbAdapter;

// Time-outs of the open port.
constexpr int kReadTimeoutMs = 210;  // one byte: 200 ms + 10 ms per byte
constexpr int kWriteTimeoutMs = 30;  // one byte: 20 ms + 10 ms per byte

// How one exchange on the line went. A failed write or a missing byte is
// never silently dropped: the caller decides what it means for its sequence.
// clang-format 14 glues the brace to the name after an attribute.
// clang-format off
enum class [[nodiscard]] LinkStatus {
    kOk,
    kTimeout,      // the byte did not come (or could not leave) in time
    kLineFailure,  // no port is open, or the device reported an error
};
// clang-format on

class SerialLink {
public:
    // factory: the maker of port devices (empty: the machine's serial
    // ports). clock and usb: nullptr for the real ones; both must outlive
    // the link.
    explicit SerialLink(DeviceFactory factory = {}, LinkClock* clock = nullptr,
                        UsbAdapter* usb = nullptr);
    // Closes the port: its lock file goes with it.
    ~SerialLink();
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // ----- the port

    // Closes whatever port is open, then opens and configures the port that
    // the definition "COMn:baud,N,8,2" names: 8N2 (or as given), no flow
    // control, RTS off and then DTR on. true when the port is open and fully
    // configured; otherwise no port is held and PortNumber stays 0.
    bool OpenPort(const QString& definition);
    // Closes the port; PortNumber and DeviceKind become 0. The device's close
    // result (false when no port was open).
    bool ClosePort();
    bool IsPortOpen() const { return port_ != nullptr; }
    // Why the last OpenPort failed to open its device (kNone after a success,
    // and when the failure was no open failure: a bad definition or settings
    // the device refused).
    OpenFailure LastOpenFailure() const { return openFailure_; }

    // Blocks for ms milliseconds (through the link's clock).
    void Delay(int ms);
    // Sends the low 8 bits of value.
    LinkStatus WriteByte(int value);
    // The next received byte 0..255; -1 after kReadTimeoutMs of silence, on a
    // read error, or at once when no port is open (LastReadStatus says
    // which).
    int ReadByte();
    // As ReadByte, waiting at most ms for the byte.
    int ReadByteWithin(int ms);
    // How the last read ended.
    LinkStatus LastReadStatus() const { return lastRead_; }
    bool PurgeReceive();
    bool PurgeTransmit();
    // Ten 0 bytes, each followed by Delay(2); then PurgeReceive,
    // PurgeTransmit. The first failed write, or kOk.
    LinkStatus ResetLink();
    // The modem lines of the open port; false when no port is open or the
    // device refused (pseudo-terminals have no modem lines).
    bool SetRts(bool on);
    bool SetDtr(bool on);

    // ----- what the link knows about its port and device

    int GetPortNumber() const { return portNumber_; }
    // Sets PortNumber and returns the previous value; the open port stays.
    int SetPortNumber(int n);
    int GetDeviceKind() const { return deviceKind_; }
    void SetDeviceKind(int kind) { deviceKind_ = kind; }
    QString GetUsbDevicePath() const { return usbDevicePath_; }  // initially "\\.\Vendrausb_1"
    void SetUsbDevicePath(const QString& path) { usbDevicePath_ = path; }
    // Which device each COM number reaches through this link (the
    // machine's ports only: a factory of the link's own names its devices
    // itself).
    PortNames& Names() { return names_; }

    // ----- device-independent operations, by DeviceKind

    // Input channel n of the found device: 0..255 (a derived value for the
    // USB adapter), -1 when nothing answers or no device is known.
    int ReadChannel(int n);
    // Sets the found device's output lines and remembers the value (for the
    // cell the transformed value) in OutputState.
    void WriteOutputs(int value);
    // Control block 23, a, b to the USB adapter; a failed request clears
    // DeviceKind.
    void UsbControl(uint8_t a, uint8_t b);

    // The USB adapter the link reaches: the one it was built with, else the
    // platform's.
    UsbAdapter& Usb();

private:
    // Tests build a link on scripted parts and look at the fields the
    // program keeps to itself through this.
    friend class LinkKit;

    static constexpr const char* kInitialUsbPath = "\\\\.\\Vendrausb_1";

    LinkClock& Clock();
    bool UsbExchange(uint8_t outputs, std::array<uint8_t, 8>& reply);
    int ReadUsbChannel(int n);

    std::unique_ptr<ByteDevice> port_;  // the open port; null when none
    int portNumber_ = 0;
    int deviceKind_ = kNoDevice;
    int outputState_ = 0;
    int lastValue1_ = 0;
    int lastValue2_ = 0;
    int usbMissCount_ = 0;
    OpenFailure openFailure_ = OpenFailure::kNone;
    LinkStatus lastRead_ = LinkStatus::kOk;
    QString usbDevicePath_;
    PortNames names_;

    DeviceFactory factory_;
    LinkClock* clock_ = nullptr;
    UsbAdapter* usb_ = nullptr;
    std::unique_ptr<UsbAdapter> platformUsb_;  // made at the first use without usb_
};

// The cause of an open failure as the user reads it, behind the command's
// own message; empty for kNone and kOther.
QString OpenFailureText(OpenFailure failure);

}  // namespace kelvarn

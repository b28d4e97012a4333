#pragma once

// The serial channel: the program's only access to hardware. One port per
// process in unit-wide state; every operation is synchronous, never throws
// and never shows anything. Use it from one thread only (the window's).

#include <QString>
#include <cstdint>

#include "link/ByteDevice.h"

namespace kelvarn {

class UsbAdapter;

// Codes of DeviceKind: what the device search found on the port.
enum DeviceKinds : int {
    kNoDevice = 0,
    kVendraSerial = 1,  // 19200 baud
    kNera = 4,          // 19200 baud
    kCell = 8,          // 9600 baud, RQ410 or plain cell
    kTavinbox = 16,     // 19200 baud
    kOrbide = 32,       // 19200 baud
    kVendraUsb = 64,    // USB adapter
    kPeltrix = 128,     // 9600 or 19200 baud
};

// Time-outs of the open port.
constexpr int kReadTimeoutMs = 210;  // one byte: 200 ms + 10 ms per byte
constexpr int kWriteTimeoutMs = 30;  // one byte: 20 ms + 10 ms per byte

// ----- the port

// Closes whatever port is open, then opens and configures the port that
// the definition "COMn:baud,N,8,2" names: 8N2 (or as given), no flow
// control, RTS off and then DTR on. true when the port is open and fully
// configured; otherwise no port is held and PortNumber stays 0.
bool OpenPort(const QString& definition);
// Closes the port; PortNumber and DeviceKind become 0. The device's close
// result (false when no port was open).
bool ClosePort();
bool IsPortOpen();
// Why the last OpenPort failed to open its device (kNone after a success,
// and when the failure was no open failure: a bad definition or settings
// the device refused).
OpenFailure LastOpenFailure();
// The cause of an open failure as the user reads it, behind the command's
// own message; empty for kNone and kOther.
QString OpenFailureText(OpenFailure failure);

// Blocks for ms milliseconds (through the installed clock).
void Delay(int ms);
// Sends the low 8 bits of value; nothing when no port is open.
void WriteByte(int value);
// The next received byte 0..255; -1 after kReadTimeoutMs of silence, on a
// read error, or at once when no port is open.
int ReadByte();
// As ReadByte, waiting at most ms for the byte.
int ReadByteWithin(int ms);
bool PurgeReceive();
bool PurgeTransmit();
// Ten 0 bytes, each followed by Delay(2); then PurgeReceive, PurgeTransmit.
void ResetLink();
// The modem lines of the open port; false when no port is open or the
// device refused (pseudo-terminals have no modem lines).
bool SetRts(bool on);
bool SetDtr(bool on);

// ----- unit-wide state

int GetPortNumber();
// Sets PortNumber and returns the previous value; the open port stays.
int SetPortNumber(int n);
int GetDeviceKind();
void SetDeviceKind(int kind);
int GetOutputState();
int GetLastValue1();
int GetLastValue2();
QString GetUsbDevicePath();  // initially "\\.\Vendrausb_1"
void SetUsbDevicePath(const QString& path);
int GetUsbMissCount();

// ----- device-independent operations, by DeviceKind

// Input channel n of the found device: 0..255 (a derived value for the USB
// adapter), -1 when nothing answers or no device is known.
int ReadChannel(int n);
// Sets the found device's output lines and remembers the value (for the
// cell the transformed value) in OutputState.
void WriteOutputs(int value);
// Control block 23, a, b to the USB adapter; a failed request clears
// DeviceKind.
void UsbControl(uint8_t a, uint8_t b);

// ----- seams for tests and simulators

// The maker of port devices; an empty factory restores the machine's
// serial ports. Closes the open port first.
void SetDeviceFactory(DeviceFactory factory);
// nullptr restores the real clock. The clock must outlive its use.
void SetLinkClock(LinkClock* clock);
// nullptr restores the platform's adapter. The adapter must outlive its use.
void SetUsbAdapter(UsbAdapter* adapter);
UsbAdapter& CurrentUsbAdapter();
// Closes the port and puts every field back to its state at start, keeping
// the installed factory, clock and adapter.
void ResetLinkState();

}  // namespace kelvarn

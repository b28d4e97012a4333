#pragma once

// Finding the hardware: the connection check of the cell that every cell
// command runs first, one probe per family of the maker's devices, the
// search over COM1 to COM16 and the USB adapter.

#include <QString>
#include <functional>

#include "link/SerialLink.h"

namespace kelvarn {

// What a probe may ask the person at the desk before it takes a device:
// only while Ctrl is held does it ask, with the buttons Yes and No. The
// key is read when the identifying reply has arrived. Without callbacks
// Ctrl counts as up.
struct AcceptPrompt {
    std::function<bool()> ctrlHeld;
    std::function<bool(const QString& caption, const QString& text)> ask;  // true for Yes
    // Whether the person stopped the search; looked at before each probe.
    std::function<bool()> cancelled;
    // Told the port number before the probes of each serial port.
    std::function<void(int n)> probing;

    // true when the device is taken: Ctrl up, or Ctrl held and Yes.
    bool Accept(const QString& caption) const;
    bool Cancelled() const { return cancelled && cancelled(); }
};

// Opens COMn at 9600 baud; the RQ410 cell answers 240 to 12, else the port
// is opened again and the plain cell answers 1 to 13. On success DeviceKind
// is the cell and RTS is on.
bool ConnectCell(SerialLink& link, int n);

// The probes on port n. true when the device was recognised and accepted;
// the port then stays open at the probe's line speed with DeviceKind set.
bool ProbeRQ410(SerialLink& link, int n, const AcceptPrompt& prompt = {});
bool ProbeZelle(SerialLink& link, int n, const AcceptPrompt& prompt = {});
bool ProbeFast(SerialLink& link, int n, const AcceptPrompt& prompt = {});
bool ProbePeltrix(SerialLink& link, int n, const AcceptPrompt& prompt = {});
bool ProbeOrbide(SerialLink& link, int n, const AcceptPrompt& prompt = {});

// All probes over COM1 to COM16, then the USB adapter. The DeviceKind
// found, 0 when nothing answered or the search was cancelled (it ends
// before the next probe).
int SearchHardware(SerialLink& link, const AcceptPrompt& prompt = {});
// The number of the USB adapter's device path (0..254), or -1.
int SearchUsb(SerialLink& link, const AcceptPrompt& prompt = {});
// Puts a found USB adapter into its start state.
void InitUsbAdapter(SerialLink& link);

}  // namespace kelvarn

#pragma once

#include <QString>
#include <map>
#include <utility>

namespace kelvarn {

// The number n of a port name "COMn" (letters in any case), 0 when the text
// is no port name or n is below 1.
int PortNumberOf(const QString& portName);

// The serial device behind COMn on this machine, empty for n below 1.
// Windows: "\\.\COMn" (also reaches ports above 9). Elsewhere: the entry
// "COMn" of section "Ports" of the settings file (for example
// COM3=/dev/ttyUSB0 for a USB-serial adapter, or a simulator's link), and
// without one the n-th on-board port /dev/ttyS(n-1).
QString PortDevicePath(int n);

// Which serial device each COM number reaches for one link: PortDevicePath,
// except for the numbers lent to other devices for a while (the automatic
// search tries the system's ports under numbers no entry uses). Each link
// holds its own, so a search on one link never redirects another; use it
// from the link's thread.
class PortNames {
public:
    // The temporary device of COMn where there is one, else PortDevicePath(n).
    QString DevicePath(int n) const;
    // Devices that COM numbers reach from now on without an entry in the
    // settings file; they go before the file's entries. An empty map ends
    // them.
    void SetTemporary(std::map<int, QString> devices) { temporary_ = std::move(devices); }

private:
    std::map<int, QString> temporary_;
};

}  // namespace kelvarn

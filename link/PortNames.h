#pragma once

#include <QString>
#include <map>

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

// Devices that COM numbers reach for a while without an entry in the
// settings file (the automatic search tries the system's ports under
// numbers no entry uses); they go before the file's entries. An empty map
// ends them.
void SetTemporaryPortDevices(const std::map<int, QString>& devices);

}  // namespace kelvarn

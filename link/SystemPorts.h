#pragma once

// The serial ports the system reports (USB-serial adapters and the like),
// and how they become COM numbers: a port is reached through the entry
// "COMn=device" of section "Ports" of the settings file, so the stored
// choice stays a COM number.

#include <QString>
#include <vector>

namespace kelvarn {

struct SystemPort {
    QString name;            // "ttyUSB0"
    QString systemLocation;  // "/dev/ttyUSB0"
    // What a COM number is mapped to: the port's name under
    // /dev/serial/by-id/ where it has one (it keeps that name when the
    // adapter moves to another socket), else systemLocation.
    QString device;
    QString description;  // the maker's
    QString manufacturer;
    QString serialNumber;
    int vendorId = -1;  // USB IDs, -1 when the port has none
    int productId = -1;
};

// Where the port list comes from. Whoever lists ports is handed one: the
// system's, or a double in tests.
class PortLister {
public:
    virtual ~PortLister() = default;
    // Every serial port there is, on-board ports included, made afresh on
    // each call.
    virtual std::vector<SystemPort> Ports() const = 0;
};

// The system's serial ports (QSerialPortInfo), each under its by-id name
// where it has one.
class SystemPortLister : public PortLister {
public:
    std::vector<SystemPort> Ports() const override;
};
// The ports offered beside COM 1 to COM 16: ttyUSB*, ttyACM* and any
// other port with USB IDs. On-board ports are COM numbers already.
std::vector<SystemPort> OfferedSystemPorts(const std::vector<SystemPort>& all);

// The link in byIdFolder that leads to systemLocation, empty when there is
// none.
QString ByIdName(const QString& systemLocation,
                 const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"));

// How a port reads in a list: "device (description, USB 0403:6001)"; the
// parts that are unknown are left out.
QString SystemPortText(const SystemPort& port);

// The COM number whose entry in section "Ports" leads to this port (by
// either of its names), 0 when none does. Numbers 1 to 16 only, as the
// stored choice holds them.
int MappedComNumber(const SystemPort& port);
// The lowest number 1 to 16 that reaches nothing yet: no entry in section
// "Ports", no on-board port of the system behind it (COMn is /dev/ttyS(n-1)
// then), not the stored choice and not in taken. 0 when every one is used.
int FreeComNumber(const std::vector<SystemPort>& all, const std::vector<int>& taken = {});

// The COM number that reaches the port: its mapping, else a free number
// that is mapped to port.device in the settings file. 0 when no number is
// free or the file could not be written (error says which).
int ComNumberFor(const SystemPort& port, const std::vector<SystemPort>& all,
                 QString* error = nullptr);

// One line per entry of section "Ports": "COMn" and the device it names,
// in the file's order.
struct PortMapping {
    QString name;
    QString device;
};
std::vector<PortMapping> PortMappings();

}  // namespace kelvarn

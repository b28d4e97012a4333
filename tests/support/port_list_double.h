#pragma once

// A port list of our choosing in place of the system's, for whoever is
// handed it.

#include <vector>

#include "link/SystemPorts.h"

namespace kelvarn::test {

class PortListDouble : public PortLister {
public:
    std::vector<SystemPort> Ports() const override { return ports; }

    std::vector<SystemPort> ports;
};

// A USB-serial adapter as the system describes one.
inline SystemPort UsbPort(const QString& name, const QString& device = {},
                          const QString& description = QStringLiteral("FT232R USB UART"),
                          int vendor = 0x0403, int product = 0x6001) {
    SystemPort p;
    p.name = name;
    p.systemLocation = QStringLiteral("/dev/") + name;
    p.device = device.isEmpty() ? p.systemLocation : device;
    p.description = description;
    p.vendorId = vendor;
    p.productId = product;
    return p;
}

// An on-board port: no USB IDs.
inline SystemPort OnBoardPort(const QString& name) {
    SystemPort p;
    p.name = name;
    p.systemLocation = p.device = QStringLiteral("/dev/") + name;
    return p;
}

}  // namespace kelvarn::test

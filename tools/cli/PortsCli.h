#pragma once

#include "CliCommands.h"
#include "link/SystemPorts.h"

namespace kelvarn {

// kelvarn-cli ports: the COM names and the devices they reach (the entries
// of [Ports] in KV.INI, and the on-board ports the system has), then the
// system's other serial ports as the window's port choice offers them.
CliOutcome PortsCommand(const PortLister& system);
// The same with the system's own port list.
CliOutcome PortsCommand();

}  // namespace kelvarn

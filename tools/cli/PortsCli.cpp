#include "PortsCli.h"

#include <set>

#include "link/PortNames.h"
#include "link/SettingsFile.h"
#include "link/SystemPorts.h"

namespace kelvarn {

CliOutcome PortsCommand() {
    return PortsCommand(SystemPortLister());
}

CliOutcome PortsCommand(const PortLister& system) {
    const std::vector<SystemPort> all = system.Ports();
    QString text = QStringLiteral("COM-Namen (%1, [Ports]):\n").arg(SettingsFilePath());
    std::set<int> listed;
    for (const PortMapping& m : PortMappings()) {
        text += QStringLiteral("  %1\t%2\n").arg(m.name, m.device);
        if (const int n = PortNumberOf(m.name)) listed.insert(n);
    }
    // On-board ports are reached without an entry: COMn is /dev/ttyS(n-1).
    for (const SystemPort& p : all) {
        if (!p.name.startsWith(QLatin1String("ttyS"))) continue;
        bool ok = false;
        const int n = p.name.mid(4).toInt(&ok) + 1;
        if (!ok || listed.count(n)) continue;
        text += QStringLiteral("  COM%1\t%2 (eingebaut)\n").arg(n).arg(p.systemLocation);
        listed.insert(n);
    }
    if (listed.empty()) text += QStringLiteral("  keine\n");

    text += QStringLiteral("Serielle Schnittstellen des Systems:\n");
    const std::vector<SystemPort> offered = OfferedSystemPorts(all);
    for (const SystemPort& p : offered) {
        const int n = MappedComNumber(p);
        text += QStringLiteral("  ") + SystemPortText(p) +
                (n > 0 ? QStringLiteral(" = COM%1").arg(n) : QString()) + QLatin1Char('\n');
    }
    if (offered.empty()) text += QStringLiteral("  keine\n");

    CliOutcome o;
    o.out = text.toUtf8();
    return o;
}

}  // namespace kelvarn

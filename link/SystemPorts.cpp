#include "link/SystemPorts.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

#include "link/PortNames.h"
#include "link/SettingsFile.h"

namespace kelvarn {

namespace {

constexpr int kHighestComNumber = 16;  // the port choice offers COM 1 to COM 16

// The file a path finally leads to; the path itself when it leads nowhere.
QString Resolved(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

bool Reaches(const QString& device, const SystemPort& port) {
    if (device.isEmpty()) return false;
    if (device == port.device || device == port.systemLocation) return true;
    const QString target = Resolved(device);
    return target == Resolved(port.systemLocation) || target == Resolved(port.device);
}

QString Hex4(int v) {
    return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0'));
}

}  // namespace

std::vector<SystemPort> SystemPortLister::Ports() const {
    std::vector<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SystemPort p;
        p.name = info.portName();
        p.systemLocation = info.systemLocation();
        p.description = info.description();
        p.manufacturer = info.manufacturer();
        p.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier()) p.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier()) p.productId = info.productIdentifier();
        const QString byId = ByIdName(p.systemLocation);
        p.device = byId.isEmpty() ? p.systemLocation : byId;
        ports.push_back(p);
    }
    return ports;
}

std::vector<SystemPort> OfferedSystemPorts(const std::vector<SystemPort>& all) {
    std::vector<SystemPort> offered;
#ifndef Q_OS_WIN  // there every port is a COM name already
    for (const SystemPort& p : all) {
        if (p.name.startsWith(QLatin1String("ttyUSB")) ||
            p.name.startsWith(QLatin1String("ttyACM")) || p.vendorId >= 0)
            offered.push_back(p);
    }
    std::sort(offered.begin(), offered.end(),
              [](const SystemPort& a, const SystemPort& b) { return a.device < b.device; });
#else
    Q_UNUSED(all);
#endif
    return offered;
}

QString ByIdName(const QString& systemLocation, const QString& byIdFolder) {
    if (systemLocation.isEmpty()) return {};
    const QString target = Resolved(systemLocation);
    const QDir dir(byIdFolder);
    const QStringList links =
        dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : links) {
        QString path = dir.filePath(name);
        if (QFileInfo(path).isSymLink() && Resolved(path) == target) return path;
    }
    return {};
}

QString SystemPortText(const SystemPort& port) {
    QStringList parts;
    if (!port.description.isEmpty()) parts << port.description;
    if (port.vendorId >= 0 && port.productId >= 0)
        parts << QStringLiteral("USB %1:%2").arg(Hex4(port.vendorId), Hex4(port.productId));
    QString text = port.device;
    if (port.device != port.systemLocation && !port.systemLocation.isEmpty())
        parts.prepend(QFileInfo(port.systemLocation).fileName());
    if (!parts.isEmpty()) text += QStringLiteral(" (") + parts.join(QStringLiteral(", ")) + ')';
    return text;
}

int MappedComNumber(const SystemPort& port) {
    for (const PortMapping& m : PortMappings()) {
        const int n = PortNumberOf(m.name);
        if (n >= 1 && n <= kHighestComNumber && Reaches(m.device, port)) return n;
    }
    return 0;
}

int FreeComNumber(const std::vector<SystemPort>& all, const std::vector<int>& taken) {
    std::vector<bool> used(kHighestComNumber + 1, false);
    for (const PortMapping& m : PortMappings()) {
        const int n = PortNumberOf(m.name);
        if (n >= 1 && n <= kHighestComNumber) used[size_t(n)] = true;
    }
    for (int n : taken)
        if (n >= 1 && n <= kHighestComNumber) used[size_t(n)] = true;
    const int stored = ReadStoredPort();
    if (stored >= 1 && stored <= kHighestComNumber) used[size_t(stored)] = true;
    for (const SystemPort& p : all) {
        // An on-board port /dev/ttySk is COM k+1 without any entry.
        if (!p.name.startsWith(QLatin1String("ttyS"))) continue;
        bool ok = false;
        const int k = p.name.mid(4).toInt(&ok);
        if (ok && k >= 0 && k < kHighestComNumber) used[size_t(k + 1)] = true;
    }
    for (int n = 1; n <= kHighestComNumber; ++n)
        if (!used[size_t(n)]) return n;
    return 0;
}

int ComNumberFor(const SystemPort& port, const std::vector<SystemPort>& all, QString* error) {
    if (const int n = MappedComNumber(port)) return n;
    const int n = FreeComNumber(all);
    if (n == 0) {
        if (error)
            *error = QStringLiteral("Keine freie COM-Nummer (COM 1 bis COM 16 sind vergeben).");
        return 0;
    }
    if (!WriteSetting(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(n), port.device)) {
        if (error)
            *error = QStringLiteral("%1 kann nicht geschrieben werden.").arg(SettingsFilePath());
        return 0;
    }
    return n;
}

std::vector<PortMapping> PortMappings() {
    std::vector<PortMapping> out;
    for (const auto& [key, value] : ReadSection(QStringLiteral("Ports")))
        out.push_back({key, value});
    return out;
}

}  // namespace kelvarn

#include "link/PortNames.h"

#include <QtGlobal>
#include <mutex>

#include "link/SettingsFile.h"

namespace kelvarn {

namespace {

std::mutex g_temporaryMutex;
std::map<int, QString> g_temporary;

}  // namespace

void SetTemporaryPortDevices(const std::map<int, QString>& devices) {
    std::lock_guard<std::mutex> lock(g_temporaryMutex);
    g_temporary = devices;
}

int PortNumberOf(const QString& portName) {
    if (!portName.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) return 0;
    const QString digits = portName.mid(3);
    for (QChar c : digits)
        if (!c.isDigit()) return 0;  // also refuses signs and blanks
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok && n >= 1 ? n : 0;
}

QString PortDevicePath(int n) {
    if (n < 1) return {};
#ifdef Q_OS_WIN
    return QStringLiteral("\\\\.\\COM%1").arg(n);
#else
    {
        std::lock_guard<std::mutex> lock(g_temporaryMutex);
        const auto it = g_temporary.find(n);
        if (it != g_temporary.end()) return it->second;
    }
    QString mapped = ReadSetting(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(n));
    if (!mapped.isEmpty()) return mapped;
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

}  // namespace kelvarn

#include "link/PortNames.h"

#include <QtGlobal>

#include "link/SettingsFile.h"

namespace kelvarn {

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
    QString mapped = ReadSetting(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(n));
    if (!mapped.isEmpty()) return mapped;
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

QString PortNames::DevicePath(int n) const {
#ifndef Q_OS_WIN  // there every port has its COM name already
    const auto it = temporary_.find(n);
    if (it != temporary_.end()) return it->second;
#endif
    return PortDevicePath(n);
}

}  // namespace kelvarn

#include "files/CommandResult.h"

namespace kelvarn {

QString WithFullStop(const QString& msg) {
    if (msg.isEmpty() || msg.back() <= QLatin1Char('.')) return msg;
    return msg + QLatin1Char('.');
}

}  // namespace kelvarn

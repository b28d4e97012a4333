#include "files/CommandResult.h"

#include <QFileInfo>

#include "files/SystemPath.h"

namespace kelvarn {

CommandResult FileFailure(const QString& path, const QString& msg, const QString& reason) {
    // No name at all names no file: the message says the name is wrong.
    const QString file =
        path.isEmpty() ? QString() : DisplayPath(QFileInfo(path).absoluteFilePath());
    return {false, msg, file, reason};
}

QString WithFullStop(const QString& msg) {
    if (msg.isEmpty() || msg.back() <= QLatin1Char('.')) return msg;
    return msg + QLatin1Char('.');
}

QString MessageText(const CommandResult& r) {
    QString text = WithFullStop(r.message);
    if (r.file.isEmpty()) return text;
    text += QLatin1Char('\n') + r.file;
    if (!r.reason.isEmpty()) text += QStringLiteral(": ") + r.reason;
    return text;
}

}  // namespace kelvarn

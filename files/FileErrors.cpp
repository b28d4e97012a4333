#include "files/FileErrors.h"

#include <sys/stat.h>

#include <QFileInfo>
#include <cerrno>

#include "files/SystemPath.h"

namespace kelvarn {

const char* const kMsgFileNotFound = "Datei nicht gefunden";
const char* const kMsgInvalidFileName = "Ungültiger Dateiname";
const char* const kMsgTooManyFiles = "Zu viele geöffnete Dateien";
const char* const kMsgAccessDenied = "Dateizugriff verweigert";
const char* const kMsgReadPastEnd = "Versuch hinter dem Dateiende zu lesen";
const char* const kMsgDiskFull = "Zu wenig Speicherplatz";

QString OsErrorMessage(int err, const QString& path) {
    switch (err) {
        case ENOENT: {
            // A missing folder is a bad name, not a missing file: the user
            // typed a path that cannot exist.
            struct stat st {};
            const QByteArray parent = SystemPathBytes(QFileInfo(path).absolutePath());
            if (!path.isEmpty() && ::stat(parent.constData(), &st) == 0 && S_ISDIR(st.st_mode))
                return QString::fromUtf8(kMsgFileNotFound);
            return QString::fromUtf8(kMsgInvalidFileName);
        }
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP: return QString::fromUtf8(kMsgInvalidFileName);
        case EMFILE:
        case ENFILE: return QString::fromUtf8(kMsgTooManyFiles);
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY: return QString::fromUtf8(kMsgAccessDenied);
        case ENOSPC:
        case EDQUOT: return QString::fromUtf8(kMsgDiskFull);
        default: return QStringLiteral("E/A-Fehler %1").arg(err);
    }
}

QString SystemErrorText(int err) {
    return qt_error_string(err);
}

}  // namespace kelvarn

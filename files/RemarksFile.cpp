#include "files/RemarksFile.h"

#include <sys/stat.h>

#include <QFileInfo>

#include "files/FileErrors.h"
#include "files/Rtf.h"
#include "files/SystemPath.h"

namespace kelvarn {

namespace {

QString FullPath(const QString& path) {
    return DisplayPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

bool RemarksFileExists(const QString& path) {
    if (path.isEmpty()) return false;
    struct stat st {};
    return ::stat(SystemPathBytes(path).constData(), &st) == 0 && !S_ISDIR(st.st_mode);
}

CommandResult LoadRemarks(const QString& path, RichText& out) {
    QByteArray data;
    const IoOutcome io = ReadFileBytes(path, kMaxRemarksBytes + 1, data);
    if (io.stage == IoOutcome::kOpen) {
        return FileFailure(path, QStringLiteral("Datei %1 kann nicht geöffnet werden. %2")
                                     .arg(FullPath(path), SystemErrorText(io.error)));
    }
    const QString failed = QStringLiteral("Das Laden des Streams ist misslungen");
    if (!io.ok()) return FileFailure(path, failed, SystemErrorText(io.error));
    if (data.size() > kMaxRemarksBytes)
        return FileFailure(path, failed, QStringLiteral("Die Datei ist größer als 16 MB"));
    out = ReadRtf(data);
    return CommandResult::Success();
}

CommandResult RemarksSaveResult(const QString& path, const IoOutcome& io) {
    if (io.ok()) return CommandResult::Success();
    if (io.stage == IoOutcome::kWrite)
        return FileFailure(path, QStringLiteral("Das Speichern des Streams ist misslungen"),
                           SystemErrorText(io.error));
    return FileFailure(path, QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2")
                                 .arg(FullPath(path), SystemErrorText(io.error)));
}

CommandResult SaveRemarks(const QString& path, const RichText& text) {
    return RemarksSaveResult(path, ReplaceFileContents(path, WriteRtf(text)));
}

}  // namespace kelvarn

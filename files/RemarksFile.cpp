#include "files/RemarksFile.h"

#include <QFileInfo>

#include "files/FileErrors.h"
#include "files/PosixFile.h"
#include "files/Rtf.h"

namespace kelvarn {

namespace {

QString FullPath(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

}  // namespace

bool RemarksFileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

FileResult LoadRemarks(const QString& path, RichText& out) {
    QByteArray data;
    const IoOutcome io = ReadFileBytes(path, -1, data);
    if (io.stage == IoOutcome::kOpen) {
        return FileResult::Failure(QStringLiteral("Datei %1 kann nicht geöffnet werden. %2")
                                       .arg(FullPath(path), SystemErrorText(io.error)));
    }
    if (!io.ok())
        return FileResult::Failure(QStringLiteral("Das Laden des Streams ist misslungen"));
    out = ReadRtf(data);
    return FileResult::Success();
}

FileResult SaveRemarks(const QString& path, const RichText& text) {
    const IoOutcome io = ReplaceFileContents(path, WriteRtf(text));
    if (io.stage == IoOutcome::kWrite)
        return FileResult::Failure(QStringLiteral("Das Speichern des Streams ist misslungen"));
    if (!io.ok()) {
        return FileResult::Failure(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2")
                                       .arg(FullPath(path), SystemErrorText(io.error)));
    }
    return FileResult::Success();
}

}  // namespace kelvarn

#include "files/MeasurementWithRemarks.h"

#include <QFileInfo>
#include <functional>
#include <memory>
#include <vector>

#include "files/FileErrors.h"
#include "files/MeasurementFile.h"
#include "files/PosixFile.h"
#include "files/ProtocolFile.h"
#include "files/RemarksFile.h"
#include "files/Rtf.h"
#include "files/SystemPath.h"

namespace kelvarn {

QString ExistingRemarksFile(const QString& measurementPath) {
    for (const QString& name : RemarksFileCandidates(measurementPath))
        if (RemarksFileExists(name)) return name;
    return {};
}

CommandResult SaveMeasurementWithRemarks(const QString& path, const MeasurementRecord& rec,
                                         const RichText& remarks) {
    return SaveMeasurementFiles(path, {&rec, &remarks, nullptr});
}

namespace {

// One file of a save: its part's name for the message, its replacement and its message.
struct SavedFile {
    SavedFile(const char* p, QString f, std::function<CommandResult(const IoOutcome&)> m)
        : part(p), path(std::move(f)), message(std::move(m)) {}

    const char* part;  // "die Messung", "die Beschreibung", "das Protokoll"
    QString path;
    std::function<CommandResult(const IoOutcome&)> message;
    FileReplacement replacement;
};

QString ProtocolSaveMessage(const QString& path, const IoOutcome& io) {
    return QStringLiteral("Das Protokoll \"%1\" kann nicht gespeichert werden. %2")
        .arg(DisplayPath(QFileInfo(path).absoluteFilePath()), SystemErrorText(io.error));
}

// "die Messung", "die Messung und die Beschreibung", "a, b und c".
QString Parts(const QStringList& parts) {
    if (parts.size() < 2) return parts.join(QString());
    return parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" und ") +
           parts.back();
}

}  // namespace

CommandResult SaveMeasurementFiles(const QString& path, const MeasurementFiles& parts) {
    std::vector<std::unique_ptr<SavedFile>> files;
    std::vector<QByteArray> contents;
    if (parts.record) {
        files.push_back(
            std::make_unique<SavedFile>("die Messung", path, [path](const IoOutcome& io) {
                return FileFailure(path, OsErrorMessage(io.error, path));
            }));
        contents.emplace_back(reinterpret_cast<const char*>(parts.record->bytes.data()),
                              MeasurementRecord::kSize);
    }
    if (parts.remarks) {
        const QString remarksPath = RemarksFileName(path);
        files.push_back(std::make_unique<SavedFile>(
            "die Beschreibung", remarksPath,
            [remarksPath](const IoOutcome& io) { return RemarksSaveResult(remarksPath, io); }));
        contents.push_back(WriteRtf(*parts.remarks));
    }
    if (parts.protocol) {
        const QString protocolPath = ProtocolFileName(path);
        files.push_back(std::make_unique<SavedFile>(
            "das Protokoll", protocolPath, [protocolPath](const IoOutcome& io) {
                return FileFailure(protocolPath, ProtocolSaveMessage(protocolPath, io));
            }));
        contents.push_back(WriteProtocol(*parts.protocol));
    }

    for (size_t i = 0; i < files.size(); ++i) {
        const IoOutcome io = files[i]->replacement.Prepare(files[i]->path, contents[i]);
        if (!io.ok()) return files[i]->message(io);
    }
    for (size_t i = 0; i < files.size(); ++i) {
        const IoOutcome io = files[i]->replacement.Commit();
        if (io.ok()) continue;
        CommandResult failed = files[i]->message(io);
        if (i == 0) return failed;
        QStringList saved, unsaved;
        for (size_t j = 0; j < files.size(); ++j)
            (j < i ? saved : unsaved) << QString::fromUtf8(files[j]->part);
        QString said = Parts(saved);
        said[0] = said[0].toUpper();
        failed.message = said +
                         (saved.size() > 1 ? QStringLiteral(" wurden") : QStringLiteral(" wurde")) +
                         QStringLiteral(" gespeichert, ") + Parts(unsaved) +
                         QStringLiteral(" nicht. ") + failed.message;
        return failed;
    }
    return CommandResult::Success();
}

}  // namespace kelvarn

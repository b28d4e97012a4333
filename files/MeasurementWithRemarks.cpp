#include "files/MeasurementWithRemarks.h"

#include "files/FileErrors.h"
#include "files/MeasurementFile.h"
#include "files/PosixFile.h"
#include "files/RemarksFile.h"
#include "files/Rtf.h"

namespace kelvarn {

QString ExistingRemarksFile(const QString& measurementPath) {
    for (const QString& name : RemarksFileCandidates(measurementPath))
        if (RemarksFileExists(name)) return name;
    return {};
}

CommandResult SaveMeasurementWithRemarks(const QString& path, const MeasurementRecord& rec,
                                         const RichText& remarks) {
    const QString remarksPath = RemarksFileName(path);
    const QByteArray record(reinterpret_cast<const char*>(rec.bytes.data()),
                            MeasurementRecord::kSize);
    FileReplacement measurement, description;
    IoOutcome io = measurement.Prepare(path, record);
    if (!io.ok()) return FileFailure(path, OsErrorMessage(io.error, path));
    io = description.Prepare(remarksPath, WriteRtf(remarks));
    if (!io.ok()) return RemarksSaveResult(remarksPath, io);
    io = measurement.Commit();
    if (!io.ok()) return FileFailure(path, OsErrorMessage(io.error, path));
    io = description.Commit();
    if (!io.ok()) {
        return FileFailure(
            remarksPath, QStringLiteral("Die Messung wurde gespeichert, die Beschreibung nicht. ") +
                             RemarksSaveResult(remarksPath, io).message);
    }
    return CommandResult::Success();
}

}  // namespace kelvarn

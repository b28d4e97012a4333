#include "files/MeasurementFile.h"

#include <QFileInfo>
#include <algorithm>

#include "data/ProgramTable.h"
#include "files/FileErrors.h"
#include "files/PosixFile.h"

namespace kelvarn {

CommandResult ReadMeasurementFile(const QString& path, MeasurementRecord& out) {
    QByteArray data;
    const IoOutcome io = ReadFileBytes(path, MeasurementRecord::kSize, data);
    if (!io.ok()) return FileFailure(path, OsErrorMessage(io.error, path));
    const CommandResult r = RecordFromFileBytes(data, out);
    return r.ok ? r : FileFailure(path, r.message);
}

CommandResult RecordFromFileBytes(const QByteArray& data, MeasurementRecord& out) {
    if (data.size() < MeasurementRecord::kSize)
        return CommandResult::Failure(QString::fromUtf8(kMsgReadPastEnd));
    std::copy_n(reinterpret_cast<const uint8_t*>(data.constData()), MeasurementRecord::kSize,
                out.bytes.begin());
    return CommandResult::Success();
}

CommandResult WriteMeasurementFile(const QString& path, const MeasurementRecord& rec) {
    const QByteArray data(reinterpret_cast<const char*>(rec.bytes.data()),
                          MeasurementRecord::kSize);
    const IoOutcome io = ReplaceFileContents(path, data);
    if (!io.ok()) return FileFailure(path, OsErrorMessage(io.error, path));
    return CommandResult::Success();
}

CommandResult CheckMeasurementDestination(const QString& path) {
    const IoOutcome io = CheckReplaceable(path, MeasurementRecord::kSize);
    if (!io.ok()) return CommandResult::Failure(OsErrorMessage(io.error, path));
    return CommandResult::Success();
}

namespace {

// The name cut after its first point plus "RMK", with folder.
QString RemarksCutAtFirstPoint(const QString& folder, const QString& name) {
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? QString() : name.left(dot + 1);
    return folder + stem + QLatin1String("RMK");
}

}  // namespace

QString RemarksFileName(const QString& measurementPath) {
    const qsizetype slash = measurementPath.lastIndexOf(QLatin1Char('/'));
    const QString folder = measurementPath.left(slash + 1);
    const QString name = measurementPath.mid(slash + 1);
    if (name.count(QLatin1Char('.')) <= 1) return RemarksCutAtFirstPoint(folder, name);
    return folder + name.left(name.lastIndexOf(QLatin1Char('.')) + 1) + QLatin1String("RMK");
}

QStringList RemarksFileCandidates(const QString& measurementPath) {
    const qsizetype slash = measurementPath.lastIndexOf(QLatin1Char('/'));
    QStringList names{RemarksFileName(measurementPath)};
    const QString older =
        RemarksCutAtFirstPoint(measurementPath.left(slash + 1), measurementPath.mid(slash + 1));
    if (older != names.front()) names << older;
    return names;
}

QString InformationLine(const QString& fileNameWithoutFolder, const MeasurementRecord& rec) {
    const int interval = GetInterval(rec);
    QString line = fileNameWithoutFolder + QStringLiteral(
                                               ", Messpunkte: %1, Messungen: %2, "
                                               "Kanäle: %3, Intervall: %4 ms")
                                               .arg(GetPoints(rec))
                                               .arg(GetMeasurements(rec))
                                               .arg(GetChannels(rec))
                                               .arg(interval);
    for (int r = 1; r <= ProgramTable::kRows; ++r) {
        const ProgramRow& row = Programs().Row(r);
        if (row.IntervalMs == interval) line += QLatin1String(", ") + row.BinFileName;
    }
    return line;
}

}  // namespace kelvarn

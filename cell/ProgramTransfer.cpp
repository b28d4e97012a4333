#include "cell/ProgramTransfer.h"

#include <QByteArray>

#include "cell/CommandBytes.h"
#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "files/PosixFile.h"
#include "link/comphard.h"

namespace kelvarn {

void OpenUpload() {
    ResetLink();
    WriteByte(kCmdLoadProgram);
    Delay(kCommandPauseMs);
}

bool SendUploadPayload(const uint8_t* bytes, size_t count, CellProgress* progress) {
    if (progress) progress->ProgressMax(int(count));
    for (size_t i = 0; i < count; ++i) {
        if (progress && progress->Cancelled()) return false;
        // The prompt's value means nothing; only that it came.
        if (ReadByte() < 0) return false;
        WriteByte(kCmdNext);
        WriteByte(bytes[i]);
        if (progress) progress->ProgressPosition(int(i) + 1);
    }
    ReadByte();
    WriteByte(kCmdEnd);
    return true;
}

std::array<uint8_t, 500> TimedUploadImage(int row, const StartDelay& delay) {
    std::array<uint8_t, 500> image = TimedProgramImage(Programs().Row(row).TimedProgram);
    image[kDelayHoursPos - 1] = delay.hours;
    image[kDelayMinutesPos - 1] = delay.minutes;
    image[kDelaySecondsPos - 1] = delay.seconds;
    image[kDelayZeroPos - 1] = 0;
    return image;
}

bool ProFile(int row, bool useBinFile, CellProgress& progress) {
    const Messtypen& program = Programs().Row(row);
    // The command goes out before the file is looked at, as the cell has
    // always seen it.
    OpenUpload();
    if (useBinFile) {
        QByteArray file;
        const IoOutcome io = ReadFileBytes(program.BinFileName, -1, file);
        if (!io.ok()) {
            progress.Status(QStringLiteral("Dateifehler %1.").arg(io.error));
            return false;
        }
        return SendUploadPayload(reinterpret_cast<const uint8_t*>(file.constData()),
                                 size_t(file.size()), &progress);
    }
    const std::vector<uint8_t> bytes = KeyProgramBytes(program.KeyProgram);
    return SendUploadPayload(bytes.data(), bytes.size(), &progress);
}

bool ProTFile(int row, const QTime& now, const QTime& target, CellProgress* progress) {
    const std::array<uint8_t, 500> image = TimedUploadImage(row, ComputeStartDelay(now, target));
    OpenUpload();
    return SendUploadPayload(image.data(), kTimedUploadBytes, progress);
}

void SendRunCommand() {
    ResetLink();
    WriteByte(kCmdRunProgram);
    Delay(kCommandPauseMs);
}

}  // namespace kelvarn

#include "cell/ProgramTransfer.h"

#include <QByteArray>

#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "files/PosixFile.h"
#include "link/CellCommandBytes.h"
#include "link/SerialLink.h"

namespace kelvarn {

LinkStatus OpenUpload(SerialLink& link) {
    LinkStatus status = link.ResetLink();
    const LinkStatus command = link.WriteByte(kCmdLoadProgram);
    if (status == LinkStatus::kOk) status = command;
    link.Delay(kCommandPauseMs);
    return status;
}

bool SendUploadPayload(SerialLink& link, const uint8_t* bytes, size_t count,
                       CellProgress* progress) {
    if (progress) progress->ProgressMax(int(count));
    for (size_t i = 0; i < count; ++i) {
        if (progress && progress->Cancelled()) {
            // The cell owes the prompt for this byte: it is taken, so that it
            // cannot come late and be read by the next command as the answer
            // to its own question (a slow line then failed the next upload's
            // connection check).
            (void)link.ReadByte();
            return false;
        }
        // The prompt's value means nothing; only that it came.
        if (link.ReadByte() < 0) return false;
        if (link.WriteByte(kCmdNext) != LinkStatus::kOk) return false;
        if (link.WriteByte(bytes[i]) != LinkStatus::kOk) return false;
        if (progress) progress->ProgressPosition(int(i) + 1);
    }
    link.ReadByte();
    return link.WriteByte(kCmdEnd) == LinkStatus::kOk;
}

std::array<uint8_t, 500> TimedUploadImage(int row, const StartDelay& delay) {
    std::array<uint8_t, 500> image = TimedProgramImage(Programs().Row(row).TimedProgram);
    image[kDelayHoursPos - 1] = delay.hours;
    image[kDelayMinutesPos - 1] = delay.minutes;
    image[kDelaySecondsPos - 1] = delay.seconds;
    image[kDelayZeroPos - 1] = 0;
    return image;
}

bool UploadKeyProgram(SerialLink& link, int row, bool useBinFile, CellProgress& progress) {
    const ProgramRow& program = Programs().Row(row);
    // The command goes out before the file is looked at, as the cell has
    // always seen it.
    const bool opened = OpenUpload(link) == LinkStatus::kOk;
    if (useBinFile) {
        QByteArray file;
        const IoOutcome io = ReadFileBytes(program.BinFileName, -1, file);
        if (!io.ok()) {
            progress.Status(QStringLiteral("Dateifehler %1.").arg(io.error));
            return false;
        }
        return opened && SendUploadPayload(link, reinterpret_cast<const uint8_t*>(file.constData()),
                                           size_t(file.size()), &progress);
    }
    const std::vector<uint8_t> bytes = KeyProgramBytes(program.KeyProgram);
    return opened && SendUploadPayload(link, bytes.data(), bytes.size(), &progress);
}

bool UploadTimedProgram(SerialLink& link, int row, const QTime& now, const QTime& target,
                        CellProgress* progress) {
    const std::array<uint8_t, 500> image = TimedUploadImage(row, ComputeStartDelay(now, target));
    return OpenUpload(link) == LinkStatus::kOk &&
           SendUploadPayload(link, image.data(), kTimedUploadBytes, progress);
}

LinkStatus SendRunCommand(SerialLink& link) {
    LinkStatus status = link.ResetLink();
    const LinkStatus command = link.WriteByte(kCmdRunProgram);
    if (status == LinkStatus::kOk) status = command;
    link.Delay(kCommandPauseMs);
    return status;
}

}  // namespace kelvarn

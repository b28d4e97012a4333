#include "cell/ProgramTransfer.h"

#include <QByteArray>
#include <QFileInfo>

#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "files/PosixFile.h"
#include "files/SystemPath.h"
#include "link/CellCommandBytes.h"
#include "link/SerialLink.h"

namespace kelvarn {

namespace {

// Reset, one command byte, then the pause the cell needs before it listens again. The command
// goes out even after a failed reset, as the cell has always seen it; the first failure is
// the one reported.
LinkStatus SendCommand(SerialLink& link, uint8_t command) {
    LinkStatus status = link.ResetLink();
    const LinkStatus written = link.WriteByte(command);
    if (status == LinkStatus::kOk) status = written;
    link.Delay(kCommandPauseMs);
    return status;
}

}  // namespace

LinkStatus OpenUpload(SerialLink& link) {
    return SendCommand(link, kCmdLoadProgram);
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
            // The file named after the code: the status line alone did not say where it was
            // looked for (the working folder).
            progress.Status(QStringLiteral("Dateifehler %1. ").arg(io.error) +
                            DisplayPath(QFileInfo(program.BinFileName).absoluteFilePath()));
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
    return SendCommand(link, kCmdRunProgram);
}

}  // namespace kelvarn

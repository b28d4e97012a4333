#pragma once

#include <QTime>
#include <array>
#include <cstddef>
#include <cstdint>

#include "cell/CellProgress.h"
#include "cell/StartDelay.h"
#include "link/SerialLink.h"

namespace kelvarn {

// Bytes of a timed upload: always this many of the 500-byte image.
constexpr int kTimedUploadBytes = 400;

// The load handshake, opening: ResetLink, CmdLoadProgram, pause. The first
// failed write, or kOk.
LinkStatus OpenUpload(SerialLink& link);
// The rest of the handshake: for each byte the cell's prompt is awaited,
// then 1 and the byte go out; after the last one more read and the closing
// 0. false, with nothing more sent, as soon as a prompt is missing, a write
// fails, or progress (when given) is cancelled (the prompt then due is still
// taken, so that the line is quiet); the next command brings the cell back.
// progress hears the bytes sent.
bool SendUploadPayload(SerialLink& link, const uint8_t* bytes, size_t count,
                       CellProgress* progress = nullptr);

// The 500-byte image of row's timed program with the delay written in.
std::array<uint8_t, 500> TimedUploadImage(int row, const StartDelay& delay);

// Uploads the START-key program of row (1..9): its built-in text or, with
// useBinFile, every byte of the row's program file, opened by its bare name
// in the working directory. A file that cannot be read reports
// "Dateifehler " + code + ". " and the file's full path to progress. true
// when the closing 0 was sent.
bool UploadKeyProgram(SerialLink& link, int row, bool useBinFile, CellProgress& progress);

// Uploads the timed image of row for a start at the time of day target.
// true when all 400 bytes and the closing 0 were sent.
bool UploadTimedProgram(SerialLink& link, int row, const QTime& now, const QTime& target,
                        CellProgress* progress = nullptr);

// ResetLink, CmdRunProgram, pause: the cell runs what it holds. The first
// failed write, or kOk.
LinkStatus SendRunCommand(SerialLink& link);

}  // namespace kelvarn

#pragma once

#include <QByteArray>
#include <QString>

namespace kelvarn {

// Result of a whole-file operation with the operating system's error code.
struct IoOutcome {
    enum Stage { kDone, kOpen, kRead, kWrite, kReplace };
    Stage stage = kDone;
    int error = 0;  // errno of the failing call

    bool ok() const { return stage == kDone; }
};

// Opens path for reading only and reads up to maxBytes from its start
// (everything when maxBytes < 0). out holds what was read, also on a failure.
IoOutcome ReadFileBytes(const QString& path, qint64 maxBytes, QByteArray& out);

// Replaces the contents of path by data. A regular file is written to a
// temporary file beside it and put in place only when every byte is on disk,
// so a failure part-way leaves the old file as it was. An existing file
// that may not be written is refused before anything is created; its
// permissions carry over to the new file.
IoOutcome ReplaceFileContents(const QString& path, const QByteArray& data);

}  // namespace kelvarn

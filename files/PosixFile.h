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

// Opens path for reading only, without waiting for a writer, and reads up to
// maxBytes from its start (everything when maxBytes < 0). Only regular files
// and character devices that answer at once are read; a pipe, a socket or a
// device with nothing to give is refused at the open with EACCES, so no
// command can hang on one. out holds what was read, also on a failure.
IoOutcome ReadFileBytes(const QString& path, qint64 maxBytes, QByteArray& out);

// New contents for one file, written in two steps so that several files can
// be replaced together: Prepare does everything that may fail for want of
// room or rights, Commit puts the new contents in place.
//
// A link (or a chain of links) is followed to the file it finally names. A
// regular file is written to a hidden temporary file beside it and renamed
// over it, keeping its permissions, owner and group. Where that would change
// the owner or split hard links, or the folder takes no new file, the file is
// written in place instead; its old bytes are kept in memory and written back
// if the write fails. Character devices get the bytes directly; pipes and
// other special files are refused with EACCES. Temporary files that an
// interrupted save of the same file left behind are removed.
class FileReplacement {
public:
    FileReplacement() = default;
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    IoOutcome Prepare(const QString& path, const QByteArray& data);
    // Only after a successful Prepare; afterwards the object is spent.
    IoOutcome Commit();
    // Drops a prepared replacement; the file stays as it was.
    void Discard();

private:
    enum Mode { kNone, kRename, kInPlace, kDirect };
    IoOutcome PrepareInPlace();

    Mode mode_ = kNone;
    int fd_ = -1;
    QByteArray target_, temp_, data_, old_;
    bool hasOld_ = false;
};

// Prepare and Commit in one.
IoOutcome ReplaceFileContents(const QString& path, const QByteArray& data);

// The hidden name "<folder>/.<name>.~<suffix>" that a save of target writes
// first; suffix is 1 to 6 lower-case hex digits.
QByteArray TemporaryNameFor(const QByteArray& target, const QByteArray& suffix);

}  // namespace kelvarn

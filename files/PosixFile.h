#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

namespace kelvarn {

// Result of a whole-file operation with the operating system's error code.
struct IoOutcome {
    enum Stage { kDone, kOpen, kRead, kWrite, kReplace };
    Stage stage = kDone;
    int error = 0;  // errno of the failing call

    bool ok() const { return stage == kDone; }
};

// Writes all of data to the descriptor fd, at offset (or at its current position when offset
// < 0); 0 when every byte was taken, else the error of the write that failed, ENOSPC for a
// write that took nothing. Interrupted writes are resumed.
int WriteAllBytes(int fd, const QByteArray& data, qint64 offset = -1);

// Opens path for reading only, without waiting for a writer, and reads up to
// maxBytes from its start (everything when maxBytes < 0). Only regular files
// and character devices that answer at once are read; a pipe, a socket or a
// device with nothing to give is refused at the open with EACCES, so no
// command can hang on one. out holds what was read, also on a failure.
IoOutcome ReadFileBytes(const QString& path, qint64 maxBytes, QByteArray& out);

// When the file at path was last modified; invalid when it cannot be found.
// Names that are not UTF-8 are found by their bytes.
QDateTime FileModificationTime(const QString& path);

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
//
// The temporary file is locked from its creation on (made without a name and
// linked under one once locked, where the file system allows; elsewhere made
// again should a concurrent save have taken it for a leftover in the moment
// before the lock), so two saves of one file never remove each other's.
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

// Prepares a replacement of path with size bytes and drops it again: the
// save's own preparation (links resolved, the temporary file created, locked,
// written, synced and removed) run before the contents are known, so that a
// destination the save would fail on is found first. The file stays as it was.
IoOutcome CheckReplaceable(const QString& path, qint64 size);

// Creates the file name (bytes, as the system takes them) with data; never
// replaces or follows anything already there (EEXIST). A failed write
// removes what was created.
IoOutcome WriteNewFile(const QByteArray& name, const QByteArray& data);

// The hidden name "<folder>/.<name>.~<suffix>" that a save of target writes
// first; suffix is 1 to 6 lower-case hex digits. A name too long to take the
// 9 added bytes within the folder's limit (255 bytes) is cut, at a character
// where it is UTF-8, so that every name the system allows can be saved.
QByteArray TemporaryNameFor(const QByteArray& target, const QByteArray& suffix);

// For tests: called in a save between creating its temporary file and
// locking it (name empty while the file has none yet); namedOnly makes the
// save create it under its name, as on file systems without unnamed files.
struct FileReplacementSeams {
    std::function<void(const QByteArray& temporaryName)> betweenCreateAndLock;
    bool namedOnly = false;
};
FileReplacementSeams& FileReplacementSeamsForTests();

}  // namespace kelvarn

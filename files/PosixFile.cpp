#include "files/PosixFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <cerrno>
#include <climits>

#include "files/SystemPath.h"

namespace kelvarn {

namespace {

bool UsablePath(const QString& path) {
    return !path.isEmpty() && !path.contains(QChar(0));
}

IoOutcome Fail(IoOutcome::Stage stage, int err) {
    return {stage, err};
}

int OpenRetrying(const char* name, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(name, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes all of data at offset (or at the current position when offset < 0);
// a write that makes no progress counts as a full disk.
int WriteAll(int fd, const QByteArray& data, off_t offset = -1) {
    const char* p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n =
            offset < 0 ? ::write(fd, p, size_t(left)) : ::pwrite(fd, p, size_t(left), offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC;
        p += n;
        left -= n;
        if (offset >= 0) offset += n;
    }
    return 0;
}

int ReadAllFrom(int fd, QByteArray& out) {
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return 0;
        out.append(buf, n);
    }
}

// Follows name through every link to the entry it finally names, which need
// not exist yet (a save then creates it).
int ResolveLinks(const QByteArray& name, QByteArray& out) {
    QByteArray p = name;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            out = p;
            return 0;
        }
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(p.constData(), buf, sizeof buf);
        if (n < 0) return errno;
        if (size_t(n) >= sizeof buf) return ENAMETOOLONG;
        const QByteArray link(buf, n);
        if (link.startsWith('/')) {
            p = link;
        } else {
            const qsizetype slash = p.lastIndexOf('/');
            p = (slash < 0 ? QByteArray() : p.left(slash + 1)) + link;
        }
    }
    return ELOOP;
}

QByteArray FolderOf(const QByteArray& name) {
    const qsizetype slash = name.lastIndexOf('/');
    if (slash < 0) return ".";
    if (slash == 0) return "/";
    return name.left(slash);
}

QByteArray BaseNameOf(const QByteArray& name) {
    return name.mid(name.lastIndexOf('/') + 1);
}

bool IsTemporarySuffix(const QByteArray& s) {
    if (s.isEmpty() || s.size() > 6) return false;
    for (const char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

// A save holds a lock on its temporary file until it is renamed; a file
// without one was left by a save that never finished.
void RemoveLeftTemporaries(const QByteArray& target) {
    const QByteArray folder = FolderOf(target);
    const QByteArray prefix = "." + BaseNameOf(target) + ".~";
    DIR* d = ::opendir(folder.constData());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
        const QByteArray entry(e->d_name);
        if (!entry.startsWith(prefix) || !IsTemporarySuffix(entry.mid(prefix.size()))) continue;
        const QByteArray full = folder + '/' + entry;
        int fd = OpenRetrying(full.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            fd = OpenRetrying(full.constData(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(full.constData());
        ::close(fd);
    }
    ::closedir(d);
}

}  // namespace

QByteArray TemporaryNameFor(const QByteArray& target, const QByteArray& suffix) {
    return FolderOf(target) + "/." + BaseNameOf(target) + ".~" + suffix;
}

IoOutcome ReadFileBytes(const QString& path, qint64 maxBytes, QByteArray& out) {
    out.clear();
    if (!UsablePath(path)) return Fail(IoOutcome::kOpen, ENOENT);
    const QByteArray name = SystemPathBytes(path);
    // Without O_NONBLOCK a pipe without a writer blocks the open for ever.
    const int fd = OpenRetrying(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail(IoOutcome::kOpen, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 ||
        !(S_ISREG(st.st_mode) || S_ISCHR(st.st_mode) || S_ISDIR(st.st_mode))) {
        ::close(fd);
        return Fail(IoOutcome::kOpen, EACCES);
    }

    char buf[65536];
    IoOutcome result;
    while (maxBytes < 0 || out.size() < maxBytes) {
        const qint64 want =
            maxBytes < 0 ? qint64(sizeof buf) : qMin<qint64>(sizeof buf, maxBytes - out.size());
        const ssize_t n = ::read(fd, buf, size_t(want));
        if (n < 0) {
            if (errno == EINTR) continue;
            // A device with nothing to give now is treated like a pipe.
            result =
                errno == EAGAIN ? Fail(IoOutcome::kOpen, EACCES) : Fail(IoOutcome::kRead, errno);
            break;
        }
        if (n == 0) break;
        out.append(buf, n);
    }
    ::close(fd);
    return result;
}

FileReplacement::~FileReplacement() {
    Discard();
}

void FileReplacement::Discard() {
    if (mode_ == kRename) ::unlink(temp_.constData());
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    mode_ = kNone;
    data_.clear();
    old_.clear();
}

IoOutcome FileReplacement::Prepare(const QString& path, const QByteArray& data) {
    Discard();
    if (!UsablePath(path)) return Fail(IoOutcome::kOpen, ENOENT);
    if (const int err = ResolveLinks(SystemPathBytes(path), target_))
        return Fail(IoOutcome::kOpen, err);
    data_ = data;

    struct stat st {};
    const bool exists = ::stat(target_.constData(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) return Fail(IoOutcome::kOpen, EISDIR);
        if (S_ISCHR(st.st_mode)) {
            // A device cannot be swapped for a new file; it gets the bytes.
            fd_ = OpenRetrying(target_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd_ < 0) return Fail(IoOutcome::kOpen, errno);
            mode_ = kDirect;
            return {};
        }
        if (!S_ISREG(st.st_mode)) return Fail(IoOutcome::kOpen, EACCES);
        // A file the user may not overwrite is refused as before, not
        // silently swapped for a new one.
        const int probe = OpenRetrying(target_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (probe < 0) return Fail(IoOutcome::kOpen, errno);
        ::close(probe);
        // A new file would split the links into two files.
        if (st.st_nlink > 1) return PrepareInPlace();
    }

    RemoveLeftTemporaries(target_);
    int fd = -1;
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        const QByteArray suffix =
            QByteArray::number(QRandomGenerator::global()->generate() & 0xFFFFFF, 16);
        temp_ = TemporaryNameFor(target_, suffix);
        fd = OpenRetrying(temp_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0666);
        if (fd < 0 && errno != EEXIST) {
            err = errno;
            break;
        }
    }
    if (fd < 0) {
        // A folder that takes no new file still lets an existing one be
        // overwritten.
        if (exists) return PrepareInPlace();
        return Fail(IoOutcome::kOpen, err);
    }
    (void)::flock(fd, LOCK_EX);
    if (exists) {
        // The file keeps its owner and group, or it is not replaced at all.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            ::unlink(temp_.constData());
            ::close(fd);
            return PrepareInPlace();
        }
        (void)::fchmod(fd, st.st_mode & 07777);
    }

    err = WriteAll(fd, data);
    if (err == 0 && ::fsync(fd) != 0 && errno != EINVAL) err = errno;
    if (err != 0) {
        ::unlink(temp_.constData());
        ::close(fd);
        return Fail(IoOutcome::kWrite, err);
    }
    fd_ = fd;
    mode_ = kRename;
    return {};
}

IoOutcome FileReplacement::PrepareInPlace() {
    hasOld_ = true;
    fd_ = OpenRetrying(target_.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0 && errno == EACCES) {
        // A file that may be written but not read: nothing to write back.
        hasOld_ = false;
        fd_ = OpenRetrying(target_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd_ < 0) return Fail(IoOutcome::kOpen, errno);
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        Discard();
        return Fail(IoOutcome::kOpen, EACCES);
    }
    if (hasOld_) {
        if (const int err = ReadAllFrom(fd_, old_)) {
            Discard();
            return Fail(IoOutcome::kOpen, err);
        }
    }
    mode_ = kInPlace;
    return {};
}

IoOutcome FileReplacement::Commit() {
    IoOutcome result;
    switch (mode_) {
        case kNone: return Fail(IoOutcome::kOpen, EBADF);
        case kDirect: {
            const int err = WriteAll(fd_, data_);
            if (err != 0) result = Fail(IoOutcome::kWrite, err);
            break;
        }
        case kInPlace: {
            int err = WriteAll(fd_, data_, 0);
            if (err == 0 && ::ftruncate(fd_, off_t(data_.size())) != 0) err = errno;
            if (err == 0 && ::fsync(fd_) != 0 && errno != EINVAL) err = errno;
            if (err != 0) {
                // The old bytes fit where they were; put them back.
                if (hasOld_ && WriteAll(fd_, old_, 0) == 0)
                    (void)::ftruncate(fd_, off_t(old_.size()));
                result = Fail(IoOutcome::kWrite, err);
            }
            break;
        }
        case kRename: {
            if (::rename(temp_.constData(), target_.constData()) != 0) {
                result = Fail(IoOutcome::kReplace, errno);
                break;
            }
            mode_ = kNone;  // nothing left to remove
            // Make the new name durable too; a folder that refuses is no failure.
            const int dirFd = OpenRetrying(FolderOf(target_).constData(), O_RDONLY | O_CLOEXEC);
            if (dirFd >= 0) {
                (void)::fsync(dirFd);
                ::close(dirFd);
            }
            break;
        }
    }
    if (result.ok() && fd_ >= 0 && mode_ != kRename) {
        if (::close(fd_) != 0 && errno != EINTR) result = Fail(IoOutcome::kWrite, errno);
        fd_ = -1;
    }
    Discard();
    return result;
}

IoOutcome ReplaceFileContents(const QString& path, const QByteArray& data) {
    FileReplacement replacement;
    const IoOutcome prepared = replacement.Prepare(path, data);
    if (!prepared.ok()) return prepared;
    return replacement.Commit();
}

}  // namespace kelvarn

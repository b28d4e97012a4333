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

// The longest name the folder takes [bytes].
long NameMaxOf(const QByteArray& folder) {
    const long n = ::pathconf(folder.constData(), _PC_NAME_MAX);
    return n > 0 ? n : 255;
}

// "<folder>/.<name>.~<suffix>", the name cut so that it stays within nameMax
// with the longest suffix. A cut falls between two characters of a UTF-8
// name; names that share the kept part share their leftovers, which only
// unfinished saves leave.
QByteArray TemporaryName(const QByteArray& target, const QByteArray& suffix, long nameMax) {
    QByteArray base = BaseNameOf(target);
    constexpr int kAdded = 9;  // ".", ".~" and six hex digits
    const qsizetype room = qMax<qsizetype>(qsizetype(nameMax) - kAdded, 1);
    if (base.size() > room) {
        qsizetype cut = room;
        for (int back = 0; back < 3 && cut > 1 && (uchar(base[cut]) & 0xC0) == 0x80; ++back) --cut;
        base.truncate(cut);
    }
    return FolderOf(target) + "/." + base + ".~" + suffix;
}

// Whether fd is still the file called name: a concurrent save may have
// removed it as a leftover before it was locked.
bool StillNamed(int fd, const QByteArray& name) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::lstat(name.constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Creates the temporary file of a save of target and locks it: the file
// descriptor and the name in temp, or -1 and err. A save holds this lock
// until the file is renamed, and removes only files without one as
// leftovers, so the file must not be seen unlocked under its name: where the
// file system can, it is made without a name and linked under one once
// locked; elsewhere one that was removed before its lock is made again.
int CreateLockedTemporary(const QByteArray& target, QByteArray& temp, int& err) {
    const FileReplacementSeams& seams = FileReplacementSeamsForTests();
    const QByteArray folder = FolderOf(target);
    const long nameMax = NameMaxOf(folder);
    const auto nextName = [&] {
        return TemporaryName(
            target, QByteArray::number(QRandomGenerator::global()->generate() & 0xFFFFFF, 16),
            nameMax);
    };
#ifdef O_TMPFILE
    if (!seams.namedOnly) {
        const int fd = OpenRetrying(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (seams.betweenCreateAndLock) seams.betweenCreateAndLock({});
            (void)::flock(fd, LOCK_EX);
            const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
            for (int attempt = 0; attempt < 100; ++attempt) {
                temp = nextName();
                if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temp.constData(),
                             AT_SYMLINK_FOLLOW) == 0)
                    return fd;
                if (errno != EEXIST) break;
            }
            ::close(fd);
        }
        // No unnamed files here (or no /proc to link one by): by name.
    }
#endif
    err = EEXIST;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = nextName();
        const int fd = OpenRetrying(temp.constData(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            err = errno;
            return -1;
        }
        if (seams.betweenCreateAndLock) seams.betweenCreateAndLock(temp);
        (void)::flock(fd, LOCK_EX);
        if (StillNamed(fd, temp)) return fd;
        ::close(fd);
    }
    return -1;
}

// A save holds a lock on its temporary file until it is renamed; a file
// without one was left by a save that never finished.
void RemoveLeftTemporaries(const QByteArray& target) {
    const QByteArray folder = FolderOf(target);
    const QByteArray prefix = BaseNameOf(TemporaryName(target, {}, NameMaxOf(folder)));
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

int WriteAllBytes(int fd, const QByteArray& data, qint64 offset) {
    const char* p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n = offset < 0 ? ::write(fd, p, size_t(left))
                                     : ::pwrite(fd, p, size_t(left), off_t(offset));
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

QByteArray TemporaryNameFor(const QByteArray& target, const QByteArray& suffix) {
    return TemporaryName(target, suffix, NameMaxOf(FolderOf(target)));
}

FileReplacementSeams& FileReplacementSeamsForTests() {
    static FileReplacementSeams seams;
    return seams;
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

QDateTime FileModificationTime(const QString& path) {
    struct stat st {};
    if (!UsablePath(path) || ::stat(SystemPathBytes(path).constData(), &st) != 0) return {};
    return QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 +
                                          st.st_mtim.tv_nsec / 1000000);
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
    // A name the system does not take (too long, a file where a folder is
    // named) fails here, not only when the new file is put in its place.
    if (!exists && errno != ENOENT) return Fail(IoOutcome::kOpen, errno);
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
    int err = 0;
    const int fd = CreateLockedTemporary(target_, temp_, err);
    if (fd < 0) {
        // A folder that takes no new file still lets an existing one be
        // overwritten.
        if (exists) return PrepareInPlace();
        return Fail(IoOutcome::kOpen, err);
    }
    if (exists) {
        // The file keeps its owner and group, or it is not replaced at all.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            ::unlink(temp_.constData());
            ::close(fd);
            return PrepareInPlace();
        }
        (void)::fchmod(fd, st.st_mode & 07777);
    }

    err = WriteAllBytes(fd, data);
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
            const int err = WriteAllBytes(fd_, data_);
            if (err != 0) result = Fail(IoOutcome::kWrite, err);
            break;
        }
        case kInPlace: {
            int err = WriteAllBytes(fd_, data_, 0);
            if (err == 0 && ::ftruncate(fd_, off_t(data_.size())) != 0) err = errno;
            if (err == 0 && ::fsync(fd_) != 0 && errno != EINVAL) err = errno;
            if (err != 0) {
                // The old bytes fit where they were; put them back and cut the file to their
                // length. Should the cut fail, the file holds the old bytes followed by the end
                // of the new, longer ones. Either way the save fails with the error that
                // stopped the write, the cause the user can act on.
                const bool putBack = hasOld_ && WriteAllBytes(fd_, old_, 0) == 0 &&
                                     ::ftruncate(fd_, off_t(old_.size())) == 0;
                // Without the old bytes in memory, or when putting them back failed too, the
                // file is left as the failed write left it.
                (void)putBack;
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

IoOutcome CheckReplaceable(const QString& path, qint64 size) {
    FileReplacement probe;
    const IoOutcome prepared = probe.Prepare(path, QByteArray(qMax<qint64>(size, 0), '\0'));
    probe.Discard();
    return prepared;
}

IoOutcome WriteNewFile(const QByteArray& name, const QByteArray& data) {
    if (name.isEmpty() || name.contains('\0')) return Fail(IoOutcome::kOpen, ENOENT);
    const int fd =
        OpenRetrying(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return Fail(IoOutcome::kOpen, errno);
    int err = WriteAllBytes(fd, data);
    if (err == 0 && ::fsync(fd) != 0 && errno != EINVAL) err = errno;
    if (::close(fd) != 0 && err == 0 && errno != EINTR) err = errno;
    if (err != 0) {
        ::unlink(name.constData());
        return Fail(IoOutcome::kWrite, err);
    }
    return {};
}

}  // namespace kelvarn

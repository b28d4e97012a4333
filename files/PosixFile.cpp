#include "files/PosixFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>

namespace kelvarn {

namespace {

bool UsablePath(const QString& path) {
    return !path.isEmpty() && !path.contains(QChar(0));
}

IoOutcome Fail(IoOutcome::Stage stage, int err) {
    return {stage, err};
}

// Writes all of data; a write that makes no progress counts as a full disk.
int WriteAll(int fd, const QByteArray& data) {
    const char* p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC;
        p += n;
        left -= n;
    }
    return 0;
}

// Devices and pipes cannot be swapped for a new file; they get the bytes
// straight away.
IoOutcome WriteDirect(const QByteArray& name, const QByteArray& data) {
    const int fd = ::open(name.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return Fail(IoOutcome::kOpen, errno);
    const int err = WriteAll(fd, data);
    const int closeErr = ::close(fd) == 0 ? 0 : errno;
    if (err != 0) return Fail(IoOutcome::kWrite, err);
    if (closeErr != 0) return Fail(IoOutcome::kWrite, closeErr);
    return {};
}

}  // namespace

IoOutcome ReadFileBytes(const QString& path, qint64 maxBytes, QByteArray& out) {
    out.clear();
    if (!UsablePath(path)) return Fail(IoOutcome::kOpen, ENOENT);
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return Fail(IoOutcome::kOpen, errno);

    char buf[65536];
    IoOutcome result;
    while (maxBytes < 0 || out.size() < maxBytes) {
        const qint64 want =
            maxBytes < 0 ? qint64(sizeof buf) : qMin<qint64>(sizeof buf, maxBytes - out.size());
        const ssize_t n = ::read(fd, buf, size_t(want));
        if (n < 0) {
            if (errno == EINTR) continue;
            result = Fail(IoOutcome::kRead, errno);
            break;
        }
        if (n == 0) break;
        out.append(buf, n);
    }
    ::close(fd);
    return result;
}

IoOutcome ReplaceFileContents(const QString& path, const QByteArray& data) {
    if (!UsablePath(path)) return Fail(IoOutcome::kOpen, ENOENT);

    // Write through a link to the file it names, as a plain overwrite would.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink()) target = info.symLinkTarget();
    const QByteArray targetName = QFile::encodeName(target);

    struct stat st {};
    const bool exists = ::stat(targetName.constData(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) return Fail(IoOutcome::kOpen, EISDIR);
        if (!S_ISREG(st.st_mode)) return WriteDirect(targetName, data);
        // A file the user may not overwrite is refused as before, not
        // silently swapped for a new one.
        const int probe = ::open(targetName.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (probe < 0) return Fail(IoOutcome::kOpen, errno);
        ::close(probe);
    }

    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.path();
    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        const QString suffix =
            QString::number(QRandomGenerator::global()->generate() & 0xFFFFFF, 16);
        tempName = QFile::encodeName(folder + QLatin1String("/.") + targetInfo.fileName() +
                                     QLatin1String(".~") + suffix);
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST && errno != EINTR) return Fail(IoOutcome::kOpen, errno);
    }
    if (fd < 0) return Fail(IoOutcome::kOpen, EEXIST);

    if (exists) {
        (void)::fchmod(fd, st.st_mode & 07777);
        (void)::fchown(fd, st.st_uid, st.st_gid);
    }

    int err = WriteAll(fd, data);
    if (err == 0 && ::fsync(fd) != 0 && errno != EINVAL) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) {
        ::unlink(tempName.constData());
        return Fail(IoOutcome::kWrite, err);
    }
    if (::rename(tempName.constData(), targetName.constData()) != 0) {
        err = errno;
        ::unlink(tempName.constData());
        return Fail(IoOutcome::kReplace, err);
    }
    // Make the new name durable too; a folder that refuses is no failure.
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

}  // namespace kelvarn

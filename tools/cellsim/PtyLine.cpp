#include "tools/cellsim/PtyLine.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

namespace kelvarn {

PtyLine::~PtyLine() {
    HangUp();
}

bool PtyLine::Open(const QString& linkPath, QString* error) {
    auto fail = [&](const QString& what) {
        if (error) *error = what + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(errno));
        HangUp();
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return fail(QStringLiteral("posix_openpt"));
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) return fail(QStringLiteral("grantpt"));
    const char* name = ptsname(master_);
    if (!name) return fail(QStringLiteral("ptsname"));
    terminal_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) return fail(QStringLiteral("open ") + terminal_);

    // Raw bytes both ways: no echo, no line editing, no CR/LF games.
    termios tio{};
    if (tcgetattr(slave_, &tio) != 0) return fail(QStringLiteral("tcgetattr"));
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetspeed(&tio, B9600);
    if (tcsetattr(slave_, TCSANOW, &tio) != 0) return fail(QStringLiteral("tcsetattr"));
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

    const QByteArray link = QFile::encodeName(linkPath);
    struct stat st {};
    if (lstat(link.constData(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            errno = EEXIST;
            return fail(QStringLiteral("Link kann nicht angelegt werden: ") + linkPath);
        }
        ::unlink(link.constData());
    }
    if (::symlink(name, link.constData()) != 0)
        return fail(QStringLiteral("Link kann nicht angelegt werden: ") + linkPath);
    link_ = linkPath;
    return true;
}

void PtyLine::HangUp() {
    if (!link_.isEmpty()) {
        // Only our own link goes: someone may have put another in its place.
        const QByteArray link = QFile::encodeName(link_);
        char target[4096];
        const ssize_t n = readlink(link.constData(), target, sizeof target - 1);
        if (n > 0 && QString::fromLocal8Bit(target, int(n)) == terminal_)
            ::unlink(link.constData());
        link_.clear();
    }
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
}

int PtyLine::Baud() const {
    termios tio{};
    // On Linux the master end reports the terminal end's settings.
    if (master_ < 0 || tcgetattr(master_, &tio) != 0) return 0;
    switch (cfgetospeed(&tio)) {
        case B1200: return 1200;
        case B2400: return 2400;
        case B4800: return 4800;
        case B9600: return 9600;
        case B19200: return 19200;
        case B38400: return 38400;
        case B57600: return 57600;
        case B115200: return 115200;
        default: return 0;
    }
}

}  // namespace kelvarn

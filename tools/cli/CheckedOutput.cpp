#include "CheckedOutput.h"

#include <unistd.h>

#include <cerrno>

#include "files/CommandResult.h"
#include "files/FileErrors.h"

namespace kelvarn {

int WriteAllChecked(int fd, const QByteArray& data) {
    const char* p = data.constData();
    qsizetype left = data.size();
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

int DeliverOutput(int exitCode, const QByteArray& out, const QByteArray& err) {
    // A script that reads our output must not take a cut-off table for a
    // whole one.
    const int outError = WriteAllChecked(STDOUT_FILENO, out);
    QByteArray messages = err;
    if (outError != 0) {
        messages += "kelvarn-cli: " +
                    WithFullStop(QStringLiteral("Die Ausgabe konnte nicht geschrieben werden: ") +
                                 SystemErrorText(outError))
                        .toUtf8() +
                    '\n';
        if (exitCode == 0) exitCode = 1;
    }
    (void)WriteAllChecked(STDERR_FILENO, messages);
    return exitCode;
}

}  // namespace kelvarn

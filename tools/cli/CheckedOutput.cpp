#include "CheckedOutput.h"

#include <unistd.h>

#include "files/CommandResult.h"
#include "files/FileErrors.h"
#include "files/PosixFile.h"

namespace kelvarn {

int DeliverOutput(int exitCode, const QByteArray& out, const QByteArray& err) {
    // A script that reads our output must not take a cut-off table for a
    // whole one.
    const int outError = WriteAllBytes(STDOUT_FILENO, out);
    QByteArray messages = err;
    if (outError != 0) {
        messages += "kelvarn-cli: " +
                    WithFullStop(QStringLiteral("Die Ausgabe konnte nicht geschrieben werden: ") +
                                 SystemErrorText(outError))
                        .toUtf8() +
                    '\n';
        if (exitCode == 0) exitCode = 1;
    }
    (void)WriteAllBytes(STDERR_FILENO, messages);
    return exitCode;
}

}  // namespace kelvarn

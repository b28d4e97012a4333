#pragma once

#include <QByteArray>

namespace kelvarn {

// Writes a command's output and messages to standard output and standard
// error and gives the exit code: the command's own, or 1 when its output was
// lost, with a message on standard error.
int DeliverOutput(int exitCode, const QByteArray& out, const QByteArray& err);

}  // namespace kelvarn

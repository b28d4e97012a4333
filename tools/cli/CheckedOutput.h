#pragma once

#include <QByteArray>

namespace kelvarn {

// Writes all of data to the descriptor fd; 0 when every byte was taken, else
// the error of the write that failed or came up short (ENOSPC for a write
// that took nothing).
int WriteAllChecked(int fd, const QByteArray& data);

// Writes a command's output and messages to standard output and standard
// error and gives the exit code: the command's own, or 1 when its output was
// lost, with a message on standard error.
int DeliverOutput(int exitCode, const QByteArray& out, const QByteArray& err);

}  // namespace kelvarn

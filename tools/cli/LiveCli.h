#pragma once

#include <QStringList>

#include "CliCommands.h"

namespace kelvarn {

// live PORT [--program X] [--format csv|tsv] [--restart]: starts program X
// (A when not given) from the PC as "&Start" does and writes one line per
// level to stdout as it arrives (time in the program's unit, level in
// dB(A)), until the program's samples are in, Ctrl+C, or the cell falls
// silent. With --restart a finished measurement starts again, as the
// automatic restart does. A count of what arrived goes to stderr.
CliOutcome RunLive(const QStringList& args);

}  // namespace kelvarn

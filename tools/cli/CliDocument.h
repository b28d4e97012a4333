#pragma once

#include <QString>

#include "CliCommands.h"
#include "document/MeasurementDocument.h"

namespace kelvarn {

// Opens the measurement file at path for a command as "&Öffnen ..." opens it in the window:
// with its remarks file under any of the names the window finds, and its protocol file, whose
// view numbers in the user's locale without LeQ curves on the level charts (as right after the
// start). false on a failure of the measurement (or of its remarks, where the description is
// wanted), with its text added to o's errors and o's exit code 1. Commands that show no
// description (every one but report) pass withoutDescription: a remarks file that cannot be
// read is then named on stderr and the command goes on. A protocol that cannot be read leaves
// opened.protocol kUnreadable; the command decides.
bool OpenForCli(const QString& path, MeasurementDocument& doc, DocumentOpen& opened, CliOutcome& o,
                bool withoutDescription = true);

}  // namespace kelvarn

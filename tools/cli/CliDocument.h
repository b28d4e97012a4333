#pragma once

#include <QString>

#include "CliCommands.h"
#include "document/MeasurementDocument.h"

namespace kelvarn {

// Opens the measurement file at path for a command as "&Öffnen ..." opens it in the window:
// with its remarks file under any of the names the window finds, and its protocol file, whose
// view numbers in the user's locale without LeQ curves on the level charts (as right after the
// start). false on a failure of the measurement or its remarks, with o set to end with code 1.
// A protocol that cannot be read leaves opened.protocol kUnreadable; the command decides.
bool OpenForCli(const QString& path, MeasurementDocument& doc, DocumentOpen& opened, CliOutcome& o);

}  // namespace kelvarn

#pragma once

#include <QString>

#include "files/FileResult.h"
#include "files/RichText.h"

namespace kelvarn {

// Whether a remarks file is there to load: an entry of that name that is not
// a folder. Without one, opening keeps the description as it is.
bool RemarksFileExists(const QString& path);

// Loads a remarks file (RTF, or plain text when it is not RTF). out is
// replaced only on success. Messages: "Datei <path> kann nicht geöffnet
// werden. <system text>" when it cannot be opened, "Das Laden des Streams ist
// misslungen" when it cannot be read.
FileResult LoadRemarks(const QString& path, RichText& out);

// Writes text as RTF, replacing any file of that name only once the new one
// is complete. Messages: "Datei "<path>" kann nicht erstellt werden. <system
// text>" when it cannot be created, "Das Speichern des Streams ist
// misslungen" when writing it fails.
FileResult SaveRemarks(const QString& path, const RichText& text);

}  // namespace kelvarn

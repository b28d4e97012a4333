#pragma once

#include <QString>

#include "files/CommandResult.h"
#include "files/PosixFile.h"
#include "files/RichText.h"

namespace kelvarn {

// No description comes near this size; a larger file is not read as one.
constexpr qint64 kMaxRemarksBytes = 16 * 1024 * 1024;

// Whether a remarks file is there to load: an entry of that name that is not
// a folder.
bool RemarksFileExists(const QString& path);

// Loads a remarks file (RTF, or plain text when it is not RTF). out is
// replaced only on success. Messages: "Datei <path> kann nicht geöffnet
// werden. <system text>" when it cannot be opened (also when it is a pipe or
// another special file), "Das Laden des Streams ist misslungen" when it
// cannot be read or is larger than kMaxRemarksBytes, with the reason. Every
// failure names the file (CommandResult::file).
CommandResult LoadRemarks(const QString& path, RichText& out);

// Writes text as RTF, replacing any file of that name only once the new one
// is complete. Messages: "Datei "<path>" kann nicht erstellt werden. <system
// text>" when it cannot be created, "Das Speichern des Streams ist
// misslungen" when writing it fails.
CommandResult SaveRemarks(const QString& path, const RichText& text);

// The message SaveRemarks gives for io at path.
CommandResult RemarksSaveResult(const QString& path, const IoOutcome& io);

}  // namespace kelvarn

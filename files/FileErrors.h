#pragma once

#include <QString>

namespace kelvarn {

// The message for an operating-system error code (errno) met while opening,
// reading, writing or closing a measurement file at path: the classic file
// messages where one fits, else "E/A-Fehler n".
QString OsErrorMessage(int err, const QString& path);

// The system's own text for an error code, as used in the remarks messages.
QString SystemErrorText(int err);

extern const char* const kMsgFileNotFound;     // "Datei nicht gefunden"
extern const char* const kMsgInvalidFileName;  // "Ungültiger Dateiname"
extern const char* const kMsgTooManyFiles;     // "Zu viele geöffnete Dateien"
extern const char* const kMsgAccessDenied;     // "Dateizugriff verweigert"
extern const char* const kMsgReadPastEnd;      // "Versuch hinter dem Dateiende zu lesen"
extern const char* const kMsgDiskFull;         // "Zu wenig Speicherplatz"

}  // namespace kelvarn

#pragma once

#include <QByteArray>
#include <QString>

namespace kelvarn {

// File names are bytes to the system, and not every byte string is valid
// UTF-8. Such names still reach the program intact: each byte that is not
// part of valid UTF-8 is carried in the text as one lone surrogate
// U+DC80..U+DCFF and becomes that byte again on the way back.

// The text for a name the system gave as bytes (from a command line, a
// folder listing or a resolved link).
QString PathFromSystem(const QByteArray& bytes);

// The bytes that name path to the system. A name whose unreadable bytes were
// already replaced by U+FFFD (as a file dialog shows them) is matched against
// the entries of its folder, so the file the user picked is found.
QByteArray SystemPathBytes(const QString& path);

// The same name in the form PathFromSystem gives, with every such
// replacement resolved; remarks names built from it match the disk's bytes.
QString SystemPath(const QString& path);

// The name for messages and titles: carried bytes shown as U+FFFD.
QString DisplayPath(const QString& path);

// A name typed in a save dialog without an extension gets the dialog's ("x" -> "x.dba"); a
// name with one, or ending in ".", is kept as typed.
QString WithExtension(const QString& path, const QString& extension);

// Whether u carries a byte (U+DC80..U+DCFF).
bool IsCarriedByte(char16_t u);

// A text as UTF-8 with every carried byte as the byte itself: a name as the
// system knows it, for output that takes any bytes (a line on the terminal, a
// TSV or CSV table), so a script finds the file again by what it read.
QByteArray Utf8WithCarriedBytes(const QString& text);

}  // namespace kelvarn

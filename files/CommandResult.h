#pragma once

#include <QString>

namespace kelvarn {

// How a command the user gave ended: opening, saving, exporting, copying,
// printing. The message is shown in a stop-sign box (or on stderr) with a
// full stop added (WithFullStop), so it is kept without one here. A result
// is never dropped unlooked-at.
struct [[nodiscard]] CommandResult {
    bool ok = true;
    QString message;
    // The file a failure concerns, as a full path for messages, and why, where the message
    // alone does not say; both empty for failures of no file.
    QString file;
    QString reason;

    static CommandResult Success() { return {}; }
    static CommandResult Failure(const QString& msg) { return {false, msg, {}, {}}; }
};

// A failure concerning the file at path (made absolute for the message; an empty path names no
// file).
CommandResult FileFailure(const QString& path, const QString& msg, const QString& reason = {});

// Adds "." unless the text already ends in "." or in a character that sorts
// before it ("!", a blank, ...). An empty text stays empty.
QString WithFullStop(const QString& msg);

// The text a failure is shown with: the message with its full stop, then for a file a second
// line with its full path, followed by ": " and the reason where there is one. Without a file
// it is the message with its full stop alone.
QString MessageText(const CommandResult& r);

}  // namespace kelvarn

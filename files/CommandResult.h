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

    static CommandResult Success() { return {}; }
    static CommandResult Failure(const QString& msg) { return {false, msg}; }
};

// Adds "." unless the text already ends in "." or in a character that sorts
// before it ("!", a blank, ...). An empty text stays empty.
QString WithFullStop(const QString& msg);

}  // namespace kelvarn

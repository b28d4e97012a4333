#pragma once

#include <QString>

namespace kelvarn {

// Outcome of a file command. The message is shown in a stop-sign box with
// a full stop added (WithFullStop), so it is kept without one here.
struct FileResult {
    bool ok = true;
    QString message;

    static FileResult Success() { return {}; }
    static FileResult Failure(const QString& msg) { return {false, msg}; }
};

// Adds "." unless the text already ends in "." or in a character that sorts
// before it ("!", a blank, ...). An empty text stays empty.
QString WithFullStop(const QString& msg);

}  // namespace kelvarn

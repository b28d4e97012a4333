#pragma once

#include <QString>

namespace kelvarn {

// Outcome of a copy or print command. The message goes into a stop-sign box
// with a full stop added, so it is kept without one here.
struct OutputResult {
    bool ok = true;
    QString message;

    static OutputResult Success() { return {}; }
    static OutputResult Failure(const QString& msg) { return {false, msg}; }
};

}  // namespace kelvarn

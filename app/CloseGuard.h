#pragma once

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
#include "files/RichText.h"

class QTextDocument;

namespace kelvarn {

// Knows what is on disk: the record and the description as they stood at
// the last open or save (or at start-up). Whatever differs from that would
// be lost by ending the program.
class CloseGuard {
public:
    CloseGuard(const MeasurementRecord& record, const QTextDocument& description,
               const MeasurementProtocol& protocol);

    // The record and description as they stand now are kept in files, and the protocol too
    // unless withProtocol is false (its file was left as it was).
    void MarkKept(bool withProtocol = true);
    // A record from a read-out or a take-over that was never saved, or a
    // description or protocol changed since the last open or save.
    bool HasUnsavedWork() const;

    // The user agreed to end; the close box does not ask a second time.
    void SetEnding() { ending_ = true; }
    bool Ending() const { return ending_; }

private:
    const MeasurementRecord& record_;
    const QTextDocument& description_;
    const MeasurementProtocol& protocol_;
    MeasurementRecord keptRecord_;
    RichText keptDescription_;
    MeasurementProtocol keptProtocol_;
    bool ending_ = false;
};

}  // namespace kelvarn

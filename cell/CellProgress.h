#pragma once

#include <QString>

namespace kelvarn {

// What a cell command reports while it runs. The protocol never touches a
// control: the window (or the command-line companion) decides where status
// texts and progress go. Every method does nothing unless overridden.
class CellProgress {
public:
    virtual ~CellProgress() = default;

    // One status-line text; each replaces the whole line (" OK.", " Fehler.").
    virtual void Status(const QString& text) { (void)text; }
    // Range and position of the progress of a read pass, an upload or a
    // search.
    virtual void ProgressMax(int max) { (void)max; }
    virtual void ProgressPosition(int position) { (void)position; }
    // Whether the person asked the command to stop: it then ends between
    // two exchanges, keeping what arrived.
    virtual bool Cancelled() const { return false; }
};

}  // namespace kelvarn

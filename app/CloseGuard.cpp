// Ending the program without losing work: "&Beenden" and the close box ask
// before a record or a description that is not in any file goes.
#include <QApplication>
#include <QCloseEvent>

#include "app/TForm1.h"

namespace kelvarn {

bool TForm1::MayClose() {
    if (ending_) return true;
    // A live measurement ends with the window: asked as before any command that ends it. It
    // goes on until the window really closes (the save question may still keep it open).
    if (cell_.LiveRunning() && !cell_.AskEndLive()) return false;
    return MayReplaceWork();
}

bool TForm1::MayReplaceWork() {
    SyncDescription();
    if (!document_.IsModified()) return true;
    switch (seams_->AskSaveChanges(this, QStringLiteral("Änderungen speichern?"))) {
        case Seams::SaveAnswer::Yes:
            // The save command marks what it wrote; a cancelled dialog or a
            // failed save leaves the work unsaved and the window open.
            Speichern1Click();
            return !document_.IsModified();
        case Seams::SaveAnswer::No: return true;
        case Seams::SaveAnswer::Cancel: break;
    }
    return false;
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A command to the cell is cancelled first; the window closes after its
    // end, asking then about what it kept.
    if (cell_.DeferClose(false)) {
        event->ignore();
        return;
    }
    if (!MayClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

void TForm1::Beenden1Click() {
    if (cell_.DeferClose(true)) return;
    if (!MayClose()) return;
    ending_ = true;
    QApplication::exit(0);
    close();
}

}  // namespace kelvarn

// Ending the program without losing work: "&Beenden" and the close box ask
// before a record or a description that is not in any file goes.
#include "app/CloseGuard.h"

#include <QApplication>
#include <QCloseEvent>

#include "app/TForm1.h"
#include "widgets/RichTextDocument.h"

namespace kelvarn {

CloseGuard::CloseGuard(const MeasurementRecord& record, const QTextDocument& description,
                       const MeasurementProtocol& protocol)
    : record_(record), description_(description), protocol_(protocol) {
    MarkKept();
}

void CloseGuard::MarkKept(bool withProtocol) {
    keptRecord_ = record_;
    keptDescription_ = FromDocument(description_);
    if (withProtocol) keptProtocol_ = protocol_;
}

bool CloseGuard::HasUnsavedWork() const {
    // Compared by content: a record read out again with the same bytes, or
    // a description typed back to what it was, loses nothing.
    return !(record_ == keptRecord_) || !(protocol_ == keptProtocol_) ||
           !(FromDocument(description_) == keptDescription_);
}

bool TForm1::MayClose() {
    if (closeGuard_->Ending()) return true;
    return MayReplaceWork();
}

bool TForm1::MayReplaceWork() {
    if (!closeGuard_->HasUnsavedWork()) return true;
    switch (seams_->AskSaveChanges(this, QStringLiteral("Änderungen speichern?"))) {
        case Seams::SaveAnswer::Yes:
            // The save command marks what it wrote; a cancelled dialog or a
            // failed save leaves the work unsaved and the window open.
            Speichern1Click();
            return !closeGuard_->HasUnsavedWork();
        case Seams::SaveAnswer::No: return true;
        case Seams::SaveAnswer::Cancel: break;
    }
    return false;
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A command to the cell is cancelled first; the window closes after its
    // end, asking then about what it kept.
    if (DeferWhileBusy(false)) {
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
    if (DeferWhileBusy(true)) return;
    if (!MayClose()) return;
    closeGuard_->SetEnding();
    QApplication::exit(0);
    close();
}

}  // namespace kelvarn

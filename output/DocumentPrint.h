#pragma once

#include "files/CommandResult.h"

class QTextDocument;
class QWidget;

namespace kelvarn {

class PrinterSource;

// "Drucken (Druck)": an image of the window's client area (everything below
// its menu bar, as it looks now) on one page of the default printer, from
// the page's top left corner, at the physical size it has on screen. The
// orientation stays as it is; the job has no name of its own.
CommandResult PrintWindowImage(QWidget& window, PrinterSource& printers);

// "Beschreibung Drucken": the rich text as the document "Beschreibung",
// over the full printable width and height of the page and on as many
// pages as it needs. The orientation stays as it is.
CommandResult PrintDescription(const QTextDocument& text, PrinterSource& printers);

inline const QString kDescriptionJob = QStringLiteral("Beschreibung");

}  // namespace kelvarn

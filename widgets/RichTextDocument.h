#pragma once

#include <QTextDocument>

#include "files/RichText.h"

namespace kelvarn {

// The description field's document as the small rich-text model the remarks
// file is written from: one paragraph per block, one run per stretch of
// equal bold/italic/underline/size/colour. Sizes and colours the document
// leaves to its defaults stay 0 and -1.
RichText FromDocument(const QTextDocument& doc);

// Replaces the whole content of doc by text.
void ToDocument(const RichText& text, QTextDocument& doc);

}  // namespace kelvarn

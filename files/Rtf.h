#pragma once

#include <QByteArray>

#include "files/RichText.h"

namespace kelvarn {

// RTF as a rich-edit field writes it: paragraphs, bold, italic, underline,
// font size (\fsN in half points) and colour (\colortbl). Characters outside
// ASCII are written as \uN with "?" for readers that do not know \u.
QByteArray WriteRtf(const RichText& text);

// Reads RTF text and the attributes above, skipping every destination it
// does not know. Input that is not RTF is taken as plain text (UTF-8 when it
// is valid UTF-8, else code page 1252). The paragraph mark that ends the last
// paragraph opens no new, empty paragraph.
RichText ReadRtf(const QByteArray& data);

// Whether data starts like an RTF document ("{\rtf").
bool LooksLikeRtf(const QByteArray& data);

}  // namespace kelvarn

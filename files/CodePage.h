#pragma once

#include <QByteArray>
#include <QString>

namespace kelvarn {

// Decodes bytes of a Windows/DOS code page. 1252, 1250, 437 and 850 are
// built in; others are tried through Qt's converters; what neither knows is
// read as 1252.
QString DecodeCodePage(const QByteArray& bytes, int codePage);

// The code page that an RTF font charset (\fcharsetN) implies, 0 for none.
int CodePageForCharset(int charset);

}  // namespace kelvarn

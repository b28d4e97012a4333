#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

class QMainWindow;
class QTabWidget;

namespace kelvarn {

// The letter that "&" marks in a caption, in lower case; a null QChar when
// the caption marks none ("&&" is a plain ampersand).
QChar AltLetter(const QString& caption);

// Letters that two controls claim on one screen. A screen is one page of
// the window's top-level tabs together with the menu bar and the tabs
// themselves (and every tab of the page's own tab sets, also a hidden one),
// or one menu with its entries. Each clash reads
// "screen: letter: caption, caption".
QStringList AltLetterClashes(const QMainWindow& window, const QTabWidget& pages);

}  // namespace kelvarn

#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace kelvarn {

// The client area of a window that wants the size wanted and whose frame
// (title bar and borders) adds frame, placed in the middle of the free area
// of a screen: shrunk where it would not fit, so title bar and menu stay
// within reach at any scale.
QRect PlaceInside(const QSize& wanted, const QMargins& frame, const QRect& available);

// Places window by PlaceInside on the free area of its screen, lowering its
// smallest size where the screen is smaller; once it is shown, places it
// again with the frame the window manager gave it.
void PlaceOnScreen(QWidget& window);

// The same on a given free area with a given frame.
void PlaceWindow(QWidget& window, const QRect& available, const QMargins& frame);

}  // namespace kelvarn

#pragma once

#include <QColor>

class QWidget;

namespace kelvarn {

// wanted where it stands apart from background in lightness; else the same
// hue moved to a lightness that does, so a colour chosen for a light
// desktop stays readable on a dark one.
QColor ReadableOn(const QColor& wanted, const QColor& background);

// Keeps the text of w in wanted, or in its readable variant on the
// background w has now, also after the desktop's palette changes.
void KeepTextReadable(QWidget* w, const QColor& wanted);

// For a control that stands on a white chart rather than on the window:
// black on white whatever the desktop's colours.
void KeepBlackOnWhite(QWidget* w);

}  // namespace kelvarn

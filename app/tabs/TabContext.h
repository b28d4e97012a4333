#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace kelvarn {

class MeasurementDocument;
class Seams;

// What a tab reaches of the window around it: the document it shows and edits, the seams its
// questions go through, the window as their parent, and the status line.
struct TabContext {
    MeasurementDocument& document;
    Seams& seams;
    QWidget* window = nullptr;
    std::function<void(const QString&)> setStatus;
    std::function<QString()> statusText;
};

}  // namespace kelvarn

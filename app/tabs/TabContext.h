#pragma once

#include <QString>
#include <QWidget>
#include <functional>

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

// An empty page of a tab control, found by its object name.
inline QWidget* NamedPage(const char* name) {
    auto* w = new QWidget;
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace kelvarn

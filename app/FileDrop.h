#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QMimeData;
class QWidget;

namespace kelvarn {

// Lets a measurement file dragged from a file manager be dropped anywhere on
// a window, the description and other text fields included: the file opens
// as "&Öffnen ..." opens it, instead of its address being pasted as text.
// Other files are refused; drags without files (text) go on as before.
class FileDropFilter : public QObject {
public:
    // Watches window and every widget in it; owned by window.
    FileDropFilter(QWidget* window, std::function<void(const QString&)> open);

    // The first measurement file (.dba or .dat, any case) among the local
    // files of a drag; empty when there is none.
    static QString MeasurementFile(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<void(const QString&)> open_;
};

}  // namespace kelvarn

#include "app/FileDrop.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace kelvarn {

namespace {

bool CarriesFiles(const QMimeData* data) {
    if (!data || !data->hasUrls()) return false;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return true;
    return false;
}

}  // namespace

FileDropFilter::FileDropFilter(QWidget* window, std::function<void(const QString&)> open)
    : QObject(window), window_(window), open_(std::move(open)) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    // Widgets that take drops themselves (the description, edit fields) see
    // a drag before the window does.
    for (QWidget* w : window->findChildren<QWidget*>()) w->installEventFilter(this);
}

QString FileDropFilter::MeasurementFile(const QMimeData* data) {
    if (!CarriesFiles(data)) return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QString suffix = QFileInfo(url.toLocalFile()).suffix().toLower();
        if (suffix == QLatin1String("dba") || suffix == QLatin1String("dat"))
            return url.toLocalFile();
    }
    return {};
}

bool FileDropFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);  // the drag events derive from it
    if (!CarriesFiles(drop->mimeData())) return QObject::eventFilter(watched, event);

    const QString file = MeasurementFile(drop->mimeData());
    if (file.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        // Not inside the drag's own event handling: opening may ask or warn.
        QTimer::singleShot(0, window_, [open = open_, file] { open(file); });
    }
    return true;
}

}  // namespace kelvarn

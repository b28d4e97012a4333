#include "output/ClipboardSink.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace kelvarn {

bool SystemClipboard::Put(std::unique_ptr<QMimeData> data) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || !data) return false;
    const QString format = data->formats().value(0);
    QMimeData* given = data.release();  // the clipboard owns it from here
    clipboard->setMimeData(given);
    // Qt reports no failure of its own: when another program kept the
    // clipboard, what it offers now is not what was just put there.
    const QMimeData* now = clipboard->mimeData();
    return now && (now == given || now->hasFormat(format));
}

}  // namespace kelvarn

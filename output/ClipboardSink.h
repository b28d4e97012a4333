#pragma once

#include <QString>
#include <memory>

class QMimeData;

namespace kelvarn {

// Shown when the clipboard does not take what is copied.
inline const QString kClipboardBusy = QStringLiteral("Zwischenablage kann nicht geöffnet werden");

// Where copies go. The window uses the desktop's clipboard; tests put one in
// that refuses, as the clipboard does while another program holds it open.
class ClipboardSink {
public:
    virtual ~ClipboardSink() = default;
    // Hands the data over; false when the clipboard could not be opened.
    virtual bool Put(std::unique_ptr<QMimeData> data) = 0;
};

// The desktop's clipboard.
class SystemClipboard : public ClipboardSink {
public:
    bool Put(std::unique_ptr<QMimeData> data) override;
};

}  // namespace kelvarn

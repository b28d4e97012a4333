#include "app/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace kelvarn {

namespace {

// The frame before the window manager has drawn one: a title bar and thin
// borders.
QMargins GuessedFrame(const QWidget& window) {
    // Platforms without a window manager draw no frame.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return {};
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return {4, title + 8, 4, 4};
}

QRect FreeArea(const QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// Once shown, the frame is known: a window that reaches past the free area
// is placed again with its real frame.
class PlaceAgainWhenShown : public QObject {
public:
    explicit PlaceAgainWhenShown(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            // The frame arrives from the window manager a little after.
            QTimer::singleShot(150, this, [this] {
                const QRect free = FreeArea(window_);
                const QRect outer = window_.frameGeometry();
                if (!free.isEmpty() && !free.contains(outer)) {
                    const QRect inner = window_.geometry();
                    PlaceWindow(
                        window_, free,
                        QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                                 outer.right() - inner.right(), outer.bottom() - inner.bottom()));
                }
                deleteLater();
            });
            window_.removeEventFilter(this);
        }
        return false;
    }

private:
    QWidget& window_;
};

}  // namespace

QRect PlaceInside(const QSize& wanted, const QMargins& frame, const QRect& available) {
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    const QSize size = wanted.boundedTo(room).expandedTo(QSize(1, 1));
    const int outerWidth = size.width() + frame.left() + frame.right();
    const int outerHeight = size.height() + frame.top() + frame.bottom();
    const int x = available.left() + std::max(0, (available.width() - outerWidth) / 2);
    const int y = available.top() + std::max(0, (available.height() - outerHeight) / 2);
    return {QPoint(x + frame.left(), y + frame.top()), size};
}

void PlaceWindow(QWidget& window, const QRect& available, const QMargins& frame) {
    if (available.isEmpty()) return;
    const QRect place = PlaceInside(window.size(), frame, available);
    window.setMinimumSize(window.minimumSize().boundedTo(place.size()));
    window.resize(place.size());
    window.move(place.topLeft() - QPoint(frame.left(), frame.top()));
}

void PlaceOnScreen(QWidget& window) {
    PlaceWindow(window, FreeArea(window), GuessedFrame(window));
    new PlaceAgainWhenShown(window);
}

}  // namespace kelvarn

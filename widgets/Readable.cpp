#include "widgets/Readable.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

namespace kelvarn {

namespace {

// Lightness apart (0 to 255) that text needs on its background, and the
// distance a colour is moved to when it has less (saturated blue looks
// darker than its lightness says).
constexpr int kApart = 110;
constexpr int kMoveTo = 150;

class TextColourKeeper : public QObject {
public:
    TextColourKeeper(QWidget* w, const QColor& wanted) : QObject(w), w_(w), wanted_(wanted) {
        w->installEventFilter(this);
        Apply();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange ||
            event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::Polish)
            Apply();
        return false;
    }

private:
    void Apply() {
        QPalette pal = w_->palette();
        const QColor text = ReadableOn(wanted_, pal.color(w_->backgroundRole()));
        if (pal.color(QPalette::WindowText) == text) return;
        pal.setColor(QPalette::WindowText, text);
        w_->setPalette(pal);
    }

    QWidget* w_;
    QColor wanted_;
};

}  // namespace

QColor ReadableOn(const QColor& wanted, const QColor& background) {
    const int bg = background.lightness();
    if (std::abs(wanted.lightness() - bg) >= kApart) return wanted;
    const int h = wanted.hslHue(), s = wanted.hslSaturation();
    const int lighter = bg + kMoveTo, darker = bg - kMoveTo;
    const int l = lighter <= 255 ? lighter : std::max(darker, 0);
    return QColor::fromHsl(h, s, l);
}

void KeepTextReadable(QWidget* w, const QColor& wanted) {
    new TextColourKeeper(w, wanted);
}

void KeepBlackOnWhite(QWidget* w) {
    QPalette pal = w->palette();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, Qt::black);
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        pal.setColor(role, Qt::white);
    w->setPalette(pal);
}

}  // namespace kelvarn

#include "app/WindowReach.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QWheelEvent>

#include "app/TForm1.h"
#include "widgets/Chart.h"
#include "widgets/StringGrid.h"

namespace kelvarn {

namespace {

// Hands the wheel over a small chart to the scrolled panel that holds the
// twelve, so the wheel scrolls them wherever the mouse is.
class WheelToPanel : public QObject {
public:
    WheelToPanel(QAbstractScrollArea* area, QObject* parent) : QObject(parent), area_(area) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel) return false;
        auto* wheel = static_cast<QWheelEvent*>(event);
        auto* from = static_cast<QWidget*>(watched);
        QWidget* to = area_->viewport();
        const QPointF at = to->mapFromGlobal(from->mapToGlobal(wheel->position()));
        QWheelEvent copy(at, wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(),
                         wheel->buttons(), wheel->modifiers(), wheel->phase(), wheel->inverted(),
                         wheel->source(), wheel->pointingDevice());
        QCoreApplication::sendEvent(to, &copy);
        return true;
    }

private:
    QAbstractScrollArea* area_;
};

}  // namespace

void MakeReachable(TForm1& form) {
    const TForm1Controls& c = form.Controls();
    c.N1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    c.Speichern1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    c.Beenden1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    // A tab typed into the description is rarely meant; leaving it is.
    c.RichEdit1->setTabChangesFocus(true);
    c.RichEdit1->setAccessibleName(QStringLiteral("Beschreibung"));

    auto* panelScroll = qobject_cast<QAbstractScrollArea*>(
        c.Panel6->parentWidget() ? c.Panel6->parentWidget()->parentWidget() : nullptr);
    auto* wheel = panelScroll ? new WheelToPanel(panelScroll, &form) : nullptr;
    for (size_t k = 0; k < c.Pegel.size(); ++k) {
        if (wheel) c.Pegel[k]->installEventFilter(wheel);
        c.Pegel[k]->setAccessibleName(
            QStringLiteral("Verteilung in der Übersicht, Messung %1").arg(k + 1));
    }

    // A table is named after the tab it stands on.
    for (QWidget* page :
         {c.TabSheet6, c.TabSheet3, c.TabSheet7, c.TabSheet9, c.TabSheet15, c.TabSheet8}) {
        // The caption as it reads, without the mark of its Alt letter.
        const QString caption =
            c.PageControl2->tabText(c.PageControl2->indexOf(page)).remove(QLatin1Char('&'));
        for (StringGrid* table : page->findChildren<StringGrid*>())
            table->setAccessibleName(QStringLiteral("Tabelle ") + caption);
    }

    c.Panel1->setAccessibleName(QStringLiteral("Pegel in dB(A)"));
    c.LabelMax->setAccessibleName(QStringLiteral("Maximalpegel"));
    c.LabelMin->setAccessibleName(QStringLiteral("Minimalpegel"));
    c.dbabar->setAccessibleName(QStringLiteral("Pegelbalken"));
}

}  // namespace kelvarn

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
    form.Controls().N1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    form.Controls().Speichern1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    form.Controls().Beenden1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    // A tab typed into the description is rarely meant; leaving it is.
    form.Controls().RichEdit1->setTabChangesFocus(true);
    form.Controls().RichEdit1->setAccessibleName(QStringLiteral("Beschreibung"));

    auto* panelScroll = qobject_cast<QAbstractScrollArea*>(
        form.Controls().Panel6->parentWidget()
            ? form.Controls().Panel6->parentWidget()->parentWidget()
            : nullptr);
    auto* wheel = panelScroll ? new WheelToPanel(panelScroll, &form) : nullptr;
    for (size_t k = 0; k < form.Controls().Pegel.size(); ++k) {
        if (wheel) form.Controls().Pegel[k]->installEventFilter(wheel);
        form.Controls().Pegel[k]->setAccessibleName(
            QStringLiteral("Verteilung in der Übersicht, Messung %1").arg(k + 1));
    }

    // A table is named after the tab it stands on.
    for (QWidget* page :
         {form.Controls().TabSheet6, form.Controls().TabSheet3, form.Controls().TabSheet7,
          form.Controls().TabSheet9, form.Controls().TabSheet15, form.Controls().TabSheet8}) {
        // The caption as it reads, without the mark of its Alt letter.
        const QString caption =
            form.Controls()
                .PageControl2->tabText(form.Controls().PageControl2->indexOf(page))
                .remove(QLatin1Char('&'));
        for (StringGrid* table : page->findChildren<StringGrid*>())
            table->setAccessibleName(QStringLiteral("Tabelle ") + caption);
    }

    form.Controls().Panel1->setAccessibleName(QStringLiteral("Pegel in dB(A)"));
    form.Controls().LabelMax->setAccessibleName(QStringLiteral("Maximalpegel"));
    form.Controls().LabelMin->setAccessibleName(QStringLiteral("Minimalpegel"));
    form.Controls().dbabar->setAccessibleName(QStringLiteral("Pegelbalken"));
}

}  // namespace kelvarn

// Reaching every command: context menus by mouse and keyboard, the wheel
// over the small charts, focus and accessible names.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "widgets/Chart.h"
#include "widgets/StringGrid.h"

using namespace kelvarn;

namespace {

// The entries of the popup menu that opens while run() runs; closes it.
QStringList MenuOpenedBy(const std::function<void()>& run) {
    QStringList entries;
    bool seen = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        seen = true;
        for (QAction* a : menu->actions())
            if (!a->isSeparator()) entries << a->text();
        menu->close();
    });
    poll.start();
    run();
    // A menu shown without a loop of its own is open now.
    QTest::qWait(20);
    poll.stop();
    if (!seen) entries << QStringLiteral("(no menu)");
    return entries;
}

class ReachTest : public ::testing::Test {
protected:
    FakeSeams seams;
    TForm1 form{&seams};
    void ShowTwelve() {
        form.resize(800, 596);
        form.show();
        form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet4);
        form.Controls().PageControl2->setTabVisible(
            form.Controls().PageControl2->indexOf(form.Controls().TabSheet8), true);
        form.Controls().PageControl2->setCurrentWidget(form.Controls().TabSheet8);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
};

}  // namespace

// What the window system sends to the widget under the mouse on a right
// click, or to the focused widget on the context-menu key.
QStringList MenuOf(QWidget* w, QContextMenuEvent::Reason reason) {
    const QPoint at = w->rect().center();
    QContextMenuEvent event(reason, at, w->mapToGlobal(at));
    return MenuOpenedBy([&] { QApplication::sendEvent(w, &event); });
}

TEST_F(ReachTest, ASmallChartOpensThePanelMenu) {
    ShowTwelve();
    for (int k : {0, 5, 11}) {
        TChart* small = form.Controls().Pegel[size_t(k)];
        for (auto reason : {QContextMenuEvent::Mouse, QContextMenuEvent::Keyboard})
            EXPECT_EQ(MenuOf(small, reason).join('|').toStdString(), "Drucken (Druck)")
                << "Pegel" << k + 1 << " reason " << reason;
    }
}

TEST_F(ReachTest, TabReachesAChartWhoseMenuKeyOpensItsMenu) {
    form.show();
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet4);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);
    form.Controls().PageControl2->setFocus();
    int presses = 0;
    while (QApplication::focusWidget() != form.Controls().Chart1 && presses < 40) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ++presses;
    }
    ASSERT_EQ(QApplication::focusWidget(), form.Controls().Chart1);
    EXPECT_EQ(MenuOf(form.Controls().Chart1, QContextMenuEvent::Keyboard).join('|').toStdString(),
              "Legende|Werte|Ansicht zurücksetzen|Kopieren als Bitmap|Kopieren als Vektorgrafik|"
              "Drucken");
}

TEST_F(ReachTest, TabLeavesTheDescription) {
    form.show();
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet4);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);
    form.Controls().RichEdit1->setFocus();
    QTest::keyClick(form.Controls().RichEdit1, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), form.Controls().RichEdit1);
    EXPECT_EQ(form.Controls().RichEdit1->toPlainText(), "Beschreibung\n");
}

TEST_F(ReachTest, TabLeavesATableWhoseArrowsMoveInsideIt) {
    form.show();
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet4);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);
    form.Controls().grid->SetTable(TableText(2, 6001));
    form.Controls().grid->setFocus();
    form.Controls().grid->setCurrentIndex(form.Controls().grid->model()->index(0, 0));
    ASSERT_EQ(QApplication::focusWidget(), form.Controls().grid);

    // The arrows move from cell to cell.
    QTest::keyClick(form.Controls().grid, Qt::Key_Down);
    QTest::keyClick(form.Controls().grid, Qt::Key_Right);
    EXPECT_EQ(form.Controls().grid->currentIndex(), form.Controls().grid->model()->index(1, 1));

    // Ctrl+Tab does not walk the cells.
    QTest::keyClick(form.Controls().grid, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(form.Controls().grid->currentIndex(), form.Controls().grid->model()->index(1, 1));

    // Tab leaves the table, and goes on to the description; Shift+Tab comes back.
    form.Controls().PageControl2->setCurrentWidget(form.Controls().TabSheet6);
    form.Controls().grid->setFocus();
    QTest::keyClick(form.Controls().grid, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), form.Controls().grid);
    EXPECT_EQ(form.Controls().grid->currentIndex(), form.Controls().grid->model()->index(1, 1));
    int presses = 1;
    while (QApplication::focusWidget() != form.Controls().RichEdit1 && presses < 10) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ++presses;
    }
    EXPECT_EQ(QApplication::focusWidget(), form.Controls().RichEdit1) << presses << " presses";
    for (int k = 0; k < presses; ++k)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), form.Controls().grid);
}

TEST_F(ReachTest, MenuEntriesHaveTheirShortcuts) {
    EXPECT_EQ(form.Controls().N1->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(form.Controls().Speichern1->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(form.Controls().Beenden1->shortcut(), QKeySequence("Ctrl+Q"));

    // Ctrl+O runs the open command as the menu entry does.
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);
    seams.openFilters.clear();
    QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(seams.openFilters.size(), 2);  // the open dialog was asked for
}

TEST_F(ReachTest, TheWheelOverASmallChartScrollsThePanel) {
    ShowTwelve();
    auto* scroll = form.findChild<QScrollArea*>("ScrollBox1");
    QScrollBar* bar = scroll->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the twelve charts do not fill more than the panel";
    bar->setValue(0);
    TChart* small = form.Controls().Pegel[1];
    const QPointF at = small->rect().center();
    QWheelEvent wheel(at, small->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(small, &wheel);
    EXPECT_GT(bar->value(), 0);
}

TEST_F(ReachTest, ViewsCarryAccessibleNames) {
    struct Case {
        QWidget* w;
        const char* name;
    };
    const Case cases[] = {
        {form.Controls().Chart1, "Schallpegeldiagramm"},
        {form.Controls().Chart4, "Direktmessung"},
        {form.Controls().Chart5, "Verteilung"},
        {form.Controls().Chart12Leq, "Äquivalenzen in der Übersicht"},
        {form.Controls().Pegel[0], "Verteilung in der Übersicht, Messung 1"},
        {form.Controls().Pegel[11], "Verteilung in der Übersicht, Messung 12"},
        {form.Controls().grid, "Tabelle Pegel"},
        {form.Controls().GridLeQ, "Tabelle LeQ"},
        {form.Controls().GridSpek12, "Tabelle Verteilung 12"},
        {form.Controls().Panel1, "Pegel in dB(A)"},
        {form.Controls().RichEdit1, "Beschreibung"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.w->accessibleName().toStdString(), c.name);
}

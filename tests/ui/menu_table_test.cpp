// The window's menus come from one table: each menu on the window is the table's, every copy and
// print entry finds its action and its control, and no name is used twice.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSet>
#include <QWidget>

#include "FakeSeams.h"
#include "app/MenuTable.h"
#include "app/TForm1.h"

using namespace kelvarn;

namespace {

// The menu as the user sees it: "-" for a separator, else "object name|caption".
QStringList Shown(const QList<QAction*>& actions) {
    QStringList out;
    for (const QAction* a : actions)
        out << (a->isSeparator() ? "-" : a->objectName() + '|' + a->text());
    return out;
}

QStringList Listed(const ContextMenu& menu) {
    QStringList out;
    for (const MenuEntry& e : menu.entries)
        out << (e.IsSeparator() ? QStringLiteral("-")
                                : QString::fromLatin1(e.name) + '|' + QString::fromUtf8(e.caption));
    return out;
}

class MenuTableTest : public ::testing::Test {
protected:
    FakeSeams seams;
    TForm1 form{&seams};
};

}  // namespace

TEST_F(MenuTableTest, EveryControlShowsTheMenuTheTableGivesIt) {
    for (const ContextMenu& menu : ContextMenus()) {
        SCOPED_TRACE(menu.control);
        const auto* control = form.findChild<QWidget*>(QLatin1String(menu.control));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->contextMenuPolicy(), Qt::ActionsContextMenu);
        EXPECT_EQ(Shown(control->actions()).join('\n').toStdString(),
                  Listed(menu).join('\n').toStdString());
    }
    // The unit beside the level shows the level's menu.
    EXPECT_EQ(form.findChild<QWidget*>("Panel2")->actions(),
              form.findChild<QWidget*>("Panel1")->actions());
    EXPECT_EQ(Shown(form.Controls().Datei1->actions()).join('\n').toStdString(),
              Listed(FileMenu()).join('\n').toStdString());
}

TEST_F(MenuTableTest, NoControlHasAMenuTheTableDoesNotKnow) {
    QSet<QWidget*> listed;
    for (const ContextMenu& menu : ContextMenus())
        listed << form.findChild<QWidget*>(QLatin1String(menu.control));
    listed << form.findChild<QWidget*>("Panel2");
    for (QWidget* w : form.findChildren<QWidget*>()) {
        if (w->contextMenuPolicy() != Qt::ActionsContextMenu || w->actions().isEmpty()) continue;
        if (qobject_cast<QMenu*>(w)) continue;
        EXPECT_TRUE(listed.contains(w)) << w->objectName().toStdString();
    }
}

TEST_F(MenuTableTest, EveryCommandFindsItsActionAndItsControlAndNamesAreUnique) {
    QSet<QString> names;
    const auto unique = [&](const MenuEntry& e) {
        if (e.IsSeparator()) return;
        const QString name = QString::fromLatin1(e.name);
        EXPECT_FALSE(names.contains(name)) << e.name;
        names << name;
    };
    for (const ContextMenu& menu : ContextMenus()) {
        for (const MenuEntry& e : menu.entries) {
            unique(e);
            EXPECT_EQ(e.command, nullptr) << e.name;
            if (!e.output) continue;
            EXPECT_NE(form.findChild<QAction*>(QLatin1String(e.name)), nullptr) << e.name;
            const QString target = QLatin1String(e.target ? e.target : menu.control);
            EXPECT_TRUE(target == form.objectName() || form.findChild<QWidget*>(target))
                << e.name << " on " << target.toStdString();
        }
    }
    for (const MenuEntry& e : FileMenu().entries) {
        unique(e);
        if (!e.IsSeparator()) {
            EXPECT_NE(e.command, nullptr) << e.name;
        }
    }
}

TEST_F(MenuTableTest, TheFileMenusEntriesRunTheirHandlers) {
    // "&Öffnen ..." asks for a file (none chosen here), "E&xportieren ..." waits for a
    // measurement: each entry reached the handler of its own name.
    seams.openName.clear();
    form.Controls().N1->trigger();
    EXPECT_EQ(seams.openFilters, (QStringList{"Pegeldateien (*.DBA)", "Lärmdateien (*.DAT)"}));
    EXPECT_FALSE(form.Controls().Exportieren1->isEnabled());
    form.Controls().Exportieren1->setEnabled(true);
    form.Controls().Exportieren1->trigger();
    EXPECT_EQ(seams.notices, QStringList{"Keine Messung geladen."});
}

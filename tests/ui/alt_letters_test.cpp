// Each Alt letter belongs to one control of its screen, so it reaches that
// control: the menu bar keeps its letters, a check box's letter ticks it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "FakeSeams.h"
#include "app/AltLetters.h"
#include "app/TForm1.h"

using namespace kelvarn;

TEST(AltLetter, IsTheMarkedLetterInLowerCase) {
    const std::pair<const char*, QChar> cases[] = {
        {"&Datei", QLatin1Char('d')}, {"Ü&bertragen", QLatin1Char('b')},
        {"&Öffnen ...", QChar(0xF6)}, {"Ana&log", QLatin1Char('l')},
        {"Rock && Roll", QChar()},    {"A && B &c", QLatin1Char('c')},
        {"Ende&", QChar()},           {"LeQ", QChar()},
    };
    for (const auto& [caption, letter] : cases)
        EXPECT_EQ(AltLetter(QString::fromUtf8(caption)), letter) << caption;
}

class AltLettersTest : public ::testing::Test {
protected:
    FakeSeams seams;
    TForm1 form{&seams};
    void ShowPage(QWidget* page) {
        form.show();
        form.Controls().PageControl1->setCurrentWidget(page);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QApplication::setActiveWindow(&form);
        QApplication::processEvents();
    }
};

TEST_F(AltLettersTest, NoTwoControlsOfAScreenShareALetter) {
    EXPECT_EQ(AltLetterClashes(form, *form.Controls().PageControl1).join('\n').toStdString(), "");
}

TEST_F(AltLettersTest, ANewClashIsFound) {
    new QPushButton(QStringLiteral("&Drucken"), form.Controls().TabSheet1);
    new QCheckBox(QStringLiteral("&Kurz"), form.Controls().TabSheet13);
    form.Controls().Datei1->addAction(QStringLiteral("&Bereinigen"));
    EXPECT_EQ(AltLetterClashes(form, *form.Controls().PageControl1).join('|').toStdString(),
              "&Kelvarn: d: &Datei, &Drucken|&Einstellungen: k: &Kelvarn, &Kurz|"
              "&Datei: b: &Beenden, &Bereinigen");
}

TEST_F(AltLettersTest, AltDOpensTheFileMenuOnEveryPage) {
    for (QWidget* page : {form.Controls().TabSheet1, form.Controls().TabSheet2,
                          form.Controls().TabSheet4, form.Controls().TabSheet13}) {
        ShowPage(page);
        QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::activePopupWidget(), form.Controls().Datei1)
            << page->objectName().toStdString();
        if (QApplication::activePopupWidget()) QApplication::activePopupWidget()->close();
        EXPECT_EQ(form.Controls().PageControl1->currentWidget(), page);
    }
}

TEST_F(AltLettersTest, ACheckBoxLetterTicksIt) {
    ShowPage(form.Controls().TabSheet13);
    ASSERT_FALSE(form.Controls().Binfile->isChecked());
    QTest::keyClick(&form, Qt::Key_X, Qt::AltModifier);
    QTest::qWait(300);  // the click is animated
    EXPECT_TRUE(form.Controls().Binfile->isChecked());

    ShowPage(form.Controls().TabSheet2);
    ASSERT_FALSE(form.Controls().dauerbox->isChecked());
    QTest::keyClick(&form, Qt::Key_N, Qt::AltModifier);
    QTest::qWait(300);
    EXPECT_TRUE(form.Controls().dauerbox->isChecked());
}

TEST_F(AltLettersTest, EverySubTabHasALetter) {
    for (QTabWidget* tabs : {form.Controls().PageControl2, form.Controls().PageControl3}) {
        for (int i = 0; i < tabs->count(); ++i)
            EXPECT_FALSE(AltLetter(tabs->tabText(i)).isNull()) << tabs->tabText(i).toStdString();
    }
}

TEST_F(AltLettersTest, ASubTabClashIsFoundAlsoWhileItIsHidden) {
    // "Pegel 12" is hidden until a record of twelve measurements is shown.
    ASSERT_FALSE(form.Controls().PageControl2->isTabVisible(
        form.Controls().PageControl2->indexOf(form.Controls().TabSheet9)));
    form.Controls().PageControl2->setTabText(
        form.Controls().PageControl2->indexOf(form.Controls().TabSheet9),
        QStringLiteral("&Pegel 12"));
    EXPECT_EQ(AltLetterClashes(form, *form.Controls().PageControl1).join('|').toStdString(),
              "&Auswertung: p: &Pegel, &Pegel 12");

    form.Controls().PageControl2->setTabText(
        form.Controls().PageControl2->indexOf(form.Controls().TabSheet9),
        QStringLiteral("Pe&gel 12"));
    form.Controls().PageControl2->addTab(new QWidget, QStringLiteral("&Datenblatt"));
    EXPECT_EQ(AltLetterClashes(form, *form.Controls().PageControl1).join('|').toStdString(),
              "&Auswertung: d: &Datei, &Datenblatt");
}

TEST_F(AltLettersTest, ASubTabLetterBringsItToTheFront) {
    ShowPage(form.Controls().TabSheet4);
    const std::pair<Qt::Key, QWidget*> cases[] = {{Qt::Key_L, form.Controls().TabSheet3},
                                                  {Qt::Key_W, form.Controls().TabSheet16},
                                                  {Qt::Key_P, form.Controls().TabSheet6}};
    for (const auto& [key, page] : cases) {
        QTest::keyClick(&form, key, Qt::AltModifier);
        QApplication::processEvents();
        EXPECT_EQ(form.Controls().PageControl2->currentWidget(), page)
            << page->objectName().toStdString();
    }
}

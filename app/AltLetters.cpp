// Alt letters are reachable only when each belongs to one control of the
// screen it is on; otherwise Alt+letter just moves the focus between them.
#include "app/AltLetters.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <map>

namespace kelvarn {

namespace {

using Claims = std::multimap<QChar, QString>;  // letter -> caption

void Claim(Claims& claims, const QString& caption) {
    const QChar letter = AltLetter(caption);
    if (!letter.isNull()) claims.emplace(letter, caption);
}

void ClaimTabs(Claims& claims, const QTabWidget& tabs, bool hiddenToo = false) {
    for (int i = 0; i < tabs.count(); ++i)
        if (hiddenToo || tabs.isTabVisible(i)) Claim(claims, tabs.tabText(i));
}

// Every control under page that takes an Alt letter.
void ClaimControls(Claims& claims, const QWidget& page) {
    for (const QAbstractButton* b : page.findChildren<QAbstractButton*>()) {
        // The scroll buttons of a tab bar carry no caption of their own.
        if (!qobject_cast<const QTabBar*>(b->parentWidget())) Claim(claims, b->text());
    }
    for (const QGroupBox* g : page.findChildren<QGroupBox*>()) Claim(claims, g->title());
    for (const QLabel* l : page.findChildren<QLabel*>())
        if (l->buddy()) Claim(claims, l->text());
    // A hidden sub-tab shows with another record ("Verteilung" also beside "Verteilung 12"), so
    // it keeps its letter.
    for (const QTabWidget* t : page.findChildren<QTabWidget*>()) ClaimTabs(claims, *t, true);
}

void ClaimMenu(Claims& claims, const QMenu& menu) {
    for (const QAction* a : menu.actions())
        if (!a->isSeparator() && a->isVisible()) Claim(claims, a->text());
}

void Report(QStringList& out, const QString& screen, const Claims& claims) {
    for (auto it = claims.begin(); it != claims.end(); it = claims.upper_bound(it->first)) {
        if (claims.count(it->first) < 2) continue;
        QStringList owners;
        for (auto [from, to] = claims.equal_range(it->first); from != to; ++from)
            owners << from->second;
        out << screen + QStringLiteral(": ") + it->first + QStringLiteral(": ") +
                   owners.join(QStringLiteral(", "));
    }
}

void CheckMenus(QStringList& out, const QMenu& menu) {
    Claims claims;
    ClaimMenu(claims, menu);
    Report(out, menu.title(), claims);
    for (const QAction* a : menu.actions())
        if (a->menu()) CheckMenus(out, *a->menu());
}

}  // namespace

QChar AltLetter(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) continue;
        if (caption[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return caption[i + 1].toLower();
    }
    return {};
}

QStringList AltLetterClashes(const QMainWindow& window, const QTabWidget& pages) {
    QStringList out;
    Claims always;
    const QMenuBar* bar = window.menuBar();
    for (const QAction* a : bar->actions())
        if (a->isVisible()) Claim(always, a->text());
    ClaimTabs(always, pages);
    for (int i = 0; i < pages.count(); ++i) {
        Claims claims = always;
        ClaimControls(claims, *pages.widget(i));
        Report(out, pages.tabText(i), claims);
    }
    for (const QAction* a : bar->actions())
        if (a->menu()) CheckMenus(out, *a->menu());
    return out;
}

}  // namespace kelvarn

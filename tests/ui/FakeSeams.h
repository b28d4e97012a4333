#pragma once

#include <QStringList>
#include <deque>

#include "app/Seams.h"

namespace kelvarn {

// Scripted answers for everything the window would ask a person; records
// what it showed.
class FakeSeams : public Seams {
public:
    bool ctrl = false;
    std::deque<bool> answers;  // for Ask; empty means Yes
    QString openName;
    QString saveName;
    QStringList asked, notices, stops;
    QStringList openFilters;
    QString saveTitle, saveFilter, saveProposed;

    bool CtrlHeld() const override { return ctrl; }
    bool Ask(QWidget*, const QString& caption, const QString& text) override {
        asked << caption + QLatin1Char('|') + text;
        if (answers.empty()) return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void Notice(QWidget*, const QString& text) override { notices << text; }
    void Stop(QWidget*, const QString& text) override { stops << text; }
    QString OpenFileName(QWidget*, const QStringList& filters) override {
        openFilters = filters;
        return openName;
    }
    QString SaveFileName(QWidget*, const QString& title, const QString& filter,
                         const QString& proposed) override {
        saveTitle = title;
        saveFilter = filter;
        saveProposed = proposed;
        return saveName;
    }
};

}  // namespace kelvarn

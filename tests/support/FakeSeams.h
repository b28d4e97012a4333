#pragma once

#include <QPrinter>
#include <QStringList>
#include <deque>
#include <functional>

#include "app/Seams.h"
#include "sim/ScriptedDevice.h"

namespace kelvarn {

// Scripted answers for everything the window would ask a person; records
// what it showed.
class FakeSeams : public Seams {
public:
    bool ctrl = false;
    std::deque<bool> answers;            // for Ask; empty means Yes
    std::deque<SaveAnswer> saveAnswers;  // for AskSaveChanges; empty means Cancel
    QStringList saveQuestions;
    QString openName;
    QString saveName;
    QStringList asked, notices, stops;
    QStringList openFilters;
    QString saveTitle, saveFilter, saveProposed;
    QString openFolder, saveFolder;  // where the dialogs were asked to start
    QString chosenFilter;            // the save filter the person picks; empty: the first
    int previews = 0;                // print dialogs with a preview shown
    QString previewPdf;       // the printer chosen there writes this PDF file; empty: cancelled
    bool cellThread = false;  // cell commands on their own thread, as on the desktop
    // The scripted ports behind the window's link; none: the machine's.
    ScriptedLink* line = nullptr;
    // The serial ports the port choice lists; none: the machine's.
    const PortLister* serialPorts = nullptr;
    QTime timeOfDay;                 // invalid: the clock's
    QDateTime now;                   // invalid: the clock's
    std::function<void()> onNotice;  // called as a notice shows, to look at the window then
    std::function<void()> onAsk;     // called while a question is open, before its answer

    bool CtrlHeld() const override { return ctrl; }
    bool CellCommandsOnOwnThread() const override { return cellThread; }
    void SetUpLink(SerialLink& link) override {
        if (line) line->Attach(link);
    }
    const PortLister& SerialPorts() const override {
        return serialPorts ? *serialPorts : Seams::SerialPorts();
    }
    QTime TimeOfDay() const override {
        if (timeOfDay.isValid()) return timeOfDay;
        return now.isValid() ? now.time() : QTime::currentTime();
    }
    QDateTime Now() const override { return now.isValid() ? now : QDateTime::currentDateTime(); }
    bool Ask(QWidget*, const QString& caption, const QString& text) override {
        asked << caption + QLatin1Char('|') + text;
        if (onAsk) onAsk();
        if (answers.empty()) return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    SaveAnswer AskSaveChanges(QWidget*, const QString& text) override {
        saveQuestions << text;
        if (saveAnswers.empty()) return SaveAnswer::Cancel;
        const SaveAnswer a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    void Notice(QWidget*, const QString& text) override {
        notices << text;
        if (onNotice) onNotice();
    }
    void Stop(QWidget*, const QString& text) override { stops << text; }
    QString OpenFileName(QWidget*, const QStringList& filters, const QString& folder) override {
        openFilters = filters;
        openFolder = folder;
        return openName;
    }
    QString SaveFileName(QWidget*, const QString& title, const QString& filter,
                         const QString& proposed, const QString& folder, QString* chosen) override {
        saveTitle = title;
        saveFilter = filter;
        saveProposed = proposed;
        saveFolder = folder;
        if (chosen)
            *chosen =
                chosenFilter.isEmpty() ? filter.section(QStringLiteral(";;"), 0, 0) : chosenFilter;
        return saveName;
    }
    void PrintPreview(QWidget*, const std::function<void(QPrinter&)>& paint) override {
        ++previews;
        if (previewPdf.isEmpty()) return;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(previewPdf);
        // A4 landscape as the person may have left it: the report is A4 portrait all the same.
        printer.setPageOrientation(QPageLayout::Landscape);
        paint(printer);
    }
};

}  // namespace kelvarn

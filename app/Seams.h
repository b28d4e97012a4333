#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <functional>

#include "link/SystemPorts.h"

class QPrinter;

class QWidget;

namespace kelvarn {

class SerialLink;

// What the window asks of a person or of the desktop. The window holds one
// of these; tests give it a scripted one so every handler runs unattended.
class Seams {
public:
    virtual ~Seams() = default;

    // State of the Ctrl key at this moment.
    virtual bool CtrlHeld() const;
    // Modal question with Yes and No; true for Yes.
    virtual bool Ask(QWidget* parent, const QString& caption, const QString& text);
    // "Ja", "Nein", "Abbrechen" before work would be lost.
    enum class SaveAnswer { Yes, No, Cancel };
    virtual SaveAnswer AskSaveChanges(QWidget* parent, const QString& text);
    // Plain message box with the application title and OK.
    virtual void Notice(QWidget* parent, const QString& text);
    // Stop-sign box with the application title and OK; text as shown.
    virtual void Stop(QWidget* parent, const QString& text);
    // Open and save dialogs; an empty result means cancelled. The desktop's
    // own dialogs unless nativeDialogs is false: Qt's dialog can be driven
    // and looked at without a desktop. Both start in folder (when it is not
    // empty). A save filter may list several types separated by ";;"; the
    // one the person chose goes to chosenFilter.
    virtual QString OpenFileName(QWidget* parent, const QStringList& filters,
                                 const QString& folder = {});
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& proposedName, const QString& folder = {},
                                 QString* chosenFilter = nullptr);
    // Print dialog with a preview: paint draws the pages on the printer the person chose (for
    // the preview as well); nothing is printed when the dialog is cancelled.
    virtual void PrintPreview(QWidget* parent, const std::function<void(QPrinter& printer)>& paint);
    // Whether the commands to the cell run on a thread of their own, so the
    // window stays alive (the desktop), or at once on the window's thread,
    // so a test can drive a scripted link step by step.
    virtual bool CellCommandsOnOwnThread() const { return true; }
    // What the window's link is built on: the machine's serial ports, unless
    // a test puts a scripted line behind it. Called once, before any use.
    virtual void SetUpLink(SerialLink& link) { (void)link; }
    // The serial ports the port choice lists besides COM 1 to COM 16: the
    // system's, unless a test hands the window a list of its own.
    virtual const PortLister& SerialPorts() const { return systemPorts_; }
    // The time of day (a timed start counts its delay from it).
    virtual QTime TimeOfDay() const { return QTime::currentTime(); }
    // Date and time now, in the local zone (start times of measurements count from it).
    virtual QDateTime Now() const { return QDateTime::currentDateTime(); }

    bool nativeDialogs = true;

private:
    SystemPortLister systemPorts_;
};

// The application title that captions every message box.
QString ApplicationTitle();

}  // namespace kelvarn

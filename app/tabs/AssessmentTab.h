#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "app/tabs/TabContext.h"
#include "document/ProtocolEdits.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QTableWidget;
class QWidget;

namespace kelvarn {

class TChart;
class StringGrid;
struct TaLaermSettings;

// The sub-tab "Beurteilung" of "&Auswertung": the clock hours and periods of the current record,
// the daily noise exposure LEX,8h of a workplace and the rating level Lr of TA Lärm, as the
// document's view has them. What is typed here goes to the document's assessment edits, which
// keep it in the protocol (saved in the ".KVP" file, marked as unsaved work like every other
// protocol edit).
class AssessmentTab : public QObject {
    Q_OBJECT

public:
    AssessmentTab(const TabContext& context, QObject* parent);

    // The sub-tab's page, "TabSheetBeurteilung", with its controls: the hourly chart
    // "ChartBeurteilung" and the tables "GridStunden", "GridZeitraeume", "GridMessungen".
    QWidget* Build();
    TChart* HourChart() const { return hourChart_; }
    StringGrid* HourTable() const { return hourTable_; }
    StringGrid* PeriodTable() const { return periodTable_; }
    StringGrid* MeasurementTable() const { return measurementTable_; }

    // Shows the view's assessment and the inputs it was made of.
    void Show();
    // Shows what was wrong with the last input (and on the status line); empty clears it.
    void ShowProblem(const QString& problem);

private:
    void AddTask();
    void RemoveTask();
    void AddPart();
    void RemovePart();
    void TakeNightHour();
    void TaskEdited(int row);
    void PartEdited(int row);
    void SettingsEdited();
    // The TA Lärm settings as the controls show them, Cmet as stored when it cannot be read.
    TaLaermSettings ShownSettings(double storedCmet) const;
    void ShowTables();
    void ShowTasks();
    void ShowParts();
    // Tells the result of an edit: its problem, else its note (or nothing).
    void Done(const QString& problem, const QString& note);
    // The row shows its input as stored again once the edit under way has ended.
    void ShowAgainLater();
    // A row typed into the table: its edit where the texts were numbers, else the typing problem;
    // a refusal shows the row as stored again.
    void ApplyRowEdit(const QString& typingProblem, bool typedWell,
                      const std::function<EditResult()>& edit);

    TabContext c_;
    QWidget* page_ = nullptr;
    TChart* hourChart_ = nullptr;
    StringGrid* hourTable_ = nullptr;
    StringGrid* periodTable_ = nullptr;
    StringGrid* measurementTable_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QTableWidget* tasks_ = nullptr;
    QPlainTextEdit* lex_ = nullptr;
    QComboBox* area_ = nullptr;
    QComboBox* period_ = nullptr;
    QLineEdit* cMet_ = nullptr;
    QCheckBox* messabschlag_ = nullptr;
    QCheckBox* holiday_ = nullptr;
    QTableWidget* parts_ = nullptr;
    QPlainTextEdit* lr_ = nullptr;
    QLabel* problem_ = nullptr;  // what was wrong with the last input, or what could not be read
    QLabel* hoursReason_ = nullptr;  // why there are no clock hours
};

}  // namespace kelvarn

#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "app/CellCommands.h"
#include "app/Seams.h"
#include "app/tabs/TabContext.h"
#include "cell/CellSession.h"
#include "cell/LiveRun.h"
#include "cell/LiveSession.h"
#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
#include "document/MeasurementDocument.h"
#include "eval/ViewData.h"
#include "link/SystemPorts.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QTextEdit;
class QTimer;
class QFrame;
class QCloseEvent;

namespace kelvarn {

class TChart;
class StringGrid;
class TWebLabel;
struct ReportContent;
struct CommandResult;
class CellProgress;
struct CellResult;
class ReportHeadBox;
class DirectTab;
class EvaluationTab;
class SettingsTab;

// The window's controls. The window holds them privately; its own helpers and tests that
// drive it as a user would reach them through TForm1::Controls().
struct TForm1Controls {
    // ----- menu "&Datei"
    QMenu* Datei1 = nullptr;
    QAction* Au1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Speichern1 = nullptr;
    QAction* Beenden1 = nullptr;

    // ----- top level
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;   // "&Kelvarn"
    QWidget* TabSheet2 = nullptr;   // "&Direkt"
    QWidget* TabSheet4 = nullptr;   // "&Auswertung"
    QWidget* TabSheet13 = nullptr;  // "&Einstellungen"
    QLabel* StatusBar1 = nullptr;   // the one status text
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* AbbrechenButton = nullptr;  // "Abbrechen" beside ProgressBar1

    // ----- "&Kelvarn"
    QLabel* Panel3 = nullptr;  // the large product name
    TWebLabel* WebLabel1 = nullptr;

    // ----- "&Direkt"
    QTabWidget* PageControl3 = nullptr;
    QWidget* TabSheet10 = nullptr;  // "&Digital"
    QWidget* TabSheet11 = nullptr;  // "Ana&log"
    QWidget* TabSheet12 = nullptr;  // "&Verteilung"
    QLabel* Panel1 = nullptr;       // current level
    QFrame* Panel2 = nullptr;       // unit, maximum, minimum, bar
    QLabel* LabelMax = nullptr;
    QLabel* LabelMin = nullptr;
    QProgressBar* dbabar = nullptr;
    TChart* Chart4 = nullptr;
    TChart* Chart5 = nullptr;
    QProgressBar* directbar = nullptr;
    QPushButton* Button1 = nullptr;
    QCheckBox* dauerbox = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* StoppButton = nullptr;  // "St&opp": ends the live measurement
    QTimer* Timer1 = nullptr;            // the live ticks when commands run inline

    // ----- "&Auswertung"
    QTabWidget* PageControl2 = nullptr;
    QWidget* TabSheet6 = nullptr;   // "Pegel"
    QWidget* TabSheet3 = nullptr;   // "LeQ"
    QWidget* TabSheet7 = nullptr;   // "Verteilung"
    QWidget* TabSheet9 = nullptr;   // "Pegel 12"
    QWidget* TabSheet15 = nullptr;  // "LeQ 12"
    QWidget* TabSheet8 = nullptr;   // "Verteilung 12"
    TChart* Chart1 = nullptr;
    StringGrid* grid = nullptr;
    QCheckBox* LeqBox = nullptr;
    TChart* Chart6 = nullptr;
    StringGrid* GridLeQ = nullptr;
    TChart* Chart2 = nullptr;
    StringGrid* gridspek = nullptr;
    TChart* Chart3 = nullptr;
    StringGrid* Grid12 = nullptr;
    QCheckBox* Leq12Box = nullptr;
    TChart* Chart12Leq = nullptr;
    StringGrid* Grid12Leq = nullptr;
    QWidget* Panel6 = nullptr;
    std::array<TChart*, 12> Pegel{};  // Pegel1..Pegel12, tag k = index + 1
    StringGrid* GridSpek12 = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    QWidget* TabSheet16 = nullptr;  // "Kennwerte"
    StringGrid* GridKennwerte = nullptr;
    QWidget* TabSheetProtokoll = nullptr;  // "Protokoll": the controls are found by their names
    // "Beurteilung": clock hours, periods, LEX,8h and the TA Lärm rating level of the record
    QWidget* TabSheetBeurteilung = nullptr;
    TChart* ChartBeurteilung = nullptr;  // the hourly levels
    StringGrid* GridStunden = nullptr;
    StringGrid* GridZeitraeume = nullptr;
    StringGrid* GridMessungen = nullptr;

    // ----- results leaving the program: "&Datei" entries
    QAction* Exportieren1 = nullptr;
    QAction* BerichtPdf1 = nullptr;
    QAction* BerichtDrucken1 = nullptr;

    // ----- "&Einstellungen"
    QGroupBox* GroupBox1 = nullptr;  // "Messprogramm"
    QComboBox* ProgBox = nullptr;
    QPushButton* SendProgButton = nullptr;
    QRadioButton* radiotaste = nullptr;
    QRadioButton* RadioZeit = nullptr;
    QDateTimeEdit* DateTimePicker1 = nullptr;
    QCheckBox* Binfile = nullptr;
    QPushButton* Button2 = nullptr;
    QGroupBox* GroupBox2 = nullptr;  // "Schnittstelle"
    QLabel* Label1 = nullptr;
    QComboBox* ComBox = nullptr;
    QLabel* PortDevice = nullptr;  // the device the chosen COM number reaches
    QPushButton* Button4 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    ReportHeadBox* GroupBox3 = nullptr;  // "Bericht": the report's head, kept in KV.INI

    // ----- context-menu entries that carry a check mark
    QAction* Legende1 = nullptr;                  // Chart1
    QAction* Werte = nullptr;                     // Chart1
    QAction* MenuItem8 = nullptr;                 // Chart6 "Legende"
    QAction* Legende2 = nullptr;                  // Chart12Leq
    QAction* AutomatischeXSkalierung1 = nullptr;  // Chart2
    QAction* FarbigeBalken1 = nullptr;            // Chart2
    QAction* SpeichernalsText1 = nullptr;         // grid, always disabled
};

// The main window. Its handlers read the controls, call the core and put
// the results back; the work itself lives in the core library.
class TForm1 : public QMainWindow, private TForm1Controls {
    Q_OBJECT
    // The measurement the window shows: record, description, protocol, name and file.
    MeasurementDocument document_;

public:
    // seams: dialogs, message boxes and the Ctrl key; the window does not
    // own them. nullptr uses the desktop's.
    explicit TForm1(Seams* seams = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    // The controls by their names in the window (N1, Chart1, ProgBox, ...).
    const TForm1Controls& Controls() const { return *this; }

    // ----- state owned by the window
    // The measurement shown; the window's handlers open, save and replace it through it.
    MeasurementDocument& Document() { return document_; }
    const MeasurementDocument& Document() const { return document_; }
    // The COM number the cell commands use: chosen by hand, restored at the start, or found by
    // the search.
    int ChosenPort() const { return cell_.Port(); }
    // The live measurement, for tests and benchmarks that look at what it took (or, without a
    // cell, fill it as the ticks would).
    LiveSession& Live() { return cell_.Session().Live(); }
    const LiveSession& Live() const { return cell_.Session().Live(); }

    // The status line: each report replaces the whole text.
    void SetStatus(const QString& text);
    QString StatusText() const;

    // The seven big charts that switch the depth view.
    std::array<TChart*, 7> BigCharts() const;

    Seams& seams() { return *seams_; }

    // Asks "Änderungen speichern?" when ending would lose a record or a
    // description that is in no file; true when the window may close.
    bool MayClose();
    // The same question before a command replaces the record and its description (an open,
    // a drop, a read-out, a take-over); true when it may go ahead.
    bool MayReplaceWork();
    // Whether a live measurement started from the PC is running, and the question before a
    // command ends it; true when it may end (it is ended then).
    bool LiveRunning() const { return cell_.LiveRunning(); }
    bool MayEndLive() { return cell_.MayEndLive(); }
    // Whether a command to the cell is under way (input for other commands
    // is not acted on meanwhile).
    bool CellCommandRunning() const { return cell_.Busy(); }

public slots:
    // start-up and shell
    void FormCreate();
    void PageControl1Change();
    void Beenden1Click();

    // evaluation
    void ShowTime();

    // files
    void N1Click();
    // What "&Öffnen ..." does once a file is chosen: also for a file named on
    // the command line or dropped on the window.
    void OpenMeasurementFile(const QString& path);
    void Speichern1Click();

    // export and report
    void Exportieren1Click();
    void BerichtPdf1Click();
    void BerichtDrucken1Click();

    // the cell: what brings a measurement into the document
    void ReadOutCell();
    void TakeOverLive();
    // One live tick on this thread, when commands run inline (tests step the ticks with it
    // after stopping Timer1); with a link thread the ticks run there and this does nothing.
    void LiveTick();

private:
    void BuildMenu();
    QWidget* BuildKelvarnTab();
    // What a tab reaches of the window.
    TabContext Context();
    ReportContent CurrentReportContent() const;

    // Wiring of the context menus and of the controls of each area.
    void WireOutput();
    void WireCell();
    void WireFiles();

    void closeEvent(QCloseEvent* event) override;

    std::unique_ptr<Seams> ownSeams_;
    Seams* seams_ = nullptr;
    // The user agreed to end; the close box does not ask a second time.
    bool ending_ = false;

    // The measurement document as the window shows it: the name in the title ("KELVARN - "
    // name, "Kelvarn" before any), marked while work is unsaved; whether the evaluation pass
    // has shown a measurement, which export and report need.
    void UpdateTitle();
    void MeasurementShown();
    bool HasMeasurement();
    bool measurementShown_ = false;
    // The description field's text handed to the document; before every decision that
    // depends on whether work is unsaved, and once typing pauses.
    void SyncDescription();
    QTimer* titleCheck_ = nullptr;  // the mark after typing, once the typing pauses
    // Where file dialogs start: the open measurement's folder, else the last one used.
    QString DialogFolder() const;
    void RememberFolder(const QString& chosenPath);
    // A failed file command in a stop-sign box, the file named on a second line.
    void ShowFailure(const CommandResult& r);

    // The tabs. After the seams, the document and the controls' owner they use, so that they
    // go first; before the cell commands, whose signals they follow.
    std::unique_ptr<DirectTab> direct_;
    std::unique_ptr<EvaluationTab> evaluation_;
    std::unique_ptr<SettingsTab> settings_;

    // The link to the cell, its live measurement and the thread its commands run on. Last of
    // all members, so it goes first: its jobs and their questions (which use the seams, the
    // controls and the document) are over before any of those go, and no hand-written end call
    // is needed.
    CellCommands cell_;
};

}  // namespace kelvarn

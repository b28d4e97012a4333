#pragma once

#include <QObject>

#include "app/tabs/TabContext.h"

class QEvent;
class QWidget;

namespace kelvarn {

class CellCommands;
struct CellResult;
struct LiveSample;
struct TForm1Controls;

// The tab "D&irekt": the live measurement started from the PC ("&Start", "St&opp", "Automatischer
// &Neustart") and its level as digits ("Di&gital"), curve ("Ana&log") and distribution.
class DirectTab : public QObject {
    Q_OBJECT

public:
    DirectTab(const TabContext& context, TForm1Controls& controls, CellCommands& cell,
              QObject* parent);

    // The tab's page, "TabSheet2", with its controls set in the controls.
    QWidget* Build();
    // Follows the program choice of "&Einstellungen" once that tab is built.
    void WireChoice();
    // One live tick on this thread, when commands run inline (tests step the ticks with it
    // after stopping Timer1); with a link thread the ticks run there and this does nothing.
    void Tick();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Wire();
    // "&Start": the chosen program sent and started, its levels shown as they come.
    void Start();
    // "St&opp": the live measurement stops; its curve stays.
    void Stop();
    // The live run's choice from the controls: port, program, file, automatic restart.
    void UpdateChoice();
    // What the live run reports: its start, a level, whether it runs (the stop button, and
    // inline the ticks on Timer1).
    void ShowStart(const CellResult& result);
    void ShowSample(const LiveSample& sample);
    void RunningChanged(bool running);
    // The live views drawn afresh from the session; its figures only.
    void ShowSession();
    void ShowFigures();
    // The digits grow with the panel.
    void ResizeDigits();

    TabContext c_;
    TForm1Controls& w_;
    CellCommands& cell_;
};

}  // namespace kelvarn

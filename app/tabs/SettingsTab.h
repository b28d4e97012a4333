#pragma once

#include <QObject>
#include <vector>

#include "app/tabs/TabContext.h"
#include "link/SystemPorts.h"

class QWidget;

namespace kelvarn {

class CellCommands;
struct TForm1Controls;

// The tab "&Einstellungen": the measurement program ("Ü&bertragen", "Aktuelles &Messprogramm in
// der Zelle erfragen"), the port ("Schnittstelle", "Automatische S&uche") and the report's head
// ("Bericht"). Its commands go to the cell through the window's cell commands.
class SettingsTab : public QObject {
    Q_OBJECT

public:
    SettingsTab(const TabContext& context, TForm1Controls& controls, CellCommands& cell,
                QObject* parent);

    // The tab's page, "TabSheet13", with its controls set in the controls.
    QWidget* Build();
    // The stored port, chosen again at the start (and connected to when there is one).
    void RestorePort();

private:
    void Wire();
    void WireLink();
    // "Ü&bertragen": the chosen program into the cell, started by its key or at a time.
    void Upload();
    // External program files go with a start by the key only.
    void StartChoiceChanged();
    // "Aktuelles &Messprogramm in der Zelle erfragen".
    void AskProgram();
    // A port chosen by hand: stored when the cell answers there.
    void PortChosen();
    // "Automatische S&uche": the ports tried one after the other.
    void SearchPort();
    // The port choice: COM 1 to COM 16, then the system's serial ports.
    void FillPortChoice();
    void SelectPortEntry(int n);
    void ShowPortDevice(int n);

    TabContext c_;
    TForm1Controls& w_;
    CellCommands& cell_;
    std::vector<SystemPort> allPorts_;
    std::vector<SystemPort> offeredPorts_;  // behind the COM entries, in order
};

}  // namespace kelvarn

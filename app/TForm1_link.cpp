// The port on the "&Einstellungen" tab: choosing it by hand, the automatic
// search, and restoring the stored choice at start-up.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <map>
#include <memory>

#include "app/PortComboBox.h"
#include "app/TForm1.h"
#include "cell/CellProgress.h"
#include "cell/CellResult.h"
#include "cell/CellSession.h"
#include "cell/CellTasks.h"
#include "link/DeviceSearch.h"
#include "link/PortNames.h"
#include "link/SerialLink.h"
#include "link/SettingsFile.h"

namespace kelvarn {

namespace {

constexpr int kComBoxEntries = 17;  // entry 0 stands for port 0

// What an entry of a system port reads: where the port is, what it is,
// and the COM number that reaches it once it has one.
QString EntryText(const SystemPort& port) {
    const int n = MappedComNumber(port);
    return SystemPortText(port) + (n > 0 ? QStringLiteral(" = COM %1").arg(n) : QString());
}

// Appended to a status when the choice could not be stored: the next start would otherwise
// reach another port than the one the user was told about.
QString NotStored() {
    return QStringLiteral(" Die Wahl konnte nicht gespeichert werden (%1).")
        .arg(SettingsFilePath());
}

}  // namespace

void TForm1::ShowPortDevice(int n) {
    const QString device = n > 0 ? PortDevicePath(n) : QString();
    if (device.isEmpty()) {
        PortDevice->clear();
        return;
    }
    // Without an entry in [Ports] the number reaches the on-board port.
    const bool mapped =
        !ReadSetting(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(n)).isEmpty();
    PortDevice->setText(QStringLiteral("COM %1 = %2%3")
                            .arg(n)
                            .arg(device, mapped ? QString() : QStringLiteral(" (eingebaut)")));
}

void TForm1::FillPortChoice() {
    // The selection survives a new list: a COM entry by its index, a
    // system port by its device.
    const int index = ComBox->currentIndex();
    const QString chosenDevice =
        index >= kComBoxEntries && size_t(index - kComBoxEntries) < offeredPorts_.size()
            ? offeredPorts_[size_t(index - kComBoxEntries)].device
            : QString();
    allPorts_ = seams().SerialPorts().Ports();
    offeredPorts_ = OfferedSystemPorts(allPorts_);
    const QSignalBlocker block(ComBox);
    while (ComBox->count() > kComBoxEntries) ComBox->removeItem(ComBox->count() - 1);
    int select = index < kComBoxEntries ? index : -1;
    for (const SystemPort& p : offeredPorts_) {
        if (p.device == chosenDevice) select = ComBox->count();
        ComBox->addItem(EntryText(p));
        // The field is narrow; the whole name shows on hovering.
        ComBox->setItemData(ComBox->count() - 1, EntryText(p), Qt::ToolTipRole);
    }
    ComBox->setCurrentIndex(select);
    // The open list is as wide as its longest entry, not only as the field.
    ComBox->view()->setMinimumWidth(ComBox->view()->sizeHintForColumn(0) +
                                    ComBox->view()->verticalScrollBar()->sizeHint().width());
}

void TForm1::SelectPortEntry(int n) {
    // A number that reaches one of the system's ports shows that port.
    for (size_t i = 0; i < offeredPorts_.size(); ++i) {
        if (n > 0 && MappedComNumber(offeredPorts_[i]) == n) {
            ComBox->setCurrentIndex(kComBoxEntries + int(i));
            ShowPortDevice(n);
            return;
        }
    }
    ComBox->setCurrentIndex(n >= 0 && n < kComBoxEntries ? n : -1);
    ShowPortDevice(n);
}

void TForm1::WireLink() {
    // Only a choice of the user's runs the handler; the selection that the
    // search or the start-up sets must not connect again.
    connect(ComBox, &QComboBox::activated, this, [this] { ComBoxChange(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    if (auto* box = dynamic_cast<PortComboBox*>(ComBox))
        box->beforePopup = [this] { FillPortChoice(); };
}

void TForm1::ComBoxChange() {
    if (!MayEndLive()) {
        SelectPortEntry(chosenPort_);  // the choice shown goes back to the one in use
        return;
    }
    int n = ComBox->currentIndex();
    if (n >= kComBoxEntries) {
        // One of the system's ports: reached through a COM number of its
        // own in [Ports], and that number is what is stored.
        const SystemPort port = offeredPorts_.at(size_t(n - kComBoxEntries));
        QString problem;
        n = ComNumberFor(port, allPorts_, &problem);
        if (n == 0) {
            SetStatus(QStringLiteral(" Keine Hardware an %1! %2").arg(port.device, problem));
            return;
        }
        ComBox->setItemText(ComBox->currentIndex(), EntryText(port));
    }
    ShowPortDevice(n);
    // The choice stands even when the port does not open now: the next
    // command tries it again (an adapter plugged in later then works).
    chosenPort_ = n;
    auto out = std::make_shared<CellResult>();
    StartCellCommand(
        [n, out](SerialLink& link, CellProgress&) {
            *out = ConnectCommand(link, n);
            if (out->Ok()) link.SetPortNumber(n);
        },
        [this, n, out] {
            QString text = CellMessage(*out).status;
            if (out->Ok()) {
                if (!WriteStoredPort(n)) text += NotStored();
            } else if (out->cause != CellCause::kOpenFailure && !WriteStoredPort(-1)) {
                // A port that could not be opened (busy, forbidden, unplugged)
                // says nothing about the cell: the stored choice stays.
                text += NotStored();
            }
            SetStatus(text);
        });
}

void TForm1::Button4Click() {
    if (CellCommandRunning() || !MayEndLive()) return;
    SetStatus(QStringLiteral(" Hardware wird gesucht ..."));
    // The system's ports that no COM number reaches yet are tried under
    // numbers that reach nothing else, for this search only; the one where
    // a device answers keeps its number.
    FillPortChoice();
    const std::map<int, QString> trial = SearchTrialNumbers(offeredPorts_, allPorts_);
    auto out = std::make_shared<CellResult>();
    StartCellCommand(
        [this, out, trial](SerialLink& link, CellProgress& progress) {
            // The questions go to the person on the window's thread.
            const AcceptPrompt prompt{
                [this] {
                    bool held = false;
                    session_.OnOwnerThread([&] { held = seams().CtrlHeld(); });
                    return held;
                },
                [this](const QString& caption, const QString& text) {
                    bool yes = false;
                    session_.OnOwnerThread([&] { yes = seams().Ask(this, caption, text); });
                    return yes;
                },
                {},
                {}};
            *out = SearchCommand(link, trial, prompt, progress);
        },
        [this, out, trial] {
            CellResult& r = *out;
            if (!r.Ok()) {
                // Cancelled, or nothing answered: the user's choice stays, stored and shown,
                // for the cell that is merely switched off or plugged in later.
                ShowCellResult(r);
                return;
            }
            const KeptPort kept = KeepFoundPort(r, trial);
            if (!kept.stored) {
                SetStatus(CellMessage(r).status + NotStored());
                if (!kept.mapped) return;  // COM n reaches nothing without its entry
            } else {
                ShowCellResult(r);
            }
            chosenPort_ = r.port;
            FillPortChoice();
            SelectPortEntry(r.port);
        });
}

void TForm1::RestorePort() {
    const int n = ReadStoredPort();
    if (seams().CtrlHeld()) seams().Notice(this, QString::number(n));
    FillPortChoice();
    SelectPortEntry(n);
    if (n > 0) ComBoxChange();
}

}  // namespace kelvarn

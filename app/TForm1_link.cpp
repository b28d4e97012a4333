// The port on the "&Einstellungen" tab: choosing it by hand, the automatic
// search, and restoring the stored choice at start-up.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "app/TForm1.h"
#include "cell/CellProgress.h"
#include "cell/CellWorker.h"
#include "link/DeviceSearch.h"
#include "link/SettingsFile.h"
#include "link/SerialLink.h"

namespace kelvarn {

namespace {

constexpr int kComBoxEntries = 17;  // entry 0 stands for port 0

}  // namespace

void TForm1::WireLink() {
    // Only a choice of the user's runs the handler; the selection that the
    // search or the start-up sets must not connect again.
    connect(ComBox, &QComboBox::activated, this, [this] { ComBoxChange(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
}

void TForm1::ComBoxChange() {
    const int n = ComBox->currentIndex();
    // The choice stands even when the port does not open now: the next
    // command tries it again (an adapter plugged in later then works).
    chosenPort_ = n;
    struct Outcome {
        bool connected = false;
        bool openFailed = false;
        QString cause;
    };
    auto out = std::make_shared<Outcome>();
    StartCellCommand(
        [this, n, out](CellProgress&) {
            out->connected = ConnectCell(link_, n);
            if (out->connected) {
                link_.SetPortNumber(n);
            } else if (!link_.IsPortOpen() && link_.LastOpenFailure() != OpenFailure::kNone) {
                out->openFailed = true;
                out->cause = OpenFailureText(link_.LastOpenFailure());
            }
        },
        [this, n, out] {
            QString text;
            if (out->connected) {
                text = QStringLiteral("Hardware an COM %1 gefunden.").arg(n);
                WriteStoredPort(n);
            } else {
                text = QStringLiteral(" Keine Hardware an COM%1!").arg(n);
                if (!out->cause.isEmpty()) text += QLatin1Char(' ') + out->cause;
                // A port that could not be opened (busy, forbidden, unplugged)
                // says nothing about the cell: the stored choice stays.
                if (!out->openFailed) WriteStoredPort(-1);
            }
            SetStatus(text);
        });
}

void TForm1::Button4Click() {
    if (CellCommandRunning()) return;
    SetStatus(QStringLiteral(" Hardware wird gesucht ..."));
    struct Outcome {
        int kind = kNoDevice;
        int port = 0;
        bool cancelled = false;
    };
    auto out = std::make_shared<Outcome>();
    CellWorker* worker = cellWorker.get();
    StartCellCommand(
        [this, out, worker](CellProgress& progress) {
            // The questions go to the person on the window's thread.
            const AcceptPrompt prompt{
                [this, worker] {
                    bool held = false;
                    worker->OnOwnerThread([&] { held = seams().CtrlHeld(); });
                    return held;
                },
                [this, worker](const QString& caption, const QString& text) {
                    bool yes = false;
                    worker->OnOwnerThread([&] { yes = seams().Ask(this, caption, text); });
                    return yes;
                },
                [&progress] { return progress.Cancelled(); },
                [&progress](int n) { progress.ProgressPosition(n - 1); }};
            progress.ProgressMax(16);
            out->kind = SearchHardware(link_, prompt);
            out->cancelled = progress.Cancelled();
            out->port = link_.GetPortNumber();
            // A line that fails here fails the next command, which says so.
            if (!out->cancelled && out->kind != kNoDevice && out->kind != kVendraUsb &&
                out->port > 0)
                (void)link_.ResetLink();
        },
        [this, out] {
            if (out->cancelled) {
                // The stored choice stays as it was.
                SetStatus(QStringLiteral(" Suche abgebrochen."));
                return;
            }
            const int n = out->port;
            // The USB adapter has no port number of its own, and the cell
            // commands cannot use it: what GetPortNumber holds then is merely
            // the last serial port the search opened.
            if (out->kind == kNoDevice || out->kind == kVendraUsb || n <= 0) {
                WriteStoredPort(-1);
                SetStatus(QStringLiteral(" Keine Hardware gefunden."));
                ComBox->setCurrentIndex(-1);
            } else {
                SetStatus(QStringLiteral("Hardware an COM %1 gefunden.").arg(n));
                WriteStoredPort(n);
                chosenPort_ = n;
                ComBox->setCurrentIndex(n < kComBoxEntries ? n : -1);
            }
        });
}

void TForm1::RestorePort() {
    const int n = ReadStoredPort();
    if (seams().CtrlHeld()) seams().Notice(this, QString::number(n));
    ComBox->setCurrentIndex(n >= 0 && n < kComBoxEntries ? n : -1);
    if (n > 0) ComBoxChange();
}

}  // namespace kelvarn

// The port on the "&Einstellungen" tab: choosing it by hand, the automatic
// search, and restoring the stored choice at start-up.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/TForm1.h"
#include "link/DeviceSearch.h"
#include "link/SettingsFile.h"
#include "link/comphard.h"

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
    QString text;
    if (ConnectCell(n)) {
        text = QStringLiteral("Hardware an COM %1 gefunden.").arg(n);
        WriteStoredPort(n);
        SetPortNumber(n);
    } else {
        text = QStringLiteral(" Keine Hardware an COM%1!").arg(n);
        WriteStoredPort(-1);
    }
    SetStatus(text);
}

void TForm1::Button4Click() {
    SetStatus(QStringLiteral(" Hardware wird gesucht ..."));
    StatusBar1->repaint();  // the search blocks the window for seconds

    const AcceptPrompt prompt{[this] { return seams().CtrlHeld(); },
                              [this](const QString& caption, const QString& text) {
                                  return seams().Ask(this, caption, text);
                              }};
    const int kind = SearchHardware(prompt);
    const int n = GetPortNumber();
    // The USB adapter has no port number of its own, and the cell commands
    // cannot use it: what GetPortNumber holds then is merely the last
    // serial port the search opened.
    if (kind == kNoDevice || kind == kVendraUsb || n <= 0) {
        WriteStoredPort(-1);
        SetStatus(QStringLiteral(" Keine Hardware gefunden."));
        ComBox->setCurrentIndex(-1);
    } else {
        SetStatus(QStringLiteral("Hardware an COM %1 gefunden.").arg(n));
        WriteStoredPort(n);
        ResetLink();
        ComBox->setCurrentIndex(n < kComBoxEntries ? n : -1);
    }
}

void TForm1::RestorePort() {
    const int n = ReadStoredPort();
    if (seams().CtrlHeld()) seams().Notice(this, QString::number(n));
    ComBox->setCurrentIndex(n >= 0 && n < kComBoxEntries ? n : -1);
    if (n > 0) ComBoxChange();
}

}  // namespace kelvarn

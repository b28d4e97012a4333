#include "link/DeviceSearch.h"

#include "link/UsbAdapter.h"
#include "link/comphard.h"

namespace kelvarn {

namespace {

const QString kQuestion = QStringLiteral("Übernehmen?");

QString Definition(int n, int baud) {
    return QStringLiteral("COM%1:%2,N,8,2").arg(n).arg(baud);
}

// Steps 1 to 4 of every probe: open, eleven zeros back to back, pause,
// command byte, one reply. -1 also when the port did not open.
int Identify(int n, int baud, int pauseMs, int command) {
    if (!OpenPort(Definition(n, baud))) return -1;
    for (int i = 0; i < 11; ++i) WriteByte(0);
    Delay(pauseMs);
    WriteByte(command);
    return ReadByte();
}

// Takes the device: kind set, its outputs put into their rest state.
bool Take(int kind) {
    SetDeviceKind(kind);
    WriteOutputs(0);
    return true;
}

// A probe with one accepted reply.
bool ProbeOne(int n, int baud, int pauseMs, int command, int reply, int kind,
              const QString& caption, const AcceptPrompt& prompt) {
    if (Identify(n, baud, pauseMs, command) != reply) return false;
    if (!prompt.Accept(caption)) return false;
    return Take(kind);
}

// One try of the connection check.
bool TryCell(int n, int command, int reply) {
    if (!OpenPort(Definition(n, 9600))) return false;
    WriteByte(command);
    if (ReadByte() != reply) return false;
    SetDeviceKind(kCell);
    SetRts(true);
    return true;
}

}  // namespace

bool AcceptPrompt::Accept(const QString& caption) const {
    if (!ctrlHeld || !ctrlHeld()) return true;
    return ask ? ask(caption, kQuestion) : true;
}

bool ConnectCell(int n) {
    return TryCell(n, 12, 240) || TryCell(n, 13, 1);
}

bool ProbeRQ410(int n, const AcceptPrompt& prompt) {
    if (Identify(n, 9600, 100, 12) != 240) return false;
    if (!prompt.Accept(QStringLiteral("RQ410 (Zelle) an COM%1").arg(n))) return false;
    SetDeviceKind(kCell);
    SetRts(true);
    return true;
}

bool ProbeZelle(int n, const AcceptPrompt& prompt) {
    return ProbeOne(n, 9600, 10, 13, 1, kCell, QStringLiteral("Zelle an COM%1").arg(n), prompt);
}

bool ProbeFast(int n, const AcceptPrompt& prompt) {
    const int r = Identify(n, 19200, 10, 1);
    if (!IsPortOpen()) return false;  // the port did not open: nothing was sent
    int kind = kNoDevice;
    QString caption;
    if (r == 10) {
        kind = kNera;
        caption = QStringLiteral("NERA an COM%1");
    } else if (r == 20) {
        kind = kPeltrix;
        caption = QStringLiteral("Peltrix an COM%1");
    } else if (r >= 200 && r <= 209) {
        kind = kVendraSerial;
        caption = QStringLiteral("Vendra an COM%1");
    }
    if (kind != kNoDevice && prompt.Accept(caption.arg(n))) return Take(kind);

    // Second step, also after a declined device: the TAVINBOX answers 211.
    WriteByte(211);
    if (ReadByte() > 0 && prompt.Accept(QStringLiteral("TAVINBOX an COM%1").arg(n)))
        return Take(kTavinbox);
    return false;
}

bool ProbePeltrix(int n, const AcceptPrompt& prompt) {
    return ProbeOne(n, 9600, 10, 1, 20, kPeltrix, QStringLiteral("PELTRIX an COM%1").arg(n),
                    prompt);
}

bool ProbeOrbide(int n, const AcceptPrompt& prompt) {
    return ProbeOne(n, 19200, 10, 13, 33, kOrbide, QStringLiteral("ORBIDE an COM%1").arg(n),
                    prompt);
}

int SearchHardware(const AcceptPrompt& prompt) {
    using Probe = bool (*)(int, const AcceptPrompt&);
    const Probe probes[] = {ProbeRQ410, ProbeZelle, ProbeFast, ProbePeltrix, ProbeOrbide};
    for (int n = 1; n <= 16; ++n) {
        if (prompt.probing) prompt.probing(n);
        for (Probe probe : probes) {
            if (prompt.Cancelled()) return kNoDevice;
            if (probe(n, prompt)) return GetDeviceKind();
        }
    }
    if (prompt.Cancelled()) return kNoDevice;
    // An adapter that refused its start state has cleared DeviceKind again
    // and is not reported as found.
    if (SearchUsb(prompt) >= 0) return GetDeviceKind();
    return kNoDevice;
}

int SearchUsb(const AcceptPrompt& prompt) {
    const QString path = GetUsbDevicePath();
    const int underscore = path.indexOf(QLatin1Char('_'));
    const QString prefix = underscore >= 0 ? path.left(underscore + 1) : path;
    UsbAdapter& usb = CurrentUsbAdapter();
    for (int i = 0; i <= 254 && GetDeviceKind() == kNoDevice && !prompt.Cancelled(); ++i) {
        SetUsbDevicePath(prefix + QString::number(i));
        if (!usb.Open(GetUsbDevicePath())) continue;
        usb.Close();
        if (!prompt.Accept(QStringLiteral("Vendra-USB#%1").arg(i))) continue;
        SetDeviceKind(kVendraUsb);
        InitUsbAdapter();
        return i;
    }
    return -1;
}

void InitUsbAdapter() {
    if (GetDeviceKind() == kVendraUsb) UsbControl(52, 128);
}

}  // namespace kelvarn

#include "link/DeviceSearch.h"

#include "link/SerialLink.h"
#include "link/UsbAdapter.h"

namespace kelvarn {

namespace {

const QString kQuestion = QStringLiteral("Übernehmen?");

QString Definition(int n, int baud) {
    return QStringLiteral("COM%1:%2,N,8,2").arg(n).arg(baud);
}

// Steps 1 to 4 of every probe: open, eleven zeros back to back, pause,
// the family's question, one reply. -1 also when the port did not open. A
// write that fails leaves the reply missing, which is the probe's answer.
int Identify(SerialLink& link, int n, int baud, const DeviceFamily& f) {
    if (!link.OpenPort(Definition(n, baud))) return -1;
    for (int i = 0; i < 11; ++i) (void)link.WriteByte(0);
    link.Delay(f.identifyPauseMs);
    (void)link.WriteByte(f.identify);
    return link.ReadByte();
}

bool Names(const DeviceFamily& f, int reply) {
    return reply >= f.replyLow && reply <= f.replyHigh;
}

// Takes the device: kind set, its outputs put into their rest state.
bool Take(SerialLink& link, int kind) {
    link.SetDeviceKind(kind);
    link.WriteOutputs(0);
    return true;
}

// A probe for one family at baud.
bool ProbeOne(SerialLink& link, int n, int baud, DeviceFamilyId id, const QString& caption,
              const AcceptPrompt& prompt) {
    const DeviceFamily& f = Family(id);
    if (!Names(f, Identify(link, n, baud, f))) return false;
    if (!prompt.Accept(caption)) return false;
    return Take(link, f.kind);
}

// One try of the connection check, with the question of one of the cells.
bool TryCell(SerialLink& link, int n, DeviceFamilyId id) {
    const DeviceFamily& f = Family(id);
    if (!link.OpenPort(Definition(n, f.baud))) return false;
    (void)link.WriteByte(f.identify);
    if (!Names(f, link.ReadByte())) return false;
    link.SetDeviceKind(f.kind);
    link.SetRts(true);
    return true;
}

}  // namespace

bool AcceptPrompt::Accept(const QString& caption) const {
    if (!ctrlHeld || !ctrlHeld()) return true;
    return ask ? ask(caption, kQuestion) : true;
}

bool ConnectCell(SerialLink& link, int n) {
    return TryCell(link, n, DeviceFamilyId::Rq410) || TryCell(link, n, DeviceFamilyId::PlainCell);
}

bool ProbeRQ410(SerialLink& link, int n, const AcceptPrompt& prompt) {
    const DeviceFamily& f = Family(DeviceFamilyId::Rq410);
    if (!Names(f, Identify(link, n, f.baud, f))) return false;
    if (!prompt.Accept(QStringLiteral("RQ410 (Zelle) an COM%1").arg(n))) return false;
    link.SetDeviceKind(f.kind);
    link.SetRts(true);
    return true;
}

bool ProbeZelle(SerialLink& link, int n, const AcceptPrompt& prompt) {
    return ProbeOne(link, n, 9600, DeviceFamilyId::PlainCell,
                    QStringLiteral("Zelle an COM%1").arg(n), prompt);
}

bool ProbeFast(SerialLink& link, int n, const AcceptPrompt& prompt) {
    // One question at 19200 baud names three families by its reply.
    const int r = Identify(link, n, 19200, Family(DeviceFamilyId::Nera));
    if (!link.IsPortOpen()) return false;  // the port did not open: nothing was sent
    struct Named {
        DeviceFamilyId id;
        const char* caption;
    };
    static constexpr Named kNamed[] = {{DeviceFamilyId::Nera, "NERA an COM%1"},
                                       {DeviceFamilyId::Peltrix, "Peltrix an COM%1"},
                                       {DeviceFamilyId::VendraSerial, "Vendra an COM%1"}};
    for (const Named& named : kNamed) {
        const DeviceFamily& f = Family(named.id);
        if (Names(f, r)) {
            if (prompt.Accept(QString::fromLatin1(named.caption).arg(n))) return Take(link, f.kind);
            break;
        }
    }

    // Second step, also after a declined device: the TAVINBOX answers its
    // own question.
    const DeviceFamily& tavinbox = Family(DeviceFamilyId::Tavinbox);
    (void)link.WriteByte(tavinbox.identify);
    if (Names(tavinbox, link.ReadByte()) &&
        prompt.Accept(QStringLiteral("TAVINBOX an COM%1").arg(n)))
        return Take(link, tavinbox.kind);
    return false;
}

bool ProbePeltrix(SerialLink& link, int n, const AcceptPrompt& prompt) {
    return ProbeOne(link, n, 9600, DeviceFamilyId::Peltrix,
                    QStringLiteral("PELTRIX an COM%1").arg(n), prompt);
}

bool ProbeOrbide(SerialLink& link, int n, const AcceptPrompt& prompt) {
    return ProbeOne(link, n, 19200, DeviceFamilyId::Orbide,
                    QStringLiteral("ORBIDE an COM%1").arg(n), prompt);
}

int SearchHardware(SerialLink& link, const AcceptPrompt& prompt) {
    using Probe = bool (*)(SerialLink&, int, const AcceptPrompt&);
    const Probe probes[] = {ProbeRQ410, ProbeZelle, ProbeFast, ProbePeltrix, ProbeOrbide};
    for (int n = 1; n <= 16; ++n) {
        if (prompt.probing) prompt.probing(n);
        for (Probe probe : probes) {
            if (prompt.Cancelled()) return kNoDevice;
            if (probe(link, n, prompt)) return link.GetDeviceKind();
        }
    }
    if (prompt.Cancelled()) return kNoDevice;
    // An adapter that refused its start state has cleared DeviceKind again
    // and is not reported as found.
    if (SearchUsb(link, prompt) >= 0) return link.GetDeviceKind();
    return kNoDevice;
}

int SearchUsb(SerialLink& link, const AcceptPrompt& prompt) {
    const QString path = link.GetUsbDevicePath();
    const int underscore = path.indexOf(QLatin1Char('_'));
    const QString prefix = underscore >= 0 ? path.left(underscore + 1) : path;
    UsbAdapter& usb = link.Usb();
    for (int i = 0; i <= 254 && link.GetDeviceKind() == kNoDevice && !prompt.Cancelled(); ++i) {
        link.SetUsbDevicePath(prefix + QString::number(i));
        if (!usb.Open(link.GetUsbDevicePath())) continue;
        usb.Close();
        if (!prompt.Accept(QStringLiteral("Vendra-USB#%1").arg(i))) continue;
        link.SetDeviceKind(kVendraUsb);
        InitUsbAdapter(link);
        return i;
    }
    return -1;
}

void InitUsbAdapter(SerialLink& link) {
    if (link.GetDeviceKind() == kVendraUsb) link.UsbControl(52, 128);
}

}  // namespace kelvarn

#include "link/comphard.h"

#include <QStringList>
#include <QThread>
#include <array>

#include "link/PortNames.h"
#include "link/SerialDevice.h"
#include "link/UsbAdapter.h"

namespace kelvarn {

namespace {

const QString kInitialUsbPath = QStringLiteral("\\\\.\\Vendrausb_1");

class ThreadClock : public LinkClock {
public:
    void Sleep(int ms) override { QThread::msleep(static_cast<unsigned long>(ms)); }
};

struct LinkState {
    std::unique_ptr<ByteDevice> port;  // the open port; null when none
    int portNumber = 0;
    int deviceKind = kNoDevice;
    int outputState = 0;
    int lastValue1 = 0;
    int lastValue2 = 0;
    int usbMissCount = 0;
    OpenFailure openFailure = OpenFailure::kNone;
    QString usbDevicePath = kInitialUsbPath;

    DeviceFactory factory;
    LinkClock* clock = nullptr;
    UsbAdapter* usb = nullptr;
};

// Never destroyed: the port stays open until the process ends, as it always
// has, and no Qt object is torn down after the application object is gone.
LinkState& S() {
    static LinkState* state = new LinkState;
    return *state;
}

LinkClock& Clock() {
    static ThreadClock real;
    return S().clock ? *S().clock : real;
}

std::unique_ptr<ByteDevice> MakeDevice(const QString& portName) {
    return S().factory ? S().factory(portName) : MakeSerialDevice(portName);
}

// "9600,N,8,2" as the platform's build-from-text call takes it.
bool ParseLine(const QString& text, LineSettings& out) {
    const QStringList f = text.split(QLatin1Char(','));
    if (f.size() != 4) return false;
    bool ok = false;
    out.baud = f[0].trimmed().toInt(&ok);
    if (!ok || out.baud <= 0) return false;
    const QString parity = f[1].trimmed().toUpper();
    if (parity.size() != 1 || !QStringLiteral("NEOMS").contains(parity)) return false;
    out.parity = parity[0].toLatin1();
    out.dataBits = f[2].trimmed().toInt(&ok);
    if (!ok || out.dataBits < 5 || out.dataBits > 8) return false;
    out.stopBits = f[3].trimmed().toInt(&ok);
    return ok && (out.stopBits == 1 || out.stopBits == 2);
}

// One request 8 to the USB adapter (path opened and closed around it).
bool UsbExchange(uint8_t outputs, std::array<uint8_t, 8>& reply) {
    UsbAdapter& usb = CurrentUsbAdapter();
    if (!usb.Open(S().usbDevicePath)) return false;
    const bool ok = usb.Request(UsbAdapter::kRequestExchange, {6, outputs, 0, 0}, reply);
    usb.Close();
    return ok;
}

int ReadUsbChannel(int n) {
    LinkState& s = S();
    std::array<uint8_t, 8> reply{};
    if (UsbExchange(uint8_t(s.outputState & 0xFF), reply) && reply[0] == 'B') {
        s.lastValue1 = ((unsigned(reply[4]) % 16) + unsigned(reply[2]) * 4 + 1) >> 2;
        s.lastValue2 = ((unsigned(reply[4]) / 15) + unsigned(reply[3]) * 4 + 1) >> 2;
        return n == 1 ? s.lastValue1 : s.lastValue2;
    }
    // Single misses happen while the adapter is busy: the previous values
    // stand in. After the eleventh in a row the adapter is taken as gone,
    // for both channels alike.
    if (++s.usbMissCount <= 10) return n == 1 ? s.lastValue1 : s.lastValue2;
    s.usbMissCount = 0;
    return -1;
}

}  // namespace

bool OpenPort(const QString& definition) {
    ClosePort();
    S().openFailure = OpenFailure::kNone;
    const int colon = definition.indexOf(QLatin1Char(':'));
    const QString name = definition.left(colon).trimmed();
    const int n = PortNumberOf(name);
    if (colon < 0 || n == 0) return false;
    LineSettings line;
    const bool lineOk = ParseLine(definition.mid(colon + 1), line);

    std::unique_ptr<ByteDevice> device = MakeDevice(name);
    if (!device) {
        S().openFailure = OpenFailure::kMissing;
        return false;
    }
    if (!device->Open()) {
        S().openFailure = device->LastOpenFailure();
        return false;
    }
    device->ClearError();
    // A port that cannot take the line settings is not kept: every later
    // byte on it would go out at a speed the device does not expect.
    if (!lineOk || !device->Configure(line)) {
        device->Close();
        return false;
    }
    device->SetRts(false);
    device->SetDtr(true);
    S().port = std::move(device);
    S().portNumber = n;
    return true;
}

bool ClosePort() {
    LinkState& s = S();
    bool ok = false;
    if (s.port) {
        ok = s.port->Close();
        s.port.reset();
    }
    s.portNumber = 0;
    s.deviceKind = kNoDevice;
    return ok;
}

bool IsPortOpen() {
    return S().port != nullptr;
}

OpenFailure LastOpenFailure() {
    return S().openFailure;
}

QString OpenFailureText(OpenFailure failure) {
    switch (failure) {
        case OpenFailure::kDenied:
            return QStringLiteral("Zugriff verweigert (Benutzer zur Gruppe dialout hinzufügen)");
        case OpenFailure::kMissing:
            return QStringLiteral("Gerät nicht vorhanden");
        case OpenFailure::kBusy:
            return QStringLiteral("Port belegt (von einem anderen Programm geöffnet)");
        case OpenFailure::kNone:
        case OpenFailure::kOther:
            break;
    }
    return {};
}

void Delay(int ms) {
    if (ms > 0) Clock().Sleep(ms);
}

void WriteByte(int value) {
    ByteDevice* port = S().port.get();
    if (!port) return;
    port->ClearError();
    port->Write(uint8_t(value & 0xFF), kWriteTimeoutMs);
}

int ReadByte() {
    return ReadByteWithin(kReadTimeoutMs);
}

int ReadByteWithin(int ms) {
    ByteDevice* port = S().port.get();
    if (!port) return -1;
    port->ClearError();
    const int r = port->Read(ms);
    return r >= 0 && r <= 255 ? r : -1;
}

bool PurgeReceive() {
    return S().port && S().port->PurgeReceive();
}

bool PurgeTransmit() {
    return S().port && S().port->PurgeTransmit();
}

void ResetLink() {
    for (int i = 0; i < 10; ++i) {
        WriteByte(0);
        Delay(2);
    }
    PurgeReceive();
    PurgeTransmit();
}

bool SetRts(bool on) {
    return S().port && S().port->SetRts(on);
}

bool SetDtr(bool on) {
    return S().port && S().port->SetDtr(on);
}

int GetPortNumber() {
    return S().portNumber;
}

int SetPortNumber(int n) {
    const int old = S().portNumber;
    S().portNumber = n;
    return old;
}

int GetDeviceKind() {
    return S().deviceKind;
}
void SetDeviceKind(int kind) {
    S().deviceKind = kind;
}
int GetOutputState() {
    return S().outputState;
}
int GetLastValue1() {
    return S().lastValue1;
}
int GetLastValue2() {
    return S().lastValue2;
}
QString GetUsbDevicePath() {
    return S().usbDevicePath;
}
void SetUsbDevicePath(const QString& path) {
    S().usbDevicePath = path;
}
int GetUsbMissCount() {
    return S().usbMissCount;
}

int ReadChannel(int n) {
    LinkState& s = S();
    switch (s.deviceKind) {
        case kNoDevice:
            return -1;
        case kVendraSerial:
            WriteByte(n == 1 ? 60 : 58);
            return ReadByte();
        case kNera:
        case kPeltrix:
            WriteByte(n + 47);
            return ReadByte();
        case kCell:
            WriteByte(7);
            WriteByte(n);
            s.lastValue1 = ReadByte();
            return s.lastValue1;
        case kTavinbox:
            if (n != 1 && n != 2) return 0;
            // One exchange gives both channels; the first reply is stale.
            WriteByte(176);
            Delay(1);
            WriteByte(210);
            Delay(1);
            ReadByte();
            WriteByte(210);
            Delay(1);
            s.lastValue2 = ReadByte();
            WriteByte(210);
            Delay(1);
            s.lastValue1 = ReadByte();
            return n == 1 ? s.lastValue1 : s.lastValue2;
        case kOrbide:
            WriteByte(n == 1 ? 48 : 50);
            return ReadByte();
        case kVendraUsb:
            return ReadUsbChannel(n);
        default:
            return 0;
    }
}

void WriteOutputs(int value) {
    LinkState& s = S();
    switch (s.deviceKind) {
        case kVendraSerial:
        case kTavinbox:
            WriteByte(81);
            WriteByte(value);
            s.outputState = value;
            break;
        case kNera:
        case kPeltrix:
            WriteByte(16);
            WriteByte(value);
            s.outputState = value;
            break;
        case kCell: {
            // The cell takes its four outputs in the high nibble; the low
            // nibble stays all ones.
            const int v = (((value % 16) + 16) % 16) * 16 + 15;
            WriteByte(11);
            WriteByte(v);
            s.outputState = v;
            break;
        }
        case kOrbide:
            WriteByte(72);
            WriteByte(value);
            s.outputState = value;
            break;
        case kVendraUsb: {
            s.outputState = value;
            std::array<uint8_t, 8> reply{};
            UsbExchange(uint8_t(value & 0xFF), reply);
            break;
        }
        default:
            s.outputState = value;
            break;
    }
}

void UsbControl(uint8_t a, uint8_t b) {
    Delay(10);
    UsbAdapter& usb = CurrentUsbAdapter();
    if (!usb.Open(S().usbDevicePath)) return;
    std::array<uint8_t, 8> reply{};
    if (!usb.Request(UsbAdapter::kRequestControl, {23, a, b, 0}, reply)) S().deviceKind = kNoDevice;
    usb.Close();
    Delay(10);
}

void SetDeviceFactory(DeviceFactory factory) {
    ClosePort();
    S().factory = std::move(factory);
}

void SetLinkClock(LinkClock* clock) {
    S().clock = clock;
}

void SetUsbAdapter(UsbAdapter* adapter) {
    S().usb = adapter;
}

UsbAdapter& CurrentUsbAdapter() {
    return S().usb ? *S().usb : PlatformUsbAdapter();
}

void ResetLinkState() {
    ClosePort();
    LinkState& s = S();
    s.outputState = 0;
    s.lastValue1 = 0;
    s.lastValue2 = 0;
    s.usbMissCount = 0;
    s.openFailure = OpenFailure::kNone;
    s.usbDevicePath = kInitialUsbPath;
}

}  // namespace kelvarn

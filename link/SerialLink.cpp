#include "link/SerialLink.h"

#include <QStringList>
#include <QThread>
#include <array>

#include "link/PortNames.h"
#include "link/SerialDevice.h"
#include "link/UsbAdapter.h"

namespace kelvarn {

namespace {

class ThreadClock : public LinkClock {
public:
    void Sleep(int ms) override { QThread::msleep(static_cast<unsigned long>(ms)); }
};

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

}  // namespace

SerialLink::SerialLink(DeviceFactory factory, LinkClock* clock, UsbAdapter* usb)
    : usbDevicePath_(QLatin1String(kInitialUsbPath)),
      factory_(std::move(factory)),
      clock_(clock),
      usb_(usb) {}

SerialLink::~SerialLink() {
    ClosePort();
}

LinkClock& SerialLink::Clock() {
    static ThreadClock real;
    return clock_ ? *clock_ : real;
}

UsbAdapter& SerialLink::Usb() {
    if (usb_) return *usb_;
    if (!platformUsb_) platformUsb_ = MakePlatformUsbAdapter();
    return *platformUsb_;
}

bool SerialLink::OpenPort(const QString& definition) {
    ClosePort();
    openFailure_ = OpenFailure::kNone;
    const int colon = definition.indexOf(QLatin1Char(':'));
    const QString name = definition.left(colon).trimmed();
    const int n = PortNumberOf(name);
    if (colon < 0 || n == 0) return false;
    LineSettings line;
    const bool lineOk = ParseLine(definition.mid(colon + 1), line);

    std::unique_ptr<ByteDevice> device =
        factory_ ? factory_(name) : std::make_unique<SerialDevice>(names_.DevicePath(n));
    if (!device) {
        openFailure_ = OpenFailure::kMissing;
        return false;
    }
    if (!device->Open()) {
        openFailure_ = device->LastOpenFailure();
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
    port_ = std::move(device);
    portNumber_ = n;
    return true;
}

bool SerialLink::ClosePort() {
    bool ok = false;
    if (port_) {
        ok = port_->Close();
        port_.reset();
    }
    portNumber_ = 0;
    deviceKind_ = kNoDevice;
    return ok;
}

QString OpenFailureText(OpenFailure failure) {
    switch (failure) {
        case OpenFailure::kDenied:
            return QStringLiteral("Zugriff verweigert (Benutzer zur Gruppe dialout hinzufügen)");
        case OpenFailure::kMissing: return QStringLiteral("Gerät nicht vorhanden");
        case OpenFailure::kBusy:
            return QStringLiteral("Port belegt (von einem anderen Programm geöffnet)");
        case OpenFailure::kNone:
        case OpenFailure::kOther: break;
    }
    return {};
}

void SerialLink::Delay(int ms) {
    if (ms > 0) Clock().Sleep(ms);
}

LinkStatus SerialLink::WriteByte(int value) {
    if (!port_) return LinkStatus::kLineFailure;
    port_->ClearError();
    // A byte that cannot leave within its time-out means the line is gone
    // (an adapter pulled) or blocked: either way the exchange has failed.
    return port_->Write(uint8_t(value & 0xFF), kWriteTimeoutMs) ? LinkStatus::kOk
                                                                : LinkStatus::kLineFailure;
}

int SerialLink::ReadByte() {
    return ReadByteWithin(kReadTimeoutMs);
}

int SerialLink::ReadByteWithin(int ms) {
    if (!port_) {
        lastRead_ = LinkStatus::kLineFailure;
        return -1;
    }
    port_->ClearError();
    const int r = port_->Read(ms);
    const bool ok = r >= 0 && r <= 255;
    lastRead_ = ok                    ? LinkStatus::kOk
                : port_->ReadFailed() ? LinkStatus::kLineFailure
                                      : LinkStatus::kTimeout;
    return ok ? r : -1;
}

bool SerialLink::PurgeReceive() {
    return port_ && port_->PurgeReceive();
}

bool SerialLink::PurgeTransmit() {
    return port_ && port_->PurgeTransmit();
}

LinkStatus SerialLink::ResetLink() {
    LinkStatus first = LinkStatus::kOk;
    for (int i = 0; i < 10; ++i) {
        const LinkStatus s = WriteByte(0);
        if (first == LinkStatus::kOk) first = s;
        Delay(2);
    }
    PurgeReceive();
    PurgeTransmit();
    return first;
}

bool SerialLink::SetRts(bool on) {
    return port_ && port_->SetRts(on);
}

bool SerialLink::SetDtr(bool on) {
    return port_ && port_->SetDtr(on);
}

int SerialLink::SetPortNumber(int n) {
    const int old = portNumber_;
    portNumber_ = n;
    return old;
}

// One request 8 to the USB adapter (path opened and closed around it).
bool SerialLink::UsbExchange(uint8_t outputs, std::array<uint8_t, 8>& reply) {
    UsbAdapter& usb = Usb();
    if (!usb.Open(usbDevicePath_)) return false;
    const bool ok = usb.Request(UsbAdapter::kRequestExchange, {6, outputs, 0, 0}, reply);
    usb.Close();
    return ok;
}

int SerialLink::ReadUsbChannel(int n) {
    std::array<uint8_t, 8> reply{};
    if (UsbExchange(uint8_t(outputState_ & 0xFF), reply) && reply[0] == 'B') {
        lastValue1_ = ((unsigned(reply[4]) % 16) + unsigned(reply[2]) * 4 + 1) >> 2;
        lastValue2_ = ((unsigned(reply[4]) / 15) + unsigned(reply[3]) * 4 + 1) >> 2;
        return n == 1 ? lastValue1_ : lastValue2_;
    }
    // Single misses happen while the adapter is busy: the previous values
    // stand in. After the eleventh in a row the adapter is taken as gone,
    // for both channels alike.
    if (++usbMissCount_ <= 10) return n == 1 ? lastValue1_ : lastValue2_;
    usbMissCount_ = 0;
    return -1;
}

int SerialLink::ReadChannel(int n) {
    if (deviceKind_ == kNoDevice) return -1;
    if (deviceKind_ == kVendraUsb) return ReadUsbChannel(n);
    const DeviceFamily* f = FamilyOfKind(deviceKind_);
    if (!f) return 0;
    // A write that fails shows itself as the missing reply that follows it.
    auto send = [this](int value) { (void)WriteByte(value); };
    switch (f->channels) {
        case ChannelAccess::kOneBytePerChannel:
            send(n == 1 ? f->channel1 : f->channel2);
            return ReadByte();
        case ChannelAccess::kNumberedBytes: send(f->channel1 + n - 1); return ReadByte();
        case ChannelAccess::kCommandAndNumber:
            send(f->channel1);
            send(n);
            lastValue1_ = ReadByte();
            return lastValue1_;
        case ChannelAccess::kOneExchangeForBoth:
            if (n != 1 && n != 2) return 0;
            // One exchange gives both channels; the first reply is stale.
            send(f->channel1);
            Delay(1);
            send(f->channel2);
            Delay(1);
            ReadByte();
            send(f->channel2);
            Delay(1);
            lastValue2_ = ReadByte();
            send(f->channel2);
            Delay(1);
            lastValue1_ = ReadByte();
            return n == 1 ? lastValue1_ : lastValue2_;
    }
    return 0;
}

void SerialLink::WriteOutputs(int value) {
    if (deviceKind_ == kVendraUsb) {
        outputState_ = value;
        std::array<uint8_t, 8> reply{};
        UsbExchange(uint8_t(value & 0xFF), reply);
        return;
    }
    const DeviceFamily* f = FamilyOfKind(deviceKind_);
    if (!f) {
        outputState_ = value;
        return;
    }
    // The cell takes its four outputs in the high nibble; the low nibble
    // stays all ones.
    const int v = deviceKind_ == kCell ? (((value % 16) + 16) % 16) * 16 + 15 : value;
    // Outputs have no reply: a line that fails here fails the next exchange.
    (void)WriteByte(f->output);
    (void)WriteByte(v);
    outputState_ = v;
}

void SerialLink::UsbControl(uint8_t a, uint8_t b) {
    Delay(10);
    UsbAdapter& usb = Usb();
    if (!usb.Open(usbDevicePath_)) return;
    std::array<uint8_t, 8> reply{};
    if (!usb.Request(UsbAdapter::kRequestControl, {23, a, b, 0}, reply)) deviceKind_ = kNoDevice;
    usb.Close();
    Delay(10);
}

}  // namespace kelvarn

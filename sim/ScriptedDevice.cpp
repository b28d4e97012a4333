#include "sim/ScriptedDevice.h"

#include "link/PortNames.h"
#include "link/SerialLink.h"
#include "sim/CellModel.h"
#include "sim/LinkKit.h"

namespace kelvarn {

namespace {

// What the link owns while the port is open: the scripted port itself
// stays with the test.
class DeviceHandle : public ByteDevice {
public:
    explicit DeviceHandle(ScriptedDevice& d) : d_(d) {}
    bool Open() override { return d_.Open(); }
    OpenFailure LastOpenFailure() const override { return d_.LastOpenFailure(); }
    bool Configure(const LineSettings& s) override { return d_.Configure(s); }
    void ClearError() override { d_.ClearError(); }
    bool Write(uint8_t v, int t) override { return d_.Write(v, t); }
    int Read(int t) override { return d_.Read(t); }
    bool PurgeReceive() override { return d_.PurgeReceive(); }
    bool PurgeTransmit() override { return d_.PurgeTransmit(); }
    bool SetRts(bool on) override { return d_.SetRts(on); }
    bool SetDtr(bool on) override { return d_.SetDtr(on); }
    bool Close() override { return d_.Close(); }

private:
    ScriptedDevice& d_;
};

}  // namespace

void ScriptedClock::Sleep(int ms) {
    elapsedMs += ms;
    sleeps.push_back(ms);
    if (log_) *log_ << QStringLiteral("delay %1").arg(ms);
}

ScriptedDevice::ScriptedDevice(QString name, QStringList* log, ScriptedClock* clock)
    : name_(std::move(name)), log_(log), clock_(clock) {}

void ScriptedDevice::Log(const QString& entry) {
    if (log_) *log_ << entry;
}

void ScriptedDevice::Feed(const std::vector<uint8_t>& bytes) {
    rx.insert(rx.end(), bytes.begin(), bytes.end());
}

void ScriptedDevice::FeedAt(long long atMs, const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes) onTheirWay.emplace(atMs, b);
}

void ScriptedDevice::Arrive() {
    while (!onTheirWay.empty() && onTheirWay.begin()->first <= Now()) {
        rx.push_back(onTheirWay.begin()->second);
        onTheirWay.erase(onTheirWay.begin());
    }
}

void ScriptedDevice::Answer(uint8_t sent, std::vector<uint8_t> reply) {
    answers_[sent] = std::move(reply);
}

void ScriptedDevice::SetResponder(std::function<std::vector<uint8_t>(uint8_t)> responder) {
    responder_ = std::move(responder);
}

bool ScriptedDevice::Open() {
    if (!exists || isOpen) {
        Log(QStringLiteral("open %1 failed").arg(name_));
        return false;
    }
    isOpen = true;
    ++opens;
    rx.clear();
    Log(QStringLiteral("open %1").arg(name_));
    return true;
}

bool ScriptedDevice::Configure(const LineSettings& s) {
    if (!isOpen || configureFails) {
        Log(QStringLiteral("line failed"));
        return false;
    }
    line = s;
    Log(QStringLiteral("line %1,%2,%3,%4")
            .arg(s.baud)
            .arg(QLatin1Char(s.parity))
            .arg(s.dataBits)
            .arg(s.stopBits));
    return true;
}

bool ScriptedDevice::Write(uint8_t value, int) {
    if (!isOpen) return false;
    if (writesLeft == 0) {
        Log(QStringLiteral("w %1 failed").arg(value));
        return false;
    }
    if (writesLeft > 0) --writesLeft;
    Now() += byteMs;
    // What was on its way came before any answer to this byte.
    Arrive();
    written.push_back(value);
    Log(QStringLiteral("w %1").arg(value));
    if (auto it = answers_.find(value); it != answers_.end()) Feed(it->second);
    if (responder_) Feed(responder_(value));
    if (model_) {
        Feed(model_->Receive(value, line.baud));
        if (auto late = model_->TakeLateAnswer()) FeedAt(Now() + late->afterMs, late->bytes);
    }
    return true;
}

int ScriptedDevice::Read(int timeoutMs) {
    if (!isOpen) return -1;
    Arrive();
    int r = -1;
    if (!rx.empty()) {
        r = rx.front();
        rx.pop_front();
    } else if (model_ && model_->LiveRunning()) {
        Now() += model_->LiveIntervalMs();
        r = model_->NextLiveByte();
    } else if (!onTheirWay.empty() && onTheirWay.begin()->first <= Now() + timeoutMs) {
        // A byte that comes while the read waits ends the wait.
        Now() = onTheirWay.begin()->first;
        Arrive();
        r = rx.front();
        rx.pop_front();
    } else {
        ++silentReads;
        Now() += timeoutMs;
    }
    Log(QStringLiteral("r %1").arg(r));
    return r;
}

bool ScriptedDevice::PurgeReceive() {
    if (!isOpen) return false;
    Arrive();
    rx.clear();
    Log(QStringLiteral("purge rx"));
    return true;
}

bool ScriptedDevice::PurgeTransmit() {
    if (!isOpen) return false;
    Log(QStringLiteral("purge tx"));
    return true;
}

bool ScriptedDevice::SetRts(bool on) {
    if (!isOpen) return false;
    rts = on;
    Log(QStringLiteral("rts %1").arg(on ? 1 : 0));
    return true;
}

bool ScriptedDevice::SetDtr(bool on) {
    if (!isOpen) return false;
    dtr = on;
    Log(QStringLiteral("dtr %1").arg(on ? 1 : 0));
    return true;
}

bool ScriptedDevice::Close() {
    if (!isOpen) return false;
    isOpen = false;
    Log(QStringLiteral("close %1").arg(name_));
    return true;
}

ScriptedLink::ScriptedLink() {
    Attach(serial);
}

ScriptedLink::~ScriptedLink() {
    serial.ClosePort();
}

void ScriptedLink::Attach(SerialLink& link) {
    LinkKit::SetDeviceFactory(link, [this](const QString& portName) -> std::unique_ptr<ByteDevice> {
        ScriptedDevice* d = Port(PortNumberOf(portName));
        if (!d) {
            log << QStringLiteral("open %1 failed").arg(portName);
            return nullptr;
        }
        return std::make_unique<DeviceHandle>(*d);
    });
    LinkKit::SetClock(link, &clock);
}

ScriptedDevice& ScriptedLink::AddPort(int n) {
    auto& slot = ports_[n];
    if (!slot)
        slot = std::make_unique<ScriptedDevice>(QStringLiteral("COM%1").arg(n), &log, &clock);
    return *slot;
}

ScriptedDevice* ScriptedLink::Port(int n) {
    auto it = ports_.find(n);
    return it == ports_.end() ? nullptr : it->second.get();
}

}  // namespace kelvarn

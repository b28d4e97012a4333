#include "link/CellModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "data/ProgramCode.h"
#include "data/ProgramTable.h"

namespace kelvarn {

namespace {

struct DeviceInfo {
    SimDevice device;
    const char* name;
};

constexpr DeviceInfo kDevices[] = {
    {SimDevice::Rq410, "rq410"},         {SimDevice::PlainCell, "cell"},
    {SimDevice::Nera, "nera"},           {SimDevice::Peltrix, "peltrix"},
    {SimDevice::VendraSerial, "vendra"}, {SimDevice::Tavinbox, "tavinbox"},
    {SimDevice::Orbide, "orbide"},
};

QString Letter(int row) {
    return QString(ProgramLetter(row));
}

}  // namespace

std::optional<SimDevice> SimDeviceFromName(const QString& name) {
    for (const DeviceInfo& d : kDevices)
        if (name.compare(QLatin1String(d.name), Qt::CaseInsensitive) == 0) return d.device;
    return std::nullopt;
}

QString SimDeviceName(SimDevice device) {
    for (const DeviceInfo& d : kDevices)
        if (d.device == device) return QLatin1String(d.name);
    return {};
}

CellModel::CellModel(CellModelOptions options) : o_(std::move(options)) {
    program_ = std::clamp(o_.program, 1, ProgramTable::kRows);
    if (o_.memoryFile.empty()) {
        memory_ = SyntheticMeasurement(program_, o_.seed);
    } else {
        const size_t n = std::min(o_.memoryFile.size(), memory_.bytes.size());
        std::copy_n(o_.memoryFile.begin(), n, memory_.bytes.begin());
        const int row = FindProgramRow(memory_);
        program_ = row;
    }
}

MeasurementRecord CellModel::SyntheticMeasurement(int row, uint32_t seed) {
    MeasurementRecord rec;
    BuildHeader(rec, row);
    const Messtypen& r = Programs().Row(row);
    const int total =
        std::min(int(r.Points) * int(r.Measurements), MeasurementRecord::kSampleBytes);
    // Traffic-like noise: a slow swell, a few loud events, and jitter. Only
    // the raw 32-bit output of the engine is used, so every platform gets
    // the same bytes for the same seed.
    std::mt19937 engine(seed + uint32_t(row) * 7919u);
    double event = 0;
    for (int k = 0; k < total; ++k) {
        const double swell = 8.0 * std::sin(2.0 * std::numbers::pi * k / 250.0);
        if (engine() % 97 == 0) event = 20.0 + engine() % 15;
        event *= 0.9;
        const double jitter = (int(engine() % 1001) - 500) / 100.0;  // -5..5 dB
        const double level = 48.0 + swell + event + jitter;
        rec.bytes[size_t(MeasurementRecord::kHeaderSize + k)] =
            uint8_t(std::clamp(LevelToSample(level), 1, 255));
    }
    return rec;
}

bool CellModel::LineSpeedFits(int baud) const {
    if (baud == 0) return true;
    switch (o_.device) {
        case SimDevice::Rq410:
        case SimDevice::PlainCell:
            return baud == 9600;
        case SimDevice::Peltrix:
            return baud == 9600 || baud == 19200;
        default:
            return baud == 19200;
    }
}

int CellModel::LiveIntervalMs() const {
    return Programs().Row(program_).IntervalMs;
}

uint8_t CellModel::NextLiveByte() {
    if (liveLeft_ <= 0) return 0;
    uint8_t b = uint8_t(std::max(1, MemoryByte(8 + liveIndex_ % MeasurementRecord::kSampleBytes)));
    if (liveIndex_ == o_.liveZeroAfter) b = 0;
    ++liveIndex_;
    if (--liveLeft_ == 0) Event(QStringLiteral("live end after %1 samples").arg(liveIndex_));
    return b;
}

QStringList CellModel::TakeEvents() {
    QStringList e;
    e.swap(events_);
    return e;
}

int CellModel::MemoryByte(int k) const {
    if (k < 8) {
        if (o_.badHeader && k < 2) return 0;
        return memory_.bytes[size_t(k)];
    }
    const size_t off = size_t(MeasurementRecord::kHeaderSize + (k - 8));
    return off < memory_.bytes.size() ? memory_.bytes[off] : 0;
}

std::vector<uint8_t> CellModel::Receive(uint8_t b, int baud) {
    std::vector<uint8_t> out;
    if (!LineSpeedFits(baud)) return out;
    if (liveLeft_ > 0) {
        // The cell stops streaming as soon as the PC speaks again.
        Event(QStringLiteral("live stopped after %1 samples").arg(liveIndex_));
        liveLeft_ = 0;
    }
    switch (mode_) {
        case Mode::ChannelArg:
            mode_ = Mode::Idle;
            Event(QStringLiteral("channel %1 -> %2").arg(b).arg(o_.channelValue));
            out.push_back(uint8_t(o_.channelValue));
            break;
        case Mode::OutputArg:
            mode_ = Mode::Idle;
            outputs_ = b;
            Event(QStringLiteral("outputs %1").arg(b));
            break;
        case Mode::LoadMarker:
            if (b == 1) {
                mode_ = Mode::LoadByte;
            } else {
                FinishUpload(b == 0);
                if (b != 0) Command(b, out);
            }
            break;
        case Mode::LoadByte:
            payload_.push_back(b);
            mode_ = Mode::LoadMarker;
            out.push_back(o_.prompt);
            break;
        case Mode::Reading:
            if (b == 1) {
                if (o_.stopReadAfter < 0 || readIndex_ < o_.stopReadAfter)
                    out.push_back(uint8_t(MemoryByte(readIndex_)));
                ++readIndex_;
            } else {
                Event(QStringLiteral("read end after %1 requests").arg(readIndex_));
                mode_ = Mode::Idle;
                if (b != 0) Command(b, out);
            }
            break;
        case Mode::Idle:
            Command(b, out);
            break;
    }
    if (o_.silent) out.clear();
    return out;
}

void CellModel::Command(uint8_t b, std::vector<uint8_t>& out) {
    mode_ = Mode::Idle;
    if (b == 0) return;  // filler of every reset
    const int v = o_.channelValue;
    switch (o_.device) {
        case SimDevice::Rq410:
        case SimDevice::PlainCell:
            CellCommand(b, out);
            return;
        case SimDevice::Nera:
        case SimDevice::Peltrix:
            if (b == 1) {
                const int id = o_.device == SimDevice::Nera ? 10 : 20;
                Event(QStringLiteral("identify 1 -> %1").arg(id));
                out.push_back(uint8_t(id));
            } else if (b == 48 || b == 49) {
                Event(QStringLiteral("channel %1 -> %2").arg(b - 47).arg(v));
                out.push_back(uint8_t(v));
            } else if (b == 16) {
                mode_ = Mode::OutputArg;
            }
            return;
        case SimDevice::VendraSerial:
            if (b == 1) {
                Event(QStringLiteral("identify 1 -> 201"));
                out.push_back(201);
            } else if (b == 60 || b == 58) {
                Event(QStringLiteral("channel %1 -> %2").arg(b == 60 ? 1 : 2).arg(v));
                out.push_back(uint8_t(v));
            } else if (b == 81) {
                mode_ = Mode::OutputArg;
            }
            return;
        case SimDevice::Tavinbox:
            if (b == 211) {
                Event(QStringLiteral("identify 211 -> 77"));
                out.push_back(77);
            } else if (b == 210) {  // after 176: one value per request
                out.push_back(uint8_t(v));
            } else if (b == 81) {
                mode_ = Mode::OutputArg;
            }
            return;
        case SimDevice::Orbide:
            if (b == 13) {
                Event(QStringLiteral("identify 13 -> 33"));
                out.push_back(33);
            } else if (b == 48 || b == 50) {
                Event(QStringLiteral("channel %1 -> %2").arg(b == 48 ? 1 : 2).arg(v));
                out.push_back(uint8_t(v));
            } else if (b == 72) {
                mode_ = Mode::OutputArg;
            }
            return;
    }
}

void CellModel::CellCommand(uint8_t b, std::vector<uint8_t>& out) {
    switch (b) {
        case 12:
            if (o_.device == SimDevice::Rq410) {
                Event(QStringLiteral("connect 12 -> 240"));
                out.push_back(240);
            } else {
                Event(QStringLiteral("connect 12 ignored (plain cell)"));
            }
            break;
        case 13:
            if (o_.device == SimDevice::PlainCell) {
                Event(QStringLiteral("connect 13 -> 1"));
                out.push_back(1);
            } else {
                Event(QStringLiteral("connect 13 ignored (RQ410)"));
            }
            break;
        case 7:
            mode_ = Mode::ChannelArg;
            break;
        case 11:
            mode_ = Mode::OutputArg;
            break;
        case 5:
            payload_.clear();
            mode_ = Mode::LoadMarker;
            out.push_back(o_.prompt);
            break;
        case 6: {
            Event(QStringLiteral("run program %1").arg(Letter(program_)));
            break;
        }
        case 2:
            readIndex_ = 0;
            mode_ = Mode::Reading;
            Event(QStringLiteral("read memory, program %1").arg(Letter(program_)));
            break;
        case 9: {
            const Messtypen& r = Programs().Row(program_);
            liveIndex_ = 0;
            liveLeft_ = o_.silent ? 0 : int(r.Points) * int(r.Measurements);
            Event(QStringLiteral("live start, program %1, %2 samples every %3 ms")
                      .arg(Letter(program_))
                      .arg(liveLeft_)
                      .arg(r.IntervalMs));
            break;
        }
        default:
            Event(QStringLiteral("unknown command %1").arg(b));
            break;
    }
}

void CellModel::FinishUpload(bool closed) {
    mode_ = Mode::Idle;
    const QString how = closed ? QString() : QStringLiteral(" (not closed)");
    const auto id = IdentifyProgram(payload_);
    if (!id) {
        Event(QStringLiteral("load %1 bytes: unknown program%2").arg(payload_.size()).arg(how));
        return;
    }
    program_ = id->row;
    memory_ = SyntheticMeasurement(program_, o_.seed);
    if (id->timed) {
        Event(QStringLiteral("load %1 bytes: timed program %2, start in %3:%4:%5%6")
                  .arg(payload_.size())
                  .arg(Letter(program_))
                  .arg(id->delayHours)
                  .arg(id->delayMinutes, 2, 10, QLatin1Char('0'))
                  .arg(id->delaySeconds, 2, 10, QLatin1Char('0'))
                  .arg(how));
    } else {
        Event(QStringLiteral("load %1 bytes: program %2, START key%3")
                  .arg(payload_.size())
                  .arg(Letter(program_))
                  .arg(how));
    }
}

}  // namespace kelvarn

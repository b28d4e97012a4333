#include "sim/CellModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "link/CellCommandBytes.h"

namespace kelvarn {

namespace {

QString Letter(int row) {
    return QString(ProgramLetter(row));
}

}  // namespace

std::optional<SimDevice> SimDeviceFromName(const QString& name) {
    for (const DeviceFamily& f : kDeviceFamilies)
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) return f.id;
    return std::nullopt;
}

QString SimDeviceName(SimDevice device) {
    return QLatin1String(Family(device).name);
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
    const ProgramRow& r = Programs().Row(row);
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
    const DeviceFamily& f = Family(o_.device);
    return baud == f.baud || (f.alsoAt9600 && baud == 9600);
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

void CellModel::Answered(const QString& request, int reply) {
    // A silent device sends nothing, and its log must not claim otherwise.
    if (o_.silent)
        Event(request + QStringLiteral(": no answer (silent)"));
    else
        Event(request + QStringLiteral(" -> ") + QString::number(reply));
}

std::optional<CellModel::LateAnswer> CellModel::TakeLateAnswer() {
    std::optional<LateAnswer> late;
    late.swap(late_);
    return late;
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
            Answered(QStringLiteral("channel %1").arg(b), o_.channelValue);
            out.push_back(uint8_t(o_.channelValue));
            break;
        case Mode::OutputArg:
            mode_ = Mode::Idle;
            outputs_ = b;
            Event(QStringLiteral("outputs %1").arg(b));
            break;
        case Mode::LoadMarker:
            if (b == kCmdNext) {
                mode_ = Mode::LoadByte;
            } else {
                FinishUpload(b == kCmdEnd);
                if (b != kCmdEnd) Command(b, out);
            }
            break;
        case Mode::LoadByte:
            payload_.push_back(b);
            mode_ = Mode::LoadMarker;
            out.push_back(o_.prompt);
            break;
        case Mode::Reading:
            if (b == kCmdNext) {
                if (o_.stopReadAfter < 0 || readIndex_ < o_.stopReadAfter) {
                    const auto answer = uint8_t(MemoryByte(readIndex_));
                    if (readIndex_ == o_.lateReadAt && !lateSent_ && !o_.silent) {
                        lateSent_ = true;
                        late_ = LateAnswer{{answer}, o_.lateReadMs};
                        Event(QStringLiteral("request %1 answered %2 ms late")
                                  .arg(readIndex_)
                                  .arg(o_.lateReadMs));
                    } else {
                        out.push_back(answer);
                    }
                }
                ++readIndex_;
            } else {
                Event(QStringLiteral("read end after %1 requests").arg(readIndex_));
                mode_ = Mode::Idle;
                if (b != kCmdEnd) Command(b, out);
            }
            break;
        case Mode::Idle: Command(b, out); break;
    }
    if (o_.silent) out.clear();
    return out;
}

void CellModel::Command(uint8_t b, std::vector<uint8_t>& out) {
    mode_ = Mode::Idle;
    if (b == 0) return;  // filler of every reset
    const DeviceFamily& f = Family(o_.device);
    if (f.kind == kCell) {
        CellCommand(b, out);
        return;
    }
    const int v = o_.channelValue;
    auto channel = [&](int n) {
        Answered(QStringLiteral("channel %1").arg(n), v);
        out.push_back(uint8_t(v));
    };
    if (b == f.identify) {
        Answered(QStringLiteral("identify %1").arg(b), f.reply);
        out.push_back(uint8_t(f.reply));
    } else if (b == f.output) {
        mode_ = Mode::OutputArg;
    } else {
        switch (f.channels) {
            case ChannelAccess::kOneBytePerChannel:
                if (b == f.channel1 || b == f.channel2) channel(b == f.channel1 ? 1 : 2);
                break;
            case ChannelAccess::kNumberedBytes:
                if (b >= f.channel1 && b <= f.channel2) channel(b - f.channel1 + 1);
                break;
            case ChannelAccess::kOneExchangeForBoth:
                // After the opening byte: one value per request.
                if (b == f.channel2) out.push_back(uint8_t(v));
                break;
            case ChannelAccess::kCommandAndNumber: break;
        }
    }
}

void CellModel::CellCommand(uint8_t b, std::vector<uint8_t>& out) {
    constexpr const DeviceFamily& rq410 = Family(DeviceFamilyId::Rq410);
    constexpr const DeviceFamily& plain = Family(DeviceFamilyId::PlainCell);
    static_assert(rq410.channel1 == plain.channel1 && rq410.output == plain.output);
    switch (b) {
        case rq410.identify:
            if (o_.device == SimDevice::Rq410) {
                Answered(QStringLiteral("connect %1").arg(b), rq410.reply);
                out.push_back(uint8_t(rq410.reply));
            } else {
                Event(QStringLiteral("connect %1 ignored (plain cell)").arg(b));
            }
            break;
        case plain.identify:
            if (o_.device == SimDevice::PlainCell) {
                Answered(QStringLiteral("connect %1").arg(b), plain.reply);
                out.push_back(uint8_t(plain.reply));
            } else {
                Event(QStringLiteral("connect %1 ignored (RQ410)").arg(b));
            }
            break;
        case rq410.channel1: mode_ = Mode::ChannelArg; break;
        case rq410.output: mode_ = Mode::OutputArg; break;
        case kCmdLoadProgram:
            payload_.clear();
            mode_ = Mode::LoadMarker;
            out.push_back(o_.prompt);
            break;
        case kCmdRunProgram: {
            Event(QStringLiteral("run program %1").arg(Letter(program_)));
            break;
        }
        case kCmdReadMemory:
            readIndex_ = 0;
            mode_ = Mode::Reading;
            Event(QStringLiteral("read memory, program %1").arg(Letter(program_)));
            break;
        case kCmdStartLive: {
            const ProgramRow& r = Programs().Row(program_);
            liveIndex_ = 0;
            liveLeft_ = o_.silent ? 0 : int(r.Points) * int(r.Measurements);
            Event(QStringLiteral("live start, program %1, %2 samples every %3 ms")
                      .arg(Letter(program_))
                      .arg(liveLeft_)
                      .arg(r.IntervalMs));
            break;
        }
        default: Event(QStringLiteral("unknown command %1").arg(b)); break;
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

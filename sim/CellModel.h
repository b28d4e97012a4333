#pragma once

// How the cell and the maker's other interface devices answer, byte for
// byte, without any timing: the behaviour behind the simulator
// kelvarn-cellsim and behind scripted test ports.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "data/MeasurementRecord.h"
#include "link/DeviceFamily.h"

namespace kelvarn {

// The device a simulated port holds: one of the serial families.
using SimDevice = DeviceFamilyId;

// "rq410", "cell", "nera", "peltrix", "vendra", "tavinbox", "orbide".
std::optional<SimDevice> SimDeviceFromName(const QString& name);
QString SimDeviceName(SimDevice device);

struct CellModelOptions {
    SimDevice device = SimDevice::Rq410;
    int program = 2;                  // row 1..9 the cell holds at start
    uint32_t seed = 1;                // of the synthetic measurement
    std::vector<uint8_t> memoryFile;  // a measurement record; empty: synthetic
    int channelValue = 200;           // reply to every input channel read
    uint8_t prompt = 1;               // the cell's prompt for each program byte

    // Faults.
    bool silent = false;     // answers nothing at all
    int stopReadAfter = -1;  // answers only this many requests of a memory read
    bool badHeader = false;  // the header reports 0 samples
    int liveZeroAfter = -1;  // the live byte after this many samples is 0
    // The answer to this request of a memory read (counted as stopReadAfter
    // counts) comes late, once: lateReadMs after the request, which is past
    // the PC's read time-out of 210 ms when lateReadMs is larger.
    int lateReadAt = -1;
    int lateReadMs = 0;  // [ms]
};

class CellModel {
public:
    explicit CellModel(CellModelOptions options = {});

    // One byte arrived at the given line speed (0: any). Returns what the
    // device sends back. A device at another speed sees only noise and
    // ignores the byte.
    std::vector<uint8_t> Receive(uint8_t byte, int baud = 0);

    // An answer the last Receive held back (CellModelOptions::lateReadAt):
    // it is sent afterMs after the byte that asked for it. The host that
    // keeps the time takes it; one that does not lets it go unsent.
    struct LateAnswer {
        std::vector<uint8_t> bytes;
        int afterMs = 0;  // [ms]
    };
    std::optional<LateAnswer> TakeLateAnswer();

    // The live stream after command 9: one byte per sampling interval of
    // the loaded program, as long as LiveRunning().
    bool LiveRunning() const { return liveLeft_ > 0; }
    int LiveIntervalMs() const;  // [ms]
    uint8_t NextLiveByte();

    // Readable events ("connect 12 -> 240", "load 149 bytes: program B ...")
    // since the last call.
    QStringList TakeEvents();

    int Program() const { return program_; }  // row 1..9
    const MeasurementRecord& Memory() const { return memory_; }
    const std::vector<uint8_t>& LastPayload() const { return payload_; }
    int Outputs() const { return outputs_; }
    bool LineSpeedFits(int baud) const;

    // The memory image the cell holds after running program row r.
    static MeasurementRecord SyntheticMeasurement(int row, uint32_t seed);

private:
    enum class Mode { Idle, ChannelArg, OutputArg, LoadMarker, LoadByte, Reading };

    void Command(uint8_t b, std::vector<uint8_t>& out);
    void CellCommand(uint8_t b, std::vector<uint8_t>& out);
    void FinishUpload(bool closed);
    int MemoryByte(int k) const;
    void Event(const QString& text) { events_ << text; }
    // "request -> reply" for an answer the device sends.
    void Answered(const QString& request, int reply);

    CellModelOptions o_;
    Mode mode_ = Mode::Idle;
    int program_ = 2;
    MeasurementRecord memory_;
    std::vector<uint8_t> payload_;
    int readIndex_ = 0;
    int outputs_ = 0;
    int liveLeft_ = 0;
    int liveIndex_ = 0;
    bool lateSent_ = false;  // the one late answer is used up
    std::optional<LateAnswer> late_;
    QStringList events_;
};

}  // namespace kelvarn

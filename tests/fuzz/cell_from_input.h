#pragma once

// The cell's side of the line taken from fuzz input: every byte the PC
// reads is the next input byte, whatever it wrote before. Put behind a
// link on COM1 beside ScriptedLink's virtual clock, so silent reads cost
// virtual time, not real waiting.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "link/SerialLink.h"
#include "sim/LinkKit.h"
#include "sim/ScriptedDevice.h"

namespace kelvarn::fuzz {

class CellFromInput : public ByteDevice {
public:
    // silenceByte: an input byte with this value is a read that times out
    // (-1: none). repeatLast: once the input is used up the last byte keeps
    // coming (so long reads can finish); otherwise the cell goes silent.
    CellFromInput(const uint8_t* data, size_t size, ScriptedClock& clock, int silenceByte,
                  bool repeatLast)
        : data_(data), size_(size), clock_(clock), silence_(silenceByte), repeat_(repeatLast) {}

    std::vector<uint8_t> written;
    std::vector<int> reads;  // every result of Read, -1 included
    int silentReads = 0;

    bool Open() override { return open_ = true; }
    bool Configure(const LineSettings&) override { return true; }
    void ClearError() override {}
    bool Write(uint8_t value, int) override {
        if (!open_) return false;
        written.push_back(value);
        return true;
    }
    int Read(int timeoutMs) override {
        if (!open_) return -1;
        int r = -1;
        if (next_ < size_) {
            const uint8_t b = data_[next_++];
            if (b != silence_) r = b;
        } else if (repeat_ && size_ > 0) {
            r = data_[size_ - 1] == silence_ ? -1 : data_[size_ - 1];
        }
        if (r < 0) {
            ++silentReads;
            clock_.elapsedMs += timeoutMs;
        }
        reads.push_back(r);
        return r;
    }
    // What arrives after a purge is simply the next input.
    bool PurgeReceive() override { return open_; }
    bool PurgeTransmit() override { return open_; }
    bool SetRts(bool) override { return open_; }
    bool SetDtr(bool) override { return open_; }
    bool Close() override {
        const bool was = open_;
        open_ = false;
        return was;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t next_ = 0;
    ScriptedClock& clock_;
    int silence_;
    bool repeat_;
    bool open_ = false;
};

// The link owns a handle; the device stays with the fuzz target.
class CellHandle : public ByteDevice {
public:
    explicit CellHandle(CellFromInput& c) : c_(c) {}
    bool Open() override { return c_.Open(); }
    bool Configure(const LineSettings& s) override { return c_.Configure(s); }
    void ClearError() override {}
    bool Write(uint8_t v, int t) override { return c_.Write(v, t); }
    int Read(int t) override { return c_.Read(t); }
    bool PurgeReceive() override { return c_.PurgeReceive(); }
    bool PurgeTransmit() override { return c_.PurgeTransmit(); }
    bool SetRts(bool on) override { return c_.SetRts(on); }
    bool SetDtr(bool on) override { return c_.SetDtr(on); }
    bool Close() override { return c_.Close(); }

private:
    CellFromInput& c_;
};

// The cell on COM1 of link for as long as it lives (ScriptedLink must live
// longer).
inline void InstallOnCom1(SerialLink& link, CellFromInput& cell) {
    LinkKit::SetDeviceFactory(link, [&cell](const QString& name) -> std::unique_ptr<ByteDevice> {
        if (name != QStringLiteral("COM1")) return nullptr;
        return std::make_unique<CellHandle>(cell);
    });
}

// Closes the port before the cell goes; declare it after the cell.
struct PortCloser {
    SerialLink& link;
    ~PortCloser() { LinkKit::Reset(link); }
};

[[noreturn]] inline void Fail(const char* what) {
    fprintf(stderr, "consistency check failed: %s\n", what);
    __builtin_trap();
}
#define FUZZ_CHECK(cond)                           \
    do {                                           \
        if (!(cond)) ::kelvarn::fuzz::Fail(#cond); \
    } while (0)

}  // namespace kelvarn::fuzz

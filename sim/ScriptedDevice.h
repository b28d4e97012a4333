#pragma once

// Scripted stand-ins for the serial channel's seams, for tests of anything
// that talks through a SerialLink: a port that records what is written and
// answers from a script, a clock that records pauses instead of sleeping,
// and ScriptedLink, which holds both and a link built on them.
//
//   ScriptedLink link;                    // COMn open only where added
//   ScriptedDevice& cell = link.AddPort(3);
//   CellModel model;                      // or cell.Answer(12, {240}) ...
//   cell.AttachModel(&model);
//   ConnectCell(link.serial, 3);          // real link code runs
//   link.log                              // "open COM3", "line 9600,N,8,2",
//                                         // "rts 0", "dtr 1", "w 12", "r 240",
//                                         // "rts 1", "delay 2", "purge rx" ...

#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "link/ByteDevice.h"
#include "link/SerialLink.h"

namespace kelvarn {

class CellModel;

// Records pauses in the log and in a virtual time instead of sleeping.
class ScriptedClock : public LinkClock {
public:
    explicit ScriptedClock(QStringList* log = nullptr) : log_(log) {}
    void Sleep(int ms) override;

    long long elapsedMs = 0;  // [ms] pauses plus silent reads
    std::vector<int> sleeps;  // [ms] every pause in order

private:
    QStringList* log_;
};

// One port as a test scripts it. It keeps its state over closing and
// reopening, as a cable with a device behind it would.
class ScriptedDevice : public ByteDevice {
public:
    explicit ScriptedDevice(QString name = QStringLiteral("COM1"), QStringList* log = nullptr,
                            ScriptedClock* clock = nullptr);

    // ----- the script
    bool exists = true;                           // false: Open fails
    OpenFailure failure = OpenFailure::kMissing;  // why, then
    bool configureFails = false;                  // Configure fails
    int writesLeft = -1;  // writes that still go out, then every write fails; -1: all
    // Bytes waiting in the receive buffer now (discarded by a purge or a
    // new open, as with a real port).
    void Feed(const std::vector<uint8_t>& bytes);
    // Whenever `sent` is written, `reply` arrives.
    void Answer(uint8_t sent, std::vector<uint8_t> reply);
    // Called for every written byte; what it returns arrives.
    void SetResponder(std::function<std::vector<uint8_t>(uint8_t written)> responder);
    // Answers as the model does; a read of an empty buffer takes the
    // model's next live byte while it streams. An answer the model sends
    // late is fed at its time. The model must outlive use.
    void AttachModel(CellModel* model) { model_ = model; }
    // Bytes on their way: they reach the receive buffer when the clock
    // reaches atMs (a read that waits past then gets them; a purge before
    // then does not discard them).
    void FeedAt(long long atMs, const std::vector<uint8_t>& bytes);
    // [ms] on the clock for each byte written: the line time that lets a
    // late byte arrive in the middle of an exchange. 0 (the default): only
    // pauses and read time-outs take time.
    int byteMs = 0;

    // ----- what happened
    std::vector<uint8_t> written;                  // every byte written, over all openings
    std::deque<uint8_t> rx;                        // the receive buffer
    std::multimap<long long, uint8_t> onTheirWay;  // [ms] arrival -> byte, in order
    LineSettings line;                             // as last configured
    bool isOpen = false;
    bool rts = false;
    bool dtr = false;
    int opens = 0;
    int silentReads = 0;

    // ----- ByteDevice
    bool Open() override;
    OpenFailure LastOpenFailure() const override { return isOpen ? OpenFailure::kBusy : failure; }
    bool Configure(const LineSettings& settings) override;
    void ClearError() override {}
    bool Write(uint8_t value, int timeoutMs) override;
    int Read(int timeoutMs) override;
    bool PurgeReceive() override;
    bool PurgeTransmit() override;
    bool SetRts(bool on) override;
    bool SetDtr(bool on) override;
    bool Close() override;

    const QString& Name() const { return name_; }

private:
    void Log(const QString& entry);
    long long& Now() { return clock_ ? clock_->elapsedMs : ownMs_; }  // [ms]
    // Moves the bytes whose time has come into the receive buffer.
    void Arrive();

    QString name_;
    QStringList* log_;
    ScriptedClock* clock_;
    std::map<uint8_t, std::vector<uint8_t>> answers_;
    std::function<std::vector<uint8_t>(uint8_t)> responder_;
    CellModel* model_ = nullptr;
    long long ownMs_ = 0;  // [ms] the time without a clock
};

// Scripted ports and a scripted clock, and a link built on them. Other
// links (the window's) can be attached to the same ports. Ports not added
// do not exist.
class ScriptedLink {
public:
    ScriptedLink();
    ~ScriptedLink();
    ScriptedLink(const ScriptedLink&) = delete;
    ScriptedLink& operator=(const ScriptedLink&) = delete;

    // Port COMn from now on; the same object on every call.
    ScriptedDevice& AddPort(int n);
    ScriptedDevice* Port(int n);

    // Puts the scripted ports and clock behind link.
    void Attach(SerialLink& link);

    // The log as one line, entries separated by "; ".
    QString Transcript() const { return log.join(QStringLiteral("; ")); }

    QStringList log;
    ScriptedClock clock{&log};
    // A link on the scripted ports, for code that is handed one.
    SerialLink serial;

private:
    std::map<int, std::unique_ptr<ScriptedDevice>> ports_;
};

}  // namespace kelvarn

#pragma once

#include <QSerialPort>

#include "link/ByteDevice.h"

namespace kelvarn {

// A serial device of this machine through QSerialPort, used blocking from
// the thread that made it (there is no event loop behind it).
class SerialDevice : public ByteDevice {
public:
    explicit SerialDevice(const QString& devicePath);
    ~SerialDevice() override;

    bool Open() override;
    OpenFailure LastOpenFailure() const override { return failure_; }
    bool Configure(const LineSettings& settings) override;
    void ClearError() override;
    bool Write(uint8_t value, int timeoutMs) override;
    int Read(int timeoutMs) override;
    bool ReadFailed() const override { return readFailed_; }
    bool PurgeReceive() override;
    bool PurgeTransmit() override;
    bool SetRts(bool on) override;
    bool SetDtr(bool on) override;
    bool Close() override;

private:
    QSerialPort port_;
    QString path_;
    bool pseudoTerminal_ = false;
    bool readFailed_ = false;
    OpenFailure failure_ = OpenFailure::kNone;
};

// The cause of a failed open from the port's error. The system says
// "permission" both for a device the user may not open and for one that
// another program holds (its lock file, or its exclusive open); accessible
// tells them apart: whether the user could read and write the device file.
OpenFailure OpenFailureOf(QSerialPort::SerialPortError error, bool accessible);

}  // namespace kelvarn

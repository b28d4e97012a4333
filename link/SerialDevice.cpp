#include "link/SerialDevice.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace kelvarn {

namespace {

// USB-serial adapters hold received bytes back for up to 16 ms unless asked
// for low latency; the cell's one-byte handshakes would crawl. Ports that
// do not know the request (on-board UARTs, pseudo-terminals) refuse it,
// which changes nothing.
void AskForLowLatency([[maybe_unused]] QSerialPort& port) {
#ifdef Q_OS_LINUX
    const int fd = int(port.handle());
    if (fd < 0) return;
    serial_struct s{};
    if (ioctl(fd, TIOCGSERIAL, &s) != 0) return;
    s.flags |= ASYNC_LOW_LATENCY;
    ioctl(fd, TIOCSSERIAL, &s);
#endif
}

bool Accessible([[maybe_unused]] const QString& path) {
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
#else
    return true;
#endif
}

}  // namespace

OpenFailure OpenFailureOf(QSerialPort::SerialPortError error, bool accessible) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError: return OpenFailure::kMissing;
        case QSerialPort::PermissionError:
            return accessible ? OpenFailure::kBusy : OpenFailure::kDenied;
        case QSerialPort::OpenError:
            return OpenFailure::kBusy;  // already open through this very object
        default: return OpenFailure::kOther;
    }
}

SerialDevice::SerialDevice(const QString& devicePath) : path_(devicePath) {
    port_.setPortName(devicePath);
}

SerialDevice::~SerialDevice() {
    Close();
}

bool SerialDevice::Open() {
    failure_ = OpenFailure::kNone;
    if (path_.isEmpty()) {
        failure_ = OpenFailure::kMissing;
        return false;
    }
    if (!port_.open(QIODevice::ReadWrite)) {
        // A name that leads nowhere (a dangling link) is a missing device.
        failure_ = QFileInfo::exists(path_) ? OpenFailureOf(port_.error(), Accessible(path_))
                                            : OpenFailure::kMissing;
        port_.clearError();
        return false;
    }
    pseudoTerminal_ = QFileInfo(path_).canonicalFilePath().startsWith(QLatin1String("/dev/pts/"));
    AskForLowLatency(port_);
    // The line may have been open elsewhere (a simulator keeps its end
    // open): what arrived before this open belongs to nobody.
    port_.clear(QSerialPort::Input);
    port_.clearError();
    return true;
}

bool SerialDevice::Configure(const LineSettings& s) {
    QSerialPort::Parity parity = QSerialPort::NoParity;
    switch (s.parity) {
        case 'N': parity = QSerialPort::NoParity; break;
        case 'E': parity = QSerialPort::EvenParity; break;
        case 'O': parity = QSerialPort::OddParity; break;
        case 'M': parity = QSerialPort::MarkParity; break;
        case 'S': parity = QSerialPort::SpaceParity; break;
        default: return false;
    }
    const auto stop = s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop;
    const bool ok = port_.setBaudRate(s.baud) &&
                    port_.setDataBits(QSerialPort::DataBits(s.dataBits)) &&
                    port_.setParity(parity) && port_.setStopBits(stop) &&
                    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.clearError();
    return ok;
}

void SerialDevice::ClearError() {
    port_.clearError();
}

bool SerialDevice::Write(uint8_t value, int timeoutMs) {
    if (!port_.isOpen()) return false;
    const char c = char(value);
    if (port_.write(&c, 1) != 1) {
        port_.clearError();
        return false;
    }
    // write() only fills Qt's buffer: push the byte out to the device now,
    // or the cell would never see it while we wait for its reply.
    bool sent = true;
    while (port_.bytesToWrite() > 0 && sent) sent = port_.waitForBytesWritten(timeoutMs);
    if (!sent) port_.clearError();
    return sent;
}

int SerialDevice::Read(int timeoutMs) {
    readFailed_ = !port_.isOpen();
    if (readFailed_) return -1;
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        // waitForReadyRead reports only new data: a byte already buffered
        // would cost the whole time-out.
        if (port_.bytesAvailable() > 0) {
            char c = 0;
            if (port_.getChar(&c)) return uint8_t(c);
        }
        const qint64 left = deadline.remainingTime();
        if (left <= 0) return -1;
        if (!port_.waitForReadyRead(int(left))) {
            if (port_.bytesAvailable() > 0) continue;
            const bool timedOut =
                port_.error() == QSerialPort::TimeoutError || port_.error() == QSerialPort::NoError;
            port_.clearError();
            if (!timedOut) {
                readFailed_ = true;  // a read error ends the wait
                return -1;
            }
        }
    }
}

bool SerialDevice::PurgeReceive() {
    if (!port_.isOpen()) return false;
    const bool ok = port_.clear(QSerialPort::Input);
    port_.clearError();
    return ok;
}

bool SerialDevice::PurgeTransmit() {
    if (!port_.isOpen()) return false;
    // A pseudo-terminal has no transmit buffer of its own: flushing it
    // would destroy what the other end has not read yet, bytes that on a
    // real line left long ago (a byte takes 1.146 ms at 9600 baud, and every
    // purge follows a pause). Our side of Qt's buffer is empty anyway.
    if (pseudoTerminal_) return true;
    const bool ok = port_.clear(QSerialPort::Output);
    port_.clearError();
    return ok;
}

// Pseudo-terminals know no modem lines ("Inappropriate ioctl for device"):
// the failure is reported but must not stick to the port.
bool SerialDevice::SetRts(bool on) {
    const bool ok = port_.isOpen() && port_.setRequestToSend(on);
    port_.clearError();
    return ok;
}

bool SerialDevice::SetDtr(bool on) {
    const bool ok = port_.isOpen() && port_.setDataTerminalReady(on);
    port_.clearError();
    return ok;
}

bool SerialDevice::Close() {
    if (!port_.isOpen()) return false;
    port_.close();
    port_.clearError();
    return true;
}

}  // namespace kelvarn

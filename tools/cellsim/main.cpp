// kelvarn-cellsim: the cell (or another of the maker's devices) on a
// pseudo-terminal. See --help.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>
#include <chrono>
#include <cstdio>
#include <deque>

#include "data/ProgramTable.h"
#include "sim/CellModel.h"
#include "tools/cellsim/PtyLine.h"
#include "tools/cellsim/SimOptions.h"

using namespace kelvarn;
using Clock = std::chrono::steady_clock;
using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;

namespace {

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) {
    g_stop = 1;
}

// A byte on the line, either way.
struct LineByte {
    uint8_t byte;
    Clock::time_point due;  // when its last stop bit has left (arrived)
    int baud;               // the line speed it travels at
};

class Simulator {
public:
    explicit Simulator(SimOptions o) : o_(std::move(o)), cell_(o_.cell) {}

    int Run() {
        QString error;
        if (!OpenLogs(error) || !line_.Open(o_.link, &error)) {
            std::fprintf(stderr, "kelvarn-cellsim: %s\n", qPrintable(error));
            return 2;
        }
        start_ = Clock::now();
        Event(QStringLiteral("ready: %1 on %2 -> %3, program %4%5")
                  .arg(SimDeviceName(o_.cell.device), o_.link, line_.TerminalPath(),
                       QString(ProgramLetter(cell_.Program())),
                       o_.cell.silent ? QStringLiteral(", silent") : QString()));
        std::printf("ready %s\n", qPrintable(o_.link));
        std::fflush(stdout);

        const auto end = o_.exitAfter > 0
                             ? start_ + duration_cast<Clock::duration>(
                                            std::chrono::duration<double>(o_.exitAfter))
                             : Clock::time_point::max();
        sigset_t waitMask;
        sigprocmask(SIG_SETMASK, nullptr, &waitMask);
        sigdelset(&waitMask, SIGTERM);
        sigdelset(&waitMask, SIGINT);

        while (!g_stop && !hungUp_) {
            const auto now = Clock::now();
            if (now >= end) {
                Event(QStringLiteral("exit after %1 s").arg(o_.exitAfter));
                break;
            }
            pollfd pfd{line_.MasterFd(), POLLIN, 0};
            auto wake = end;
            if (!out_.empty()) {
                // A byte that is due but did not fit waits for room, not
                // for the clock.
                if (out_.front().due <= now) {
                    pfd.events |= POLLOUT;
                } else {
                    wake = std::min(wake, out_.front().due);
                }
            }
            if (!in_.empty()) wake = std::min(wake, in_.front().due);
            if (cell_.LiveRunning()) wake = std::min(wake, nextLive_);
            const auto wait = std::max(Clock::duration::zero(), wake - now);
            const auto us = duration_cast<microseconds>(wait).count();
            timespec ts{time_t(us / 1000000), long(us % 1000000) * 1000};

            const int r =
                ppoll(&pfd, 1, wake == Clock::time_point::max() ? nullptr : &ts, &waitMask);
            if (r < 0 && errno != EINTR) break;
            if (r > 0 && (pfd.revents & POLLIN)) Receive();
            HandleArrived();
            SendDue();
            Live();
        }
        if (g_stop) Event(QStringLiteral("stopped by signal"));
        line_.HangUp();
        return 0;
    }

private:
    bool OpenLogs(QString& error) {
        if (!o_.byteLog.isEmpty()) {
            byteLog_ = ::open(QFile::encodeName(o_.byteLog).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (byteLog_ < 0) {
                error = QStringLiteral("kann nicht schreiben: ") + o_.byteLog;
                return false;
            }
        }
        if (!o_.eventLog.isEmpty()) {
            events_.setFileName(o_.eventLog);
            if (!events_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
                error = QStringLiteral("kann nicht schreiben: ") + o_.eventLog;
                return false;
            }
        }
        return true;
    }

    void Event(const QString& text) {
        if (!events_.isOpen()) return;
        const double t = duration_cast<microseconds>(Clock::now() - start_).count() / 1e6;
        events_.write(QStringLiteral("[%1] %2\n").arg(t, 10, 'f', 3).arg(text).toUtf8());
        events_.flush();
    }

    void TakeEvents() {
        for (const QString& e : cell_.TakeEvents()) Event(e);
    }

    // 8N2: start bit, eight data bits, two stop bits.
    static Clock::duration ByteTime(int baud) {
        return microseconds(11 * 1000000LL / (baud > 0 ? baud : 9600));
    }

    // The program's write reaches us at once, but on a serial line each
    // byte takes its line time to arrive: the cell can answer a byte only
    // when its last stop bit is in.
    void Receive() {
        uint8_t buf[256];
        const ssize_t n = ::read(line_.MasterFd(), buf, sizeof buf);
        if (n <= 0) return;  // nobody has the port open just now
        if (byteLog_ >= 0 && ::write(byteLog_, buf, size_t(n)) != n)
            Event(QStringLiteral("byte log: write failed"));
        const int baud = line_.Baud();
        if (baud != lastBaud_) {
            Event(QStringLiteral("line speed %1").arg(baud));
            lastBaud_ = baud;
        }
        const auto now = Clock::now();
        for (ssize_t i = 0; i < n; ++i) {
            auto due = now;
            if (o_.paced) {
                due = std::max(due, inLineFree_) + ByteTime(baud);
                inLineFree_ = due;
            }
            in_.push_back({buf[i], due, baud});
        }
    }

    void HandleArrived() {
        while (!in_.empty() && !hungUp_ && in_.front().due <= Clock::now()) {
            const LineByte in = in_.front();
            in_.pop_front();
            const bool wasLive = cell_.LiveRunning();
            for (uint8_t b : cell_.Receive(in.byte, in.baud))
                Queue(b, in.baud, milliseconds(o_.answerDelayMs));
            TakeEvents();
            if (!wasLive && cell_.LiveRunning())
                nextLive_ = Clock::now() + milliseconds(cell_.LiveIntervalMs());
            if (o_.hangUpAfter >= 0 && ++received_ >= o_.hangUpAfter) {
                Event(QStringLiteral("hang up after %1 bytes").arg(received_));
                line_.HangUp();
                hungUp_ = true;
            }
        }
    }

    // delay: how long after now the byte may start at the earliest.
    void Queue(uint8_t b, int baud, Clock::duration delay = Clock::duration::zero()) {
        auto due = Clock::now() + delay;
        if (o_.paced) {
            if (!out_.empty()) due = std::max(due, out_.back().due);
            due = std::max(due, lineFree_) + ByteTime(baud);
            lineFree_ = due;
        }
        out_.push_back({b, due, baud});
    }

    void SendDue() {
        const auto now = Clock::now();
        while (!out_.empty() && out_.front().due <= now) {
            const char c = char(out_.front().byte);
            const ssize_t w = ::write(line_.MasterFd(), &c, 1);
            if (w != 1) return;  // the terminal's buffer is full: later
            out_.pop_front();
        }
    }

    void Live() {
        while (cell_.LiveRunning() && Clock::now() >= nextLive_) {
            Queue(cell_.NextLiveByte(), line_.Baud());
            nextLive_ += milliseconds(cell_.LiveIntervalMs());
            TakeEvents();
        }
    }

    SimOptions o_;
    CellModel cell_;
    PtyLine line_;
    QFile events_;
    int byteLog_ = -1;
    std::deque<LineByte> in_;   // received, still on its way
    std::deque<LineByte> out_;  // to send
    Clock::time_point start_;
    Clock::time_point lineFree_;    // our line to the program
    Clock::time_point inLineFree_;  // the program's line to us
    Clock::time_point nextLive_;
    long long received_ = 0;
    int lastBaud_ = -1;
    bool hungUp_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvarn-cellsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KELVARN_VERSION));
    // The help's headings and the parser's messages in German, as the other programs have them.
    QTranslator qt;
    if (qt.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qt"),
                QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt);

    SimOptions options;
    QString error;
    if (!ParseSimOptions(QCoreApplication::arguments(), options, error)) {
        std::fprintf(stderr, "kelvarn-cellsim: %s\nHilfe mit --help.\n", qPrintable(error));
        return 2;
    }

    // The signals wait blocked and are let in only while waiting for the
    // line, so none is lost between a check and the wait.
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    sigaddset(&block, SIGINT);
    sigprocmask(SIG_BLOCK, &block, nullptr);

    return Simulator(std::move(options)).Run();
}

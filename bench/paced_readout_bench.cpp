// A read-out at the line's own pace, three ways: a minimal client that does
// only the exchanges, kelvarn-cli read (the process as the user starts it),
// and "&Auslesen der Zelle" in the window (evaluation and charts included).
// Each iteration runs the three in turn against the same paced simulator, so
// a slower stretch of the machine falls on all of them alike; the counters
// are the medians and the two ratios.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/Seams.h"
#include "app/TForm1.h"
#include "data/MeasurementRecord.h"
#include "data/ProgramTable.h"
#include "link/SerialLink.h"
#include "link/SettingsFile.h"

namespace {

using namespace kelvarn;

class SilentSeams : public Seams {
public:
    // A benchmark replaces its record over and over: the unsaved one is let go, as "Nein"
    // to the save question, instead of a message box that would wait for a person.
    SaveAnswer AskSaveChanges(QWidget*, const QString&) override { return SaveAnswer::No; }
    bool CellCommandsOnOwnThread() const override { return true; }
    bool CtrlHeld() const override { return false; }
    void Notice(QWidget*, const QString&) override {}
    void Stop(QWidget*, const QString&) override {}
};

QString BuiltTool(const QString& relative) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(relative);
}

// The paced simulator (line time both ways) on COM1 of a settings folder of
// its own.
class PacedCell {
public:
    explicit PacedCell(const QString& letter) {
        qputenv("KELVARN_CONFIG_DIR", dir_.path().toLocal8Bit());
        link_ = dir_.filePath("cell");
        WriteSetting(QStringLiteral("Ports"), QStringLiteral("COM1"), link_);
        WriteStoredPort(1);
        sim_.start(BuiltTool("../tools/cellsim/kelvarn-cellsim"),
                   {"--pace", "--program", letter, "--link", link_, "--exit-after", "1200"});
        sim_.waitForStarted(5000);
        QElapsedTimer t;
        t.start();
        while (!QFileInfo(link_).isSymLink() && t.elapsed() < 5000) QThread::msleep(5);
        ready_ = QFileInfo(link_).isSymLink();
    }
    ~PacedCell() {
        sim_.terminate();
        sim_.waitForFinished(5000);
        qunsetenv("KELVARN_CONFIG_DIR");
    }
    bool Ready() const { return ready_; }
    QString Link() const { return link_; }
    QString File(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString link_;
    QProcess sim_;
    bool ready_ = false;
};

// The exchanges of a read-out and nothing else: the same bytes and pauses
// as the program's (connection check, settling, readiness, one pass or two),
// on the bare device; no progress, no record kept beyond the header, no
// evaluation, no file.
class MinimalClient {
public:
    explicit MinimalClient(const QString& device) {
        fd_ = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY);
        if (fd_ < 0) return;
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD | CSTOPB;
        cfsetspeed(&tio, B9600);
        tcsetattr(fd_, TCSANOW, &tio);
    }
    ~MinimalClient() {
        if (fd_ >= 0) ::close(fd_);
    }

    // The samples received; -1 when the cell did not take part.
    int ReadOut() {
        if (fd_ < 0) return -1;
        Put(12);
        if (Get() != 240) return -1;
        tcflush(fd_, TCIOFLUSH);
        ::usleep(500 * 1000);
        Reset();
        Put(7);
        Put(2);
        if (Get() < 0) return -1;
        MeasurementRecord rec;
        int received = Pass(rec, 1);
        if (received >= 0 && Programs().Row(FindProgramRow(rec)).Measurements == 12)
            received = Pass(rec, 12);
        return received;
    }

private:
    void Put(int b) {
        const char c = char(b);
        if (::write(fd_, &c, 1) != 1) return;
    }
    int Get() {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, kReadTimeoutMs) <= 0) return -1;
        unsigned char c = 0;
        return ::read(fd_, &c, 1) == 1 ? c : -1;
    }
    void Reset() {
        for (int i = 0; i < 10; ++i) {
            Put(0);
            ::usleep(2000);
        }
        tcflush(fd_, TCIOFLUSH);
    }
    int Pass(MeasurementRecord& rec, int measurements) {
        Reset();
        Put(2);
        ::usleep(4000);
        for (int i = 0; i < 8; ++i) {
            Put(1);
            const int r = Get();
            if (r < 0) return -1;
            rec.bytes[size_t(i)] = uint8_t(r);
        }
        rec.bytes[8] = GetChannels(rec);
        rec.bytes[9] = uint8_t(measurements);
        const int n = std::min<int>(GetSampleTotal(rec), MeasurementRecord::kSampleBytes);
        int received = 0;
        for (int k = 0; k <= n; ++k) {
            Put(1);
            if (Get() < 0) break;
            if (k < n) ++received;
        }
        Put(0);
        return received;
    }

    int fd_ = -1;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

// Arg: program row (2 = B, 7 = G).
void PacedReadOutThreeWays(benchmark::State& state) {
    const int row = int(state.range(0));
    PacedCell cell(QString(ProgramLetter(row)));
    if (!cell.Ready()) {
        state.SkipWithError("kelvarn-cellsim did not start");
        return;
    }
    const QString cli = BuiltTool("../tools/cli/kelvarn-cli");
    std::vector<double> minimal, command, window, start;
    for (auto _ : state) {
        {
            QElapsedTimer t;
            t.start();
            MinimalClient client(cell.Link());
            if (client.ReadOut() <= 0) state.SkipWithError("minimal client: no read-out");
            minimal.push_back(Seconds(t));
        }
        {
            QFile::remove(cell.File("m.dba"));
            QProcess p;
            QElapsedTimer t;
            t.start();
            p.start(cli, {"read", "COM1", cell.File("m.dba")});
            p.waitForFinished(600000);
            command.push_back(Seconds(t));
            if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
                const QByteArray why = "kelvarn-cli read: " + p.readAllStandardError().trimmed();
                state.SkipWithError(why.constData());
            }
        }
        {
            // What starting the command line costs without any cell.
            QProcess p;
            QElapsedTimer t;
            t.start();
            p.start(cli, {"--version"});
            p.waitForFinished(60000);
            start.push_back(Seconds(t));
        }
        {
            SilentSeams seams;
            TForm1 form(&seams);
            form.show();
            while (form.CellCommandRunning())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            QApplication::processEvents();
            QElapsedTimer t;
            t.start();
            form.ReadOutCell();
            while (form.CellCommandRunning())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            window.push_back(Seconds(t));
            if (form.StatusText() != QStringLiteral(" OK.")) state.SkipWithError("window failed");
        }
    }
    // The ratios of each round, then their median: a round's three runs
    // share the machine's state of the moment.
    std::vector<double> cliVsMinimal, windowVsCli;
    for (size_t i = 0; i < minimal.size() && i < command.size() && i < window.size(); ++i) {
        cliVsMinimal.push_back((command[i] / minimal[i] - 1) * 100);
        windowVsCli.push_back((window[i] / command[i] - 1) * 100);
    }
    state.counters["minimal_s"] = Median(minimal);
    state.counters["cli_s"] = Median(command);
    state.counters["window_s"] = Median(window);
    state.counters["cli_start_s"] = Median(start);
    state.counters["cli_vs_minimal_pct"] = Median(cliVsMinimal);
    state.counters["window_vs_cli_pct"] = Median(windowVsCli);
    if (!cliVsMinimal.empty()) {
        const auto [lo, hi] = std::minmax_element(cliVsMinimal.begin(), cliVsMinimal.end());
        state.counters["cli_vs_minimal_range_pct"] = *hi - *lo;
    }
    state.SetLabel(QStringLiteral("program %1").arg(ProgramLetter(row)).toStdString());
}
BENCHMARK(PacedReadOutThreeWays)
    ->Arg(2)
    ->Arg(7)
    ->Unit(benchmark::kSecond)
    ->Iterations(5)
    ->UseRealTime();

}  // namespace

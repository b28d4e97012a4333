// Start-up to the first shown window, and peak memory. The program has no
// way to tell another process that its window is up, so start-up is taken
// in-process: TForm1 built, shown and painted once, as main() does it. Peak
// memory is the high-water mark (VmHWM) of the built kelvarn binary started
// offscreen and left to settle, and of this benchmark process.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <memory>

#include "app/Seams.h"
#include "app/TForm1.h"

namespace {

class QuietSeams : public kelvarn::Seams {
public:
    bool CtrlHeld() const override { return false; }
    void Notice(QWidget*, const QString&) override {}
    void Stop(QWidget*, const QString&) override {}
};

// Sees the window's first paint event.
class FirstPaint : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
};

// VmHWM of a process in MiB, from /proc/<pid>/status; -1 when unknown.
double PeakMemoryMiB(const QString& pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

void StartUpToFirstPaint(benchmark::State& state) {
    // No stored port: the start-up's connection check has nothing to try.
    QTemporaryDir config;
    qputenv("KELVARN_CONFIG_DIR", config.path().toLocal8Bit());
    QuietSeams seams;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto form = std::make_unique<kelvarn::TForm1>(&seams);
        FirstPaint seen;
        form->installEventFilter(&seen);
        form->show();
        QElapsedTimer t;
        t.start();
        while (!seen.painted && t.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (!seen.painted) state.SkipWithError("the window was never painted");
        form->removeEventFilter(&seen);
        form.reset();
        QApplication::processEvents();
    }
    qunsetenv("KELVARN_CONFIG_DIR");
    state.SetLabel("TForm1 built + shown + first paint, in-process");
}
BENCHMARK(StartUpToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

// The built program, started offscreen without a stored port, after it
// has shown its window and settled: its peak resident memory.
void ProgramPeakMemory(benchmark::State& state) {
    const QString program =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../kelvarn"));
    if (!QFileInfo(program).isExecutable()) {
        state.SkipWithError("kelvarn is not built beside the benchmarks");
        return;
    }
    QTemporaryDir config;
    double peak = -1;
    for (auto _ : state) {
        const QByteArray path = QFile::encodeName(program);
        const QByteArray configDir = config.path().toLocal8Bit();
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            setenv("KELVARN_CONFIG_DIR", configDir.constData(), 1);
            execl(path.constData(), path.constData(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // Start-up with its first paint takes well under a second here;
        // the high-water mark stays once reached.
        QThread::msleep(2000);
        peak = PeakMemoryMiB(QString::number(pid));
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        if (peak < 0) state.SkipWithError("no /proc status of the program");
    }
    state.counters["VmHWM_MiB"] = peak;
    state.SetLabel("kelvarn started offscreen, 2 s after start");
}
BENCHMARK(ProgramPeakMemory)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// Registered last of all benchmarks (files are linked in name order), so it
// reports the peak of the whole run: windows, charts, read-outs included.
void BenchmarkRunPeakMemory(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(PeakMemoryMiB(QStringLiteral("self")));
    state.counters["VmHWM_MiB"] = PeakMemoryMiB(QStringLiteral("self"));
    state.SetLabel("this benchmark process, all benchmarks above");
}
BENCHMARK(BenchmarkRunPeakMemory)->Iterations(1);

}  // namespace

// The cell protocol's own cost: the read-out per byte exchange against the
// unpaced simulator, and the live display against the cell's clock.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <memory>

#include "app/Seams.h"
#include "app/TForm1.h"
#include "cell/ReadOut.h"
#include "link/DeviceSearch.h"
#include "link/SerialLink.h"
#include "link/SettingsFile.h"
#include "sim/CellModel.h"
#include "sim/LinkKit.h"
#include "sim/ScriptedDevice.h"

namespace {

using namespace kelvarn;

class QuietSeams : public Seams {
public:
    // A benchmark replaces its record over and over: the unsaved one is let go, as "Nein"
    // to the save question, instead of a message box that would wait for a person.
    SaveAnswer AskSaveChanges(QWidget*, const QString&) override { return SaveAnswer::No; }
    // On their own thread, as on the desktop; inline for a scripted link.
    explicit QuietSeams(bool cellThread = true) : cellThread_(cellThread) {}
    bool CellCommandsOnOwnThread() const override { return cellThread_; }
    void SetUpLink(SerialLink& link) override {
        if (line) line->Attach(link);
        if (clock) LinkKit::SetClock(link, clock);
    }
    bool CtrlHeld() const override { return false; }
    void Notice(QWidget*, const QString&) override {}
    void Stop(QWidget*, const QString&) override {}

    ScriptedLink* line = nullptr;  // scripted ports; none: the machine's
    LinkClock* clock = nullptr;    // none: the real one

private:
    bool cellThread_;
};

// Lets the event loop run until the window's command to the cell is over.
void WaitForCommand(TForm1& form) {
    while (form.CellCommandRunning()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Pauses that cost nothing: the fixed pauses of the protocol are not what
// is measured.
class NoPauses : public LinkClock {
public:
    void Sleep(int) override {}
};

// kelvarn-cellsim on COM1 of a settings folder of its own.
class SimulatedCell {
public:
    explicit SimulatedCell(QStringList options) {
        qputenv("KELVARN_CONFIG_DIR", dir_.path().toLocal8Bit());
        const QString link = dir_.filePath("cell");
        WriteSetting(QStringLiteral("Ports"), QStringLiteral("COM1"), link);
        const QString path = QDir(QCoreApplication::applicationDirPath())
                                 .filePath(QStringLiteral("../tools/cellsim/kelvarn-cellsim"));
        options << "--link" << link << "--exit-after"
                << "600";
        sim_.start(path, options);
        sim_.waitForStarted(5000);
        QElapsedTimer t;
        t.start();
        while (!QFileInfo(link).isSymLink() && t.elapsed() < 5000) QThread::msleep(5);
        ready_ = QFileInfo(link).isSymLink();
    }
    ~SimulatedCell() {
        sim_.terminate();
        sim_.waitForFinished(5000);
        qunsetenv("KELVARN_CONFIG_DIR");
    }
    bool Ready() const { return ready_; }

private:
    QTemporaryDir dir_;
    QProcess sim_;
    bool ready_ = false;
};

// A full read-out of a G record: the readiness question, 8 + 501 and
// 8 + 6001 requests, each one byte out and one byte back.
void ReadOutPerExchange(benchmark::State& state) {
    SimulatedCell cell({"--program", "G", "--unpaced"});
    if (!cell.Ready()) {
        state.SkipWithError("kelvarn-cellsim did not start");
        return;
    }
    NoPauses noPauses;
    SerialLink link({}, &noPauses);
    if (!ConnectCell(link, 1)) {
        state.SkipWithError("no cell on COM1");
        return;
    }
    CellProgress quiet;
    MeasurementRecord rec;
    constexpr int kExchanges = 1 + (8 + 501) + (8 + 6001);
    for (auto _ : state) {
        const ReadOutResult r = ReadOutCell(link, rec, quiet);
        if (r.outcome != ReadOutResult::kOk) state.SkipWithError("read-out failed");
    }
    state.counters["per_exchange"] = benchmark::Counter(
        kExchanges, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(ReadOutPerExchange)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The same through the menu: with the progress bar and status line drawn as
// the bytes come, and the evaluation at the end.
void ReadOutInTheWindow(benchmark::State& state) {
    SimulatedCell cell({"--program", "G", "--unpaced"});
    if (!cell.Ready()) {
        state.SkipWithError("kelvarn-cellsim did not start");
        return;
    }
    NoPauses noPauses;
    WriteStoredPort(1);
    QuietSeams seams;
    seams.clock = &noPauses;
    TForm1 form(&seams);
    form.show();
    WaitForCommand(form);
    for (auto _ : state) {
        form.ReadOutCell();
        WaitForCommand(form);
        QApplication::processEvents();
    }
    constexpr int kExchanges = 1 + (8 + 501) + (8 + 6001);
    state.counters["per_exchange"] = benchmark::Counter(
        kExchanges, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(ReadOutInTheWindow)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// One live tick with 1000 points already on the chart, against the scripted
// cell (program D streams 6000 samples); then the queued replots.
void CellLiveTick(benchmark::State& state) {
    const bool replot = state.range(0) != 0;
    ScriptedLink link;
    ScriptedDevice& port = link.AddPort(3);
    CellModel model;
    port.AttachModel(&model);
    QuietSeams seams(false);
    seams.line = &link;
    // The window opens the port it has stored for each command: COM3, in a settings folder of
    // its own.
    QTemporaryDir config;
    qputenv("KELVARN_CONFIG_DIR", config.path().toLocal8Bit());
    WriteStoredPort(3);
    TForm1 form(&seams);
    form.show();
    // The analogue view in front, as the user watches it.
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet2);
    form.Controls().PageControl3->setCurrentWidget(form.Controls().TabSheet11);
    form.Controls().ProgBox->setCurrentIndex(3);
    emit form.Controls().Button1->clicked();
    form.Controls().Timer1->stop();  // the ticks come from here
    if (!form.LiveRunning()) {
        state.SkipWithError("the live start failed");
        qunsetenv("KELVARN_CONFIG_DIR");
        return;
    }
    for (int i = 0; i < 1000; ++i) form.LiveTick();
    QApplication::processEvents();
    if (form.Live().Count() != 1000) {
        state.SkipWithError("the cell sent fewer than 1000 levels");
        qunsetenv("KELVARN_CONFIG_DIR");
        return;
    }
    for (auto _ : state) {
        form.LiveTick();
        if (replot) QApplication::processEvents();
        if (form.Live().Count() >= 5900) state.SkipWithError("stream used up");
    }
    state.SetLabel(replot ? "tick + replot" : "tick");
    qunsetenv("KELVARN_CONFIG_DIR");
}
BENCHMARK(CellLiveTick)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// Program A from the PC, the simulator sending every 10 ms: how far the
// display trails the cell once it shows the 1000th sample.
void LiveTrailsTheCell(benchmark::State& state) {
    SimulatedCell cell({"--program", "A"});
    if (!cell.Ready()) {
        state.SkipWithError("kelvarn-cellsim did not start");
        return;
    }
    WriteStoredPort(1);
    QuietSeams seams;
    TForm1 form(&seams);
    form.show();
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet2);
    form.Controls().PageControl3->setCurrentWidget(form.Controls().TabSheet11);
    form.Controls().ProgBox->setCurrentIndex(0);
    WaitForCommand(form);
    double displayS = 0;
    for (auto _ : state) {
        emit form.Controls().Button1->clicked();
        // The cell's clock starts with the stream command, at the end of
        // the start sequence.
        WaitForCommand(form);
        QElapsedTimer t;
        t.start();
        // The application's own event loop, which sleeps between events.
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (form.Live().Count() >= 1000 || t.elapsed() > 60000) loop.quit();
        });
        check.start(1);
        loop.exec();
        displayS = t.elapsed() / 1000.0;
    }
    const double cellS = 1000 * 0.010;
    state.counters["display_s"] = displayS;
    state.counters["cell_s"] = cellS;
    state.counters["trail_pct"] = (displayS - cellS) / cellS * 100.0;
}
BENCHMARK(LiveTrailsTheCell)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// A read-out of program G through the window against the simulator at the
// line's speed: the longest time the window's event loop went without a
// pass (a 1 ms timer notes each), over the whole command including the
// evaluation at its end.
void EventLoopGapDuringReadOut(benchmark::State& state) {
    SimulatedCell cell({"--program", "G"});
    if (!cell.Ready()) {
        state.SkipWithError("kelvarn-cellsim did not start");
        return;
    }
    WriteStoredPort(1);
    QuietSeams seams;
    TForm1 form(&seams);
    form.show();
    WaitForCommand(form);
    qint64 longest = 0;
    for (auto _ : state) {
        QElapsedTimer since;
        QTimer beat;
        QObject::connect(&beat, &QTimer::timeout, [&] {
            longest = std::max(longest, since.elapsed());
            since.start();
        });
        beat.start(1);
        since.start();
        form.ReadOutCell();
        while (form.CellCommandRunning())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        longest = std::max(longest, since.elapsed());
    }
    state.counters["max_gap_ms"] = double(longest);
}
BENCHMARK(EventLoopGapDuringReadOut)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

// Open-to-evaluated: reading a measurement file and the evaluation pass
// filling every chart and table of the window.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <random>

#include "app/Seams.h"
#include "app/TForm1.h"
#include "bench_records.h"
#include "eval/Evaluation.h"

namespace {

class SilentSeams : public kelvarn::Seams {
public:
    // A benchmark replaces its record over and over: the unsaved one is let go, as "Nein"
    // to the save question, instead of a message box that would wait for a person.
    SaveAnswer AskSaveChanges(QWidget*, const QString&) override { return SaveAnswer::No; }
    QString file;
    bool CtrlHeld() const override { return false; }
    QString OpenFileName(QWidget*, const QStringList&, const QString&) override { return file; }
    void Stop(QWidget*, const QString&) override {}
    void Notice(QWidget*, const QString&) override {}
};

void OpenToEvaluated(benchmark::State& state) {
    const int row = int(state.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath("m.dba");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        const auto rec = kelvarn::bench::NoiseRecord(row);
        f.write(reinterpret_cast<const char*>(rec.bytes.data()), qint64(rec.bytes.size()));
    }
    SilentSeams seams;
    seams.file = path;
    kelvarn::TForm1 form(&seams);
    form.show();
    for (auto _ : state) {
        form.N1Click();
        QApplication::processEvents();  // the queued replots
    }
    state.SetLabel(std::string(1, char('A' + row - 1)));
}
BENCHMARK(OpenToEvaluated)->Arg(1)->Arg(6)->Arg(7)->Unit(benchmark::kMillisecond);

void EvaluationCore(benchmark::State& state) {
    const auto rec = kelvarn::bench::NoiseRecord(int(state.range(0)));
    kelvarn::EvalOptions opt;
    for (auto _ : state) benchmark::DoNotOptimize(kelvarn::EvaluateRecord(rec, opt));
}
BENCHMARK(EvaluationCore)->Arg(1)->Arg(6)->Arg(7)->Unit(benchmark::kMillisecond);

}  // namespace

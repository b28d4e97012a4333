// The whole assessment of a program F record (24 h at 14.4 s): figures, clock hours and
// periods in Europe/Berlin, Lden, the loudest night hour, three LEX,8h tasks and a TA Lärm
// rating of three parts, with two foreign-noise markers; then its text and JSON forms.
#include <benchmark/benchmark.h>

#include "bench_records.h"
#include "eval/Assessment.h"
#include "eval/AssessmentText.h"
#include "eval/Figures.h"

namespace {

kelvarn::AssessmentInput InputOf(const kelvarn::MeasurementRecord& rec) {
    using namespace kelvarn;
    AssessmentInput in;
    in.zone = QTimeZone("Europe/Berlin");
    in.measurements = AssessedMeasurements(ComputeFigures(rec), 14.4);
    in.measurements[0].start = QDateTime(QDate(2026, 6, 10), QTime(21, 37, 12), in.zone);
    in.measurements[0].leftOut = {{120, 300}, {40000.5, 40100.2}};
    in.tasks = {{{1, 0, 7200}, 2}, {{1, 7200, 36000}, 4.5}, {{1, std::nullopt, std::nullopt}, 1.5}};
    TaLaermInput t;
    t.parts = {{{1, 30000, 43200}, 4, 3, 0, true},
               {{1, 43200, 70000}, 8, 0, 2, false},
               {{1, 70000, 80000}, 4, 0, 0, false}};
    in.taLaerm = t;
    return in;
}

// From the record to every result.
void AssessProgramF(benchmark::State& state) {
    const kelvarn::MeasurementRecord rec = kelvarn::bench::NoiseRecord(6);
    for (auto _ : state) {
        const kelvarn::AssessmentInput in = InputOf(rec);
        benchmark::DoNotOptimize(kelvarn::Assess(in));
    }
}
BENCHMARK(AssessProgramF)->Unit(benchmark::kMillisecond);

// The same with its text and JSON forms, as kelvarn-cli assess writes them.
void AssessProgramFText(benchmark::State& state) {
    const kelvarn::MeasurementRecord rec = kelvarn::bench::NoiseRecord(6);
    const kelvarn::NumberFormat fmt(QLatin1Char(','));
    for (auto _ : state) {
        const kelvarn::AssessmentInput in = InputOf(rec);
        const kelvarn::Assessment a = kelvarn::Assess(in);
        benchmark::DoNotOptimize(kelvarn::AssessmentLines(a, in, fmt));
        benchmark::DoNotOptimize(kelvarn::AssessmentJson(QStringLiteral("f.dba"), a));
    }
}
BENCHMARK(AssessProgramFText)->Unit(benchmark::kMillisecond);

}  // namespace

// Results leaving the program: the figures table of kelvarn-cli summary, the CSV and JSON export
// and the PDF report, each from a record in memory (the file read is the same for all).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "bench_records.h"
#include "eval/Figures.h"
#include "files/Export.h"
#include "output/Report.h"

namespace {

std::string Letter(int row) {
    return std::string(1, char('A' + row - 1));
}

// kelvarn-cli summary FILE: figures of every measurement and the total, as a table.
void SummaryCore(benchmark::State& state) {
    const int row = int(state.range(0));
    const kelvarn::NumberFormat fmt(QLatin1Char(','));
    std::vector<kelvarn::SummaryEntry> entries(1);
    entries[0].file = QStringLiteral("m.dba");
    entries[0].record = kelvarn::bench::NoiseRecord(row);
    for (auto _ : state) {
        entries[0].figures = kelvarn::ComputeFigures(entries[0].record);
        benchmark::DoNotOptimize(kelvarn::Summary(entries, kelvarn::SummaryFormat::Tsv, fmt));
    }
    state.SetLabel(Letter(row));
}
BENCHMARK(SummaryCore)->Arg(6)->Arg(7)->Unit(benchmark::kMillisecond);

// kelvarn-cli export FILE: levels and figures; f = 0 CSV, f = 1 JSON.
void ExportCore(benchmark::State& state) {
    const int row = int(state.range(0));
    const bool json = state.range(1) == 1;
    const kelvarn::NumberFormat fmt(QLatin1Char(','));
    const kelvarn::MeasurementRecord rec = kelvarn::bench::NoiseRecord(row);
    size_t bytes = 0;
    for (auto _ : state) {
        const kelvarn::RecordFigures f = kelvarn::ComputeFigures(rec);
        const QByteArray out = json ? kelvarn::ExportJson(QStringLiteral("m.dba"), rec, f)
                                    : kelvarn::ExportCsv(f, fmt);
        bytes = size_t(out.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes"] = double(bytes);
    state.SetLabel(Letter(row) + (json ? " json" : " csv"));
}
BENCHMARK(ExportCore)
    ->ArgsProduct({{6, 7}, {0, 1}})
    ->ArgNames({"", "f"})
    ->Unit(benchmark::kMillisecond);

// "Bericht als &PDF ..." and kelvarn-cli report: the whole PDF of a record of program G.
void ReportOfRecord(benchmark::State& state) {
    const int row = int(state.range(0));
    const kelvarn::MeasurementRecord rec = kelvarn::bench::NoiseRecord(row);
    kelvarn::ReportContent content;
    content.fileName = QStringLiteral("M.DBA");
    size_t bytes = 0;
    for (auto _ : state) {
        const QByteArray pdf = kelvarn::ReportPdf(rec, content);
        bytes = size_t(pdf.size());
        benchmark::DoNotOptimize(pdf.data());
    }
    state.counters["bytes"] = double(bytes);
    state.SetLabel(Letter(row));
}
BENCHMARK(ReportOfRecord)->Arg(7)->Arg(6)->Unit(benchmark::kMillisecond);

}  // namespace

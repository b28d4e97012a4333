// Loading a large description: the reader alone and into the description
// field's document. Time per megabyte stays the same as the file grows, up to
// the 16 MB no remarks file may exceed.
#include <benchmark/benchmark.h>

#include <QTextDocument>

#include "files/Rtf.h"
#include "widgets/RichTextDocument.h"

namespace {

// kind 0: plain text lines; 1: RTF with formatted runs and paragraphs;
// 2: RTF made of nothing but opening braces.
QByteArray LargeRemarks(int kind, qsizetype bytes) {
    QByteArray d;
    d.reserve(bytes + 64);
    if (kind == 0) {
        while (d.size() < bytes) d += "Eine Zeile Text mit Worten\r\n";
    } else if (kind == 1) {
        d = "{\\rtf1\\ansi ";
        while (d.size() < bytes) d += "Text {\\b fett} und \\'e4 \\u8364? weiter\\par\r\n";
        d += '}';
    } else {
        d = "{\\rtf1 " + QByteArray(bytes, '{');
    }
    return d;
}

void SetCounters(benchmark::State& state, qsizetype bytes) {
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.counters["MB"] = double(bytes) / (1024 * 1024);
}

void RemarksRead(benchmark::State& state) {
    const QByteArray data = LargeRemarks(int(state.range(0)), state.range(1) << 20);
    for (auto _ : state) benchmark::DoNotOptimize(kelvarn::ReadRtf(data));
    SetCounters(state, data.size());
}
BENCHMARK(RemarksRead)
    ->ArgsProduct({{0, 1, 2}, {1, 4, 16}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void RemarksIntoTheField(benchmark::State& state) {
    const QByteArray data = LargeRemarks(int(state.range(0)), state.range(1) << 20);
    for (auto _ : state) {
        QTextDocument doc;
        kelvarn::ToDocument(kelvarn::ReadRtf(data), doc);
    }
    SetCounters(state, data.size());
}
BENCHMARK(RemarksIntoTheField)
    ->ArgsProduct({{0, 1}, {1, 4, 16}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

// A measurement file of any length, opened and evaluated the way the window
// and kelvarn-cli do it. The bytes go through the same code that takes the
// record from what was read, without a file in between, so each run costs
// the evaluation and nothing else.
#include <cstddef>
#include <cstdint>

#include "eval/Evaluation.h"
#include "files/MeasurementFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // What the open reads: at most the record's length from the file's start.
    const QByteArray read(reinterpret_cast<const char*>(data),
                          qsizetype(qMin<size_t>(size, kelvarn::MeasurementRecord::kSize)));
    kelvarn::MeasurementRecord rec;
    const kelvarn::CommandResult r = kelvarn::RecordFromFileBytes(read, rec);
    if (!r.ok) return 0;
    (void)kelvarn::InformationLine(QStringLiteral("F.DBA"), rec);
    kelvarn::EvalOptions opt;
    opt.leqBox = true;
    opt.leq12Box = true;
    kelvarn::Evaluation ev = kelvarn::EvaluateRecord(rec, opt);
    kelvarn::ComputeLeqCurves(rec, opt, ev);
    for (int k = 0; k <= 13; ++k) (void)kelvarn::MeasurementDistribution(rec, k, opt.fmt);
    return 0;
}

// A measurement file of any length, opened and evaluated the way the window
// and kelvarn-cli do it.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>

#include "eval/Evaluation.h"
#include "files/MeasurementFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path = QDir::temp().filePath(QStringLiteral("kelvarn-fuzz-%1.dba")
                                                          .arg(QCoreApplication::applicationPid()));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    kelvarn::MeasurementRecord rec;
    const kelvarn::FileResult r = kelvarn::ReadMeasurementFile(path, rec);
    if (!r.ok) return 0;
    (void)kelvarn::InformationLine(QStringLiteral("F.DBA"), rec);
    kelvarn::EvalOptions opt;
    opt.leqBox = true;
    opt.leq12Box = true;
    kelvarn::Evaluation ev = kelvarn::ShowTime(rec, opt);
    kelvarn::LeQEinzeichnen(rec, opt, ev);
    for (int k = 0; k <= 13; ++k) (void)kelvarn::MeasurementDistribution(rec, k, opt.fmt);
    return 0;
}

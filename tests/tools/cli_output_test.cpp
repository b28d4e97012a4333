// kelvarn-cli where its output cannot be written, and with file names that
// are not UTF-8.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

#include "cli_support.h"
#include "data/MeasurementRecord.h"
#include "files/MeasurementFile.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

const QString kCli = QStringLiteral(KELVARN_BIN_DIR "/tools/cli/kelvarn-cli");

MeasurementRecord ProgramB() {
    MeasurementRecord rec;
    BuildHeader(rec, 2);
    for (int i = 0; i < 1000; ++i) rec.bytes[size_t(10 + i)] = uint8_t(100 + i % 60);
    return rec;
}

// Runs the command with its standard output going to outFile, files limited
// to maxFileSize bytes when it is above 0.
CliRun RunInto(const QStringList& args, const QString& outFile, rlim_t maxFileSize = 0) {
    QProcess p;
    p.setStandardOutputFile(outFile);
    if (maxFileSize > 0) {
        p.setChildProcessModifier([maxFileSize] {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit lim{maxFileSize, maxFileSize};
            setrlimit(RLIMIT_FSIZE, &lim);
        });
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    p.setProcessEnvironment(env);
    p.start(kCli, args);
    CliRun r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = p.readAllStandardError();
    return r;
}

}  // namespace

TEST(CliOutput, LostOutputEndsWithAMessageAndNonZeroExit) {
    QTemporaryDir dir;
    const QString file = dir.filePath("M.DBA");
    ASSERT_TRUE(WriteMeasurementFile(file, ProgramB()).ok);
    const QString sink = dir.filePath("out.txt");
    const QStringList commands[] = {{"table", file, "grid"},
                                    {"chart", file, "Chart1"},
                                    {"info", file},
                                    {"help"},
                                    {"--help"},
                                    {"--version"}};
    for (const QStringList& args : commands) {
        SCOPED_TRACE(args.join(' ').toStdString());
        // Whole output fits: success.
        CliRun r = RunInto(args, sink);
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        const qint64 size = QFileInfo(sink).size();
        ASSERT_GT(size, 0);

        r = RunInto(args, "/dev/full");
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.startsWith("kelvarn-cli: Die Ausgabe konnte nicht geschrieben werden"))
            << r.err.constData();

        // A disk that takes only part of it.
        if (size > 100) {
            r = RunInto(args, sink, rlim_t(size / 2));
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(r.err.contains("Die Ausgabe konnte nicht geschrieben werden"))
                << r.err.constData();
        }
    }
}

TEST(CliOutput, FileNamesThatAreNotUtf8AreFound) {
    QTemporaryDir dir;
    const QByteArray name = QFile::encodeName(dir.path()) + "/bad\377\344.dba";
    {
        FILE* raw = std::fopen(name.constData(), "wb");
        ASSERT_NE(raw, nullptr);
        const MeasurementRecord rec = ProgramB();
        std::fwrite(rec.bytes.data(), 1, rec.bytes.size(), raw);
        std::fclose(raw);
    }
    // The shell hands the name over as its bytes.
    QProcess p;
    p.start("/bin/sh",
            {"-c", "exec \"$0\" info \"$1$(printf '/bad\\377\\344.dba')\"", kCli, dir.path()});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    EXPECT_TRUE(
        p.readAllStandardOutput().startsWith("bad\xEF\xBF\xBD\xEF\xBF\xBD.dba, Messpunkte: 1000"));
    std::remove(name.constData());
}

TEST(CliOutput, PipeAsMeasurementFileIsRefusedAtOnce) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("PIPE.DBA");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    for (const QStringList& args :
         {QStringList{"info", fifo}, {"table", fifo, "grid"}, {"chart", fifo, "Chart1"}}) {
        const CliRun r = RunKelvarnCli(args);
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_EQ(r.err,
                  "kelvarn-cli: " + QFile::encodeName(fifo) + ": Dateizugriff verweigert.\n");
    }
}

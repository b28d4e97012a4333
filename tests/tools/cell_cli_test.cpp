// kelvarn-cli read, query and live against kelvarn-cellsim.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <memory>

#include "cellsim_harness.h"
#include "cli_support.h"
#include "document/ArrivalProtocol.h"
#include "files/ProtocolFile.h"
#include "link/SettingsFile.h"
#include "sim/CellModel.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

// The built kelvarn-cli; it inherits the settings folder of the test.
CliRun Cli(const QStringList& args) {
    return RunKelvarnCli(args);
}

QByteArray Bytes(const MeasurementRecord& rec) {
    return QByteArray(reinterpret_cast<const char*>(rec.bytes.data()), MeasurementRecord::kSize);
}

// A file named by its bytes, also where they are not UTF-8.
QByteArray ReadBytes(const QByteArray& name) {
    QByteArray out;
    const int fd = ::open(name.constData(), O_RDONLY);
    if (fd < 0) return out;
    char buf[8192];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) out.append(buf, int(n));
    ::close(fd);
    return out;
}

class CellCliTest : public ::testing::Test {
protected:
    TempConfig config;
    QString link = config.Path("cell");
    QString file = config.Path("mess.dba");
    std::unique_ptr<Simulator> sim;

    CellCliTest() {
        EnsureCoreApplication();
        config.Map(4, link);
        config.Map(5, config.Path("absent"));
    }
    void Run(QStringList options) {
        sim.reset();
        options << "--unpaced";
        sim = std::make_unique<Simulator>(link, options);
        ASSERT_TRUE(sim->Ready());
    }
};

}  // namespace

TEST_F(CellCliTest, ReadWritesTheRecordAsAMeasurementFile) {
    Run({"--program", "H", "--seed", "9"});
    const CliRun r = Cli({"read", "COM4", file});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "6000 Messwerte gelesen, gespeichert in " + file.toUtf8() + ".\n");
    MeasurementRecord expected = CellModel::SyntheticMeasurement(8, 9);
    expected.bytes[8] = 1;
    expected.bytes[9] = 12;
    EXPECT_EQ(ReadAll(file), Bytes(expected));

    // Beside it the protocol a read-out in the window makes: the latest possible starts.
    const QDateTime after = QDateTime::currentDateTime();
    const MeasurementProtocol window = ReadOutProtocol(expected, after, {});
    MeasurementProtocol read;
    ASSERT_EQ(ReadProtocolFile(ProtocolFileName(file), ShapeOf(expected), read).state,
              ProtocolLoad::kRead);
    ASSERT_EQ(read.starts.size(), window.starts.size());
    ASSERT_FALSE(read.starts.empty());
    for (size_t m = 0; m < read.starts.size(); ++m) {
        EXPECT_EQ(read.starts[m].source, StartSource::kGeschaetzt);
        EXPECT_LE(std::abs(read.starts[m].start.msecsTo(window.starts[m].start)), 10000) << m;
        EXPECT_EQ(read.starts[m].start.msecsTo(read.starts[0].start),
                  window.starts[m].start.msecsTo(window.starts[0].start))
            << m;
    }
}

TEST_F(CellCliTest, ReadOnALineThatHangsUpNamesTheCause) {
    // Connection check 1, reset 10, readiness 2, reset 10, command 1, header 8, then 100
    // samples.
    Run({"--program", "B", "--hang-up-after", QString::number(1 + 10 + 2 + 10 + 1 + 8 + 100)});
    const CliRun r = Cli({"read", "com4", file});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "kelvarn-cli: Auslesen unvollständig! Nur 99 von 1000 Messwerten empfangen. "
              "Verbindung unterbrochen. Gespeichert in " +
                  file.toUtf8() + ".\n");
}

TEST_F(CellCliTest, ReadThatStopsPartWayKeepsTheDataAndFails) {
    Run({"--program", "B", "--stop-read-after", "258"});
    const CliRun r = Cli({"read", "com4", file});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "kelvarn-cli: Auslesen unvollständig! Nur 250 von 1000 Messwerten empfangen. "
              "Zelle antwortet nicht mehr. Gespeichert in " +
                  file.toUtf8() + ".\n");
    const QByteArray saved = ReadAll(file);
    ASSERT_EQ(saved.size(), MeasurementRecord::kSize);
    const MeasurementRecord cell = CellModel::SyntheticMeasurement(2, 1);
    EXPECT_EQ(saved.mid(10, 250), Bytes(cell).mid(10, 250));
    EXPECT_EQ(saved.mid(260), QByteArray(MeasurementRecord::kSize - 260, '\0'));
}

TEST_F(CellCliTest, ReadWithoutDataWritesNothing) {
    Run({"--bad-header"});
    CliRun r = Cli({"read", "COM4", file});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "kelvarn-cli: Datensatz ist defekt!  Bitte Batterieen überprüfen.\n");
    EXPECT_FALSE(QFileInfo::exists(file));

    r = Cli({"read", "COM5", file});  // no such device: the cause follows
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "kelvarn-cli: Hardware nicht bereit! Gerät nicht vorhanden.\n");
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(CellCliTest, ReadChecksTheDestinationBeforeTheCell) {
    const QString bytes = config.Path("bytes.bin");
    Run({"--log", bytes});
    const QString bad = config.Path("no-such-folder/mess.dba");
    CliRun r = Cli({"read", "COM4", bad});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("kelvarn-cli: " + bad.toUtf8() + ": ")) << r.err.toStdString();
    EXPECT_EQ(ReadAll(bytes), QByteArray()) << "not a byte to the cell";

    r = Cli({"read", "COM4", config.Path("")});  // a folder
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(ReadAll(bytes), QByteArray());
}

TEST_F(CellCliTest, CtrlCStopsTheReadOutAndSavesWhatArrived) {
    // At the line's speed a read-out of program B takes seconds.
    sim = std::make_unique<Simulator>(link, QStringList{"--program", "B"});
    ASSERT_TRUE(sim->Ready());
    QProcess p;
    p.start(QStringLiteral(KELVARN_BIN_DIR "/tools/cli/kelvarn-cli"), {"read", "COM4", file});
    ASSERT_TRUE(p.waitForStarted(5000));
    QThread::msleep(1500);
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    static const QRegularExpression re(
        "^kelvarn-cli: Auslesen abgebrochen\\. Nur (\\d+) von 1000 Messwerten empfangen\\. "
        "Gespeichert in (.*)\\.\n$");
    const auto m = re.match(err);
    ASSERT_TRUE(m.hasMatch()) << err.toStdString();
    EXPECT_EQ(m.captured(2), file);
    const int k = m.captured(1).toInt();
    EXPECT_GT(k, 0);
    EXPECT_LT(k, 1000);
    const QByteArray saved = ReadAll(file);
    ASSERT_EQ(saved.size(), MeasurementRecord::kSize);
    const MeasurementRecord cell = CellModel::SyntheticMeasurement(2, 1);
    EXPECT_EQ(saved.mid(10, k), Bytes(cell).mid(10, k));
    EXPECT_EQ(saved.mid(10 + k), QByteArray(MeasurementRecord::kSize - 10 - k, '\0'));
}

TEST_F(CellCliTest, QueryPrintsTheLetterOrUnknown) {
    Run({"--program", "F"});
    CliRun r = Cli({"query", "COM4"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "F\n");

    Run({"--bad-header"});
    r = Cli({"query", "COM4"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "Unbekannt. Möglicherweise sollte die Hardware aus- und eingeschaltet werden.\n");
}

TEST_F(CellCliTest, WrongPortOrArgumentsAreUsageErrors) {
    for (const QStringList& args :
         {QStringList{"query", "LPT1"}, QStringList{"read", "COM", file},
          QStringList{"read", "COM4"}, QStringList{"query"}, QStringList{"live", "COM"},
          QStringList{"live", "COM4", "--program", "Z"},
          QStringList{"live", "COM4", "--format", "xml"}, QStringList{"live", "COM4", "--fast"},
          QStringList{"ports", "COM4"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const CliRun r = Cli(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.startsWith("kelvarn-cli: ")) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(file));
}

// The levels a cell holding program row streams after the start command,
// as the window shows them.
QList<double> StreamedLevels(int row, int count) {
    CellModelOptions o;
    o.program = row;
    CellModel model(o);
    model.Receive(9);
    QList<double> levels;
    for (int k = 0; k < count && model.LiveRunning(); ++k)
        levels << SampleToLevel(model.NextLiveByte());
    return levels;
}

TEST_F(CellCliTest, LiveLogsEveryLevelOfProgramAUntilItsEnd) {
    Run({"--program", "D"});
    const CliRun r = Cli({"live", "COM4", "--format", "tsv"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "1000 Messwerte empfangen.\n");
    const QList<QByteArray> lines = r.out.split('\n');
    ASSERT_EQ(lines.size(), 1 + 1000 + 1) << "a header, each level, the last line's end";
    EXPECT_EQ(lines[0], "t/s\tdB(A)");
    const QList<double> expected = StreamedLevels(1, 1000);
    for (int k = 0; k < 1000; ++k) {
        const QList<QByteArray> f = lines[k + 1].split('\t');
        ASSERT_EQ(f.size(), 2) << lines[k + 1].toStdString();
        EXPECT_DOUBLE_EQ(f[0].toDouble(), k * 0.01) << "sample " << k;
        EXPECT_DOUBLE_EQ(f[1].toDouble(), expected[k]) << "sample " << k;
    }
}

// The log is read by the same spreadsheets as the export: ";" between decimal commas where the
// locale writes commas, "," between decimal points elsewhere; TSV keeps the locale's mark.
TEST_F(CellCliTest, LiveWritesSeparatorAndDecimalMarkAsTheExport) {
    const double level = StreamedLevels(1, 1).value(0);
    const QString point = QString::number(level, 'f', 1);
    QString comma = point;
    comma.replace('.', ',');
    const struct {
        const char* locale;
        const char* format;
        QString header, first;
    } cases[] = {
        {"de_DE.UTF-8", "csv", "t/s;dB(A)", "0,000;" + comma},
        {"de_DE.UTF-8", "tsv", "t/s\tdB(A)", "0,000\t" + comma},
        {"C", "csv", "t/s,dB(A)", "0.000," + point},
        {"en_US.UTF-8", "tsv", "t/s\tdB(A)", "0.000\t" + point},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.format);
        // Five levels, then the cell falls silent: enough to see the numbers.
        Run({"--program", "A", "--live-zero-after", "5"});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("LANG");
        env.remove("LC_NUMERIC");
        env.insert("LC_ALL", c.locale);
        const CliRun r = RunKelvarnCli({"live", "COM4", "--format", c.format}, env);
        EXPECT_EQ(r.err,
                  "kelvarn-cli: Fehler: kein Messwert von der Zelle.\n5 Messwerte empfangen.\n");
        const QStringList lines = QString::fromUtf8(r.out).split('\n');
        ASSERT_EQ(lines.size(), 1 + 5 + 1);
        EXPECT_EQ(lines[0], c.header);
        EXPECT_EQ(lines[1], c.first);
        EXPECT_EQ(lines[5].section(c.header.at(3), 0, 0), QString("0") + c.first.at(1) + "040")
            << "the fifth time of program A, 0.04 s";
    }
}

TEST_F(CellCliTest, LiveEndsOnCtrlCOrAFailedLevelWithWhatArrived) {
    Run({"--live-zero-after", "7"});
    CliRun r = Cli({"live", "COM4", "--program", "g"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "kelvarn-cli: Fehler: kein Messwert von der Zelle.\n7 Messwerte empfangen.\n");
    EXPECT_EQ(r.out.count('\n'), 1 + 7);
    EXPECT_TRUE(r.out.startsWith("t/s,dB(A)\n0.000,")) << r.out.left(40).toStdString();

    Run({});
    QProcess p;
    p.start(QStringLiteral(KELVARN_BIN_DIR "/tools/cli/kelvarn-cli"), {"live", "COM4"});
    ASSERT_TRUE(p.waitForStarted(5000));
    QThread::msleep(3000);
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    const QByteArray out = p.readAllStandardOutput();
    const int n = int(out.count('\n')) - 1;
    EXPECT_GT(n, 0);
    EXPECT_LT(n, 1000);
    EXPECT_EQ(p.readAllStandardError(),
              QStringLiteral("%1 Messwerte empfangen.\n").arg(n).toUtf8());
}

// With --restart a finished measurement starts again at once: a cycle logs one level less than
// the program holds (the end test comes before that level is read), then the next cycle's time
// begins at 0 again, under the one header, until Ctrl+C.
TEST_F(CellCliTest, LiveWithRestartStartsAgainUnderOneHeader) {
    Run({});
    QProcess p;
    p.start(QStringLiteral(KELVARN_BIN_DIR "/tools/cli/kelvarn-cli"),
            {"live", "COM4", "--restart", "--format", "tsv"});
    ASSERT_TRUE(p.waitForStarted(5000));
    // Program A: 1000 levels 10 ms apart, so a cycle takes 10 s.
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (out.count('\n') < 1 + 999 + 5 && t.elapsed() < 30000) {
        p.waitForReadyRead(500);
        out += p.readAllStandardOutput();
    }
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(5000));
    out += p.readAllStandardOutput();
    EXPECT_EQ(p.exitCode(), 0);
    const QList<QByteArray> lines = out.split('\n');
    const int n = int(lines.size()) - 2;  // without the header and after the last line's end
    ASSERT_GE(n, 999 + 5) << out.right(200).toStdString();
    EXPECT_EQ(lines[0], "t/s\tdB(A)");
    EXPECT_EQ(out.count("dB(A)"), 1) << "one header for every cycle";
    auto time = [&](int k) { return lines[k + 1].split('\t').value(0).toDouble(); };
    EXPECT_DOUBLE_EQ(time(998), 9.98) << "the first cycle's last level";
    EXPECT_DOUBLE_EQ(time(999), 0.0) << "the second cycle begins";
    EXPECT_DOUBLE_EQ(time(1003), 0.04);
    EXPECT_EQ(p.readAllStandardError(),
              QStringLiteral("%1 Messwerte empfangen.\n").arg(n).toUtf8());
}

TEST_F(CellCliTest, LiveWithoutACellSaysWhy) {
    const CliRun r = Cli({"live", "COM5"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(
        r.err,
        "kelvarn-cli: Hardware antwortet nicht. Gerät nicht vorhanden.\n0 Messwerte empfangen.\n");
    EXPECT_EQ(r.out, "");
}

// The COM names come from [Ports] in the file's order, then the system's
// own serial ports as the window offers them, with the COM name that
// reaches each.
TEST_F(CellCliTest, PortsListsTheComNamesAndTheSystemsPorts) {
    const CliRun r = Cli({"ports"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString out = QString::fromUtf8(r.out);
    const QString names = QStringLiteral("COM-Namen (%1, [Ports]):\n  COM4\t%2\n  COM5\t%3\n")
                              .arg(SettingsFilePath(), link, config.Path("absent"));
    EXPECT_TRUE(out.startsWith(names)) << out.toStdString();

    EXPECT_TRUE(out.contains(QStringLiteral("\nSerielle Schnittstellen des Systems:\n  ")))
        << out.toStdString();
    EXPECT_TRUE(out.endsWith('\n'));
}

// What the save fails on is found by the save's own preparation before a
// byte goes to the cell; what it takes, the check takes too.
TEST_F(CellCliTest, ReadChecksTheDestinationAsTheSaveDoes) {
    const QString bytes = config.Path("bytes.bin");
    Run({"--program", "A", "--log", bytes});
    const QByteArray base = QFile::encodeName(config.Path(""));
    ASSERT_EQ(::symlink("loop-b", (base + "loop-a").constData()), 0);
    ASSERT_EQ(::symlink("loop-a", (base + "loop-b").constData()), 0);
    const QByteArray tooLong = base + QByteArray(252, 'm') + ".dba";  // 256 bytes
    const struct {
        QByteArray path;
        QByteArray message;
        rlim_t maxFileSize;  // 0: none
    } refused[] = {
        {base + "loop-a", "Ungültiger Dateiname.", 0},
        {tooLong, "Ungültiger Dateiname.", 0},
        // A file system that takes no whole record: the old check asked only
        // whether the folder may be written.
        {base + "klein.dba", "E/A-Fehler 27.", 4000},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.path.toStdString());
        const rlim_t limit = c.maxFileSize;
        const CliRun r = RunKelvarnCliBytes({"read", "COM4", c.path}, {}, [limit] {
            if (limit == 0) return;
            signal(SIGXFSZ, SIG_IGN);
            const rlimit lim{limit, limit};
            setrlimit(RLIMIT_FSIZE, &lim);
        });
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "kelvarn-cli: " + c.path + ": " + c.message + "\n");
        EXPECT_EQ(ReadAll(bytes), QByteArray()) << "not a byte to the cell";
    }
    EXPECT_EQ(
        QDir(config.Path("")).entryList(QStringList{"*.dba", ".*~*"}, QDir::Files | QDir::Hidden),
        QStringList{});

    // A writable folder whose name is not UTF-8, and the longest name there
    // is: read, and the name printed as its bytes.
    const QByteArray folder = base + "Messungen \xff\xe4";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    // The temporary folder cannot remove such names.
    const std::unique_ptr<const QByteArray, void (*)(const QByteArray*)> removed(
        &folder, [](const QByteArray* f) {
            ::unlink((*f + "/m\xfc.dba").constData());
            ::rmdir(f->constData());
        });
    for (const QByteArray& path : {folder + "/m\xfc.dba", base + QByteArray(251, 'm') + ".dba"}) {
        SCOPED_TRACE(path.toStdString());
        const CliRun r = RunKelvarnCliBytes({"read", "COM4", path});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, "1000 Messwerte gelesen, gespeichert in " + path + ".\n");
        const QByteArray saved = ReadBytes(path);
        ASSERT_EQ(saved.size(), MeasurementRecord::kSize);
        EXPECT_EQ(saved.mid(10, 1000), Bytes(CellModel::SyntheticMeasurement(1, 1)).mid(10, 1000));
    }
}

// A destination that took the check but not the record (the disk filled
// during the read-out): what was read is kept in the home folder, or in the
// temporary folder, under a name that replaces nothing, and the message says
// where.
TEST_F(CellCliTest, ReadKeepsWhatItReadWhenTheSaveFailsAfterAll) {
    Run({"--program", "A"});
    const QString reference = config.Path("reference.dba");
    ASSERT_EQ(Cli({"read", "COM4", reference}).exitCode, 0);
    const QByteArray read = ReadAll(reference);
    ASSERT_EQ(read.size(), MeasurementRecord::kSize);

    // /dev/full takes the check (a device is written directly) and fails
    // every write with ENOSPC.
    const QByteArray home = QFile::encodeName(config.Path("heim"));
    ASSERT_EQ(::mkdir(home.constData(), 0755), 0);
    const QList<QByteArray> env = {"HOME=" + home, "TMPDIR=" + home + "/fehlt"};
    for (const QByteArray& kept : {home + "/full", home + "/full-2"}) {
        const CliRun r = RunKelvarnCliBytes({"read", "COM4", "/dev/full"}, env);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err,
                  "kelvarn-cli: /dev/full: Zu wenig Speicherplatz. Die gelesenen Daten sind "
                  "stattdessen gespeichert in " +
                      kept + ".\n");
        EXPECT_EQ(ReadAll(QFile::decodeName(kept)), read);
    }
    // No home folder to write to: the temporary folder.
    const QByteArray temp = QFile::encodeName(config.Path("temp"));
    ASSERT_EQ(::mkdir(temp.constData(), 0755), 0);
    CliRun r = RunKelvarnCliBytes({"read", "COM4", "/dev/full"},
                                  {"HOME=" + home + "/fehlt", "TMPDIR=" + temp});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(
        r.err.endsWith(" Die gelesenen Daten sind stattdessen gespeichert in " + temp + "/full.\n"))
        << r.err.toStdString();
    EXPECT_EQ(ReadAll(QFile::decodeName(temp + "/full")), read);
    // Nowhere at all: said too.
    r = RunKelvarnCliBytes({"read", "COM4", "/dev/full"},
                           {"HOME=" + home + "/fehlt", "TMPDIR=" + temp + "/fehlt"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.endsWith(" Die gelesenen Daten konnten nirgends gespeichert werden.\n"))
        << r.err.toStdString();
}

// The same on a real file system that fills while the cell is read: a small
// tmpfs in a mount namespace of the command's own (skipped where mounting is
// not allowed), filled once the first byte went to the paced cell.
TEST_F(CellCliTest, ReadKeepsWhatItReadWhenATmpfsFillsDuringTheReadOut) {
    const QString bytes = config.Path("bytes.bin");
    sim = std::make_unique<Simulator>(link, QStringList{"--program", "B", "--log", bytes});
    ASSERT_TRUE(sim->Ready());
    const QString mountPoint = config.Path("klein");
    const QString home = config.Path("heim");
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    ASSERT_TRUE(QDir().mkpath(home));
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=16k tmpfs \"$1\" 2>/dev/null || exit 77\n"
        "\"$2\" read COM4 \"$1/mess.dba\" & pid=$!\n"
        "while [ ! -s \"$3\" ] && kill -0 $pid 2>/dev/null; do sleep 0.01; done\n"
        "head -c 65536 /dev/zero > \"$1/fueller\" 2>/dev/null\n"
        "wait $pid\n");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    p.setProcessEnvironment(env);
    p.start("unshare", {"-m", "sh", "-c", script, "sh", mountPoint,
                        QStringLiteral(KELVARN_BIN_DIR "/tools/cli/kelvarn-cli"), bytes});
    if (!p.waitForStarted(5000)) GTEST_SKIP() << "no unshare here";
    ASSERT_TRUE(p.waitForFinished(60000));
    const QByteArray err = p.readAllStandardError();
    if (p.exitCode() == 77 || err.contains("unshare failed") || err.contains("unshare:"))
        GTEST_SKIP() << "no mount namespace or tmpfs here: " << err.toStdString();
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_EQ(err, "kelvarn-cli: " + QFile::encodeName(mountPoint) +
                       "/mess.dba: Zu wenig Speicherplatz. Die gelesenen Daten sind stattdessen "
                       "gespeichert in " +
                       QFile::encodeName(home) + "/mess.dba.\n");
    const QByteArray kept = ReadAll(home + "/mess.dba");
    ASSERT_EQ(kept.size(), MeasurementRecord::kSize);
    EXPECT_EQ(kept.mid(10, 1000), Bytes(CellModel::SyntheticMeasurement(2, 1)).mid(10, 1000));
}

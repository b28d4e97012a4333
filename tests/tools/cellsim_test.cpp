// kelvarn-cellsim as a program: its options, its faults, its timing, and
// how it ends.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cstdio>

#include "cellsim_harness.h"
#include "link/DeviceSearch.h"
#include "link/SerialLink.h"
#include "sim/CellModel.h"
#include "sim/LinkKit.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

class CellSimTest : public ::testing::Test {
protected:
    // The link under test, on the machine's serial ports.
    SerialLink serial;

    TempConfig config;
    QString link = config.Path("cell");

    CellSimTest() {
        EnsureCoreApplication();
        LinkKit::Reset(serial);
        config.Map(1, link);
    }
    ~CellSimTest() override { LinkKit::Reset(serial); }

    // The memory read as the cell protocol does it: `count` requests.
    std::vector<int> ReadMemory(int count) {
        (void)serial.ResetLink();
        (void)serial.WriteByte(2);
        serial.Delay(4);
        std::vector<int> got;
        for (int k = 0; k < count; ++k) {
            (void)serial.WriteByte(1);
            got.push_back(serial.ReadByte());
        }
        (void)serial.WriteByte(0);
        return got;
    }
};

std::vector<int> Expected(const MeasurementRecord& rec, int from, int count) {
    std::vector<int> v;
    for (int k = from; k < from + count; ++k) v.push_back(rec.bytes[size_t(k < 8 ? k : k + 2)]);
    return v;
}

}  // namespace

TEST(CellSimProgram, HelpNamesEveryOption) {
    QByteArray out;
    EXPECT_EQ(RunToEnd(SimulatorPath(), {"--help"}, &out), 0);
    for (const char* option :
         {"--link", "--device", "--program", "--seed", "--memory", "--channel", "--silent",
          "--stop-read-after", "--bad-header", "--live-zero-after", "--hang-up-after", "--pace",
          "--unpaced", "--log", "--events", "--exit-after", "SIGTERM"})
        EXPECT_TRUE(out.contains(option)) << option;
}

TEST(CellSimProgram, WrongUsageEndsWithCodeTwo) {
    QTemporaryDir dir;
    const QString link = dir.path() + "/cell";
    const QString file = dir.path() + "/file";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("mine");
    f.close();
    const QStringList cases[] = {
        {},
        {"--link", link, "--device", "modem"},
        {"--link", link, "--program", "J"},
        {"--link", link, "--channel", "256"},
        {"--link", link, "--stop-read-after", "-1"},
        {"--link", link, "--exit-after", "0"},
        {"--link", link, "--memory", dir.path() + "/missing.dba"},
        {"--link", link, "--memory", file},  // far too short
        {"--link", link, "stray"},
        {"--link", link, "--pace", "--unpaced"},
        {"--link", file},  // a file in the way is not replaced
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QByteArray out;
        EXPECT_EQ(RunToEnd(SimulatorPath(), args, &out), 2);
        EXPECT_TRUE(out.startsWith("kelvarn-cellsim: ")) << out.toStdString();
    }
    EXPECT_EQ(ReadAll(file), "mine");
    EXPECT_FALSE(QFileInfo::exists(link));
}

TEST_F(CellSimTest, EndsOnSigtermAndByItselfRemovingItsLink) {
    Simulator sim(link, {});
    ASSERT_TRUE(sim.Ready());
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());

    const QString events = config.Path("events.txt");
    Simulator timed(link, {"--exit-after", "0.3", "--events", events});
    ASSERT_TRUE(timed.Ready());
    QElapsedTimer t;
    t.start();
    while (timed.Running() && t.elapsed() < 5000) QThread::msleep(10);
    EXPECT_FALSE(timed.Running());
    EXPECT_EQ(timed.Stop(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(ReadAll(events).contains("exit after 0.3 s"));
}

TEST_F(CellSimTest, LogsEveryByteAndEveryCommand) {
    const QString bytes = config.Path("bytes.bin");
    const QString events = config.Path("events.txt");
    Simulator sim(link, {"--unpaced", "--log", bytes, "--events", events});
    ASSERT_TRUE(sim.Ready());
    ASSERT_TRUE(ConnectCell(serial, 1));
    ReadMemory(9);
    (void)serial.ResetLink();
    (void)serial.WriteByte(6);
    QThread::msleep(50);
    QByteArray expected("\x0c", 1);
    expected += QByteArray(10, 0) + "\x02" + QByteArray(9, 1) + QByteArray(11, 0) + "\x06";
    EXPECT_EQ(ReadAll(bytes), expected);
    const QString text = QString::fromUtf8(ReadAll(events));
    for (const char* line :
         {"ready: rq410 on ", "line speed 9600", "connect 12 -> 240", "read memory, program B",
          "read end after 9 requests", "run program B"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.toStdString();
}

// Each exchange pays the line time of the request and of the answer, as on
// a serial line: a request is answered only once it has wholly arrived.
TEST_F(CellSimTest, PacedBytesTakeElevenBitTimesBothWays) {
    const QStringList choices[] = {{"--seed", "5"}, {"--pace", "--seed", "5"}};
    for (const QStringList& options : choices) {
        SCOPED_TRACE(options.join(' ').toStdString());
        Simulator sim(link, options);
        ASSERT_TRUE(sim.Ready());
        ASSERT_TRUE(serial.OpenPort("COM1:9600,N,8,2"));
        QElapsedTimer t;
        t.start();
        const auto got = ReadMemory(108);
        const qint64 ms = t.elapsed();
        std::printf("108 paced request/answer pairs: %lld ms\n", static_cast<long long>(ms));
        EXPECT_EQ(got, Expected(CellModel::SyntheticMeasurement(2, 5), 0, 108));
        EXPECT_GE(ms, 2 * 108 * 1146 / 1000);
        serial.ClosePort();
    }
}

// A silent simulator hears the requests and says in its log that it sent
// nothing back.
TEST_F(CellSimTest, ASilentCellLogsNoAnswer) {
    const QString events = config.Path("events.txt");
    Simulator sim(link, {"--unpaced", "--silent", "--events", events});
    ASSERT_TRUE(sim.Ready());
    EXPECT_FALSE(ConnectCell(serial, 1));
    QThread::msleep(50);
    const QString text = QString::fromUtf8(ReadAll(events));
    EXPECT_TRUE(text.contains("connect 12: no answer (silent)")) << text.toStdString();
    EXPECT_FALSE(text.contains("connect 12 ->")) << text.toStdString();
}

TEST_F(CellSimTest, TheLiveStreamRunsOnTheCellsClock) {
    Simulator sim(link, {"--program", "A", "--unpaced", "--live-zero-after", "25"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_TRUE(ConnectCell(serial, 1));
    (void)serial.ResetLink();
    (void)serial.WriteByte(9);
    QElapsedTimer t;
    t.start();
    std::vector<int> got;
    for (int k = 0; k < 27; ++k) got.push_back(serial.ReadByte());
    const qint64 ms = t.elapsed();
    std::printf("27 live samples of program A: %lld ms\n", static_cast<long long>(ms));
    EXPECT_GE(ms, 260) << "one byte per 10 ms";
    std::vector<int> expected = Expected(CellModel::SyntheticMeasurement(1, 1), 8, 27);
    expected[25] = 0;
    EXPECT_EQ(got, expected);
}

TEST_F(CellSimTest, ReadFaults) {
    {
        Simulator sim(link, {"--unpaced", "--stop-read-after", "8"});
        ASSERT_TRUE(sim.Ready());
        ASSERT_TRUE(serial.OpenPort("COM1:9600,N,8,2"));
        const auto got = ReadMemory(9);
        EXPECT_EQ(got[7], Expected(CellModel::SyntheticMeasurement(2, 1), 7, 1)[0]);
        EXPECT_EQ(got[8], -1);
    }
    {
        Simulator sim(link, {"--unpaced", "--bad-header"});
        ASSERT_TRUE(sim.Ready());
        ASSERT_TRUE(serial.OpenPort("COM1:9600,N,8,2"));
        const auto got = ReadMemory(3);
        EXPECT_EQ(got, (std::vector<int>{0, 0, 1}));
    }
}

TEST_F(CellSimTest, HoldsAGivenMeasurementFile) {
    const MeasurementRecord rec = CellModel::SyntheticMeasurement(5, 77);
    const QString file = config.Path("m.dba");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(rec.bytes.data()), qint64(rec.bytes.size()));
    f.close();
    Simulator sim(link, {"--unpaced", "--memory", file});
    ASSERT_TRUE(sim.Ready());
    ASSERT_TRUE(serial.OpenPort("COM1:9600,N,8,2"));
    EXPECT_EQ(ReadMemory(20), Expected(rec, 0, 20));
}

TEST_F(CellSimTest, HangingUpEndsTheSimulatorAndEveryRead) {
    Simulator sim(link, {"--unpaced", "--hang-up-after", "3"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_TRUE(ConnectCell(serial, 1));  // one byte
    (void)serial.WriteByte(7);
    (void)serial.WriteByte(2);  // the third: the line drops before an answer
    EXPECT_EQ(serial.ReadByte(), -1);
    QElapsedTimer t;
    t.start();
    while (sim.Running() && t.elapsed() < 5000) QThread::msleep(10);
    EXPECT_FALSE(sim.Running());
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(serial.ReadByte(), -1);
    EXPECT_FALSE(ConnectCell(serial, 1));
}

// The maker's other devices answer their own probe at their line speed.
TEST_F(CellSimTest, OtherDevicesAnswerTheirProbes) {
    struct Case {
        const char* device;
        bool (*probe)(SerialLink&, int, const AcceptPrompt&);
        int kind;
    };
    const Case cases[] = {
        {"cell", ProbeZelle, kCell},          {"nera", ProbeFast, kNera},
        {"peltrix", ProbeFast, kPeltrix},     {"peltrix", ProbePeltrix, kPeltrix},
        {"vendra", ProbeFast, kVendraSerial}, {"tavinbox", ProbeFast, kTavinbox},
        {"orbide", ProbeOrbide, kOrbide},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        Simulator sim(link, {"--unpaced", "--device", c.device});
        ASSERT_TRUE(sim.Ready());
        EXPECT_TRUE(c.probe(serial, 1, {}));
        EXPECT_EQ(serial.GetDeviceKind(), c.kind);
        EXPECT_NE(serial.ReadChannel(1), -1);
        serial.ClosePort();
    }
}

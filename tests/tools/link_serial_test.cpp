// The serial channel on a real terminal line: comphard through QSerialPort
// to kelvarn-cellsim on a pseudo-terminal, ports mapped in [Ports].

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cstdio>

#include "cellsim_harness.h"
#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "link/CellModel.h"
#include "link/DeviceSearch.h"
#include "link/comphard.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

std::vector<uint8_t> Bytes(const QByteArray& a) {
    return {a.begin(), a.end()};
}

class SerialLinkTest : public ::testing::Test {
protected:
    TempConfig config;

    SerialLinkTest() {
        EnsureCoreApplication();
        ResetLinkState();
    }
    ~SerialLinkTest() override { ResetLinkState(); }

    // A simulator on COMn.
    std::unique_ptr<Simulator> Start(int n, QStringList args, const QString& log = {}) {
        const QString link = config.Path(QStringLiteral("com%1").arg(n));
        if (!log.isEmpty()) args << "--log" << log;
        auto sim = std::make_unique<Simulator>(link, args);
        EXPECT_TRUE(sim->Ready()) << "simulator did not start: " << SimulatorPath().toStdString();
        config.Map(n, link);
        return sim;
    }
};

}  // namespace

TEST_F(SerialLinkTest, ConnectCellFindsBothKindsOfCell) {
    for (const char* device : {"rq410", "cell"}) {
        SCOPED_TRACE(device);
        const QString log = config.Path(QStringLiteral("%1.bin").arg(device));
        auto sim = Start(3, {"--device", device, "--unpaced"}, log);
        ASSERT_TRUE(ConnectCell(3));
        EXPECT_EQ(GetDeviceKind(), kCell);
        EXPECT_EQ(GetPortNumber(), 3);
        const bool plain = QByteArray(device) == "cell";
        const std::vector<uint8_t> tries =
            plain ? std::vector<uint8_t>{12, 13} : std::vector<uint8_t>{12};
        EXPECT_EQ(Bytes(ReadAll(log)), tries);
        // The connection stays usable: the readiness question of a read-out.
        ResetLink();
        EXPECT_EQ(ReadChannel(2), 200);
        ClosePort();
    }
}

TEST_F(SerialLinkTest, ASilentPortCostsAboutTwoHundredTenMillisecondsPerByte) {
    auto sim = Start(2, {"--silent"});
    ASSERT_TRUE(OpenPort(QStringLiteral("COM2:9600,N,8,2")));
    QElapsedTimer t;
    for (int i = 0; i < 3; ++i) {
        WriteByte(12);
        t.start();
        EXPECT_EQ(ReadByte(), -1);
        const qint64 ms = t.elapsed();
        std::printf("silent ReadByte: %lld ms\n", static_cast<long long>(ms));
        EXPECT_GE(ms, 150);
        EXPECT_LE(ms, 1000);
    }
}

TEST_F(SerialLinkTest, OpeningAMissingDeviceClosesTheOpenPortAndClearsNumberAndKind) {
    auto sim = Start(3, {"--unpaced"});
    config.Map(4, config.Path("nothing-here"));
    ASSERT_TRUE(ConnectCell(3));
    EXPECT_FALSE(OpenPort(QStringLiteral("COM4:9600,N,8,2")));
    EXPECT_EQ(GetPortNumber(), 0);
    EXPECT_EQ(GetDeviceKind(), 0);
    EXPECT_FALSE(IsPortOpen());
    EXPECT_EQ(ReadByte(), -1);
    // The first port was really given back: it opens again at once.
    EXPECT_TRUE(ConnectCell(3));
}

TEST_F(SerialLinkTest, AReopenedPortDoesNotHandOverOldBytes) {
    auto sim = Start(3, {"--unpaced"});
    ASSERT_TRUE(OpenPort(QStringLiteral("COM3:9600,N,8,2")));
    WriteByte(12);  // the answer 240 is left unread
    QThread::msleep(50);
    ASSERT_TRUE(OpenPort(QStringLiteral("COM3:9600,N,8,2")));
    EXPECT_EQ(ReadByte(), -1);
}

TEST_F(SerialLinkTest, PurgingTheTransmitBufferLosesNothingAlreadyWritten) {
    // On a real line every written byte has left when a purge follows; on
    // a pseudo-terminal the other end may not have read it yet.
    const QString log = config.Path("bytes.bin");
    auto sim = Start(3, {"--unpaced"}, log);
    ASSERT_TRUE(OpenPort(QStringLiteral("COM3:9600,N,8,2")));
    for (int i = 0; i < 300; ++i) WriteByte(i);
    PurgeTransmit();
    WriteByte(6);
    QThread::msleep(100);
    std::vector<uint8_t> expected;
    for (int i = 0; i < 300; ++i) expected.push_back(uint8_t(i));
    expected.push_back(6);
    EXPECT_EQ(Bytes(ReadAll(log)), expected);
}

TEST_F(SerialLinkTest, UploadAndReadOutByteForByte) {
    const QString log = config.Path("bytes.bin");
    auto sim = Start(5, {"--unpaced", "--seed", "42"}, log);
    ASSERT_TRUE(ConnectCell(5));

    // Program A into the cell with the load handshake.
    const auto program = KeyProgramBytes(Programs().Row(1).KeyProgram);
    std::vector<uint8_t> sent{12};
    ResetLink();
    WriteByte(5);
    Delay(4);
    sent.insert(sent.end(), 10, 0);
    sent.push_back(5);
    for (uint8_t b : program) {
        ASSERT_GE(ReadByte(), 0) << "prompt";
        WriteByte(1);
        WriteByte(b);
        sent.push_back(1);
        sent.push_back(b);
    }
    ReadByte();
    WriteByte(0);
    sent.push_back(0);

    // Its memory: header and 1001 samples of the synthetic measurement.
    ResetLink();
    WriteByte(2);
    Delay(4);
    sent.insert(sent.end(), 10, 0);
    sent.push_back(2);
    const MeasurementRecord expected = CellModel::SyntheticMeasurement(1, 42);
    for (int k = 0; k < 8 + 1001; ++k) {
        WriteByte(1);
        sent.push_back(1);
        ASSERT_EQ(ReadByte(), expected.bytes[size_t(k < 8 ? k : k + 2)]) << "byte " << k;
    }
    WriteByte(0);
    sent.push_back(0);
    QThread::msleep(50);
    EXPECT_EQ(Bytes(ReadAll(log)), sent);
}

TEST_F(SerialLinkTest, SearchTakesTheDeviceOnComOneUnlessCtrlAndNoSkipIt) {
    auto nera = Start(1, {"--device", "nera", "--unpaced"});
    auto cell = Start(2, {"--device", "rq410", "--unpaced"});
    config.MapOthersAway({1, 2});

    EXPECT_EQ(SearchHardware(), kNera);
    EXPECT_EQ(GetPortNumber(), 1);

    QStringList asked;
    int answer = 0;
    AcceptPrompt prompt{[] { return true; },
                        [&](const QString& caption, const QString&) {
                            asked << caption;
                            return answer++ > 0;  // No, then Yes
                        }};
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(SearchHardware(prompt), kCell);
    std::printf("search with one skipped device: %lld ms\n", static_cast<long long>(t.elapsed()));
    EXPECT_EQ(GetPortNumber(), 2);
    EXPECT_EQ(asked, (QStringList{"NERA an COM1", "RQ410 (Zelle) an COM2"}));
}

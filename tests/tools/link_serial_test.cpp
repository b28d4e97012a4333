// The serial channel on a real terminal line: SerialLink through QSerialPort
// to kelvarn-cellsim on a pseudo-terminal, ports mapped in [Ports].

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cstdio>

#include "cellsim_harness.h"
#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "link/DeviceSearch.h"
#include "link/SerialLink.h"
#include "sim/CellModel.h"
#include "sim/LinkKit.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

std::vector<uint8_t> Bytes(const QByteArray& a) {
    return {a.begin(), a.end()};
}

class SerialLinkTest : public ::testing::Test {
protected:
    // The link under test, on the machine's serial ports.
    SerialLink serial;

    TempConfig config;

    SerialLinkTest() {
        EnsureCoreApplication();
        LinkKit::Reset(serial);
    }
    ~SerialLinkTest() override { LinkKit::Reset(serial); }

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
        ASSERT_TRUE(ConnectCell(serial, 3));
        EXPECT_EQ(serial.GetDeviceKind(), kCell);
        EXPECT_EQ(serial.GetPortNumber(), 3);
        const bool plain = QByteArray(device) == "cell";
        const std::vector<uint8_t> tries =
            plain ? std::vector<uint8_t>{12, 13} : std::vector<uint8_t>{12};
        EXPECT_EQ(Bytes(ReadAll(log)), tries);
        // The connection stays usable: the readiness question of a read-out.
        (void)serial.ResetLink();
        EXPECT_EQ(serial.ReadChannel(2), 200);
        serial.ClosePort();
    }
}

TEST_F(SerialLinkTest, ASilentPortCostsAboutTwoHundredTenMillisecondsPerByte) {
    auto sim = Start(2, {"--silent"});
    ASSERT_TRUE(serial.OpenPort(QStringLiteral("COM2:9600,N,8,2")));
    QElapsedTimer t;
    for (int i = 0; i < 3; ++i) {
        (void)serial.WriteByte(12);
        t.start();
        EXPECT_EQ(serial.ReadByte(), -1);
        const qint64 ms = t.elapsed();
        std::printf("silent ReadByte: %lld ms\n", static_cast<long long>(ms));
        EXPECT_GE(ms, 150);
        EXPECT_LE(ms, 1000);
    }
}

TEST_F(SerialLinkTest, OpeningAMissingDeviceClosesTheOpenPortAndClearsNumberAndKind) {
    auto sim = Start(3, {"--unpaced"});
    config.Map(4, config.Path("nothing-here"));
    ASSERT_TRUE(ConnectCell(serial, 3));
    EXPECT_FALSE(serial.OpenPort(QStringLiteral("COM4:9600,N,8,2")));
    EXPECT_EQ(serial.GetPortNumber(), 0);
    EXPECT_EQ(serial.GetDeviceKind(), 0);
    EXPECT_FALSE(serial.IsPortOpen());
    EXPECT_EQ(serial.ReadByte(), -1);
    // The first port was really given back: it opens again at once.
    EXPECT_TRUE(ConnectCell(serial, 3));
}

TEST_F(SerialLinkTest, AReopenedPortDoesNotHandOverOldBytes) {
    auto sim = Start(3, {"--unpaced"});
    ASSERT_TRUE(serial.OpenPort(QStringLiteral("COM3:9600,N,8,2")));
    (void)serial.WriteByte(12);  // the answer 240 is left unread
    QThread::msleep(50);
    ASSERT_TRUE(serial.OpenPort(QStringLiteral("COM3:9600,N,8,2")));
    EXPECT_EQ(serial.ReadByte(), -1);
}

TEST_F(SerialLinkTest, PurgingTheTransmitBufferLosesNothingAlreadyWritten) {
    // On a real line every written byte has left when a purge follows; on
    // a pseudo-terminal the other end may not have read it yet.
    const QString log = config.Path("bytes.bin");
    auto sim = Start(3, {"--unpaced"}, log);
    ASSERT_TRUE(serial.OpenPort(QStringLiteral("COM3:9600,N,8,2")));
    for (int i = 0; i < 300; ++i) ASSERT_EQ(serial.WriteByte(i), LinkStatus::kOk);
    serial.PurgeTransmit();
    (void)serial.WriteByte(6);
    QThread::msleep(100);
    std::vector<uint8_t> expected;
    for (int i = 0; i < 300; ++i) expected.push_back(uint8_t(i));
    expected.push_back(6);
    EXPECT_EQ(Bytes(ReadAll(log)), expected);
}

TEST_F(SerialLinkTest, UploadAndReadOutByteForByte) {
    const QString log = config.Path("bytes.bin");
    auto sim = Start(5, {"--unpaced", "--seed", "42"}, log);
    ASSERT_TRUE(ConnectCell(serial, 5));

    // Program A into the cell with the load handshake.
    const auto program = KeyProgramBytes(Programs().Row(1).KeyProgram);
    std::vector<uint8_t> sent{12};
    (void)serial.ResetLink();
    (void)serial.WriteByte(5);
    serial.Delay(4);
    sent.insert(sent.end(), 10, 0);
    sent.push_back(5);
    for (uint8_t b : program) {
        ASSERT_GE(serial.ReadByte(), 0) << "prompt";
        (void)serial.WriteByte(1);
        (void)serial.WriteByte(b);
        sent.push_back(1);
        sent.push_back(b);
    }
    serial.ReadByte();
    (void)serial.WriteByte(0);
    sent.push_back(0);

    // Its memory: header and 1001 samples of the synthetic measurement.
    (void)serial.ResetLink();
    (void)serial.WriteByte(2);
    serial.Delay(4);
    sent.insert(sent.end(), 10, 0);
    sent.push_back(2);
    const MeasurementRecord expected = CellModel::SyntheticMeasurement(1, 42);
    for (int k = 0; k < 8 + 1001; ++k) {
        (void)serial.WriteByte(1);
        sent.push_back(1);
        ASSERT_EQ(serial.ReadByte(), expected.bytes[size_t(k < 8 ? k : k + 2)]) << "byte " << k;
    }
    (void)serial.WriteByte(0);
    sent.push_back(0);
    QThread::msleep(50);
    EXPECT_EQ(Bytes(ReadAll(log)), sent);
}

TEST_F(SerialLinkTest, SearchTakesTheDeviceOnComOneUnlessCtrlAndNoSkipIt) {
    auto nera = Start(1, {"--device", "nera", "--unpaced"});
    auto cell = Start(2, {"--device", "rq410", "--unpaced"});
    config.MapOthersAway({1, 2});

    EXPECT_EQ(SearchHardware(serial), kNera);
    EXPECT_EQ(serial.GetPortNumber(), 1);

    QStringList asked;
    int answer = 0;
    AcceptPrompt prompt{[] { return true; },
                        [&](const QString& caption, const QString&) {
                            asked << caption;
                            return answer++ > 0;  // No, then Yes
                        }};
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(SearchHardware(serial, prompt), kCell);
    std::printf("search with one skipped device: %lld ms\n", static_cast<long long>(t.elapsed()));
    EXPECT_EQ(serial.GetPortNumber(), 2);
    EXPECT_EQ(asked, (QStringList{"NERA an COM1", "RQ410 (Zelle) an COM2"}));
}

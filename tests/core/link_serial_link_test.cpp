#include <gtest/gtest.h>

#include "link/SerialLink.h"
#include "sim/LinkKit.h"
#include "sim/ScriptedDevice.h"

using namespace kelvarn;

namespace {

QString Join(const QStringList& l) {
    return l.join(QStringLiteral("; "));
}

class ComphardTest : public ::testing::Test {
protected:
    ScriptedLink link;
    ScriptedDevice& port = link.AddPort(3);

    // Opens COM3 and forgets the log of the open.
    void OpenCom3() {
        ASSERT_TRUE(link.serial.OpenPort(QStringLiteral("COM3:9600,N,8,2")));
        link.log.clear();
    }
};

}  // namespace

TEST_F(ComphardTest, OpenPortConfiguresEightNTwoThenRtsOffThenDtrOn) {
    EXPECT_TRUE(link.serial.OpenPort(QStringLiteral("COM3:19200,N,8,2")));
    EXPECT_EQ(link.Transcript(), "open COM3; line 19200,N,8,2; rts 0; dtr 1");
    EXPECT_EQ(link.serial.GetPortNumber(), 3);
    EXPECT_FALSE(port.rts);
    EXPECT_TRUE(port.dtr);

    ScriptedDevice& com12 = link.AddPort(12);
    EXPECT_TRUE(link.serial.OpenPort(QStringLiteral("COM12:9600,N,8,2")));
    EXPECT_EQ(link.serial.GetPortNumber(), 12);
    EXPECT_TRUE(com12.isOpen);
    EXPECT_FALSE(port.isOpen) << "the port open before is closed first";
}

TEST_F(ComphardTest, FailedOpenLeavesNoPortAndNumberAndKindZero) {
    OpenCom3();
    link.serial.SetDeviceKind(kCell);
    EXPECT_FALSE(link.serial.OpenPort(QStringLiteral("COM7:9600,N,8,2")));  // no such port
    EXPECT_EQ(link.Transcript(), "close COM3; open COM7 failed");
    EXPECT_FALSE(port.isOpen);
    EXPECT_FALSE(link.serial.IsPortOpen());
    EXPECT_EQ(link.serial.GetPortNumber(), 0);
    EXPECT_EQ(link.serial.GetDeviceKind(), 0);
    EXPECT_EQ(link.serial.ReadByte(), -1);
}

TEST_F(ComphardTest, APortThatRefusesItsLineSettingsIsNotKept) {
    port.configureFails = true;
    EXPECT_FALSE(link.serial.OpenPort(QStringLiteral("COM3:9600,N,8,2")));
    EXPECT_FALSE(port.isOpen);
    EXPECT_FALSE(link.serial.IsPortOpen());
    EXPECT_EQ(link.serial.GetPortNumber(), 0);
    (void)link.serial.WriteByte(12);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(ComphardTest, MalformedDefinitionsOpenNothing) {
    for (const char* def : {"COM3", "COM0:9600,N,8,2", "COM-1:9600,N,8,2", "COMX:9600,N,8,2",
                            "LPT3:9600,N,8,2", "COM3:9600,X,8,2", "COM3:fast,N,8,2",
                            "COM3:9600,N,9,2", "COM3:9600,N,8,3", "COM3:9600,N,8", ""}) {
        SCOPED_TRACE(def);
        EXPECT_FALSE(link.serial.OpenPort(QString::fromLatin1(def)));
        EXPECT_FALSE(port.isOpen);
        EXPECT_EQ(link.serial.GetPortNumber(), 0);
    }
    EXPECT_TRUE(link.serial.OpenPort(QStringLiteral("com3:9600,n,8,2")))
        << "names in any case, as ever";
}

TEST_F(ComphardTest, WithoutAPortReadsFailAtOnceAndWritesGoNowhere) {
    EXPECT_EQ(link.serial.ReadByte(), -1);
    (void)link.serial.WriteByte(7);
    EXPECT_FALSE(link.serial.PurgeReceive());
    EXPECT_FALSE(link.serial.PurgeTransmit());
    EXPECT_FALSE(link.serial.SetRts(true));
    EXPECT_EQ(link.clock.elapsedMs, 0) << "no time-out without a port";
    EXPECT_TRUE(link.log.isEmpty());
}

TEST_F(ComphardTest, ReadByteGivesEveryByteValueAndMinusOneOnSilence) {
    OpenCom3();
    port.Feed({255, 0, 128});
    EXPECT_EQ(link.serial.ReadByte(), 255);
    EXPECT_EQ(link.serial.ReadByte(), 0);
    EXPECT_EQ(link.serial.ReadByte(), 128);
    EXPECT_EQ(link.clock.elapsedMs, 0);
    EXPECT_EQ(link.serial.ReadByte(), -1);
    EXPECT_EQ(link.clock.elapsedMs, kReadTimeoutMs);
}

TEST_F(ComphardTest, WriteByteSendsTheLowEightBits) {
    OpenCom3();
    (void)link.serial.WriteByte(0x1FF);
    (void)link.serial.WriteByte(-1);
    (void)link.serial.WriteByte(256);
    EXPECT_EQ(port.written, (std::vector<uint8_t>{255, 255, 0}));
}

TEST_F(ComphardTest, ResetLinkSendsTenZerosTwoMillisecondsApartThenPurgesBoth) {
    OpenCom3();
    port.Answer(0, {99});  // a device that answers every zero
    (void)link.serial.ResetLink();
    QStringList expected;
    for (int i = 0; i < 10; ++i)
        expected << "w 0"
                 << "delay 2";
    expected << "purge rx"
             << "purge tx";
    EXPECT_EQ(Join(link.log), Join(expected));
    EXPECT_EQ(port.written, std::vector<uint8_t>(10, 0));
    EXPECT_EQ(link.serial.ReadByte(), -1) << "answers provoked by the zeros are discarded";
}

TEST_F(ComphardTest, SetPortNumberChangesOnlyTheNumber) {
    OpenCom3();
    EXPECT_EQ(link.serial.SetPortNumber(5), 3);
    EXPECT_EQ(link.serial.GetPortNumber(), 5);
    EXPECT_TRUE(port.isOpen);
    port.Feed({42});
    EXPECT_EQ(link.serial.ReadByte(), 42);
    EXPECT_EQ(link.serial.SetPortNumber(3), 5);
}

TEST_F(ComphardTest, ClosePortClearsNumberAndKind) {
    OpenCom3();
    link.serial.SetDeviceKind(kCell);
    EXPECT_TRUE(link.serial.ClosePort());
    EXPECT_EQ(link.serial.GetPortNumber(), 0);
    EXPECT_EQ(link.serial.GetDeviceKind(), 0);
    EXPECT_FALSE(link.serial.ClosePort());
}

TEST_F(ComphardTest, DelayGoesThroughTheClock) {
    link.serial.Delay(500);
    link.serial.Delay(0);
    link.serial.Delay(-3);
    EXPECT_EQ(link.clock.sleeps, std::vector<int>{500});
}

// ReadChannel by device kind: what goes out, what comes back.
TEST_F(ComphardTest, ReadChannelTable) {
    struct Case {
        int kind, n;
        std::vector<uint8_t> replies;
        std::vector<uint8_t> sent;
        int result, lastValue1, lastValue2;
        std::vector<int> delays;
    };
    const Case cases[] = {
        {kNoDevice, 1, {9}, {}, -1, 0, 0, {}},
        {kVendraSerial, 1, {17}, {60}, 17, 0, 0, {}},
        {kVendraSerial, 2, {18}, {58}, 18, 0, 0, {}},
        {kVendraSerial, 2, {}, {58}, -1, 0, 0, {}},
        {kNera, 1, {19}, {48}, 19, 0, 0, {}},
        {kNera, 2, {20}, {49}, 20, 0, 0, {}},
        {kPeltrix, 2, {21}, {49}, 21, 0, 0, {}},
        {kCell, 2, {200}, {7, 2}, 200, 200, 0, {}},
        {kCell, 1, {0}, {7, 1}, 0, 0, 0, {}},
        {kCell, 2, {}, {7, 2}, -1, -1, 0, {}},
        {kCell, 2, {255}, {7, 2}, 255, 255, 0, {}},
        {kTavinbox, 1, {5, 6, 7}, {176, 210, 210, 210}, 7, 7, 6, {1, 1, 1, 1}},
        {kTavinbox, 2, {5, 6, 7}, {176, 210, 210, 210}, 6, 7, 6, {1, 1, 1, 1}},
        {kTavinbox, 3, {5, 6, 7}, {}, 0, 0, 0, {}},
        {kOrbide, 1, {22}, {48}, 22, 0, 0, {}},
        {kOrbide, 2, {23}, {50}, 23, 0, 0, {}},
        {2, 1, {24}, {}, 0, 0, 0, {}},
        {256, 1, {24}, {}, 0, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " channel " << c.n);
        LinkKit::Reset(link.serial);
        OpenCom3();
        link.serial.SetDeviceKind(c.kind);
        port.written.clear();
        link.clock.sleeps.clear();
        port.Feed(c.replies);
        EXPECT_EQ(link.serial.ReadChannel(c.n), c.result);
        EXPECT_EQ(port.written, c.sent);
        EXPECT_EQ(LinkKit::LastValue1(link.serial), c.lastValue1);
        EXPECT_EQ(LinkKit::LastValue2(link.serial), c.lastValue2);
        EXPECT_EQ(link.clock.sleeps, c.delays);
    }
}

// WriteOutputs by device kind: bytes sent and the value kept.
TEST_F(ComphardTest, WriteOutputsTable) {
    struct Case {
        int kind, value;
        std::vector<uint8_t> sent;
        int outputState;
    };
    const Case cases[] = {
        {kNoDevice, 5, {}, 5},      {kVendraSerial, 5, {81, 5}, 5},
        {kTavinbox, 6, {81, 6}, 6}, {kNera, 7, {16, 7}, 7},
        {kPeltrix, 8, {16, 8}, 8},  {kCell, 0, {11, 15}, 15},
        {kCell, 3, {11, 63}, 63},   {kCell, 15, {11, 255}, 255},
        {kCell, 17, {11, 31}, 31},  // only the low four bits count
        {kOrbide, 9, {72, 9}, 9},   {2, 10, {}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " value " << c.value);
        LinkKit::Reset(link.serial);
        OpenCom3();
        link.serial.SetDeviceKind(c.kind);
        port.written.clear();
        link.serial.WriteOutputs(c.value);
        EXPECT_EQ(port.written, c.sent);
        EXPECT_EQ(LinkKit::OutputState(link.serial), c.outputState);
    }
}

TEST_F(ComphardTest, StartStateAfterReset) {
    OpenCom3();
    link.serial.SetDeviceKind(kCell);
    link.serial.WriteOutputs(3);
    link.serial.SetUsbDevicePath(QStringLiteral("\\\\.\\Vendrausb_9"));
    LinkKit::Reset(link.serial);
    EXPECT_FALSE(link.serial.IsPortOpen());
    EXPECT_EQ(link.serial.GetPortNumber(), 0);
    EXPECT_EQ(link.serial.GetDeviceKind(), 0);
    EXPECT_EQ(LinkKit::OutputState(link.serial), 0);
    EXPECT_EQ(link.serial.GetUsbDevicePath(), "\\\\.\\Vendrausb_1");
    EXPECT_EQ(LinkKit::UsbMissCount(link.serial), 0);
}

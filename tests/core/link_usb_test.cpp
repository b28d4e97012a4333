#include <gtest/gtest.h>

#include <QRegularExpression>
#include <deque>
#include <set>

#include "link/DeviceSearch.h"
#include "link/SerialLink.h"
#include "link/UsbAdapter.h"
#include "sim/LinkKit.h"
#include "sim/ScriptedDevice.h"

using namespace kelvarn;

namespace {

const QString kPrefix = QStringLiteral("\\\\.\\Vendrausb_");

// The maker's USB adapter as the tests need it: which device paths exist,
// what each request-8 reply holds, and whether requests fail.
class FakeUsbAdapter : public UsbAdapter {
public:
    std::set<QString> present;
    std::deque<std::array<uint8_t, 8>> replies;  // request 8; empty: a reply without "B"
    bool requestsFail = false;
    QStringList* log = nullptr;

    struct Sent {
        QString path;
        int code;
        std::array<uint8_t, 4> block;
    };
    std::vector<Sent> sent;
    int openAttempts = 0;
    bool open = false;

    bool Open(const QString& path) override {
        ++openAttempts;
        if (!present.count(path)) return false;
        if (log) *log << QStringLiteral("usb open %1").arg(path);
        path_ = path;
        open = true;
        return true;
    }
    bool Request(int code, const std::array<uint8_t, 4>& in,
                 std::array<uint8_t, 8>& reply) override {
        EXPECT_TRUE(open) << "requests go to an open path";
        sent.push_back({path_, code, in});
        if (requestsFail) return false;
        reply.fill(0);
        if (code == kRequestExchange && !replies.empty()) {
            reply = replies.front();
            replies.pop_front();
        }
        return true;
    }
    void Close() override { open = false; }

private:
    QString path_;
};

std::array<uint8_t, 8> Reply(uint8_t b2, uint8_t b3, uint8_t b4) {
    return {'B', 0, b2, b3, b4, 0, 0, 0};
}

class UsbTest : public ::testing::Test {
protected:
    ScriptedLink link;  // no serial ports at all
    FakeUsbAdapter usb;

    UsbTest() {
        usb.log = &link.log;
        LinkKit::SetUsbAdapter(link.serial, &usb);
    }
    ~UsbTest() override { LinkKit::SetUsbAdapter(link.serial, nullptr); }
};

}  // namespace

TEST_F(UsbTest, SearchFindsTheAdapterAndPutsItIntoItsStartState) {
    usb.present = {kPrefix + "3"};
    EXPECT_EQ(SearchUsb(link.serial), 3);
    EXPECT_EQ(link.serial.GetDeviceKind(), kVendraUsb);
    EXPECT_EQ(link.serial.GetUsbDevicePath(), kPrefix + "3");
    EXPECT_EQ(usb.openAttempts, 5) << "paths 0 to 3, then the start-state request";
    ASSERT_EQ(usb.sent.size(), 1u);
    EXPECT_EQ(usb.sent[0].code, UsbAdapter::kRequestControl);
    EXPECT_EQ(usb.sent[0].block[0], 23);
    EXPECT_EQ(usb.sent[0].block[1], 52);
    EXPECT_EQ(usb.sent[0].block[2], 128);
    EXPECT_EQ(link.clock.sleeps, (std::vector<int>{10, 10}));
    EXPECT_FALSE(usb.open);
}

TEST_F(UsbTest, SearchWithoutAdapterTriesAllPathsAndKeepsTheLast) {
    EXPECT_EQ(SearchUsb(link.serial), -1);
    EXPECT_EQ(usb.openAttempts, 255);
    EXPECT_EQ(link.serial.GetUsbDevicePath(), kPrefix + "254");
    EXPECT_EQ(link.serial.GetDeviceKind(), 0);
    // The number behind the first "_" is replaced, the prefix kept.
    link.serial.SetUsbDevicePath(QStringLiteral("\\\\.\\Other_dev_7"));
    usb.present = {QStringLiteral("\\\\.\\Other_0")};
    EXPECT_EQ(SearchUsb(link.serial), 0);
}

TEST_F(UsbTest, CtrlAndNoSkipsAnAdapter) {
    usb.present = {kPrefix + "2", kPrefix + "5"};
    QStringList asked;
    std::deque<bool> answers{false, true};
    AcceptPrompt prompt{[] { return true; },
                        [&](const QString& caption, const QString& text) {
                            asked << caption + "|" + text;
                            const bool a = answers.front();
                            answers.pop_front();
                            return a;
                        }};
    EXPECT_EQ(SearchUsb(link.serial, prompt), 5);
    EXPECT_EQ(asked, (QStringList{"Vendra-USB#2|Übernehmen?", "Vendra-USB#5|Übernehmen?"}));
}

TEST_F(UsbTest, SearchHardwareLooksForTheAdapterOnlyAfterAllSerialPorts) {
    usb.present = {kPrefix + "0"};
    EXPECT_EQ(SearchHardware(link.serial), kVendraUsb);
    const int firstUsb = int(link.log.indexOf(QRegularExpression("usb open .*")));
    ASSERT_GE(firstUsb, 0);
    EXPECT_EQ(link.log.lastIndexOf(QRegularExpression("open COM.*")), firstUsb - 1);
    EXPECT_EQ(link.log[firstUsb - 1], "open COM16 failed");
}

TEST_F(UsbTest, AnAdapterThatRefusesItsStartStateIsNotReportedAsFound) {
    usb.present = {kPrefix + "0"};
    usb.requestsFail = true;
    EXPECT_EQ(SearchHardware(link.serial), 0);
    EXPECT_EQ(link.serial.GetDeviceKind(), 0);
}

TEST_F(UsbTest, UsbControlOnAMissingPathSendsNothingAndKeepsTheKind) {
    link.serial.SetDeviceKind(kVendraUsb);
    link.serial.UsbControl(52, 128);
    EXPECT_TRUE(usb.sent.empty());
    EXPECT_EQ(link.serial.GetDeviceKind(), kVendraUsb);
    EXPECT_EQ(link.clock.sleeps, std::vector<int>{10});

    usb.present = {link.serial.GetUsbDevicePath()};
    usb.requestsFail = true;
    link.serial.UsbControl(1, 2);
    EXPECT_EQ(link.serial.GetDeviceKind(), 0) << "a failed request clears the kind";
}

TEST_F(UsbTest, ReadChannelComputesBothValuesFromAMarkedReply) {
    usb.present = {link.serial.GetUsbDevicePath()};
    link.serial.SetDeviceKind(kVendraUsb);
    link.serial.WriteOutputs(0x1A5);
    ASSERT_EQ(usb.sent.size(), 1u);
    EXPECT_EQ(usb.sent[0].code, UsbAdapter::kRequestExchange);
    EXPECT_EQ(usb.sent[0].block[0], 6);
    EXPECT_EQ(usb.sent[0].block[1], 0xA5);
    EXPECT_EQ(LinkKit::OutputState(link.serial), 0x1A5);

    // byte 4 = 0x37: low nibble 7, 0x37 / 15 = 3.
    usb.replies = {Reply(100, 50, 0x37), Reply(100, 50, 0x37)};
    EXPECT_EQ(link.serial.ReadChannel(1), (7 + 400 + 1) >> 2);
    EXPECT_EQ(LinkKit::LastValue2(link.serial), (3 + 200 + 1) >> 2);
    EXPECT_EQ(link.serial.ReadChannel(2), (3 + 200 + 1) >> 2);
    EXPECT_EQ(usb.sent.back().block[0], 6);
    EXPECT_EQ(usb.sent.back().block[1], 0xA5) << "the outputs ride along";
    EXPECT_FALSE(usb.open);
}

TEST_F(UsbTest, TenMissesGiveThePreviousValuesTheEleventhGivesMinusOne) {
    usb.present = {link.serial.GetUsbDevicePath()};
    link.serial.SetDeviceKind(kVendraUsb);
    usb.replies = {Reply(40, 80, 0)};
    ASSERT_EQ(link.serial.ReadChannel(1), 40);
    for (int miss = 1; miss <= 10; ++miss) {
        SCOPED_TRACE(miss);
        EXPECT_EQ(link.serial.ReadChannel(miss % 2 ? 1 : 2), miss % 2 ? 40 : 80);
        EXPECT_EQ(LinkKit::UsbMissCount(link.serial), miss);
    }
    EXPECT_EQ(link.serial.ReadChannel(2), -1) << "both channels report the lost adapter";
    EXPECT_EQ(LinkKit::UsbMissCount(link.serial), 0);
    EXPECT_EQ(link.serial.ReadChannel(1), 40) << "and the count starts again";
    EXPECT_EQ(LinkKit::UsbMissCount(link.serial), 1);

    // A valid reply does not reset the count; a path that does not open
    // counts as a miss too.
    usb.replies = {Reply(44, 88, 0)};
    EXPECT_EQ(link.serial.ReadChannel(1), 44);
    EXPECT_EQ(LinkKit::UsbMissCount(link.serial), 1);
    usb.present.clear();
    EXPECT_EQ(link.serial.ReadChannel(2), 88);
    EXPECT_EQ(LinkKit::UsbMissCount(link.serial), 2);
}

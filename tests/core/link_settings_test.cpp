#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "file_support.h"
#include "link/PortNames.h"
#include "link/SettingsFile.h"

using namespace kelvarn;

namespace {

// Points the settings folder at a fresh temporary folder.
class SettingsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder = dir.path() + "/config";

    SettingsTest() { qputenv("KELVARN_CONFIG_DIR", folder.toLocal8Bit()); }
    ~SettingsTest() override { qunsetenv("KELVARN_CONFIG_DIR"); }

    void WriteFile(const QByteArray& text) { test::WriteSettingsText(folder, text); }
    QByteArray FileText() { return test::SettingsText(folder); }
};

}  // namespace

TEST_F(SettingsTest, TheFileLivesInTheConfiguredFolder) {
    EXPECT_EQ(SettingsFilePath(), folder + "/KV.INI");
    qunsetenv("KELVARN_CONFIG_DIR");
    EXPECT_TRUE(SettingsFilePath().endsWith("/kelvarn/KV.INI"));
}

TEST_F(SettingsTest, StoredPortRoundTrip) {
    EXPECT_EQ(ReadStoredPort(), -1) << "no file";
    ASSERT_TRUE(WriteStoredPort(3));
    EXPECT_EQ(FileText(), "[KV]\nCOM=3\n");
    EXPECT_EQ(ReadStoredPort(), 3);
    ASSERT_TRUE(WriteStoredPort(-1));
    EXPECT_EQ(FileText(), "[KV]\nCOM=-1\n");
    EXPECT_EQ(ReadStoredPort(), -1);
    ASSERT_TRUE(WriteStoredPort(16));
    EXPECT_EQ(ReadStoredPort(), 16);
}

TEST_F(SettingsTest, StoredValuesThatAreNoIntegerGiveMinusOne) {
    const struct {
        QByteArray text;
        int port;
    } cases[] = {
        {"[KV]\nCOM=abc\n", -1},
        {"[KV]\nCOM=\n", -1},
        {"[KV]\nCOM=3x\n", -1},
        {"[KV]\nCOMPORT=3\n", -1},
        {"[Other]\nCOM=3\n", -1},
        {"", -1},
        {"[KV]\r\nCOM=20\r\n", 20},
        {"[kv]\ncom = 7 \n", 7},
        {"; written by hand\n[KV]\nCOM=0\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        WriteFile(c.text);
        EXPECT_EQ(ReadStoredPort(), c.port);
    }
}

TEST_F(SettingsTest, WritingKeepsEverythingElse) {
    WriteFile("[Ports]\nCOM3=/dev/ttyUSB0\n\n[KV]\nCOM=1\nOther=x\n");
    ASSERT_TRUE(WriteStoredPort(3));
    EXPECT_EQ(FileText(), "[Ports]\nCOM3=/dev/ttyUSB0\n\n[KV]\nCOM=3\nOther=x\n");
    WriteFile("[Ports]\nCOM3=/dev/ttyUSB0\n");
    ASSERT_TRUE(WriteStoredPort(2));
    EXPECT_EQ(FileText(), "[Ports]\nCOM3=/dev/ttyUSB0\n[KV]\nCOM=2\n");
    ASSERT_TRUE(WriteSetting("Ports", "COM4", "/dev/ttyACM0"));
    EXPECT_EQ(FileText(), "[Ports]\nCOM3=/dev/ttyUSB0\nCOM4=/dev/ttyACM0\n[KV]\nCOM=2\n");
}

TEST_F(SettingsTest, PortNamesMapToDevices) {
    WriteFile("[Ports]\nCOM3=/dev/ttyUSB0\ncom12 = /tmp/sim/cell\n");
    EXPECT_EQ(PortNumberOf("COM3"), 3);
    EXPECT_EQ(PortNumberOf("com12"), 12);
    for (const char* bad : {"COM", "COM0", "COM-2", "COM+2", "COM 2", "LPT1", "3"})
        EXPECT_EQ(PortNumberOf(bad), 0) << bad;
#ifdef Q_OS_WIN
    EXPECT_EQ(PortDevicePath(3), "\\\\.\\COM3");
    EXPECT_EQ(PortDevicePath(12), "\\\\.\\COM12");
#else
    EXPECT_EQ(PortDevicePath(3), "/dev/ttyUSB0");
    EXPECT_EQ(PortDevicePath(12), "/tmp/sim/cell");
    EXPECT_EQ(PortDevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(PortDevicePath(16), "/dev/ttyS15");
#endif
    EXPECT_EQ(PortDevicePath(0), "");
    EXPECT_EQ(PortDevicePath(-1), "");
}

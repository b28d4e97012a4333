#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "file_support.h"
#include "link/PortNames.h"
#include "link/SettingsFile.h"
#include "link/SystemPorts.h"
#include "port_list_double.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

class SystemPortsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder = dir.path() + "/config";
    PortListDouble system;

    SystemPortsTest() { qputenv("KELVARN_CONFIG_DIR", folder.toLocal8Bit()); }
    ~SystemPortsTest() override { qunsetenv("KELVARN_CONFIG_DIR"); }

    void WriteFile(const QByteArray& text) { WriteSettingsText(folder, text); }
    QByteArray FileText() { return SettingsText(folder); }
    // A file standing in for a device node.
    QString Node(const QString& name) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return path;
    }
};

}  // namespace

TEST_F(SystemPortsTest, OffersUsbAndAcmPortsButNotTheOnBoardOnes) {
    SystemPort bluetooth = OnBoardPort("rfcomm0");
    SystemPort usbOther = UsbPort("ttyCH341USB0");
    SystemPort acm = UsbPort("ttyACM0", {}, "Cell", -1, -1);
    system.ports = {OnBoardPort("ttyS0"),
                    UsbPort("ttyUSB1"),
                    bluetooth,
                    acm,
                    UsbPort("ttyUSB0", "/dev/serial/by-id/usb-A"),
                    usbOther};
    QStringList offered;
    for (const SystemPort& p : OfferedSystemPorts(system.Ports())) offered << p.name;
#ifdef Q_OS_WIN
    EXPECT_TRUE(offered.isEmpty());
#else
    // In the order of the names they are reached by.
    EXPECT_EQ(offered, QStringList({"ttyUSB0", "ttyACM0", "ttyCH341USB0", "ttyUSB1"}));
#endif
}

TEST_F(SystemPortsTest, FindsTheByIdLinkOfAPort) {
    const QString node = Node("ttyUSB0");
    const QString other = Node("ttyUSB1");
    QDir().mkpath(dir.filePath("by-id"));
    ASSERT_TRUE(QFile::link(other, dir.filePath("by-id/usb-B-if00-port0")));
    ASSERT_TRUE(QFile::link(node, dir.filePath("by-id/usb-A-if00-port0")));
    EXPECT_EQ(ByIdName(node, dir.filePath("by-id")), dir.filePath("by-id/usb-A-if00-port0"));
    EXPECT_EQ(ByIdName(Node("ttyACM0"), dir.filePath("by-id")), QString());
    EXPECT_EQ(ByIdName(node, dir.filePath("missing")), QString());
    EXPECT_EQ(ByIdName(QString(), dir.filePath("by-id")), QString());
}

TEST_F(SystemPortsTest, APortReadsWithItsDescriptionAndUsbIds) {
    struct Case {
        SystemPort port;
        const char* text;
    };
    SystemPort bare = OnBoardPort("ttyUSB3");
    const Case cases[] = {
        {UsbPort("ttyUSB0"), "/dev/ttyUSB0 (FT232R USB UART, USB 0403:6001)"},
        {UsbPort("ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"),
         "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0 (ttyUSB0, FT232R USB UART, USB 0403:6001)"},
        {UsbPort("ttyACM0", {}, "", 0x2341, 0x43), "/dev/ttyACM0 (USB 2341:0043)"},
        {bare, "/dev/ttyUSB3"},
    };
    for (const Case& c : cases) EXPECT_EQ(SystemPortText(c.port), c.text);
}

// A chosen port gets a COM number: its own where one leads to it already,
// else the lowest that reaches nothing yet, written to [Ports].
TEST_F(SystemPortsTest, AChosenPortMapsToAFreeComNumber) {
    const QString node = Node("ttyUSB0");
    const QString byId = dir.filePath("usb-FTDI-if00-port0");
    ASSERT_TRUE(QFile::link(node, byId));
    SystemPort adapter = UsbPort("ttyUSB0", byId);
    adapter.systemLocation = node;

    struct Case {
        const char* name;
        QByteArray file;
        std::vector<SystemPort> others;
        int expected;
        bool writes;
    };
    const Case cases[] = {
        {"an empty file", "", {}, 1, true},
        {"mapped by its by-id name", "[Ports]\nCOM7=" + byId.toUtf8() + "\n", {}, 7, false},
        {"mapped by the device the link leads to",
         "[Ports]\nCOM9=" + node.toUtf8() + "\n",
         {},
         9,
         false},
        {"numbers in use are skipped",
         "[KV]\nCOM=2\n[Ports]\nCOM1=/dev/ttyACM5\nCOM4=/tmp/cell\n",
         {OnBoardPort("ttyS2")},
         5,
         true},
        {"a mapping above 16 does not count",
         "[Ports]\nCOM20=" + node.toUtf8() + "\n",
         {},
         1,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(c.file);
        std::vector<SystemPort> all = c.others;
        all.push_back(adapter);
        QString error;
        EXPECT_EQ(ComNumberFor(adapter, all, &error), c.expected);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        const QString entry = QStringLiteral("COM%1").arg(c.expected);
        if (c.writes) {
            EXPECT_EQ(ReadSetting("Ports", entry), byId);
            EXPECT_EQ(PortDevicePath(c.expected), byId);
        } else {
            EXPECT_EQ(FileText(), c.file) << "a known mapping writes nothing";
        }
        // Chosen again, it keeps its number.
        EXPECT_EQ(ComNumberFor(adapter, all), c.expected);
    }
}

TEST_F(SystemPortsTest, NoFreeNumberOrNoWritableFileGivesNone) {
    QByteArray full = "[Ports]\n";
    for (int n = 1; n <= 16; ++n) full += QStringLiteral("COM%1=/dev/x%1\n").arg(n).toUtf8();
    WriteFile(full);
    const SystemPort adapter = UsbPort("ttyUSB0");
    QString error;
    EXPECT_EQ(ComNumberFor(adapter, {adapter}, &error), 0);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(FileText(), full);

    // The settings folder is a file: nothing can be written there.
    qputenv("KELVARN_CONFIG_DIR", Node("blocked").toLocal8Bit());
    error.clear();
    EXPECT_EQ(ComNumberFor(adapter, {adapter}, &error), 0);
    EXPECT_FALSE(error.isEmpty());
}

// Temporary devices belong to the names of one link: the lasting mapping,
// and any other link's names, stay as the file has them.
TEST_F(SystemPortsTest, TemporaryDevicesGoBeforeTheFile) {
    WriteFile("[Ports]\nCOM3=/dev/ttyACM0\n");
    PortNames names;
    const PortNames otherLink;
    names.SetTemporary({{3, "/dev/ttyUSB4"}, {5, "/dev/ttyUSB5"}});
#ifndef Q_OS_WIN
    EXPECT_EQ(names.DevicePath(3), "/dev/ttyUSB4");
    EXPECT_EQ(names.DevicePath(5), "/dev/ttyUSB5");
    EXPECT_EQ(names.DevicePath(6), "/dev/ttyS5");
    EXPECT_EQ(PortDevicePath(3), "/dev/ttyACM0");
    EXPECT_EQ(otherLink.DevicePath(3), "/dev/ttyACM0");
    EXPECT_EQ(otherLink.DevicePath(5), "/dev/ttyS4");
    names.SetTemporary({});
    EXPECT_EQ(names.DevicePath(3), "/dev/ttyACM0");
    EXPECT_EQ(names.DevicePath(5), "/dev/ttyS4");
#endif
}

TEST_F(SystemPortsTest, MappingsAreReadInTheFilesOrder) {
    WriteFile(
        "[KV]\nCOM=3\n[Ports]\n; a comment\nCOM3=/dev/ttyUSB0\n\nCOM1 = "
        "/tmp/cell\n[Other]\nCOM2=x\n");
    const auto m = PortMappings();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].name, "COM3");
    EXPECT_EQ(m[0].device, "/dev/ttyUSB0");
    EXPECT_EQ(m[1].name, "COM1");
    EXPECT_EQ(m[1].device, "/tmp/cell");
}

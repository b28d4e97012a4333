// The port choice as a Linux user has it: COM 1 to COM 16, then the
// system's serial ports (a double of the system's list), each reached
// through a COM number of its own in [Ports].
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <memory>

#include "FakeSeams.h"
#include "SimulatedCellWindow.h"
#include "app/TForm1.h"
#include "file_support.h"
#include "link/SerialLink.h"
#include "link/SettingsFile.h"
#include "port_list_double.h"
#include "sim/CellModel.h"
#include "sim/ScriptedDevice.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

const char* const kById = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";

QStringList Entries(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
    return texts;
}

class PortChoiceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ScriptedLink link;
    FakeSeams seams;
    PortListDouble system;
    std::unique_ptr<TForm1> form;

    PortChoiceTest() {
        qputenv("KELVARN_CONFIG_DIR", dir.path().toLocal8Bit());
        system.ports = {OnBoardPort("ttyS0"), UsbPort("ttyUSB0", kById),
                        UsbPort("ttyACM0", {}, "Cell Adapter", 0x2341, 0x0043)};
    }
    ~PortChoiceTest() override {
        form.reset();
        qunsetenv("KELVARN_CONFIG_DIR");
    }
    void StoreText(const QByteArray& text) { WriteSettingsText(dir.path(), text); }
    QByteArray StoredText() { return SettingsText(dir.path()); }
    void Start() {
        seams.line = &link;
        seams.serialPorts = &system;
        form = std::make_unique<TForm1>(&seams);
    }
    void Pick(int i) {
        form->Controls().ComBox->setCurrentIndex(i);
        emit form->Controls().ComBox->activated(i);
    }
};

}  // namespace

TEST_F(PortChoiceTest, TheChoiceListsTheComNamesThenTheSystemsPorts) {
    StoreText("[Ports]\nCOM4=/dev/ttyACM0\n");
    Start();
    QStringList expected{"kein Port"};
    for (int n = 1; n <= 16; ++n) expected << QStringLiteral("COM %1").arg(n);
    // On-board ports are COM names already; the others in the order of
    // their names, a mapped one with its number.
    expected << QString(kById) + " (ttyUSB0, FT232R USB UART, USB 0403:6001)"
             << "/dev/ttyACM0 (Cell Adapter, USB 2341:0043) = COM 4";
    EXPECT_EQ(Entries(form->Controls().ComBox), expected);
    EXPECT_EQ(form->Controls().ComBox->currentIndex(), -1);

    // The list is made again when it opens: an adapter plugged in meanwhile
    // is there, one pulled out is gone.
    system.ports = {UsbPort("ttyUSB1")};
    form->Controls().ComBox->showPopup();
    form->Controls().ComBox->hidePopup();
    EXPECT_EQ(Entries(form->Controls().ComBox).mid(17),
              QStringList{"/dev/ttyUSB1 (FT232R USB UART, USB 0403:6001)"});
}

// The list comes from the lister the window is handed, in its order, and
// from no other: a second window with a list of its own changes nothing in
// the first.
TEST_F(PortChoiceTest, EachWindowListsThePortsOfItsOwnLister) {
    system.ports = {UsbPort("ttyUSB1"), OnBoardPort("ttyS0"), UsbPort("ttyACM0")};
    Start();
    const QStringList first{"/dev/ttyACM0 (FT232R USB UART, USB 0403:6001)",
                            "/dev/ttyUSB1 (FT232R USB UART, USB 0403:6001)"};
    EXPECT_EQ(Entries(form->Controls().ComBox).mid(17), first);

    PortListDouble otherSystem;
    otherSystem.ports = {UsbPort("ttyUSB7")};
    FakeSeams otherSeams;
    otherSeams.line = &link;
    otherSeams.serialPorts = &otherSystem;
    const TForm1 other(&otherSeams);
    EXPECT_EQ(Entries(other.Controls().ComBox).mid(17),
              QStringList{"/dev/ttyUSB7 (FT232R USB UART, USB 0403:6001)"});
    form->Controls().ComBox->showPopup();
    form->Controls().ComBox->hidePopup();
    EXPECT_EQ(Entries(form->Controls().ComBox).mid(17), first);
}

TEST_F(PortChoiceTest, ChoosingASystemPortMapsItToAFreeComNumberAndStoresThat) {
    // COM1 is the on-board ttyS0 and COM2 is mapped: COM3 is the first free.
    StoreText("[Ports]\nCOM2=/tmp/elsewhere\n");
    CellModel cell;
    link.AddPort(3).AttachModel(&cell);
    Start();
    Pick(17);  // the FTDI adapter
    EXPECT_EQ(form->StatusText(), "Hardware an COM 3 gefunden.");
    EXPECT_EQ(StoredText(),
              "[Ports]\nCOM2=/tmp/elsewhere\nCOM3=" + QByteArray(kById) + "\n[KV]\nCOM=3\n");
    EXPECT_EQ(form->ChosenPort(), 3);
    EXPECT_EQ(form->Controls().ComBox->currentIndex(), 17);
    EXPECT_TRUE(form->Controls().ComBox->currentText().endsWith(" = COM 3"));

    // Chosen again, it keeps its number; the file stays as it is.
    const QByteArray before = StoredText();
    Pick(17);
    EXPECT_EQ(form->StatusText(), "Hardware an COM 3 gefunden.");
    EXPECT_EQ(StoredText(), before);

    // At the next start the stored number shows the adapter it reaches.
    form.reset();
    Start();
    EXPECT_EQ(form->Controls().ComBox->currentIndex(), 17);
    EXPECT_EQ(form->StatusText(), "Hardware an COM 3 gefunden.");
}

TEST_F(PortChoiceTest, NoFreeComNumberIsSaidAndChangesNothing) {
    QByteArray full = "[KV]\nCOM=5\n[Ports]\n";
    for (int n = 1; n <= 16; ++n) full += QStringLiteral("COM%1=/dev/x%1\n").arg(n).toUtf8();
    StoreText(full);
    Start();
    Pick(17);
    EXPECT_EQ(form->StatusText(), " Keine Hardware an " + QString(kById) +
                                      "! Keine freie COM-Nummer "
                                      "(COM 1 bis COM 16 sind vergeben).");
    EXPECT_EQ(StoredText(), full);
}

// Against the simulator on a pseudo-terminal: the system's port leads to
// its link, and no COM number reaches it before.
class PortChoiceSimTest : public ::testing::Test, public SimulatedCellWindow {
protected:
    PortListDouble system;

    void Pick(int i) {
        form->Controls().ComBox->setCurrentIndex(i);
        emit form->Controls().ComBox->activated(i);
    }
    void SetUp() override {
        // No number reaches the link; the others lead nowhere, so the
        // search does not wait on the machine's own ports.
        QFile f(dir.filePath("KV.INI"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Ports]\n");
        for (int n = 2; n <= 16; ++n)
            f.write(QStringLiteral("COM%1=%2\n").arg(n).arg(dir.filePath("absent")).toUtf8());
        f.close();
        system.ports = {UsbPort("ttyUSB0", link)};
        seams.serialPorts = &system;
        Launch({"--program", "C", "--unpaced"});
        form = std::make_unique<TForm1>(&seams);
        form->show();
        ASSERT_TRUE(Idle());
    }
};

TEST_F(PortChoiceSimTest, ChoosingTheAdapterReachesTheCell) {
    Pick(17);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(form->StatusText(), "Hardware an COM 1 gefunden.");
    EXPECT_EQ(ReadSetting("Ports", "COM1"), link);
    EXPECT_EQ(ReadStoredPort(), 1);
}

TEST_F(PortChoiceSimTest, TheAutomaticSearchProbesTheSystemsPorts) {
    form->Controls().Button4->click();
    ASSERT_TRUE(Idle(60000));
    EXPECT_EQ(form->StatusText(), "Hardware an COM 1 gefunden.");
    QSerialPort other(link);
    EXPECT_TRUE(other.open(QIODevice::ReadWrite)) << "let go after the search";
    // The port where the cell answered keeps its number.
    EXPECT_EQ(ReadSetting("Ports", "COM1"), link);
    EXPECT_EQ(ReadStoredPort(), 1);
    EXPECT_EQ(form->Controls().ComBox->currentIndex(), 17);
}

TEST_F(PortChoiceSimTest, ASearchThatFindsNothingThereMapsNothing) {
    Unplug();
    form->Controls().Button4->click();
    ASSERT_TRUE(Idle(60000));
    EXPECT_EQ(form->StatusText(), " Keine Hardware gefunden.");
    EXPECT_EQ(ReadSetting("Ports", "COM1"), QString());
}

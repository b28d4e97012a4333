#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "file_support.h"
#include "link/SerialLink.h"
#include "link/SettingsFile.h"
#include "sim/CellModel.h"
#include "sim/ScriptedDevice.h"

using namespace kelvarn;

namespace {

const QString kStartText =
    " Nach der DOS-Version 1.1 vom Oktober 2000 im Vertrieb der Tessaro Computer GmbH.";

// Notes the status line whenever the window asks something.
class WatchingSeams : public FakeSeams {
public:
    TForm1* form = nullptr;
    QStringList statusAtAsk;
    bool Ask(QWidget* parent, const QString& caption, const QString& text) override {
        if (form) statusAtAsk << form->StatusText();
        return FakeSeams::Ask(parent, caption, text);
    }
};

// The window on scripted ports, with its settings file in a temporary
// folder.
class LinkWindowTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ScriptedLink link;
    WatchingSeams seams;
    std::unique_ptr<TForm1> form;

    LinkWindowTest() { qputenv("KELVARN_CONFIG_DIR", dir.path().toLocal8Bit()); }
    ~LinkWindowTest() override {
        form.reset();
        qunsetenv("KELVARN_CONFIG_DIR");
    }

    void StoreText(const QByteArray& text) { test::WriteSettingsText(dir.path(), text); }
    QByteArray StoredText() { return test::SettingsText(dir.path()); }
    void Start() {
        seams.line = &link;
        form = std::make_unique<TForm1>(&seams);
        seams.form = form.get();
    }
    // The user picks entry i of ComBox.
    void Pick(int i) {
        form->Controls().ComBox->setCurrentIndex(i);
        emit form->Controls().ComBox->activated(i);
    }
};

CellModelOptions As(SimDevice d) {
    CellModelOptions o;
    o.device = d;
    return o;
}

}  // namespace

TEST_F(LinkWindowTest, StartUpReconnectsToTheStoredPort) {
    CellModel cell;
    link.AddPort(3).AttachModel(&cell);
    StoreText("[KV]\nCOM=3\n");
    Start();
    EXPECT_EQ(form->Controls().ComBox->currentIndex(), 3);
    EXPECT_EQ(form->StatusText(), "Hardware an COM 3 gefunden.");
    EXPECT_EQ(form->ChosenPort(), 3);
    EXPECT_FALSE(link.Port(3)->isOpen) << "let go after the connection check";
    EXPECT_TRUE(link.Port(3)->rts);
    EXPECT_EQ(StoredText(), "[KV]\nCOM=3\n");
    EXPECT_TRUE(seams.notices.isEmpty());
}

TEST_F(LinkWindowTest, StartUpWithCtrlShowsTheNumberRead) {
    const struct {
        QByteArray file;
        const char* shown;
        int selected;
        const char* status;
        QByteArray stored;
    } cases[] = {
        {"", "-1", -1, nullptr, ""},
        {"[KV]\nCOM=abc\n", "-1", -1, nullptr, "[KV]\nCOM=abc\n"},
        {"[KV]\nCOM=0\n", "0", 0, nullptr, "[KV]\nCOM=0\n"},
        // A port that does not open keeps the stored choice.
        {"[KV]\nCOM=5\n", "5", 5, " Keine Hardware an COM5! Gerät nicht vorhanden",
         "[KV]\nCOM=5\n"},
        // 20 is no entry, yet above 0: the connection is tried without one.
        {"[KV]\nCOM=20\n", "20", -1, " Keine Hardware an COM-1!", "[KV]\nCOM=-1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        QFile::remove(dir.path() + "/KV.INI");
        if (!c.file.isEmpty()) StoreText(c.file);
        seams.notices.clear();
        seams.ctrl = true;
        Start();
        EXPECT_EQ(seams.notices, QStringList{c.shown});
        EXPECT_EQ(form->Controls().ComBox->currentIndex(), c.selected);
        EXPECT_EQ(form->StatusText(), c.status ? QString(c.status) : kStartText);
        EXPECT_EQ(StoredText(), c.stored);
    }
    EXPECT_FALSE(link.Transcript().contains("w ")) << link.Transcript().toStdString();
}

TEST_F(LinkWindowTest, ChoosingAPortConnectsAndStoresIt) {
    CellModel cell(As(SimDevice::PlainCell));
    link.AddPort(3).AttachModel(&cell);
    Start();
    EXPECT_EQ(form->StatusText(), kStartText);

    Pick(3);
    EXPECT_EQ(form->StatusText(), "Hardware an COM 3 gefunden.");
    EXPECT_EQ(StoredText(), "[KV]\nCOM=3\n");
    EXPECT_EQ(form->ChosenPort(), 3);
    EXPECT_FALSE(link.Port(3)->isOpen) << "let go after the connection check";

    Pick(4);  // no such port: the stored choice stays
    EXPECT_EQ(form->StatusText(), " Keine Hardware an COM4! Gerät nicht vorhanden");
    EXPECT_EQ(StoredText(), "[KV]\nCOM=3\n");
    EXPECT_EQ(form->ChosenPort(), 4) << "the next command tries the choice again";

    EXPECT_EQ(form->Controls().ComBox->itemText(0), "kein Port");
    Pick(0);  // stands for no port
    EXPECT_EQ(form->StatusText(), " Keine Hardware an COM0!");
    EXPECT_EQ(StoredText(), "[KV]\nCOM=-1\n");
    EXPECT_EQ(form->Controls().PortDevice->text(), "");
}

// What the chosen number reaches is shown: the [Ports] entry, else the on-board port.
TEST_F(LinkWindowTest, TheChosenNumberShowsItsDevice) {
    StoreText("[KV]\nCOM=4\n\n[Ports]\nCOM4=/dev/ttyUSB7\n");
    Start();
    EXPECT_EQ(form->Controls().PortDevice->text(), "COM 4 = /dev/ttyUSB7");
    Pick(3);
    EXPECT_EQ(form->Controls().PortDevice->text(), "COM 3 = /dev/ttyS2 (eingebaut)");
}

// A choice that cannot be written to KV.INI is not reported as stored: the next start would
// reach another port than the one named.
TEST_F(LinkWindowTest, AChoiceThatCannotBeStoredSaysSo) {
    CellModel cell;
    link.AddPort(2).AttachModel(&cell);
    ASSERT_TRUE(QDir(dir.path()).mkdir("KV.INI"));  // a folder where the file should be
    Start();
    const QString notStored =
        " Die Wahl konnte nicht gespeichert werden (" + dir.path() + "/KV.INI).";
    Pick(2);
    EXPECT_EQ(form->StatusText(), "Hardware an COM 2 gefunden." + notStored);
    form->Controls().Button4->click();
    EXPECT_EQ(form->StatusText(), "Hardware an COM 2 gefunden." + notStored);
}

TEST_F(LinkWindowTest, ASelectionSetByTheProgramDoesNotConnect) {
    CellModel cell;
    link.AddPort(3).AttachModel(&cell);
    Start();
    form->Controls().ComBox->setCurrentIndex(3);
    EXPECT_TRUE(link.log.isEmpty());
    EXPECT_EQ(form->StatusText(), kStartText);
}

TEST_F(LinkWindowTest, AutomaticSearchTakesTheFirstDeviceAndStoresItsPort) {
    CellModel nera(As(SimDevice::Nera));
    CellModel cell(As(SimDevice::Rq410));
    link.AddPort(1).AttachModel(&nera);
    link.AddPort(2).AttachModel(&cell);
    Start();
    form->Controls().Button4->click();
    EXPECT_EQ(form->StatusText(), "Hardware an COM 1 gefunden.");
    EXPECT_EQ(StoredText(), "[KV]\nCOM=1\n");
    EXPECT_EQ(form->Controls().ComBox->currentIndex(), 1);
    // Ends with a reset of the line, and the selection set by the program
    // does not connect again; then the port is let go.
    const qsizetype reset = link.log.lastIndexOf("purge rx");
    ASSERT_GE(reset, 0);
    EXPECT_EQ(link.log.mid(reset, 2), (QStringList{"purge rx", "purge tx"}));
    EXPECT_TRUE(link.log.mid(reset + 2).filter(QRegularExpression("^(w|r) ")).isEmpty())
        << link.log.mid(reset + 2).join('\n').toStdString();
    EXPECT_FALSE(link.Port(1)->isOpen);
    EXPECT_FALSE(link.Port(2)->isOpen);
    EXPECT_EQ(link.log.count("w 0"), 3 * 11 + 1 + 10)
        << "three probes' zeros, WriteOutputs(0), the reset";
}

TEST_F(LinkWindowTest, AutomaticSearchWithCtrlAndNoSkipsADevice) {
    CellModel nera(As(SimDevice::Nera));
    CellModel cell(As(SimDevice::Rq410));
    link.AddPort(1).AttachModel(&nera);
    link.AddPort(2).AttachModel(&cell);
    Start();
    seams.ctrl = true;
    seams.answers = {false, true};
    form->Controls().Button4->click();
    EXPECT_EQ(seams.asked,
              (QStringList{"NERA an COM1|Übernehmen?", "RQ410 (Zelle) an COM2|Übernehmen?"}));
    EXPECT_EQ(seams.statusAtAsk, QStringList(2, " Hardware wird gesucht ..."));
    EXPECT_EQ(form->StatusText(), "Hardware an COM 2 gefunden.");
    EXPECT_EQ(StoredText(), "[KV]\nCOM=2\n");
    EXPECT_EQ(form->Controls().ComBox->currentIndex(), 2);
    EXPECT_TRUE(link.Port(2)->rts);
}

// The cell may merely be switched off: the user's choice stays, stored and shown.
TEST_F(LinkWindowTest, AutomaticSearchWithoutHardwareKeepsTheChoice) {
    StoreText("[KV]\nCOM=7\n");
    Start();  // COM7 is not there
    form->Controls().Button4->click();
    EXPECT_EQ(form->StatusText(), " Keine Hardware gefunden.");
    EXPECT_EQ(StoredText(), "[KV]\nCOM=7\n");
    EXPECT_EQ(form->Controls().ComBox->currentIndex(), 7);
    EXPECT_EQ(form->Controls().PortDevice->text(), "COM 7 = /dev/ttyS6 (eingebaut)");
}

#include <gtest/gtest.h>

#include <QDir>
#include <QLocale>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTabWidget>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "widgets/Chart.h"
#include "widgets/StringGrid.h"

using namespace kelvarn;

namespace {

MeasurementRecord ProgramB(int sample) {
    MeasurementRecord rec;
    BuildHeader(rec, 2);
    for (int i = 0; i < 1000; ++i) rec.bytes[size_t(10 + i)] = uint8_t(sample + i % 7);
    return rec;
}

QByteArray Bytes(const MeasurementRecord& rec) {
    return QByteArray(reinterpret_cast<const char*>(rec.bytes.data()), int(rec.bytes.size()));
}

void WriteFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

class FilesWindowTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    QTemporaryDir dir;
    FakeSeams seams;
    TForm1 form{&seams};
    QString Path(const QString& name) { return dir.filePath(name); }
};

}  // namespace

TEST_F(FilesWindowTest, SaveAndOpenRoundTripWithTheDescription) {
    form.CurrentRecord = ProgramB(120);
    form.RichEdit1->setPlainText("Lärm an der Straße\nMessung 2");
    seams.saveName = Path("x");  // typed without an extension
    form.Speichern1Click();
    EXPECT_EQ(seams.saveTitle, "Speichern als ...");
    EXPECT_EQ(seams.saveProposed, "ohnename.dba");
    EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
    QFile saved(Path("x.dba"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), Bytes(form.CurrentRecord));
    EXPECT_TRUE(QFile::exists(Path("x.RMK")));
    EXPECT_EQ(form.windowTitle(), "Kelvarn");  // saving changes no title

    TForm1 other{&seams};
    seams.openName = Path("x.dba");
    other.N1Click();
    EXPECT_EQ(other.CurrentRecord, form.CurrentRecord);
    EXPECT_EQ(other.RichEdit1->toPlainText(), "Lärm an der Straße\nMessung 2");
    EXPECT_EQ(other.windowTitle(), "KELVARN - x.dba");
    EXPECT_EQ(other.ProposedSaveName, "x.dba");
    EXPECT_EQ(other.PageControl1->currentWidget(), other.TabSheet4);
    EXPECT_EQ(other.Chart1->PointCount(0), 1000);
    EXPECT_TRUE(seams.notices.isEmpty());  // no Ctrl, no information line
}

TEST_F(FilesWindowTest, CtrlShowsTheInformationLine) {
    WriteFile(Path("MESS1.DBA"), Bytes(ProgramB(100)));
    seams.openName = Path("MESS1.DBA");
    seams.ctrl = true;
    form.N1Click();
    EXPECT_EQ(seams.notices, QStringList{"MESS1.DBA, Messpunkte: 1000, Messungen: 1, Kanäle: 1, "
                                         "Intervall: 60 ms, B.BIN"});
}

TEST_F(FilesWindowTest, ShortFileLeavesEverythingAsItWas) {
    form.CurrentRecord = ProgramB(90);
    form.ShowTime();
    form.RichEdit1->setPlainText("vorher");
    const MeasurementRecord before = form.CurrentRecord;
    WriteFile(Path("kurz.dba"), QByteArray(100, '\x33'));
    seams.openName = Path("kurz.dba");
    form.N1Click();
    EXPECT_EQ(seams.stops, QStringList{"Versuch hinter dem Dateiende zu lesen."});
    EXPECT_EQ(form.CurrentRecord, before);
    EXPECT_EQ(form.RichEdit1->toPlainText(), "vorher");
    EXPECT_EQ(form.windowTitle(), "Kelvarn");
    EXPECT_EQ(form.ProposedSaveName, "ohnename.dba");
    EXPECT_EQ(form.grid->Cell(1, 1), " 20.0");  // 90 / 2 - 25 in the C locale
}

TEST_F(FilesWindowTest, MissingFileAndCancelledDialogs) {
    seams.openName = Path("gibtsnicht.dba");
    form.N1Click();
    EXPECT_EQ(seams.stops, QStringList{"Datei nicht gefunden."});
    seams.openName.clear();
    seams.saveName.clear();
    const MeasurementRecord before = form.CurrentRecord;
    form.N1Click();
    form.Speichern1Click();
    EXPECT_EQ(seams.stops.size(), 1);
    EXPECT_EQ(form.CurrentRecord, before);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(FilesWindowTest, OpeningWithoutRemarksKeepsTheDescription) {
    WriteFile(Path("a.b.dba"), Bytes(ProgramB(100)));
    form.RichEdit1->setPlainText("Bemerkungen hier ...");
    seams.openName = Path("a.b.dba");
    form.N1Click();
    EXPECT_EQ(form.RichEdit1->toPlainText(), "Bemerkungen hier ...");
    // Its remarks are looked for in a.RMK.
    form.RichEdit1->setPlainText("neu");
    seams.saveName = Path("a.b.dba");
    form.Speichern1Click();
    EXPECT_TRUE(QFile::exists(Path("a.RMK")));
}

TEST_F(FilesWindowTest, SaveIntoAFolderThatDoesNotExistKeepsGoing) {
    seams.saveName = Path("fehlt/x.dba");
    form.Speichern1Click();
    ASSERT_EQ(seams.stops.size(), 1);
    EXPECT_TRUE(seams.stops[0].endsWith('.'));
    EXPECT_FALSE(QFile::exists(Path("fehlt/x.dba")));
}

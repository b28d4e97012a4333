#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QWindow>
#include <cstdio>

#include "DocumentSupport.h"
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
    SetRecord(form, ProgramB(120));
    form.Controls().RichEdit1->setPlainText("Lärm an der Straße\nMessung 2");
    seams.saveName = Path("x");  // typed without an extension
    form.Speichern1Click();
    EXPECT_EQ(seams.saveTitle, "Speichern als ...");
    EXPECT_EQ(seams.saveProposed, "ohnename.dba");
    EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
    QFile saved(Path("x.dba"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), Bytes(form.Document().Record()));
    EXPECT_TRUE(QFile::exists(Path("x.RMK")));
    EXPECT_EQ(form.windowTitle(), "KELVARN - x.dba");  // the measurement is now that file

    TForm1 other{&seams};
    seams.openName = Path("x.dba");
    other.N1Click();
    EXPECT_EQ(other.Document().Record(), form.Document().Record());
    EXPECT_EQ(other.Controls().RichEdit1->toPlainText(), "Lärm an der Straße\nMessung 2");
    EXPECT_EQ(other.windowTitle(), "KELVARN - x.dba");
    EXPECT_EQ(other.Document().ProposedSaveName(), "x.dba");
    EXPECT_EQ(other.Controls().PageControl1->currentWidget(), other.Controls().TabSheet4);
    EXPECT_EQ(other.Controls().Chart1->PointCount(0), 1000);
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
    SetRecord(form, ProgramB(90));
    form.ShowTime();
    form.Controls().RichEdit1->setPlainText("vorher");
    const MeasurementRecord before = form.Document().Record();
    WriteFile(Path("kurz.dba"), QByteArray(100, '\x33'));
    seams.openName = Path("kurz.dba");
    seams.saveAnswers = {Seams::SaveAnswer::No};  // the record shown is in no file
    form.N1Click();
    EXPECT_EQ(seams.stops,
              QStringList{"Versuch hinter dem Dateiende zu lesen.\n" + Path("kurz.dba")});
    EXPECT_EQ(form.Document().Record(), before);
    EXPECT_EQ(form.Controls().RichEdit1->toPlainText(), "vorher");
    EXPECT_EQ(form.windowTitle(), "Kelvarn[*]");
    EXPECT_EQ(form.Document().ProposedSaveName(), "ohnename.dba");
    EXPECT_EQ(form.Controls().grid->Cell(1, 1), " 20.0");  // 90 / 2 - 25 in the C locale
}

TEST_F(FilesWindowTest, MissingFileAndCancelledDialogs) {
    seams.openName = Path("gibtsnicht.dba");
    form.N1Click();
    EXPECT_EQ(seams.stops, QStringList{"Datei nicht gefunden.\n" + Path("gibtsnicht.dba")});
    seams.openName.clear();
    seams.saveName.clear();
    const MeasurementRecord before = form.Document().Record();
    form.N1Click();
    form.Speichern1Click();
    EXPECT_EQ(seams.stops.size(), 1);
    EXPECT_EQ(form.Document().Record(), before);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(FilesWindowTest, OpeningWithoutRemarksShowsAnEmptyDescription) {
    WriteFile(Path("A.DBA"), Bytes(ProgramB(100)));
    WriteFile(Path("B.DBA"), Bytes(ProgramB(110)));
    WriteFile(Path("B.RMK"), "zu B");
    seams.openName = Path("B.DBA");
    form.N1Click();
    EXPECT_EQ(form.Controls().RichEdit1->toPlainText(), "zu B");
    seams.openName = Path("A.DBA");
    form.N1Click();
    EXPECT_EQ(form.Controls().RichEdit1->toPlainText(), "");
    // Saving A again writes no description of B beside it.
    seams.saveName = Path("A.DBA");
    form.Speichern1Click();
    QFile remarks(Path("A.RMK"));
    ASSERT_TRUE(remarks.open(QIODevice::ReadOnly));
    EXPECT_FALSE(remarks.readAll().contains("zu B"));
    EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
}

TEST_F(FilesWindowTest, NamesWithSeveralPointsKeepTheirOwnRemarks) {
    // in: the name saved; out: the remarks file it gets
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"MESS1.DBA", "MESS1.RMK"},
        {"ohne", "ohne.RMK"},  // saved as ohne.dba
        {"Messung 01.05.2024.dba", "Messung 01.05.2024.RMK"},
        {"Messung 01.06.2024.dba", "Messung 01.06.2024.RMK"},
    };
    for (const auto& c : cases) {
        form.Controls().RichEdit1->setPlainText(QString("zu ") + c.in);
        seams.saveName = Path(c.in);
        form.Speichern1Click();
        QFile f(Path(c.out));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << c.out;
        EXPECT_TRUE(f.readAll().contains(QByteArray("zu ") + c.in)) << c.out;
    }
    EXPECT_FALSE(QFile::exists(Path("Messung 01.RMK")));
    EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();

    // An older file whose description was saved under the first-point name
    // still finds it.
    WriteFile(Path("alt.1.2.dba"), Bytes(ProgramB(100)));
    WriteFile(Path("alt.RMK"), "alte Beschreibung");
    seams.openName = Path("alt.1.2.dba");
    form.N1Click();
    EXPECT_EQ(form.Controls().RichEdit1->toPlainText(), "alte Beschreibung");
}

TEST_F(FilesWindowTest, FailedRemarksLoadEndsTheOpen) {
    SetRecord(form, ProgramB(90));
    form.ShowTime();
    WriteFile(Path("M.DBA"), Bytes(ProgramB(120)));
    WriteFile(Path("M.RMK"), QByteArray(17 * 1024 * 1024, 'a'));
    form.Controls().RichEdit1->setPlainText("vorher");
    seams.openName = Path("M.DBA");
    seams.saveAnswers = {Seams::SaveAnswer::No};  // the record shown is in no file
    form.N1Click();
    // Which file and why on a second line: the first alone left the user guessing.
    EXPECT_EQ(seams.stops, QStringList{"Das Laden des Streams ist misslungen.\n" + Path("M.RMK") +
                                       ": Die Datei ist größer als 16 MB"});
    EXPECT_EQ(form.Controls().RichEdit1->toPlainText(), "vorher");
    EXPECT_EQ(form.windowTitle(), "Kelvarn[*]");
    EXPECT_EQ(form.Controls().grid->Cell(1, 1), " 20.0") << "no evaluation of the new record";
}

TEST_F(FilesWindowTest, FailedRemarksSaveIsReported) {
    QDir(dir.path()).mkdir("M.RMK");
    seams.saveName = Path("M.DBA");
    form.Speichern1Click();
    ASSERT_EQ(seams.stops.size(), 1);
    EXPECT_TRUE(seams.stops[0].startsWith("Datei \"" + Path("M.RMK") + "\" kann nicht erstellt"))
        << seams.stops[0].toStdString();
    EXPECT_FALSE(QFile::exists(Path("M.DBA"))) << "neither file is saved";
}

TEST_F(FilesWindowTest, NameThatIsNotUtf8OpensAsTheDialogShowsIt) {
    const QByteArray name = QFile::encodeName(dir.path()) + "/bad\377\344.dba";
    {
        FILE* raw = std::fopen(name.constData(), "wb");
        ASSERT_NE(raw, nullptr);
        const QByteArray data = Bytes(ProgramB(100));
        std::fwrite(data.constData(), 1, size_t(data.size()), raw);
        std::fclose(raw);
    }
    seams.openName = QFile::decodeName(name);
    form.N1Click();
    EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
    EXPECT_EQ(form.Document().Record(), ProgramB(100));
    std::remove(name.constData());
}

TEST_F(FilesWindowTest, SaveIntoAFolderThatDoesNotExistKeepsGoing) {
    seams.saveName = Path("fehlt/x.dba");
    form.Speichern1Click();
    ASSERT_EQ(seams.stops.size(), 1);
    EXPECT_EQ(seams.stops[0], "Ungültiger Dateiname.\n" + Path("fehlt/x.dba"));
    EXPECT_FALSE(QFile::exists(Path("fehlt/x.dba")));
}

// The title names the file the measurement is in, also after "&Speichern als ...", and marks
// work that ending would lose; the system shows the mark as "*".
TEST_F(FilesWindowTest, TitleNamesTheSavedFileAndMarksUnsavedWork) {
    form.show();
    // The mark follows typing once the typing pauses.
    const auto shown = [this] {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return form.windowHandle()->title();
    };
    EXPECT_EQ(form.windowTitle(), "Kelvarn");
    EXPECT_FALSE(form.isWindowModified());

    SetRecord(form, ProgramB(120));
    form.ShowTime();  // as after a take-over: a measurement in no file
    EXPECT_TRUE(form.isWindowModified());
    EXPECT_EQ(shown(), "Kelvarn*");

    seams.saveName = Path("erste.dba");
    form.Speichern1Click();
    EXPECT_EQ(form.windowTitle(), "KELVARN - erste.dba");
    EXPECT_FALSE(form.isWindowModified());
    EXPECT_EQ(shown(), "KELVARN - erste.dba");
    EXPECT_EQ(form.Document().ProposedSaveName(), "erste.dba");

    // Typing marks it, typing it back clears the mark.
    const QString text = form.Controls().RichEdit1->toPlainText();
    form.Controls().RichEdit1->setPlainText(text + "x");
    EXPECT_EQ(shown(), "KELVARN - erste.dba*");
    EXPECT_TRUE(form.isWindowModified());
    form.Controls().RichEdit1->setPlainText(text);
    EXPECT_EQ(shown(), "KELVARN - erste.dba");
    EXPECT_FALSE(form.isWindowModified());

    // A failed save changes neither name nor mark.
    form.Controls().RichEdit1->setPlainText("geändert");
    seams.saveName = Path("fehlt/zweite.dba");
    form.Speichern1Click();
    EXPECT_EQ(seams.stops.size(), 1);
    EXPECT_EQ(shown(), "KELVARN - erste.dba*");

    seams.saveName = Path("zweite");
    form.Speichern1Click();
    EXPECT_EQ(shown(), "KELVARN - zweite.dba");
    EXPECT_EQ(seams.saveProposed, "erste.dba") << "the dialog proposed the name saved before";
}

// File dialogs start in the folder of the open measurement, else in the folder last used
// (kept in KV.INI for the next start), else in the home folder, never the working directory.
TEST_F(FilesWindowTest, DialogsStartInTheMeasurementsFolderElseTheLastUsed) {
    QTemporaryDir config;
    const QByteArray oldConfig = qgetenv("KELVARN_CONFIG_DIR");
    qputenv("KELVARN_CONFIG_DIR", config.path().toLocal8Bit());
    QDir(dir.path()).mkdir("a");
    QDir(dir.path()).mkdir("b");
    QDir(dir.path()).mkdir("c");
    WriteFile(Path("a/M1.DBA"), Bytes(ProgramB(100)));

    {
        FakeSeams s;
        TForm1 w{&s};
        w.N1Click();  // cancelled
        EXPECT_EQ(s.openFolder, QDir::homePath());
        s.openName = Path("a/M1.DBA");
        w.N1Click();
        w.N1Click();
        EXPECT_EQ(s.openFolder, Path("a"));
        s.saveName = Path("b/M2.dba");
        w.Speichern1Click();
        EXPECT_EQ(s.saveFolder, Path("a"));
        s.saveName.clear();
        w.Speichern1Click();
        EXPECT_EQ(s.saveFolder, Path("b")) << "the measurement is now in b";
        s.saveName = Path("c/M2.csv");
        w.Exportieren1Click();
        EXPECT_EQ(s.saveFolder, Path("b"));
        w.BerichtPdf1Click();
        EXPECT_EQ(s.saveFolder, Path("b"));
        EXPECT_TRUE(s.stops.isEmpty()) << s.stops.join('|').toStdString();
    }
    {
        // The next start has no measurement: the folder used last, by the export.
        FakeSeams s;
        TForm1 w{&s};
        w.N1Click();
        EXPECT_EQ(s.openFolder, Path("c"));
        w.Speichern1Click();
        EXPECT_EQ(s.saveFolder, Path("c"));
    }
    {
        // A folder that is gone is not offered.
        QDir(Path("c")).removeRecursively();
        FakeSeams s;
        TForm1 w{&s};
        w.N1Click();
        EXPECT_EQ(s.openFolder, QDir::homePath());
    }
    qputenv("KELVARN_CONFIG_DIR", oldConfig);
}

TEST_F(FilesWindowTest, TheProtocolIsSavedAndOpenedWithTheMeasurement) {
    SetRecord(form, ProgramB(120));
    form.Document().EditProtocol([](MeasurementProtocol& p) { p.site = "Hof"; });
    form.Document().EditProtocol([](MeasurementProtocol& p) {
        p.SetStart(1, QDateTime(QDate(2026, 6, 10), QTime(21, 37, 12), Qt::OffsetFromUTC, 7200),
                   StartSource::kEingegeben);
    });
    ProtocolMarker lorry;
    lorry.fromS = 10;
    lorry.toS = 20;
    lorry.text = "Lkw";
    form.Document().EditProtocol([&](MeasurementProtocol& p) { p.markers.push_back(lorry); });
    seams.saveName = Path("p.dba");
    form.Speichern1Click();
    ASSERT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
    EXPECT_TRUE(QFile::exists(Path("p.KVP")));
    // Saved: ending asks nothing.
    EXPECT_TRUE(form.MayClose());
    EXPECT_TRUE(seams.saveQuestions.isEmpty());

    TForm1 other{&seams};
    other.Document().EditProtocol(
        [](MeasurementProtocol& p) { p.weather = "aus dem letzten Bericht"; });
    seams.openName = Path("p.dba");
    seams.saveAnswers = {Seams::SaveAnswer::No};  // that protocol is in no file
    other.N1Click();
    seams.saveQuestions.clear();
    EXPECT_EQ(other.Document().Protocol(), form.Document().Protocol());
    EXPECT_TRUE(seams.stops.isEmpty());

    // A changed protocol is unsaved work, as a changed description is.
    other.Document().EditProtocol([](MeasurementProtocol& p) { p.site = "Garten"; });
    EXPECT_FALSE(other.MayClose());
    EXPECT_EQ(seams.saveQuestions, QStringList{"Änderungen speichern?"});

    // A file without a protocol beside it opens with an empty one.
    WriteFile(Path("ohne.dba"), Bytes(ProgramB(90)));
    seams.openName = Path("ohne.dba");
    seams.saveAnswers = {Seams::SaveAnswer::No};
    other.N1Click();
    EXPECT_TRUE(other.Document().Protocol().IsEmpty());
}

TEST_F(FilesWindowTest, AnUnreadableProtocolOpensTheMeasurementAndIsReplacedOnlyWhenAllowed) {
    WriteFile(Path("m.dba"), Bytes(ProgramB(100)));
    const QByteArray bad = R"({"format": "kelvarn-protocol", "version": 1, "markers": [
        {"measurement": 1, "from_s": 50, "to_s": 40, "kind": "ereignis"}]})";
    WriteFile(Path("m.KVP"), bad);
    form.Document().EditProtocol([](MeasurementProtocol& p) { p.site = "vorher"; });
    seams.openName = Path("m.dba");
    seams.saveAnswers = {Seams::SaveAnswer::No};  // that protocol is in no file
    form.N1Click();
    seams.saveQuestions.clear();
    EXPECT_EQ(form.Document().Record(), ProgramB(100));
    EXPECT_EQ(form.windowTitle(), "KELVARN - m.dba");
    EXPECT_TRUE(form.Document().Protocol().IsEmpty());
    EXPECT_EQ(seams.stops,
              QStringList{QStringLiteral("Das Protokoll \"%1\" kann nicht gelesen werden: Marke 1: "
                                         "von 50 s ist nicht kleiner als bis 40 s. Die Messung "
                                         "wurde ohne Protokoll geöffnet.")
                              .arg(Path("m.KVP"))})
        << seams.stops.join('|').toStdString();

    // No: measurement and remarks are saved, the protocol file stays.
    form.Document().EditProtocol([](MeasurementProtocol& p) { p.site = "neu"; });
    form.Controls().RichEdit1->setPlainText("neu beschrieben");
    seams.saveName = Path("m.dba");
    seams.answers = {false};
    form.Speichern1Click();
    ASSERT_EQ(seams.asked.size(), 1);
    EXPECT_TRUE(seams.asked[0].contains(QStringLiteral("Das Protokoll \"%1\" konnte beim Öffnen "
                                                       "nicht gelesen werden.")
                                            .arg(Path("m.KVP"))));
    QFile kept(Path("m.KVP"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), bad);
    kept.close();
    EXPECT_TRUE(QFile::exists(Path("m.RMK")));
    // The protocol typed in was not saved: ending asks.
    EXPECT_FALSE(form.MayClose());
    EXPECT_EQ(seams.saveQuestions.size(), 1);

    // Saving under another name asks nothing.
    seams.saveName = Path("n.dba");
    form.Speichern1Click();
    EXPECT_EQ(seams.asked.size(), 1);
    EXPECT_TRUE(QFile::exists(Path("n.KVP")));

    // Yes: replaced, and the next save asks no more.
    seams.saveName = Path("m.dba");
    seams.answers = {true};
    form.Speichern1Click();
    EXPECT_EQ(seams.asked.size(), 2);
    TForm1 other{&seams};
    seams.openName = Path("m.dba");
    other.N1Click();
    EXPECT_EQ(other.Document().Protocol().site, "neu");
    form.Speichern1Click();
    EXPECT_EQ(seams.asked.size(), 2);
}

// A measurement file reaches the window from the command line or by a drop
// and opens as "&Öffnen ..." opens it; the window shows the program's
// version; Qt's own texts are German.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

#include "DocumentSupport.h"
#include "FakeSeams.h"
#include "app/FileDrop.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "file_support.h"
#include "widgets/Chart.h"
#include "widgets/WebLabel.h"

using namespace kelvarn;

namespace {

QByteArray ProgramBFile(int level) {
    MeasurementRecord rec;
    BuildHeader(rec, 2);
    for (int i = 0; i < 1000; ++i) rec.bytes[size_t(10 + i)] = uint8_t(level + i % 5);
    return QByteArray(reinterpret_cast<const char*>(rec.bytes.data()), int(rec.bytes.size()));
}

// Restores the working directory a test changed.
struct CurrentDir {
    explicit CurrentDir(const QString& dir) { QDir::setCurrent(dir); }
    ~CurrentDir() { QDir::setCurrent(before); }
    QString before = QDir::currentPath();
};

class StartWindowTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakeSeams seams;
    TForm1 form{&seams};
    QString Path(const QString& name) { return dir.filePath(name); }

    // The window shows the file as opened: title, record, evaluation.
    void ExpectOpened(const QString& name) {
        EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
        EXPECT_EQ(form.windowTitle(), "KELVARN - " + name);
        EXPECT_EQ(form.Document().ProposedSaveName(), name);
        EXPECT_EQ(form.Controls().PageControl1->currentWidget(), form.Controls().TabSheet4);
        EXPECT_EQ(form.Controls().Chart1->PointCount(0), 1000);
    }

    // A drag from a file manager, entering and dropped on target.
    bool Drop(QWidget* target, const QMimeData& data) {
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QApplication::processEvents();
        return drop.isAccepted();
    }
};

}  // namespace

TEST_F(StartWindowTest, FileOnTheCommandLineOpensWithItsDescription) {
    test::WriteBytes(Path("M1.DBA"), ProgramBFile(110));
    {
        QFile remarks(Path("M1.RMK"));
        ASSERT_TRUE(remarks.open(QIODevice::WriteOnly));
        remarks.write("An der Kreuzung");
    }
    const CurrentDir cd(dir.path());
    StartCommandLine line;
    line.Parse({"kelvarn", "M1.DBA"});  // relative to where the program was started
    ASSERT_TRUE(line.Error().isEmpty()) << line.Error().toStdString();
    EXPECT_EQ(line.File(), Path("M1.DBA"));
    form.OpenMeasurementFile(line.File());
    ExpectOpened("M1.DBA");
    EXPECT_EQ(form.Controls().RichEdit1->toPlainText(), "An der Kreuzung");
}

TEST_F(StartWindowTest, CommandLineForms) {
    StartCommandLine line;
    line.Parse({"kelvarn"});
    EXPECT_TRUE(line.Error().isEmpty());
    EXPECT_TRUE(line.File().isEmpty());

    // "Open with" of some file managers hands over a URL.
    line.Parse({"kelvarn", QUrl::fromLocalFile(Path("a b.dba")).toString()});
    EXPECT_EQ(line.File(), Path("a b.dba"));

    line.Parse({"kelvarn", Path("a.dba"), Path("b.dba")});
    EXPECT_EQ(line.Error(), "Nur eine Messdatei kann geöffnet werden.");
    line.Parse({"kelvarn", "--colour", Path("a.dba")});
    EXPECT_FALSE(line.Error().isEmpty());

    line.Parse({"kelvarn", "--version"});
    EXPECT_TRUE(line.WantsVersion());
    line.Parse({"kelvarn", "-h"});
    EXPECT_TRUE(line.WantsHelp());
}

TEST_F(StartWindowTest, MissingOrShortFileGivesTheOpenCommandsMessage) {
    struct Case {
        const char* name;
        QByteArray bytes;  // null: no file at all
        const char* message;
    };
    const Case cases[] = {
        {"fehlt.dba", QByteArray(), "Datei nicht gefunden."},
        {"kurz.dba", QByteArray(100, '\x50'), "Versuch hinter dem Dateiende zu lesen."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSeams s;
        TForm1 window{&s};
        if (!c.bytes.isNull()) test::WriteBytes(Path(c.name), c.bytes);
        StartCommandLine line;
        line.Parse({"kelvarn", Path(c.name)});
        window.OpenMeasurementFile(line.File());
        EXPECT_EQ(s.stops, QStringList{c.message + ("\n" + Path(c.name))});
        EXPECT_EQ(window.windowTitle(), "Kelvarn");
        EXPECT_EQ(window.Controls().Chart1->PointCount(0), 0);
    }
}

TEST_F(StartWindowTest, MeasurementFileDroppedOnTheDescriptionOpens) {
    test::WriteBytes(Path("lauf.dba"), ProgramBFile(120));
    test::WriteBytes(Path("lauf.RMK"), "Lauf am Morgen");
    form.Controls().RichEdit1->setPlainText("Bemerkungen hier ...");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("lauf.dba"))});
    data.setText(QUrl::fromLocalFile(Path("lauf.dba")).toString());  // as file managers do
    // The changed description is unsaved work: Abbrechen keeps it, Nein lets the file in.
    seams.saveAnswers = {Seams::SaveAnswer::Cancel, Seams::SaveAnswer::No};
    Drop(form.Controls().RichEdit1->viewport(), data);
    EXPECT_EQ(seams.saveQuestions, QStringList{"Änderungen speichern?"});
    EXPECT_EQ(form.Controls().RichEdit1->toPlainText(), "Bemerkungen hier ...");
    EXPECT_EQ(form.windowTitle(), "Kelvarn[*]");  // the typed description is still unsaved
    EXPECT_TRUE(Drop(form.Controls().RichEdit1->viewport(), data));
    ExpectOpened("lauf.dba");
    // Its description, not its address pasted into the one shown before.
    EXPECT_EQ(form.Controls().RichEdit1->toPlainText(), "Lauf am Morgen");
}

TEST_F(StartWindowTest, MeasurementFileDroppedOnTheWindowOpens) {
    test::WriteBytes(Path("MESS2.DBA"), ProgramBFile(90));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("notiz.txt")), QUrl::fromLocalFile(Path("MESS2.DBA"))});
    EXPECT_TRUE(Drop(&form, data));
    ExpectOpened("MESS2.DBA");
}

TEST_F(StartWindowTest, OtherFilesAreRefusedAndTextStillDrops) {
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(Path("notiz.txt"))});
    files.setText(QUrl::fromLocalFile(Path("notiz.txt")).toString());
    EXPECT_FALSE(Drop(form.Controls().RichEdit1->viewport(), files));
    EXPECT_FALSE(Drop(&form, files));
    EXPECT_EQ(form.windowTitle(), "Kelvarn");
    EXPECT_EQ(form.Controls().RichEdit1->toPlainText(), "Beschreibung\n");

    // Plain text dragged into the description is the text field's business.
    QMimeData text;
    text.setText("Straße");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.Controls().RichEdit1->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
}

TEST(ProgramTest, VersionLabelShowsTheBuildsVersion) {
    FakeSeams seams;
    TForm1 form{&seams};
    EXPECT_EQ(ProgramVersion(), KELVARN_VERSION);
    EXPECT_EQ(form.Controls().WebLabel1->text(), "Version " KELVARN_VERSION);
}

TEST(ProgramTest, QtsOwnTextsAreGerman) {
    QTranslator* german = LoadQtGermanTranslations(*QCoreApplication::instance());
    ASSERT_NE(german, nullptr) << "Qt's German translations are not installed";
    EXPECT_EQ(QFileDialog::tr("Look in:"), "Suchen in:");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
    QCoreApplication::removeTranslator(german);
    delete german;
}

TEST(ProgramTest, QtsOwnOpenDialogThroughTheSeamSpeaksGerman) {
    QTemporaryDir dir;
    const QString path = dir.filePath("M1.DBA");
    test::WriteBytes(path, ProgramBFile(100));
    QTranslator* german = LoadQtGermanTranslations(*QCoreApplication::instance());
    ASSERT_NE(german, nullptr);

    Seams seams;
    seams.nativeDialogs = false;
    QStringList filters, labels;
    bool qtsOwn = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog || !dialog->isVisible()) continue;
            qtsOwn = dialog->testOption(QFileDialog::DontUseNativeDialog);
            filters = dialog->nameFilters();
            for (const QLabel* label : dialog->findChildren<QLabel*>()) labels << label->text();
            dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->accept();
        }
    });
    const QString chosen = seams.OpenFileName(
        nullptr, {QStringLiteral("Pegeldateien (*.DBA)"), QStringLiteral("Lärmdateien (*.DAT)")});
    QCoreApplication::removeTranslator(german);
    delete german;

    EXPECT_EQ(chosen, path);
    EXPECT_TRUE(qtsOwn);
    EXPECT_EQ(filters, QStringList({"Pegeldateien (*.DBA)", "Lärmdateien (*.DAT)"}));
    EXPECT_TRUE(labels.contains("Suchen in:")) << labels.join('|').toStdString();
}

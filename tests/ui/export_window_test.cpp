#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLocale>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>

#include "DocumentSupport.h"
#include "FakeSeams.h"
#include "app/TForm1.h"
#include "eval/Figures.h"
#include "files/Export.h"
#include "widgets/StringGrid.h"

using namespace kelvarn;

namespace {

MeasurementRecord Record(int row, int sample) {
    MeasurementRecord rec;
    BuildHeader(rec, row);
    const int total = std::min<int>(GetSampleTotal(rec), MeasurementRecord::kSampleBytes);
    for (int i = 0; i < total; ++i) rec.bytes[size_t(10 + i)] = uint8_t(sample + i % 5);
    return rec;
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class ExportWindowTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    bool TabShown(QWidget* page) {
        return form.Controls().PageControl2->isTabVisible(
            form.Controls().PageControl2->indexOf(page));
    }
    QTemporaryDir dir;
    FakeSeams seams;
    TForm1 form{&seams};
};

}  // namespace

TEST_F(ExportWindowTest, FiguresTabIsEmptyBeforeTheFirstEvaluationAndRefilledByEach) {
    const int index = form.Controls().PageControl2->indexOf(form.Controls().TabSheet16);
    ASSERT_GE(index, 0);
    EXPECT_EQ(form.Controls().PageControl2->tabText(index), "Kenn&werte");
    // Empty cells, as every grid of the window has them at start.
    EXPECT_EQ(form.Controls().GridKennwerte->Table().CopyText(), "\t\t\r\n\t\t\r\n");

    SetRecord(form, Record(1, 150));
    form.ShowTime();
    EXPECT_TRUE(TabShown(form.Controls().TabSheet16));
    const RecordFigures one = ComputeFigures(form.Document().Record());
    EXPECT_EQ(form.Controls().GridKennwerte->Table(),
              FiguresTable(one, NumberFormat::FromLocale(), false));
    EXPECT_EQ(form.Controls().GridKennwerte->RowCount(), 2);
    EXPECT_EQ(form.Controls().GridKennwerte->Cell(3, 0), "LAeq");

    SetRecord(form, Record(7, 140));
    form.ShowTime();
    EXPECT_TRUE(TabShown(form.Controls().TabSheet16));  // shown for both kinds of record
    EXPECT_EQ(form.Controls().GridKennwerte->RowCount(), 14);
    EXPECT_EQ(form.Controls().GridKennwerte->Cell(0, 13), "Gesamt");
}

TEST_F(ExportWindowTest, FiguresTableCopiesAsText) {
    const QList<QAction*> entries = form.Controls().GridKennwerte->actions();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0]->text(), "Kopieren als Text");
    SetRecord(form, Record(2, 160));
    form.ShowTime();
    entries[0]->trigger();
    // Cells as they read, without the blanks that align them in the grid, a tab only between
    // two cells: what a spreadsheet or a letter takes as it is.
    const QStringList lines = QGuiApplication::clipboard()->text().split("\r\n");
    ASSERT_EQ(lines.size(), 3) << "two lines, each ended by CR LF";
    EXPECT_EQ(lines[0], "Messung\tn\tDauer/s\tLAeq\tLmax\tLmin\tL1\tL5\tL10\tL50\tL90\tL95\tL99");
    const QStringList cells = lines[1].split('\t');
    ASSERT_EQ(cells.size(), 13) << lines[1].toStdString();
    for (int c = 0; c < 13; ++c)
        EXPECT_EQ(cells[c], form.Controls().GridKennwerte->Cell(c, 1).trimmed());
    EXPECT_EQ(cells[1], "1000");
    EXPECT_EQ(lines[2], "");
}

TEST_F(ExportWindowTest, ExportEntryFollowsSaveAs) {
    QStringList captions;
    for (QAction* a : form.Controls().Datei1->actions())
        captions << (a->isSeparator() ? "-" : a->text());
    const qsizetype at = captions.indexOf("&Speichern als ...");
    ASSERT_GE(at, 0);
    EXPECT_EQ(captions.value(at + 1), "E&xportieren ...");
}

TEST_F(ExportWindowTest, ExportWritesTheCsvOfTheCurrentRecord) {
    SetRecord(form, Record(7, 150));
    NameMeasurement(form, "MESS1.DBA");
    form.ShowTime();
    seams.saveName = dir.filePath("mess1");  // typed without an extension
    form.Controls().Exportieren1->trigger();
    EXPECT_EQ(seams.saveFilter, "CSV-Dateien (*.csv);;JSON-Dateien (*.json)");
    EXPECT_EQ(seams.saveProposed, "MESS1.csv");
    EXPECT_TRUE(seams.stops.isEmpty());
    const QByteArray csv = FileBytes(dir.filePath("mess1.csv"));
    EXPECT_EQ(csv, ExportCsv(ComputeFigures(form.Document().Record()), NumberFormat::FromLocale()));
    EXPECT_TRUE(csv.startsWith("t/s;Messung 1;"));
}

TEST_F(ExportWindowTest, CancelWritesNothingAndAFailureIsShown) {
    SetRecord(form, Record(1, 150));
    form.ShowTime();
    seams.saveName.clear();
    form.Controls().Exportieren1->trigger();
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(seams.stops.isEmpty());

    seams.saveName = dir.filePath("fehlt/x.csv");
    form.Controls().Exportieren1->trigger();
    ASSERT_EQ(seams.stops.size(), 1);
    EXPECT_EQ(seams.stops[0], "Ungültiger Dateiname.\n" + dir.filePath("fehlt/x.csv"));
}

// The type chosen in the dialog decides for a name without an extension; a typed ".json" or
// ".csv" decides over the type.
TEST_F(ExportWindowTest, ExportWritesJsonForTheJsonTypeOrExtension) {
    const QString csvType = "CSV-Dateien (*.csv)";
    const QString jsonType = "JSON-Dateien (*.json)";
    SetRecord(form, Record(7, 150));
    NameMeasurement(form, "MESS1.DBA");
    form.ShowTime();
    const RecordFigures figures = ComputeFigures(form.Document().Record());
    const QByteArray csv = ExportCsv(figures, NumberFormat::FromLocale());
    const QByteArray json = ExportJson("MESS1.DBA", form.Document().Record(), figures);
    const struct {
        const char* typed;
        QString type;
        const char* written;
        const QByteArray& content;
    } cases[] = {
        {"m1", csvType, "m1.csv", csv},        {"m2", jsonType, "m2.json", json},
        {"m3.json", csvType, "m3.json", json}, {"m4.JSON", csvType, "m4.JSON", json},
        {"m5.csv", jsonType, "m5.csv", csv},   {"m6.txt", jsonType, "m6.txt", json},
        {"m7.txt", csvType, "m7.txt", csv},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        seams.saveName = dir.filePath(c.typed);
        seams.chosenFilter = c.type;
        form.Controls().Exportieren1->trigger();
        EXPECT_EQ(seams.saveFilter, csvType + ";;" + jsonType);
        EXPECT_EQ(FileBytes(dir.filePath(c.written)), c.content);
    }
    EXPECT_TRUE(json.startsWith("{\"file\": \"MESS1.DBA\", \"program\": \"G\""));
    EXPECT_EQ(QDir(dir.path()).count(), 2u + 7u);
    EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
}

// Before anything was read out, opened or taken over there is no measurement: export and
// report are offered only once there is one, and say so when they are asked all the same.
TEST_F(ExportWindowTest, NoMeasurementNoExportAndNoReport) {
    QAction* const commands[] = {form.Controls().Exportieren1, form.Controls().BerichtPdf1,
                                 form.Controls().BerichtDrucken1};
    for (QAction* a : commands) EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    EXPECT_TRUE(form.Controls().Speichern1->isEnabled())
        << "the start-up record can still be saved";
    seams.saveName = dir.filePath("leer.csv");
    seams.previewPdf = dir.filePath("leer.pdf");
    form.Exportieren1Click();
    form.BerichtPdf1Click();
    form.BerichtDrucken1Click();
    EXPECT_EQ(seams.notices, QStringList(3, "Keine Messung geladen."));
    EXPECT_TRUE(seams.saveTitle.isEmpty()) << "no dialog";
    EXPECT_EQ(seams.previews, 0);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    SetRecord(form, Record(1, 150));
    form.ShowTime();
    for (QAction* a : commands) EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    form.Controls().Exportieren1->trigger();
    EXPECT_TRUE(QFile::exists(dir.filePath("leer.csv")));
}

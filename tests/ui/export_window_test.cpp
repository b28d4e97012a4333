#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLocale>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>

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
        return form.PageControl2->isTabVisible(form.PageControl2->indexOf(page));
    }
    QTemporaryDir dir;
    FakeSeams seams;
    TForm1 form{&seams};
};

}  // namespace

TEST_F(ExportWindowTest, FiguresTabIsEmptyBeforeTheFirstEvaluationAndRefilledByEach) {
    const int index = form.PageControl2->indexOf(form.TabSheet16);
    ASSERT_GE(index, 0);
    EXPECT_EQ(form.PageControl2->tabText(index), "Kenn&werte");
    // Empty cells, as every grid of the window has them at start.
    EXPECT_EQ(form.GridKennwerte->Table().CopyText(), "\t\t\r\n\t\t\r\n");

    form.CurrentRecord = Record(1, 150);
    form.ShowTime();
    EXPECT_TRUE(TabShown(form.TabSheet16));
    const RecordFigures one = ComputeFigures(form.CurrentRecord);
    EXPECT_EQ(form.GridKennwerte->Table(), FiguresTable(one, NumberFormat::FromLocale(), false));
    EXPECT_EQ(form.GridKennwerte->RowCount(), 2);
    EXPECT_EQ(form.GridKennwerte->Cell(3, 0), "LAeq");

    form.CurrentRecord = Record(7, 140);
    form.ShowTime();
    EXPECT_TRUE(TabShown(form.TabSheet16));  // shown for both kinds of record
    EXPECT_EQ(form.GridKennwerte->RowCount(), 14);
    EXPECT_EQ(form.GridKennwerte->Cell(0, 13), "Gesamt");
}

TEST_F(ExportWindowTest, FiguresTableCopiesAsText) {
    const QList<QAction*> entries = form.GridKennwerte->actions();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0]->text(), "Kopieren als Text");
    form.CurrentRecord = Record(2, 160);
    form.ShowTime();
    entries[0]->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), form.GridKennwerte->Table().CopyText());
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("Messung\tn\tDauer/s\tLAeq\t"));
}

TEST_F(ExportWindowTest, ExportEntryFollowsSaveAs) {
    QStringList captions;
    for (QAction* a : form.Datei1->actions()) captions << (a->isSeparator() ? "-" : a->text());
    const qsizetype at = captions.indexOf("&Speichern als ...");
    ASSERT_GE(at, 0);
    EXPECT_EQ(captions.value(at + 1), "E&xportieren ...");
}

TEST_F(ExportWindowTest, ExportWritesTheCsvOfTheCurrentRecord) {
    form.CurrentRecord = Record(7, 150);
    form.ProposedSaveName = "MESS1.DBA";
    form.ShowTime();
    seams.saveName = dir.filePath("mess1");  // typed without an extension
    form.Exportieren1->trigger();
    EXPECT_EQ(seams.saveFilter, "CSV-Dateien (*.csv)");
    EXPECT_EQ(seams.saveProposed, "MESS1.csv");
    EXPECT_TRUE(seams.stops.isEmpty());
    const QByteArray csv = FileBytes(dir.filePath("mess1.csv"));
    EXPECT_EQ(csv, ExportCsv(ComputeFigures(form.CurrentRecord), NumberFormat::FromLocale()));
    EXPECT_TRUE(csv.startsWith("t/s;Messung 1;"));
}

TEST_F(ExportWindowTest, CancelWritesNothingAndAFailureIsShown) {
    form.CurrentRecord = Record(1, 150);
    seams.saveName.clear();
    form.Exportieren1->trigger();
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(seams.stops.isEmpty());

    seams.saveName = dir.filePath("fehlt/x.csv");
    form.Exportieren1->trigger();
    ASSERT_EQ(seams.stops.size(), 1);
    EXPECT_EQ(seams.stops[0], "Ungültiger Dateiname.");
}

#include "output/Report.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "eval/Figures.h"
#include "files/MeasurementFile.h"
#include "output_support.h"

using namespace kelvarn;
using namespace kelvarn::testing;

namespace {

MeasurementRecord Record(int row) {
    MeasurementRecord rec;
    BuildHeader(rec, row);
    const int total = std::min<int>(GetSampleTotal(rec), MeasurementRecord::kSampleBytes);
    for (int i = 0; i < total; ++i) rec.bytes[size_t(10 + i)] = uint8_t(120 + (i * 7) % 60);
    return rec;
}

// A description with a bold word, as the description field holds it.
void Describe(QTextDocument& doc, const QString& plain, const QString& bold) {
    doc.setPlainText(plain);
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    QTextCharFormat f;
    f.setFontWeight(QFont::Bold);
    c.insertText(" " + bold, f);
}

// "yes" in the emb column of every font pdffonts lists, and at least one font.
bool FontsEmbedded(const QString& pdf) {
    const QStringList lines = RunTool("pdffonts", {pdf}).split('\n', Qt::SkipEmptyParts);
    if (lines.size() < 3) return false;
    for (const QString& line : lines.mid(2)) {
        const QStringList cols = line.split(' ', Qt::SkipEmptyParts);
        // name type [encoding ...] emb sub uni object ID: emb is the fifth column from the end
        if (cols.size() < 6 || cols[cols.size() - 5] != "yes") return false;
    }
    return true;
}

int ImagesIn(const QString& pdf) {
    return int(RunTool("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts).size()) - 2;
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(ReportTest, EveryProgramMakesOneOrTwoA4PagesWithItsContent) {
    QTextDocument description;
    Describe(description, "Messung an der Kreuzung", "Hauptstraße");
    for (int row = 1; row <= 9; ++row) {
        SCOPED_TRACE(row);
        const MeasurementRecord rec = Record(row);
        ReportContent content;
        content.fileName = QStringLiteral("MESS%1.DBA").arg(row);
        content.fileDate = QDateTime(QDate(2026, 3, 4), QTime(9, 15));
        content.description = &description;
        const QString pdf = dir.filePath(QStringLiteral("r%1.pdf").arg(row));
        const CommandResult r = WriteReportPdf(pdf, rec, content);
        ASSERT_TRUE(r.ok) << r.message.toStdString();

        const PdfFacts facts = ReadPdf(pdf);
        EXPECT_GE(facts.pages, 1);
        EXPECT_LE(facts.pages, 2);
        EXPECT_NEAR(facts.pageSize.width(), 595.3, 1.0);  // A4 portrait [pt]
        EXPECT_NEAR(facts.pageSize.height(), 841.9, 1.0);
        const QString text = PdfText(pdf);
        EXPECT_TRUE(text.contains("Messbericht"));
        EXPECT_TRUE(text.contains(InformationLine(content.fileName, rec))) << text.toStdString();
        EXPECT_TRUE(text.contains("Dateidatum: 04.03.2026, 09:15 Uhr"));
        EXPECT_TRUE(text.contains("Messung an der Kreuzung Hauptstraße"));
        EXPECT_TRUE(text.contains("LAeq"));
        EXPECT_TRUE(text.contains(QStringLiteral("Seite %1 von %1").arg(facts.pages)));
        if (GetMeasurements(rec) == 12) {
            EXPECT_TRUE(text.contains("Gesamt"));
        }
    }
}

TEST_F(ReportTest, ChartsAreVectorsAndFontsAreEmbedded) {
    ReportContent content;
    content.fileName = "G.DBA";
    const QString pdf = dir.filePath("g.pdf");
    ASSERT_TRUE(WriteReportPdf(pdf, Record(7), content).ok);
    EXPECT_EQ(ImagesIn(pdf), 0);
    EXPECT_TRUE(FontsEmbedded(pdf)) << RunTool("pdffonts", {pdf}).toStdString();
    const QString text = PdfText(pdf);
    EXPECT_TRUE(text.contains("Dateidatum: nicht gespeichert"));
    EXPECT_TRUE(text.contains(QStringLiteral("Pegel in der Übersicht")));
    EXPECT_TRUE(text.contains(QStringLiteral("Äquivalenzen in der Übersicht")));
    EXPECT_FALSE(text.contains("Beschreibung"));  // no description given
}

TEST_F(ReportTest, ALongDescriptionGoesOnToTheNextPage) {
    QTextDocument description;
    QString many;
    for (int i = 1; i <= 120; ++i) many += QStringLiteral("Zeile %1\n").arg(i);
    description.setPlainText(many + "Ende");
    ReportContent content;
    content.fileName = "A.DBA";
    content.description = &description;
    const QString pdf = dir.filePath("long.pdf");
    ASSERT_TRUE(WriteReportPdf(pdf, Record(1), content).ok);
    const QString text = PdfText(pdf);
    EXPECT_GE(ReadPdf(pdf).pages, 3);
    for (const char* line : {"Zeile 1\n", "Zeile 60", "Zeile 120", "Ende"})
        EXPECT_TRUE(text.contains(line)) << line;
}

TEST_F(ReportTest, AFolderThatIsNotThereIsReported) {
    ReportContent content;
    content.fileName = "A.DBA";
    const CommandResult r = WriteReportPdf(dir.filePath("fehlt/a.pdf"), Record(1), content);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.isEmpty());
}

TEST_F(ReportTest, FiguresHaveADecimalCommaWhateverTheLocale) {
    // The locale here is C (a decimal point); the report is German all the same.
    const MeasurementRecord rec = Record(1);
    ReportContent content;
    content.fileName = "A.DBA";
    const QString pdf = dir.filePath("komma.pdf");
    ASSERT_TRUE(WriteReportPdf(pdf, rec, content).ok);
    const QString text = PdfText(pdf);
    const RecordFigures figures = ComputeFigures(rec);
    const TableText comma = FiguresTable(figures, NumberFormat(QLatin1Char(',')), false);
    const TableText point = FiguresTable(figures, NumberFormat(QLatin1Char('.')), false);
    int numbers = 0;
    for (int c = 0; c < comma.Cols(); ++c) {
        const QString cell = comma.Cell(c, 1).trimmed();
        if (!cell.contains(QLatin1Char(','))) continue;
        ++numbers;
        EXPECT_TRUE(text.contains(cell)) << cell.toStdString() << "\n" << text.toStdString();
        EXPECT_FALSE(text.contains(point.Cell(c, 1).trimmed())) << cell.toStdString();
    }
    EXPECT_GE(numbers, 10) << "duration, LAeq, Lmax, Lmin and the percentile levels";
}

class ReportWindowTest : public ReportTest {
protected:
    FakeSeams seams;
    TForm1 form{&seams};
};

TEST_F(ReportWindowTest, MenuHoldsTheReportEntriesBeforeTheEnd) {
    QStringList captions;
    for (QAction* a : form.Datei1->actions()) captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions,
              (QStringList{"&Auslesen der Zelle", "-", "&Öffnen ...", "&Speichern als ...",
                           "E&xportieren ...", "-", "Bericht als &PDF ...", "Bericht d&rucken ...",
                           "-", "&Beenden"}));
}

TEST_F(ReportWindowTest, ReportOfAnOpenedFileShowsItsNameDateAndDescription) {
    const QString file = dir.filePath("M1.DBA");
    ASSERT_TRUE(WriteMeasurementFile(file, Record(2)).ok);
    seams.openName = file;
    form.N1->trigger();
    form.RichEdit1->setPlainText("Werkhalle Nord");
    seams.saveName = dir.filePath("bericht");
    form.BerichtPdf1->trigger();
    EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
    EXPECT_EQ(seams.saveProposed, "M1.pdf");
    EXPECT_EQ(seams.saveFilter, "PDF-Dateien (*.pdf)");
    const QString pdf = dir.filePath("bericht.pdf");
    const QString text = PdfText(pdf);
    EXPECT_TRUE(text.contains("Datei: M1.DBA"));
    EXPECT_TRUE(text.contains("Werkhalle Nord"));
    const QString date = QLocale(QLocale::German, QLocale::Germany)
                             .toString(QFileInfo(file).lastModified(), "dd.MM.yyyy");
    EXPECT_TRUE(text.contains("Dateidatum: " + date)) << text.toStdString();

    // After a take-over the record is no longer the file's.
    form.ShowTime(form.Button3);
    form.BerichtPdf1->trigger();
    EXPECT_TRUE(PdfText(pdf).contains("Dateidatum: nicht gespeichert"));
}

TEST_F(ReportWindowTest, PrintGoesThroughThePreviewToTheChosenPrinter) {
    form.CurrentRecord = Record(7);
    form.ProposedSaveName = "G.DBA";
    form.ShowTime();
    seams.previewPdf = dir.filePath("gedruckt.pdf");
    form.BerichtDrucken1->trigger();
    EXPECT_EQ(seams.previews, 1);
    EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
    const PdfFacts facts = ReadPdf(seams.previewPdf);
    EXPECT_FALSE(facts.landscape());
    EXPECT_GE(facts.pages, 1);
    EXPECT_TRUE(PdfText(seams.previewPdf).contains("Datei: G.DBA"));

    // Cancelled: nothing printed, nothing shown.
    seams.previewPdf.clear();
    form.BerichtDrucken1->trigger();
    EXPECT_EQ(seams.previews, 2);
    EXPECT_TRUE(seams.stops.isEmpty());
}

#include "output/Report.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "DocumentSupport.h"
#include "FakeSeams.h"
#include "app/ReportHeadBox.h"
#include "app/TForm1.h"
#include "data/ProgramTable.h"
#include "data/Protocol.h"
#include "eval/Figures.h"
#include "files/MeasurementFile.h"
#include "link/SettingsFile.h"
#include "output_support.h"
#include "widgets/Chart.h"

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
        // The program as a person reads it, not the program file's name.
        EXPECT_TRUE(text.contains(ProgramName(row))) << text.toStdString();
        EXPECT_FALSE(text.contains(".BIN")) << text.toStdString();
        EXPECT_TRUE(text.contains("Dateidatum: 04.03.2026, 09:15 Uhr"));
        EXPECT_TRUE(text.contains("Messung an der Kreuzung Hauptstraße"));
        // Level headings carry their unit, over two lines.
        for (const char* heading : {"LAeq/", "Lmax/", "L95/"})
            EXPECT_TRUE(text.contains(heading)) << heading;
        EXPECT_TRUE(text.contains("dB(A)"));
        EXPECT_EQ(text.count("Kelvarn " KELVARN_VERSION), facts.pages) << "in every footer";
        EXPECT_TRUE(text.contains(QStringLiteral("Seite %1 von %1").arg(facts.pages)));
        EXPECT_FALSE(text.contains("Datum, Unterschrift")) << "not asked for";
        if (GetMeasurements(rec) == 12) {
            EXPECT_TRUE(text.contains("Gesamt"));
        }
    }
}

TEST_F(ReportTest, FiguresLeaveOutTheZerosBehindAnEarlyStop) {
    // 24 h stopped after 12 h at 58,0 dB(A): counted as levels of -25 dB(A), the zeros would
    // give n 6000, Dauer 24,000 and LAeq 55,0.
    MeasurementRecord rec;
    BuildHeader(rec, 6);
    for (int p = 0; p < 3000; ++p) rec.bytes[size_t(10 + p)] = uint8_t(LevelToSample(58.0));
    ReportContent content;
    content.fileName = QStringLiteral("HALB.DBA");
    const QString pdf = dir.filePath("halb.pdf");
    ASSERT_TRUE(WriteReportPdf(pdf, rec, content).ok);
    const QString text = PdfText(pdf).simplified();
    EXPECT_TRUE(text.contains("1 3000 12,000 58,0 58,0 58,0")) << text.toStdString();
    EXPECT_FALSE(text.contains("55,0"));
}

TEST_F(ReportTest, TheProtocolBlockAndTheIndicativeNote) {
    MeasurementRecord rec;
    BuildHeader(rec, 6);
    for (int p = 0; p < 3000; ++p) rec.bytes[size_t(10 + p)] = uint8_t(LevelToSample(58.0));
    MeasurementProtocol protocol;
    protocol.site = "Hof der Schule";
    protocol.instrument = "Zelle 17";
    protocol.SetStart(1, QDateTime::fromString("2026-06-10T20:00:00+02:00", Qt::ISODate),
                      StartSource::kGeschaetzt);
    protocol.calibration = {94.0, 94.1, 93.4, {}};
    ProtocolMarker lorry;
    lorry.fromS = 120;
    lorry.toS = 300;
    lorry.text = "Lkw";
    protocol.markers.push_back(lorry);
    ReportContent content;
    content.fileName = QStringLiteral("P.DBA");
    content.protocol = &protocol;
    const QString pdf = dir.filePath("p.pdf");
    ASSERT_TRUE(WriteReportPdf(pdf, rec, content).ok);
    const QString text = PdfText(pdf).simplified();
    for (const char* part :
         {"Messprotokoll", "Messort: Hof der Schule", "Messgerät: Zelle 17",
          "Messende(r): nicht angegeben",
          // 12 h measured: the end is the start plus the measured time.
          "Messung 1: Beginn spätestens 10.06.2026 20:00:00, Ende spätestens 11.06.2026 08:00:00 "
          "(geschätzt)",
          "Kalibrierung: Kalibrator 94,0 dB, vorher 94,1 dB, nachher 93,4 dB, Abweichung -0,7 dB",
          "Kalibrierabweichung über 0,5 dB", "Marke: Messung 1, 120,0 s bis 300,0 s, Fremdgeräusch",
          "Orientierende Messung: Die Zelle ist kein geeichtes Schallpegelmessgerät der Klasse 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n" << text.toStdString();

    // A protocol without a start says so.
    protocol.starts.clear();
    ASSERT_TRUE(WriteReportPdf(pdf, rec, content).ok);
    EXPECT_TRUE(PdfText(pdf).simplified().contains("Beginn: nicht bekannt"));
    // Without a protocol there is no block; the note stays.
    content.protocol = nullptr;
    ASSERT_TRUE(WriteReportPdf(pdf, rec, content).ok);
    const QString bare = PdfText(pdf).simplified();
    EXPECT_FALSE(bare.contains("Messprotokoll"));
    EXPECT_TRUE(bare.contains("Orientierende Messung"));
}

// A program F day at 58 dB(A) from 06:00 with its first hour left out, an 8 h task and a TA
// Lärm day rating: the section shows the hours with their chart, the periods, both results
// with their formulas and inputs, and what was left out. Without a start and inputs there is
// no section.
TEST_F(ReportTest, TheAssessmentWithItsFormulasAndInputs) {
    MeasurementRecord rec;
    BuildHeader(rec, 6);
    for (int p = 0; p < 6000; ++p) rec.bytes[size_t(10 + p)] = uint8_t(LevelToSample(58.0));
    MeasurementProtocol protocol;
    protocol.SetStart(1, QDateTime::fromString("2026-06-10T06:00:00+02:00", Qt::ISODate),
                      StartSource::kEingegeben);
    protocol.markers.push_back({1, 0, 3600, MarkerKind::kFremdgeraeusch, "Rasenmäher", {}});
    protocol.workplace = WorkplaceInput{{{{1, 3600.0, 32400.0}, 8}}};
    TaLaermInput ta;
    ta.parts.push_back({{1, std::nullopt, std::nullopt}, 16, 3, 0, false});
    protocol.taLaerm = ta;
    ReportContent content;
    content.fileName = QStringLiteral("F.DBA");
    content.protocol = &protocol;
    content.zone = QTimeZone("Europe/Berlin");
    const QString pdf = dir.filePath("b.pdf");
    ASSERT_TRUE(WriteReportPdf(pdf, rec, content).ok);
    const QString text = PdfText(pdf).simplified();
    for (const char* part :
         {"Beurteilung", "jeder Pegelwert gilt als Pegel seines Messintervalls",
          "Zeitzone Europe/Berlin",
          "Als Fremdgeräusch ausgelassen: Messung 1: 0,0–3600,0 s (Rasenmäher)", "Stundenpegel",
          "10.06.2026 07:00:00 +02:00", "Lden des Messzeitraums (orientierend)",
          "LEX,8h = 10·lg Σ (Te/8 h)·10^(0,1·LAeq,Te)", "LEX,8h = 58,0 dB(A)",
          "Gebiet: allgemeines Wohngebiet", "Immissionsrichtwert 55 dB(A)",
          "Lr = 10·lg[(1/Tr)·Σ Tj·10^(0,1·(LAeq,j − Cmet + KT,j + KI,j + KR,j))]",
          "Lr = 61,0 dB(A)", "gerundet 61 dB(A)", "Hälften vom Nullpunkt weg",
          "Spitzenpegelkriterium"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains("-25"));

    MeasurementProtocol bare;
    content.protocol = &bare;
    ASSERT_TRUE(WriteReportPdf(pdf, rec, content).ok);
    EXPECT_FALSE(PdfText(pdf).contains("Beurteilung"));
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

TEST_F(ReportTest, TheLeqChartRunsOnTheProgramsTimeAndTheNotesNameBothRules) {
    // Both time axes, the level chart's and the LeQ chart's, in the program's unit.
    const std::pair<int, const char*> cases[] = {{1, "t/s"}, {6, "t/h"}};
    for (const auto& [row, caption] : cases) {
        SCOPED_TRACE(row);
        ReportContent content;
        content.fileName = "M.DBA";
        const QString pdf = dir.filePath(QStringLiteral("axis%1.pdf").arg(row));
        ASSERT_TRUE(WriteReportPdf(pdf, Record(row), content).ok);
        const QString text = PdfText(pdf).simplified();
        EXPECT_EQ(text.count(caption), 2) << text.toStdString();
        EXPECT_TRUE(text.contains(
            QStringLiteral("LN ist der Pegel, der in N % der Messzeit überschritten wird.")));
        EXPECT_TRUE(text.contains("nach Rang"));
        EXPECT_TRUE(text.contains("nach 0,5-dB-Klassen"));
    }
}

TEST_F(ReportTest, TheHeadFromTheSettingsOpensTheReportAndTheSignatureLineEndsIt) {
    QImage logo(120, 60, QImage::Format_RGB32);
    logo.fill(Qt::darkBlue);
    const QString logoFile = dir.filePath("logo.png");
    ASSERT_TRUE(logo.save(logoFile));
    ReportContent content;
    content.fileName = "F.DBA";
    content.head = {QStringLiteral("Schallmessdienst Nord GmbH"),
                    {QStringLiteral("Hafenstraße 12"), QStringLiteral("24103 Kiel")},
                    logoFile,
                    true};
    const QString pdf = dir.filePath("kopf.pdf");
    ASSERT_TRUE(WriteReportPdf(pdf, Record(6), content).ok);
    const QString text = PdfText(pdf);
    const qsizetype company = text.indexOf("Schallmessdienst Nord GmbH");
    EXPECT_GE(company, 0) << text.toStdString();
    EXPECT_LT(company, text.indexOf("Messbericht")) << "the head comes first";
    EXPECT_GT(text.indexOf(QStringLiteral("24103 Kiel")), text.indexOf("Hafenstraße 12"));
    const qsizetype signature = text.lastIndexOf("Datum, Unterschrift");
    EXPECT_GT(signature, text.lastIndexOf("L99/")) << "after the figures";
    EXPECT_EQ(ImagesIn(pdf), 1) << "the logo";

    // Without a logo, only the name: no image.
    content.head.logoFile.clear();
    content.head.address.clear();
    content.head.signature = false;
    ASSERT_TRUE(WriteReportPdf(pdf, Record(6), content).ok);
    EXPECT_EQ(ImagesIn(pdf), 0);
    EXPECT_FALSE(PdfText(pdf).contains("Datum, Unterschrift"));
}

TEST_F(ReportTest, ALogoThatCannotBeReadStopsTheReportAndNamesTheFile) {
    const QString notAnImage = dir.filePath("logo.png");
    QFile f(notAnImage);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("kein Bild");
    f.close();
    for (const QString& logo : {notAnImage, dir.filePath("fehlt.png")}) {
        SCOPED_TRACE(logo.toStdString());
        ReportContent content;
        content.fileName = "A.DBA";
        content.head.company = "Firma";
        content.head.logoFile = logo;
        const QString pdf = dir.filePath("ohne.pdf");
        const CommandResult r = WriteReportPdf(pdf, Record(1), content);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.message.contains("Logo")) << r.message.toStdString();
        EXPECT_TRUE(r.message.contains(logo)) << r.message.toStdString();
        EXPECT_FALSE(QFile::exists(pdf));
    }
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
    for (QAction* a : form.Controls().Datei1->actions())
        captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions,
              (QStringList{"&Auslesen der Zelle", "-", "&Öffnen ...", "&Speichern als ...",
                           "E&xportieren ...", "-", "Bericht als &PDF ...", "Bericht d&rucken ...",
                           "-", "&Beenden"}));
}

TEST_F(ReportWindowTest, ReportOfAnOpenedFileShowsItsNameDateAndDescription) {
    const QString file = dir.filePath("M1.DBA");
    ASSERT_TRUE(WriteMeasurementFile(file, Record(2)).ok);
    seams.openName = file;
    form.Controls().N1->trigger();
    form.Controls().RichEdit1->setPlainText("Werkhalle Nord");
    seams.saveName = dir.filePath("bericht");
    form.Controls().BerichtPdf1->trigger();
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
    SetRecord(form, form.Document().Record());
    form.ShowTime();
    form.Controls().BerichtPdf1->trigger();
    EXPECT_TRUE(PdfText(pdf).contains("Dateidatum: nicht gespeichert"));
}

// Tick labels of the form 2.x: a time axis zoomed in to 2 .. 3 s shows several, the whole 10 s
// axis (ticks 0, 2, 4, ...) none.
static int ZoomedTicks(const QString& pdfText) {
    const QRegularExpression tick(QStringLiteral("^2\\.[0-9]$"));
    int n = 0;
    for (const QString& token : pdfText.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts))
        if (tick.match(token).hasMatch()) ++n;
    return n;
}

TEST_F(ReportWindowTest, TheReportsChartsShowTheTimesTheWindowShows) {
    SetRecord(form, Record(1));
    form.ShowTime();
    seams.saveName = dir.filePath("ganz.pdf");
    form.Controls().BerichtPdf1->trigger();
    const int whole = ZoomedTicks(PdfText(dir.filePath("ganz.pdf")));

    form.Controls().Chart1->xAxis->setRange(2, 3);
    form.Controls().Chart6->xAxis->setRange(2, 3);
    seams.saveName = dir.filePath("nah.pdf");
    form.Controls().BerichtPdf1->trigger();
    EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
    // Both charts' axes carry the zoomed ticks.
    const QString text = PdfText(dir.filePath("nah.pdf"));
    EXPECT_GE(ZoomedTicks(text), whole + 2 * 4) << text.toStdString();
}

TEST_F(ReportWindowTest, PrintGoesThroughThePreviewToTheChosenPrinter) {
    SetRecord(form, Record(7));
    NameMeasurement(form, "G.DBA");
    form.ShowTime();
    seams.previewPdf = dir.filePath("gedruckt.pdf");
    form.Controls().BerichtDrucken1->trigger();
    EXPECT_EQ(seams.previews, 1);
    EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
    const PdfFacts facts = ReadPdf(seams.previewPdf);
    EXPECT_FALSE(facts.landscape());
    EXPECT_GE(facts.pages, 1);
    EXPECT_TRUE(PdfText(seams.previewPdf).contains("Datei: G.DBA"));

    // Cancelled: nothing printed, nothing shown.
    seams.previewPdf.clear();
    form.Controls().BerichtDrucken1->trigger();
    EXPECT_EQ(seams.previews, 2);
    EXPECT_TRUE(seams.stops.isEmpty());
}

// The head is edited on "&Einstellungen", kept in KV.INI, and shown by the next start.
class ReportHeadWindowTest : public ReportTest {
protected:
    QTemporaryDir config;
    QByteArray oldConfig = qgetenv("KELVARN_CONFIG_DIR");
    ReportHeadWindowTest() { qputenv("KELVARN_CONFIG_DIR", config.path().toLocal8Bit()); }
    ~ReportHeadWindowTest() override { qputenv("KELVARN_CONFIG_DIR", oldConfig); }
    FakeSeams seams;
};

TEST_F(ReportHeadWindowTest, WhatIsTypedIsStoredAtOnceAndGoesIntoTheReport) {
    QImage logo(40, 40, QImage::Format_RGB32);
    logo.fill(Qt::red);
    const QString logoFile = dir.filePath("firma.png");
    ASSERT_TRUE(logo.save(logoFile));
    {
        TForm1 form{&seams};
        ReportHeadBox* box = form.Controls().GroupBox3;
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->BerichtFirma->text().isEmpty());
        EXPECT_FALSE(box->BerichtUnterschrift->isChecked());
        EXPECT_EQ(box->parentWidget(), form.Controls().TabSheet13);

        box->BerichtFirma->setFocus();
        QTest::keyClicks(box->BerichtFirma, QStringLiteral("Messdienst "));
        box->BerichtFirma->insert(QStringLiteral("Süd"));  // typed as a desktop's input method does
        box->BerichtAnschrift->setPlainText(QStringLiteral("Am Markt 1\n\n80331 München\n"));
        seams.openName = logoFile;
        box->BerichtLogoButton->click();
        box->BerichtUnterschrift->click();

        // In the file at once, not only when the window closes.
        const ReportHead stored = ReadReportHead();
        EXPECT_EQ(stored.company, QStringLiteral("Messdienst Süd"));
        EXPECT_EQ(stored.address,
                  (QStringList{QStringLiteral("Am Markt 1"), QStringLiteral("80331 München")}));
        EXPECT_EQ(stored.logoFile, logoFile);
        EXPECT_TRUE(stored.signature);

        SetRecord(form, Record(7));
        NameMeasurement(form, "G.DBA");
        form.ShowTime();
        seams.saveName = dir.filePath("bericht.pdf");
        form.Controls().BerichtPdf1->trigger();
        EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
        const QString text = PdfText(seams.saveName);
        EXPECT_TRUE(text.contains(QStringLiteral("Messdienst Süd"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("80331 München")));
        EXPECT_TRUE(text.contains("Datum, Unterschrift"));
        EXPECT_EQ(ImagesIn(seams.saveName), 1);
    }
    TForm1 again{&seams};
    EXPECT_EQ(again.Controls().GroupBox3->BerichtFirma->text(), QStringLiteral("Messdienst Süd"));
    EXPECT_EQ(again.Controls().GroupBox3->BerichtAnschrift->toPlainText(),
              QStringLiteral("Am Markt 1\n80331 München"));
    EXPECT_EQ(again.Controls().GroupBox3->BerichtLogo->text(), logoFile);
    EXPECT_TRUE(again.Controls().GroupBox3->BerichtUnterschrift->isChecked());
}

TEST_F(ReportHeadWindowTest, AnUnreadableLogoStopsTheReportWithItsPath) {
    TForm1 form{&seams};
    form.Controls().GroupBox3->BerichtLogo->setText(dir.filePath("weg.png"));
    SetRecord(form, Record(1));
    form.ShowTime();  // a measurement shown: the report is offered
    seams.saveName = dir.filePath("bericht.pdf");
    form.Controls().BerichtPdf1->trigger();
    ASSERT_EQ(seams.stops.size(), 1);
    EXPECT_TRUE(seams.stops[0].contains(dir.filePath("weg.png"))) << seams.stops[0].toStdString();
    EXPECT_FALSE(QFile::exists(seams.saveName));
}

TEST_F(ReportHeadWindowTest, AFieldThatCannotBeStoredIsToldInTheStatusLine) {
    TForm1 form{&seams};
    // The settings folder is a file now: nothing can be written into it.
    QDir(config.path()).removeRecursively();
    QFile blocker(config.path());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    form.Controls().GroupBox3->BerichtFirma->setText("X");
    EXPECT_TRUE(form.StatusText().contains(QStringLiteral("kann nicht gespeichert werden")))
        << form.StatusText().toStdString();
    EXPECT_TRUE(form.StatusText().contains(SettingsFilePath()));
    QFile::remove(config.path());
}

// One measurement with a "Fremdgeräusch" marker, seen through every face: the window's
// "Kennwerte", kelvarn-cli's table, the CSV and JSON export and the report give the same
// figures, row for row, and every face finds the description the window finds.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "cli_support.h"
#include "data/ProgramTable.h"
#include "files/MeasurementFile.h"
#include "files/MeasurementWithRemarks.h"
#include "files/RichText.h"
#include "output_support.h"
#include "widgets/StringGrid.h"

using namespace kelvarn;

namespace {

// Program B, 60 ms: 30 s at 50 dB(A), then 30 s at 80 dB(A) (a lorry, marked as foreign noise),
// kept as "lauf.2.dba" with its description under the older name "lauf.RMK".
class FacesAgreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        MeasurementRecord rec;
        BuildHeader(rec, 2);
        for (int p = 1; p <= GetPoints(rec); ++p)
            rec.bytes[size_t(9 + p)] = uint8_t(LevelToSample(p <= 500 ? 50.0 : 80.0));
        ASSERT_TRUE(WriteMeasurementFile(file, rec).ok);
        MeasurementProtocol protocol;
        ProtocolMarker lorry;
        lorry.fromS = 30;
        lorry.toS = 60;
        lorry.text = "Lkw";
        protocol.markers = {lorry};
        ASSERT_TRUE(SaveMeasurementFiles(file, {nullptr, nullptr, &protocol}).ok);
        QFile remarks(dir.filePath("lauf.RMK"));
        ASSERT_TRUE(remarks.open(QIODevice::WriteOnly));
        remarks.write("Messung am Hoftor");
    }

    // The lines of a table as "cell;cell;...", without padding.
    static QStringList Rows(const TableText& t) {
        QStringList rows;
        for (int r = 0; r < t.Rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < t.Cols(); ++c) cells << t.Cell(c, r).trimmed();
            rows << cells.join(';');
        }
        return rows;
    }

    QTemporaryDir dir;
    const QString file = dir.filePath("lauf.2.dba");
};

}  // namespace

TEST_F(FacesAgreeTest, TheFiguresWithoutTheMarkedTimeAndTheDescriptionAreTheSameEverywhere) {
    FakeSeams seams;
    TForm1 form(&seams);
    form.OpenMeasurementFile(file);
    EXPECT_EQ(form.Controls().RichEdit1->toPlainText(), "Messung am Hoftor");
    const QStringList window = Rows(form.Controls().GridKennwerte->Table());
    ASSERT_EQ(window.size(), 3);
    EXPECT_TRUE(window[2].startsWith("1 ohne Fremdgeräusch;500;30.000;50.0;50.0;50.0"))
        << window[2].toStdString();

    // kelvarn-cli's table, under either of its names.
    for (const char* name : {"figuresTable", "GridKennwerte"}) {
        const test::CliRun table = test::RunKelvarnCli({"table", file, name});
        ASSERT_EQ(table.exitCode, 0) << table.err.toStdString();
        QStringList cli;
        for (const QString& line : QString::fromUtf8(table.out).split("\r\n", Qt::SkipEmptyParts)) {
            QStringList cells = line.split('\t');
            if (cells.last().isEmpty()) cells.removeLast();  // every cell ends with a tab
            for (QString& c : cells) c = c.trimmed();
            cli << cells.join(';');
        }
        EXPECT_EQ(cli, window);
    }

    // The CSV's figures, as the table's rows in its order (its separator is the comma here).
    const test::CliRun csv = test::RunKelvarnCli({"export", "--format", "csv", file});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    QStringList csvRows = QString::fromUtf8(csv.out).split("\r\n");
    csvRows.replaceInStrings(",", ";");
    const qsizetype at = csvRows.indexOf(window[0]);
    ASSERT_GE(at, 0) << csv.out.toStdString();
    EXPECT_EQ(csvRows.mid(at, 3), window);

    // The JSON beside each measurement's own figures.
    const test::CliRun json = test::RunKelvarnCli({"export", "--format", "json", file});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonObject m1 =
        QJsonDocument::fromJson(json.out).object()["measurements"].toArray()[0].toObject();
    EXPECT_EQ(m1["figures"].toObject()["lmax"].toDouble(), 80.0);
    const QJsonObject cut = m1["figures_without_foreign_noise"].toObject();
    EXPECT_EQ(cut["n"].toInt(), 500);
    EXPECT_EQ(cut["laeq"].toDouble(), 50.0);
    EXPECT_EQ(cut["lmax"].toDouble(), 50.0);

    // The report from the window and from kelvarn-cli: the same row (German, decimal commas),
    // and the description the window shows.
    seams.saveName = dir.filePath("fenster.pdf");
    form.BerichtPdf1Click();
    const QString cliPdf = dir.filePath("cli.pdf");
    const test::CliRun report = test::RunKelvarnCli({"report", file, cliPdf});
    ASSERT_EQ(report.exitCode, 0) << report.err.toStdString();
    for (const QString& pdf : {seams.saveName, cliPdf}) {
        SCOPED_TRACE(pdf.toStdString());
        const QString text = kelvarn::testing::PdfText(pdf).simplified();
        EXPECT_TRUE(text.contains("1 ohne Fremdgeräusch 500 30,000 50,0 50,0 50,0"))
            << text.toStdString();
        EXPECT_TRUE(text.contains("Messung am Hoftor"));
        // The row's name stands whole in its column, left of its count.
        const QString boxes = kelvarn::testing::RunTool("pdftotext", {"-bbox", pdf, "-"});
        const QRegularExpression row(
            "<word xMin=\"[\\d.]+\" yMin=\"[\\d.]+\" xMax=\"([\\d.]+)\" yMax=\"[\\d.]+\">"
            "Fremdgeräusch</word>\\s*<word xMin=\"([\\d.]+)\"[^>]*>500</word>");
        const QRegularExpressionMatch m = row.match(boxes);
        ASSERT_TRUE(m.hasMatch());
        EXPECT_LT(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
}

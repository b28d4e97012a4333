#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QMenuBar>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "output/ChartPrint.h"
#include "output/OutputCommands.h"
#include "output_support.h"
#include "widgets/Chart.h"

using namespace kelvarn;
using kelvarn::testing::PdfFacts;
using kelvarn::testing::PdfPrinters;
using kelvarn::testing::ReadPdf;

namespace {

constexpr double kPtPerMm = 72.0 / 25.4;

// Image sizes and resolutions on page 1 as pdfimages lists them.
struct PdfImage {
    QSize size;
    double ppiX = 0, ppiY = 0;
};

std::vector<PdfImage> ImagesOf(const QString& pdf) {
    std::vector<PdfImage> out;
    const QString list = kelvarn::testing::RunTool("pdfimages", {"-list", pdf});
    for (const QString& line : list.split('\n').mid(2)) {
        const QStringList f = line.simplified().split(' ');
        if (f.size() < 14 || f[2] != "image") continue;
        out.push_back({QSize(f[3].toInt(), f[4].toInt()), f[12].toDouble(), f[13].toDouble()});
    }
    return out;
}

class OutputPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        commands->UsePrinters(&printers);
        form.show();
    }
    void Trigger(const char* handler) {
        QAction* action = form.findChild<QAction*>(handler);
        ASSERT_NE(action, nullptr) << handler;
        QFile::remove(file);
        action->trigger();
    }
    QPageLayout::Orientation Orientation() const {
        return printers.printer.pageLayout().orientation();
    }

    QTemporaryDir dir;
    QString file = dir.filePath("druck.pdf");
    PdfPrinters printers{file};
    FakeSeams seams;
    TForm1 form{&seams};
    OutputCommands* commands = form.findChild<OutputCommands*>();
};

}  // namespace

TEST_F(OutputPrintTest, EveryChartPrintsOnOneLandscapePageNamedAfterIt) {
    const std::pair<const char*, TChart*> entries[] = {
        {"Drucken1", form.Controls().Chart1},     {"MenuItem13", form.Controls().Chart6},
        {"Drucken3", form.Controls().Chart2},     {"Drucken4", form.Controls().Chart3},
        {"Drucken5", form.Controls().Chart12Leq}, {"Drucken2", form.Controls().Chart4},
        {"MenuItem6", form.Controls().Chart5},
    };
    for (const auto& [handler, chart] : entries) {
        ASSERT_EQ(Orientation(), QPageLayout::Portrait);
        Trigger(handler);
        const PdfFacts pdf = ReadPdf(file);
        EXPECT_EQ(pdf.pages, 1) << handler;
        EXPECT_TRUE(pdf.landscape())
            << handler << " " << pdf.pageSize.width() << " x " << pdf.pageSize.height();
        EXPECT_EQ(pdf.title, chart->objectName()) << handler;
        EXPECT_EQ(printers.printer.docName(), chart->objectName());
        // Back to the orientation the printer had.
        EXPECT_EQ(Orientation(), QPageLayout::Portrait) << handler;
    }
    EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
}

TEST_F(OutputPrintTest, PrintingKeepsALandscapePrinterLandscape) {
    printers.printer.setPageOrientation(QPageLayout::Landscape);
    Trigger("Drucken3");
    EXPECT_TRUE(ReadPdf(file).landscape());
    EXPECT_EQ(Orientation(), QPageLayout::Landscape);
}

TEST_F(OutputPrintTest, LevelChartFillsThePageOthersKeepTheirShape) {
    // A square chart on screen stays square on paper; the level chart, also
    // square on screen, fills the landscape page inside its margins.
    form.Controls().Chart1->resize(400, 400);
    form.Controls().Chart2->resize(400, 400);
    const QRectF paint = [&] {
        printers.printer.setPageOrientation(QPageLayout::Landscape);
        const QRectF r = printers.printer.pageLayout().paintRect(QPageLayout::Point);
        printers.printer.setPageOrientation(QPageLayout::Portrait);
        return r;
    }();
    const double margin = kChartPageMarginMm * kPtPerMm;
    const QRectF inner = paint.adjusted(margin, margin, -margin, -margin);
    const double slack = 3.0;  // [pt] one pixel of the rendering and a little

    Trigger("Drucken1");
    const QRectF stretched = kelvarn::testing::InkedArea(file, dir.path());
    ASSERT_FALSE(stretched.isEmpty());
    EXPECT_TRUE(inner.adjusted(-slack, -slack, slack, slack).contains(stretched))
        << stretched.x() << "," << stretched.y() << " " << stretched.width() << "x"
        << stretched.height();
    EXPECT_GT(stretched.width(), 0.93 * inner.width());
    EXPECT_GT(stretched.height(), 0.88 * inner.height());

    Trigger("Drucken3");
    const QRectF own = kelvarn::testing::InkedArea(file, dir.path());
    ASSERT_FALSE(own.isEmpty());
    EXPECT_TRUE(inner.adjusted(-slack, -slack, slack, slack).contains(own));
    EXPECT_GT(own.height(), 0.88 * inner.height());
    EXPECT_NEAR(own.width() / own.height(), 1.0, 0.12);
}

TEST_F(OutputPrintTest, ChartTextComesOutAtTheSizeItHasOnScreen) {
    // The titles are set in 10 pt bold, the tick labels in 8 pt: on paper a
    // word of the title is about as high as 10 pt, whatever the printer's
    // resolution and whether the chart is stretched or keeps its shape.
    form.Controls().Chart1->resize(500, 350);
    form.Controls().Chart2->resize(300, 300);
    const int resolution = printers.printer.resolution();
    for (const auto& [handler, word] :
         {std::pair{"Drucken1", "Schallpegeldiagramm"}, std::pair{"Drucken3", "Verteilung"}}) {
        Trigger(handler);
        const QRectF box = kelvarn::testing::WordBox(file, word);
        ASSERT_FALSE(box.isEmpty()) << handler;
        EXPECT_GT(box.height(), 8.0) << handler;
        EXPECT_LT(box.height(), 16.0) << handler;
        EXPECT_EQ(printers.printer.resolution(), resolution);
    }
}

TEST_F(OutputPrintTest, APrinterErrorCancelsTheJobAndRestoresTheOrientation) {
    for (const auto start : {QPageLayout::Portrait, QPageLayout::Landscape}) {
        seams.stops.clear();
        const QString bad = dir.filePath("fehlt/druck.pdf");  // folder does not exist
        printers.printer.setOutputFileName(bad);
        printers.printer.setPageOrientation(start);
        form.findChild<QAction*>("Drucken1")->trigger();
        ASSERT_EQ(seams.stops.size(), 1);
        const QString& text = seams.stops.first();
        EXPECT_TRUE(text.startsWith("Datei \"" + bad + "\" kann nicht erstellt werden. "))
            << text.toStdString();
        EXPECT_TRUE(text.endsWith('.')) << text.toStdString();
        EXPECT_EQ(Orientation(), start);
        EXPECT_FALSE(QFile::exists(bad));
    }
    // The next print goes through again.
    printers.printer.setOutputFileName(file);
    seams.stops.clear();
    Trigger("Drucken1");
    EXPECT_EQ(ReadPdf(file).pages, 1);
    EXPECT_TRUE(seams.stops.isEmpty());
}

TEST_F(OutputPrintTest, WithoutADefaultPrinterEveryPrintSaysSo) {
    printers.installed = false;
    for (const char* handler : {"Drucken1", "MenuItem6", "Kopieren1", "BeschreibungDrucken1"}) {
        seams.stops.clear();
        Trigger(handler);
        EXPECT_EQ(seams.stops, QStringList{"Zur Zeit ist kein Standard-Drucker gewählt."})
            << handler;
        EXPECT_FALSE(QFile::exists(file));
    }
}

TEST_F(OutputPrintTest, WindowPrintsAtItsSizeOnScreenWithoutAJobNameOfItsOwn) {
    form.resize(640, 480);
    QApplication::processEvents();
    Trigger("Drucken1");  // leaves "Chart1" on the printer
    Trigger("Kopieren1");
    const PdfFacts pdf = ReadPdf(file);
    EXPECT_EQ(pdf.pages, 1);
    EXPECT_FALSE(pdf.landscape());  // orientation left as it is
    EXPECT_TRUE(pdf.title.isEmpty()) << pdf.title.toStdString();
    const auto images = ImagesOf(file);
    ASSERT_EQ(images.size(), 1u);
    const int menu = form.menuBar()->height();
    const double dpr = form.devicePixelRatioF();
    EXPECT_EQ(images[0].size, QSize(640 * dpr, (480 - menu) * dpr));
    // Same physical size as on screen: the image's pixels per inch on paper
    // are the screen's.
    EXPECT_NEAR(images[0].ppiX, form.logicalDpiX() * dpr, 1.0);
    EXPECT_NEAR(images[0].ppiY, form.logicalDpiY() * dpr, 1.0);
    EXPECT_TRUE(seams.stops.isEmpty());
}

TEST_F(OutputPrintTest, AWindowLargerThanThePageIsShrunkOntoIt) {
    printers.printer.setPageSize(QPageSize(QPageSize::A6));
    form.resize(800, 596);
    Trigger("Kopieren1");
    const auto images = ImagesOf(file);
    ASSERT_EQ(images.size(), 1u);
    const QSizeF page = printers.printer.pageLayout().paintRect(QPageLayout::Inch).size();
    EXPECT_LE(images[0].size.width() / images[0].ppiX, page.width() + 0.01);
    EXPECT_LE(images[0].size.height() / images[0].ppiY, page.height() + 0.01);
    EXPECT_NEAR(images[0].ppiX, images[0].ppiY, 1.0);  // shape kept
}

TEST_F(OutputPrintTest, DescriptionPrintsAsBeschreibungOverAsManyPagesAsItNeeds) {
    Trigger("BeschreibungDrucken1");
    PdfFacts pdf = ReadPdf(file);
    EXPECT_EQ(pdf.pages, 1);
    EXPECT_EQ(pdf.title, "Beschreibung");
    EXPECT_FALSE(pdf.landscape());
    EXPECT_TRUE(kelvarn::testing::PdfText(file).contains("Beschreibung"));
    // At the top left of the printable area, at its size on screen.
    const QRectF word = kelvarn::testing::WordBox(file, "Beschreibung");
    const QRectF paint = printers.printer.pageLayout().paintRect(QPageLayout::Point);
    const QFontInfo font(form.Controls().RichEdit1->document()->defaultFont());
    EXPECT_NEAR(word.height(), font.pointSizeF() * 1.16, 2.0);
    EXPECT_NEAR(word.left(), paint.left(), 8.0);
    EXPECT_NEAR(word.top(), paint.top(), 8.0);

    QStringList lines;
    for (int i = 1; i <= 150; ++i) lines << QString("Zeile %1 der Messung am Bahndamm").arg(i);
    form.Controls().RichEdit1->setPlainText(lines.join('\n'));
    const QSizeF fieldPageSize = form.Controls().RichEdit1->document()->pageSize();
    printers.printer.setPageOrientation(QPageLayout::Landscape);
    Trigger("BeschreibungDrucken1");
    pdf = ReadPdf(file);
    EXPECT_GE(pdf.pages, 2);
    EXPECT_TRUE(pdf.landscape());
    EXPECT_EQ(Orientation(), QPageLayout::Landscape);
    // Nothing lost at the page ends: every line is on paper, in order.
    const QString text = kelvarn::testing::PdfText(file);
    qsizetype at = 0;
    for (const QString& line : lines) {
        const qsizetype found = text.indexOf(line + '\n', at);
        ASSERT_GE(found, at) << line.toStdString();
        at = found + line.size();
    }
    // The field on screen keeps its own layout.
    EXPECT_EQ(form.Controls().RichEdit1->document()->pageSize(), fieldPageSize);
    EXPECT_TRUE(seams.stops.isEmpty());
}

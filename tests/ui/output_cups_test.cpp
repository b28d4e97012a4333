// Printing through a real print queue. Needs a CUPS server with a PDF
// printer as its default, as tests/cups/start-cups.sh sets one up; skipped
// when none is reachable.
#include <gtest/gtest.h>

#include <QAction>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QThread>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "output/OutputCommands.h"
#include "output/PrinterSource.h"
#include "output_support.h"

using namespace kelvarn;

namespace {

const char* const kSetUp =
    "no CUPS print queue reachable; run eval \"$(bash tests/cups/start-cups.sh)\" as root first";

// The desktop's default printer, kept by the test to look at afterwards.
class Queue : public PrinterSource {
public:
    explicit Queue(const QString& name) : printer(QPrinterInfo::printerInfo(name)) {}
    QPrinter* DefaultPrinter() override { return &printer; }
    QPrinter printer;
};

class OutputCupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        out = qEnvironmentVariable("KELVARN_CUPS_OUT");
        if (out.isEmpty() || QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << kSetUp;
    }

    QString out;
    FakeSeams seams;
};

}  // namespace

TEST_F(OutputCupsTest, AChartGoesThroughTheDefaultQueueAsOneLandscapePage) {
    TForm1 form{&seams};
    auto* commands = form.findChild<OutputCommands*>();
    SystemPrinterSource system;  // what the window uses, kept to look at it
    commands->UsePrinters(&system);
    QPrinter* printer = system.DefaultPrinter();
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer->outputFormat(), QPrinter::NativeFormat);
    printer->setPageOrientation(QPageLayout::Portrait);

    // cups-pdf names the file after the job.
    const QString pdf = QDir(out).filePath("Chart6.pdf");
    QFile::remove(pdf);
    form.show();
    form.findChild<QAction*>("MenuItem13")->trigger();
    EXPECT_TRUE(seams.stops.isEmpty()) << seams.stops.join('|').toStdString();
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Portrait);

    QDeadlineTimer deadline(30000);
    kelvarn::testing::PdfFacts facts;
    while (!deadline.hasExpired()) {
        if (QFile::exists(pdf) && (facts = kelvarn::testing::ReadPdf(pdf)).pages > 0) break;
        QThread::msleep(100);
    }
    ASSERT_TRUE(QFile::exists(pdf)) << "no job arrived in " << out.toStdString();
    EXPECT_EQ(facts.pages, 1);
    // The paper stays upright in the printer: a landscape job comes out
    // turned, its drawing running along the long side of the sheet.
    EXPECT_FALSE(facts.landscape());
    QTemporaryDir scratch;
    const QRectF inked = kelvarn::testing::InkedArea(pdf, scratch.path());
    EXPECT_GT(inked.height(), 1.3 * inked.width())
        << inked.width() << " x " << inked.height() << " pt";
}

TEST_F(OutputCupsTest, AQueueThatRefusesTheJobShowsTheServiceMessage) {
    if (QPrinterInfo::printerInfo("KelvarnRefuse").isNull())
        GTEST_SKIP() << "queue KelvarnRefuse missing; " << kSetUp;
    TForm1 form{&seams};
    Queue refusing("KelvarnRefuse");
    refusing.printer.setPageOrientation(QPageLayout::Portrait);
    form.findChild<OutputCommands*>()->UsePrinters(&refusing);
    form.findChild<QAction*>("Drucken1")->trigger();
    ASSERT_EQ(seams.stops.size(), 1);
    EXPECT_TRUE(seams.stops.first().contains("KelvarnRefuse")) << seams.stops.first().toStdString();
    EXPECT_TRUE(seams.stops.first().endsWith('.'));
    EXPECT_EQ(refusing.printer.pageLayout().orientation(), QPageLayout::Portrait);
}

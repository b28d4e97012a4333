#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QXmlStreamReader>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "output/ChartCopy.h"
#include "output/OutputCommands.h"
#include "output_support.h"
#include "widgets/Chart.h"
#include "widgets/StringGrid.h"

using namespace kelvarn;
using kelvarn::testing::BusyClipboard;

namespace {

QClipboard& Clipboard() {
    return *QGuiApplication::clipboard();
}

// Every text element of an SVG drawing, joined.
QString SvgTexts(const QByteArray& svg) {
    QXmlStreamReader xml(svg);
    QString texts;
    bool inText = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("text")) inText = true;
        if (xml.isEndElement() && xml.name() == QLatin1String("text")) inText = false;
        if (xml.isCharacters() && inText) texts += xml.text().toString() + QLatin1Char('|');
    }
    return xml.hasError() ? QStringLiteral("<invalid: %1>").arg(xml.errorString()) : texts;
}

bool HasPixelOf(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).rgb() == colour.rgb()) return true;
    return false;
}

TableText Table(std::initializer_list<std::initializer_list<const char*>> rows) {
    const int cols = int(rows.begin()->size());
    TableText t(cols, int(rows.size()));
    int r = 0;
    for (const auto& row : rows) {
        int c = 0;
        for (const char* cell : row) t.SetCell(c++, r, QString::fromUtf8(cell));
        ++r;
    }
    return t;
}

class OutputCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clipboard().clear();
        form.show();
    }
    void Trigger(const char* handler) {
        QAction* action = form.findChild<QAction*>(handler);
        ASSERT_NE(action, nullptr) << handler;
        action->trigger();
    }

    FakeSeams seams;
    TForm1 form{&seams};
    OutputCommands* commands = form.findChild<OutputCommands*>();
};

}  // namespace

TEST_F(OutputCopyTest, TableTextHasATabAfterEveryCellAndCrLfAfterEveryLine) {
    form.Controls().grid->SetTable(
        Table({{"L/dB(A)", "   n"}, {" 35,0", "  12"}, {"", "Häufigkeit"}}));
    Trigger("Kopierenalstext1");
    EXPECT_EQ(Clipboard().text(), "L/dB(A)\t   n\t\r\n 35,0\t  12\t\r\n\tHäufigkeit\t\r\n");
    EXPECT_EQ(Clipboard().text(), form.Controls().grid->Table().CopyText());
    EXPECT_TRUE(seams.stops.isEmpty());
}

TEST_F(OutputCopyTest, DistributionTableRightAfterStartUpIsTwoLinesOfTwoTabs) {
    Trigger("KopierenlasText1");
    EXPECT_EQ(Clipboard().text(), "\t\t\r\n\t\t\r\n");
}

TEST_F(OutputCopyTest, CopyingTwiceGivesTheSameText) {
    form.Controls().GridLeQ->SetTable(Table({{"t/min", "LeQ"}, {"1", " 50,5"}}));
    Trigger("MenuItem7");
    const QString first = Clipboard().text();
    Trigger("MenuItem7");
    EXPECT_EQ(Clipboard().text(), first);
    EXPECT_EQ(first, "t/min\tLeQ\t\r\n1\t 50,5\t\r\n");
}

TEST_F(OutputCopyTest, OneColumnAndEmptyTables) {
    struct Case {
        TableText table;
        QString text;
    };
    const Case cases[] = {
        {Table({{"a"}, {"b"}}), "a\t\r\nb\t\r\n"},
        {TableText(0, 0), ""},
        {TableText(3, 1), "\t\t\t\r\n"},
    };
    for (const Case& c : cases) {
        form.Controls().Grid12->SetTable(c.table);
        Trigger("KopierenalsText2");
        EXPECT_EQ(Clipboard().text(), c.text);
    }
}

TEST_F(OutputCopyTest, EveryTextEntryCopiesItsOwnTable) {
    const std::pair<const char*, StringGrid*> entries[] = {
        {"Kopierenalstext1", form.Controls().grid},
        {"MenuItem7", form.Controls().GridLeQ},
        {"KopierenlasText1", form.Controls().gridspek},
        {"KopierenalsText2", form.Controls().Grid12},
        {"Kopierenalstext4", form.Controls().Grid12Leq},
        {"KopierenalsText3", form.Controls().GridSpek12},
        {"StundenKopierenalsText", form.Controls().GridStunden},
        {"ZeitraeumeKopierenalsText", form.Controls().GridZeitraeume},
        {"MessungenKopierenalsText", form.Controls().GridMessungen},
    };
    for (const auto& [handler, grid] : entries) {
        TableText t(1, 1);
        t.SetCell(0, 0, grid->objectName());
        grid->SetTable(t);
    }
    for (const auto& [handler, grid] : entries) {
        Trigger(handler);
        EXPECT_EQ(Clipboard().text(), grid->objectName() + "\t\r\n") << handler;
    }
}

TEST_F(OutputCopyTest, SaveAsTextCannotBeChosen) {
    Clipboard().setText("vorher");
    EXPECT_FALSE(form.Controls().SpeichernalsText1->isEnabled());
    EXPECT_TRUE(form.Controls().grid->actions().contains(form.Controls().SpeichernalsText1));
    form.Controls().SpeichernalsText1->trigger();
    EXPECT_EQ(Clipboard().text(), "vorher");
    EXPECT_TRUE(seams.stops.isEmpty());
}

TEST_F(OutputCopyTest, BitmapIsTheChartAtItsSizeInItsOwnColours) {
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet4);
    form.Controls().PageControl2->setCurrentWidget(form.Controls().TabSheet6);
    QApplication::processEvents();
    SeriesData data;
    for (int i = 0; i < 50; ++i) data.Add(i * 0.1, 40 + i % 20);
    form.Controls().Chart1->SetPoints(0, data);
    form.Controls().Chart1->Rescale();
    ASSERT_GT(form.Controls().Chart1->width(), 100);
    Trigger("KopierenalsBitmap1");
    const QImage image = qvariant_cast<QImage>(Clipboard().mimeData()->imageData());
    EXPECT_EQ(image.size(), form.Controls().Chart1->size());
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::white));
    EXPECT_TRUE(HasPixelOf(image, form.Controls().Chart1->SeriesColor(0)));
}

TEST_F(OutputCopyTest, VectorDrawingIsSvgAndPdfBesideABitmap) {
    form.Controls().Chart6->resize(420, 300);
    Trigger("MenuItem12");
    const QMimeData* data = Clipboard().mimeData();
    ASSERT_TRUE(data->hasFormat(kSvgMime));
    const QByteArray svg = data->data(kSvgMime);
    QSvgRenderer renderer(svg);
    EXPECT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 420, 300));
    EXPECT_TRUE(SvgTexts(svg).contains("Äquivalenzpegeldiagramm")) << SvgTexts(svg).toStdString();
    EXPECT_TRUE(data->data(kPdfMime).startsWith("%PDF-"));
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(420, 300));
}

TEST_F(OutputCopyTest, EveryChartEntryCopiesItsOwnChart) {
    struct Entry {
        const char* bitmap;
        const char* vector;
        TChart* chart;
    };
    const Entry entries[] = {
        {"KopierenalsBitmap1", "KopierenalsVektorgrafik1", form.Controls().Chart1},
        {"MenuItem11", "MenuItem12", form.Controls().Chart6},
        {"KopierenalsBitmap2", "Kopierenalsvektorgrafik2", form.Controls().Chart2},
        {"KopierenalsBitmap4", "KopierenalsGrafik2", form.Controls().Chart3},
        {"KopierenalsBitmap5", "KopierenalsGrafik3", form.Controls().Chart12Leq},
        {"KopierenalsBitmap3", "KopierenalsGrafik1", form.Controls().Chart4},
        {"MenuItem3", "MenuItem4", form.Controls().Chart5},
    };
    QStringList vectorFormats;
    int n = 0;
    for (const Entry& e : entries) {
        const QSize size(300 + 10 * n, 200 + 7 * n);
        ++n;
        e.chart->resize(size);
        e.chart->SetTitle("Titel von " + e.chart->objectName());
        Trigger(e.bitmap);
        EXPECT_EQ(qvariant_cast<QImage>(Clipboard().mimeData()->imageData()).size(), size)
            << e.bitmap;
        Trigger(e.vector);
        const QMimeData* data = Clipboard().mimeData();
        EXPECT_TRUE(SvgTexts(data->data(kSvgMime)).contains(e.chart->Title())) << e.vector;
        // "Kopieren als Grafik" and "Kopieren als Vektorgrafik" give the same kind.
        if (vectorFormats.isEmpty()) vectorFormats = data->formats();
        EXPECT_EQ(data->formats(), vectorFormats) << e.vector;
    }
    EXPECT_TRUE(vectorFormats.contains(kSvgMime));
    EXPECT_TRUE(vectorFormats.contains(kPdfMime));
    EXPECT_TRUE(seams.stops.isEmpty());
}

TEST_F(OutputCopyTest, ABusyClipboardEndsTheCommandWithItsMessage) {
    BusyClipboard busy;
    commands->UseClipboard(&busy);
    Clipboard().setText("vorher");
    for (const char* handler : {"Kopierenalstext1", "KopierenalsBitmap2", "KopierenalsGrafik1"}) {
        seams.stops.clear();
        Trigger(handler);
        EXPECT_EQ(seams.stops, QStringList{"Zwischenablage kann nicht geöffnet werden."})
            << handler;
    }
    EXPECT_EQ(busy.refused, 3);
    EXPECT_EQ(Clipboard().text(), "vorher");
    // The user goes on: the next copy works once the clipboard is free.
    commands->UseClipboard(nullptr);
    Trigger("KopierenlasText1");
    EXPECT_EQ(Clipboard().text(), "\t\t\r\n\t\t\r\n");
}

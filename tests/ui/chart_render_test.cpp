#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <cmath>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "output/ChartRender.h"
#include "widgets/Chart.h"
#include "widgets/ChartMarks.h"
#include "widgets/ChartSetup.h"

using namespace kelvarn;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 420;

SeriesData Wave(int points, double xEnd, double level) {
    SeriesData d;
    for (int p = 0; p < points; ++p) {
        const double x = xEnd * p / points;
        d.Add(x, level + 15 * std::sin(p * 0.05) + (p % 7));
    }
    return d;
}

SeriesData Histogram(double from, int bars) {
    SeriesData d;
    for (int k = 0; k < bars; ++k) d.Add(from + 0.5 * k, 5 + (k * 37) % 40);
    return d;
}

QImage Render(TChart& chart) {
    return chart.toPixmap(kWidth, kHeight).toImage();
}

// Pixels of exactly this colour (8 bits a channel, as the image holds it).
int CountColour(const QImage& image, const QColor& colour) {
    const QRgb rgb = colour.rgb();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == rgb;
    return n;
}

class ChartRenderTest : public ::testing::Test {
protected:
    FakeSeams seams;
    TForm1 form{&seams};

    // Sample data in every big chart, as after an evaluation and a live run.
    void FillAll() {
        form.Controls().Chart4->SetPoints(0, Wave(600, 60, 55));
        form.Controls().Chart5->SetPoints(0, Histogram(40, 30));
        form.Controls().Chart5->Rescale();
        form.Controls().Chart1->SetBottomAxis("t/min", 0, 6);
        form.Controls().Chart1->SetPoints(0, Wave(3000, 6, 50));
        form.Controls().Chart1->SetPoints(12, Wave(40, 6, 70));
        form.Controls().Chart6->SetPoints(0, Wave(40, 6, 40));
        form.Controls().Chart6->SetPoints(1, Wave(40, 6, 60));
        form.Controls().Chart6->SetPoints(2, Wave(40, 6, 80));
        form.Controls().Chart6->Rescale();
        form.Controls().Chart2->SetPoints(0, Histogram(30, 40));
        form.Controls().Chart2->Rescale();
        for (int k = 0; k < 12; ++k) {
            SeriesData d;
            for (int p = 0; p < 500; ++p) d.Add(k + 0.5 + p / 500.0, 40 + 3 * k + (p % 5));
            form.Controls().Chart3->SetPoints(k, d);
        }
        for (int i = 0; i < 3; ++i)
            form.Controls().Chart12Leq->SetPoints(i, Wave(12, 12, 40 + 20 * i));
    }
};

TEST_F(ChartRenderTest, DepthViewRoundTripGivesTheFlatChartBackPixelForPixel) {
    FillAll();
    // Labels and coloured bars take part in the round trip as well.
    form.Controls().Werte->trigger();
    form.Controls().FarbigeBalken1->trigger();
    std::vector<QImage> flat;
    for (TChart* chart : form.BigCharts()) flat.push_back(Render(*chart));

    seams.ctrl = true;
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet4);
    for (size_t k = 0; k < flat.size(); ++k) {
        TChart* chart = form.BigCharts()[k];
        SCOPED_TRACE(chart->objectName().toStdString());
        EXPECT_TRUE(chart->DepthView());
        EXPECT_NE(Render(*chart), flat[k]);
    }
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet2);
    for (size_t k = 0; k < flat.size(); ++k) {
        TChart* chart = form.BigCharts()[k];
        SCOPED_TRACE(chart->objectName().toStdString());
        EXPECT_FALSE(chart->DepthView());
        EXPECT_EQ(Render(*chart), flat[k]);
    }
    // The small charts keep their flat view.
    for (TChart* small : form.Controls().Pegel) EXPECT_FALSE(small->DepthView());
}

TEST_F(ChartRenderTest, DepthViewDrawsRibbonsBlocksAndWalls) {
    FillAll();
    TChart& line = *form.Controls().Chart4;
    TChart& bars = *form.Controls().Chart2;
    const QColor lineColour = line.SeriesColor(0);
    const QColor barColour = bars.SeriesColor(0);
    const QImage flatLine = Render(line), flatBars = Render(bars);
    line.SetDepthView(true);
    bars.SetDepthView(true);
    const QImage deepLine = Render(line), deepBars = Render(bars);

    // Ribbon faces in the lighter and the darker shade of the series colour
    // (flat, a few smoothed edge pixels may happen to match).
    EXPECT_LT(CountColour(flatLine, lineColour.lighter(160)), 100);
    EXPECT_GT(CountColour(deepLine, lineColour.lighter(160)), 2000);
    EXPECT_LT(CountColour(flatLine, lineColour.darker(130)), 100);
    EXPECT_GT(CountColour(deepLine, lineColour.darker(130)), 500);
    // Blocks: lighter tops and darker sides.
    EXPECT_LT(CountColour(flatBars, barColour.lighter(140)), 100);
    EXPECT_GT(CountColour(deepBars, barColour.lighter(140)), 2000);
    EXPECT_LT(CountColour(flatBars, barColour.darker(140)), 100);
    EXPECT_GT(CountColour(deepBars, barColour.darker(140)), 2000);
    // The floor runs along the bottom axis, the back wall behind the front
    // plane; neither exists flat.
    const QRect front = line.axisRect()->rect();
    const int d = line.DepthPixels();
    ASSERT_GT(d, 0);
    // Off the grid lines: between two ticks.
    const QPoint onFloor(front.left() + front.width() * 37 / 100 + d / 2, front.bottom() - d / 2);
    const QPoint onBackWall(front.right() + d / 2, front.top() + front.height() / 3);
    EXPECT_EQ(deepLine.pixel(onFloor), qRgb(0xD4, 0xD4, 0xD4));
    EXPECT_NE(deepLine.pixel(onBackWall), qRgb(0xFF, 0xFF, 0xFF));
}

TEST_F(ChartRenderTest, LabelsStayInsideAndNeverOverlapOnALongRecord) {
    TChart& chart = *form.Controls().Chart1;
    chart.SetBottomAxis("t/h", 0, 24);
    chart.SetPoints(0, Wave(6000, 24, 50));
    SeriesData leq;
    for (int p = 0; p < 6000; ++p) leq.Add(24.0 * p / 6000, 52);
    chart.SetPoints(12, leq);
    form.Controls().Werte->trigger();
    // Only the part of the record inside the axis range gets labels.
    chart.xAxis->setRange(6, 12);
    Render(chart);

    const auto& boxes = chart.Marks()->LastBoxes();
    ASSERT_GT(boxes.size(), 10u);
    const QRectF inside = chart.axisRect()->rect();
    for (size_t a = 0; a < boxes.size(); ++a) {
        EXPECT_TRUE(inside.contains(boxes[a])) << a;
        for (size_t b = a + 1; b < boxes.size(); ++b)
            EXPECT_FALSE(boxes[a].intersects(boxes[b])) << a << " " << b;
    }
    // A label is far wider than the 0.08 px between two points.
    EXPECT_LT(boxes.size(), size_t(inside.width()));

    form.Controls().Werte->trigger();
    Render(chart);
    EXPECT_TRUE(chart.Marks()->LastBoxes().empty());
}

}  // namespace

// On paper the legend goes under the plot: in the plot's corner it hid the loudest measurement of
// a series and the last hours of a day's L01.
TEST(ChartLegendOnPaper, SitsUnderThePlotAndHidesNoCurve) {
    TChart chart(QStringLiteral("Chart6"), QStringLiteral("Äquivalenzpegeldiagramm"));
    SetUpLeqChart(chart);
    for (int i = 0; i < 3; ++i) chart.SetPoints(i, Wave(24, 24, 40 + 15 * i));
    chart.SetLegendVisible(true);
    Render(chart);
    ASSERT_TRUE(chart.legend->outerRect().intersects(chart.axisRect()->rect()))
        << "the default legend lies on the plot";

    PlaceLegendBelowPlot(chart);
    Render(chart);
    const QRect legend = chart.legend->outerRect();
    const QRect axes = chart.axisRect()->outerRect();  // plot, tick labels and axis captions
    EXPECT_GE(legend.top(), axes.bottom()) << "under the axis caption";
    EXPECT_TRUE(QRect(0, 0, kWidth, kHeight).contains(legend));
    EXPECT_LT(legend.height(), kHeight / 6) << "entries side by side";
    EXPECT_EQ(chart.legend->itemCount(), 3);
    // In the middle, not stretched across.
    EXPECT_NEAR(legend.center().x(), axes.center().x(), kWidth / 10);
    EXPECT_LT(legend.width(), kWidth / 2);
}

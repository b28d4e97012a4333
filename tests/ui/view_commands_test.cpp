#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <functional>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "widgets/Chart.h"

using namespace kelvarn;

namespace {

class ViewCommandsTest : public ::testing::Test {
protected:
    FakeSeams seams;
    TForm1 form{&seams};

    // A distribution as the evaluation leaves it: bars every 0.5 dB(A).
    void FillDistribution(double from, int bars) {
        SeriesData d;
        for (int k = 0; k < bars; ++k) d.Add(from + 0.5 * k, 10 + 7 * k);
        form.Chart2->SetPoints(0, d);
        form.Chart2->Rescale();
    }
};

TEST_F(ViewCommandsTest, EachSwitchFlipsItsStateAndMarkAndBackAgain) {
    struct Case {
        const char* entry;
        std::function<bool()> state;
        bool atStart;
    };
    const Case cases[] = {
        {"Legende1", [&] { return form.Chart1->LegendVisible(); }, false},
        {"Werte", [&] { return form.Chart1->SeriesMarks(1); }, false},
        {"MenuItem8", [&] { return form.Chart6->LegendVisible(); }, false},
        {"Legende2", [&] { return form.Chart12Leq->LegendVisible(); }, false},
        {"AutomatischeXSkalierung1", [&] { return form.Chart2->BottomAutoScale(); }, true},
        {"FarbigeBalken1", [&] { return form.Chart2->BarsMultiColour(0); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        auto* entry = form.findChild<QAction*>(c.entry);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(c.state(), c.atStart);
        EXPECT_EQ(entry->isChecked(), c.atStart);
        entry->trigger();
        EXPECT_EQ(c.state(), !c.atStart);
        EXPECT_EQ(entry->isChecked(), !c.atStart);
        entry->trigger();
        EXPECT_EQ(c.state(), c.atStart);
        EXPECT_EQ(entry->isChecked(), c.atStart);
    }
}

TEST_F(ViewCommandsTest, WerteSwitchesTheLabelsOfAllFifteenSeries) {
    ASSERT_EQ(form.Chart1->SeriesCount(), 15);
    form.WerteClick();
    for (int i = 0; i < 15; ++i) EXPECT_TRUE(form.Chart1->SeriesMarks(i)) << i;
    EXPECT_TRUE(form.Werte->isChecked());
    form.WerteClick();
    for (int i = 0; i < 15; ++i) EXPECT_FALSE(form.Chart1->SeriesMarks(i)) << i;
    EXPECT_FALSE(form.Werte->isChecked());
}

TEST_F(ViewCommandsTest, LegendListsTheSeriesThatAreShown) {
    form.Legende1->trigger();
    form.Chart1->toPixmap(500, 300);
    // One measurement: "Block 2" to "Block 12" are hidden.
    QStringList names;
    for (int k = 0; k < form.Chart1->legend->itemCount(); ++k)
        names << qobject_cast<QCPPlottableLegendItem*>(form.Chart1->legend->item(k))
                     ->plottable()
                     ->name();
    EXPECT_EQ(names, (QStringList{"Block 1", "LeQ", "L01", "L95"}));
}

TEST_F(ViewCommandsTest, FixedXAxisHoldsThroughNewDataUntilSwitchedBack) {
    FillDistribution(30, 21);  // 30 .. 40 dB(A)
    EXPECT_LT(form.Chart2->xAxis->range().upper, 50);

    form.AutomatischeXSkalierung1->trigger();
    EXPECT_EQ(form.Chart2->xAxis->range(), QCPRange(0, 110));
    EXPECT_FALSE(form.AutomatischeXSkalierung1->isChecked());
    FillDistribution(60, 5);  // a later evaluation keeps the user's axis
    EXPECT_EQ(form.Chart2->xAxis->range(), QCPRange(0, 110));

    form.AutomatischeXSkalierung1->trigger();
    EXPECT_TRUE(form.AutomatischeXSkalierung1->isChecked());
    EXPECT_GT(form.Chart2->xAxis->range().lower, 50);
    EXPECT_LT(form.Chart2->xAxis->range().upper, 70);
}

TEST_F(ViewCommandsTest, BunteBalkenGivesNeighboursDifferentColoursAndOneColourWhenOff) {
    FillDistribution(30, 20);
    TChart& chart = *form.Chart2;
    chart.resize(600, 400);
    auto barColours = [&] {
        const QImage image = chart.toPixmap(600, 400).toImage();
        std::vector<QColor> colours;
        for (int k = 0; k < chart.PointCount(0); ++k) {
            const double key = chart.Points(0).x[size_t(k)];
            const double value = chart.Points(0).y[size_t(k)];
            const QPointF mid = chart.Series(0)->coordsToPixels(key, value / 2);
            colours.push_back(image.pixelColor(mid.toPoint()));
        }
        return colours;
    };

    form.FarbigeBalken1Click();
    const auto coloured = barColours();
    for (size_t k = 1; k < coloured.size(); ++k)
        EXPECT_NE(coloured[k], coloured[k - 1]) << "bars " << k - 1 << " and " << k;

    form.FarbigeBalken1Click();
    for (const QColor& c : barColours()) EXPECT_EQ(c, QColor(0xFF, 0x00, 0x00));
}

}  // namespace

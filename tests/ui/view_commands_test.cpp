#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <functional>

#include "DocumentSupport.h"
#include "FakeSeams.h"
#include "app/TForm1.h"
#include "eval_records.h"
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
        form.Controls().Chart2->SetPoints(0, d);
        form.Controls().Chart2->Rescale();
    }
};

TEST_F(ViewCommandsTest, EachSwitchFlipsItsStateAndMarkAndBackAgain) {
    struct Case {
        const char* entry;
        std::function<bool()> state;
        bool atStart;
    };
    const Case cases[] = {
        {"Legende1", [&] { return form.Controls().Chart1->LegendVisible(); }, false},
        {"Werte", [&] { return form.Controls().Chart1->SeriesMarks(1); }, false},
        {"MenuItem8", [&] { return form.Controls().Chart6->LegendVisible(); }, false},
        {"Legende2", [&] { return form.Controls().Chart12Leq->LegendVisible(); }, false},
        {"AutomatischeXSkalierung1", [&] { return form.Controls().Chart2->BottomAutoScale(); },
         true},
        {"FarbigeBalken1", [&] { return form.Controls().Chart2->BarsMultiColour(0); }, false},
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
    ASSERT_EQ(form.Controls().Chart1->SeriesCount(), 15);
    form.Controls().Werte->trigger();
    for (int i = 0; i < 15; ++i) EXPECT_TRUE(form.Controls().Chart1->SeriesMarks(i)) << i;
    EXPECT_TRUE(form.Controls().Werte->isChecked());
    form.Controls().Werte->trigger();
    for (int i = 0; i < 15; ++i) EXPECT_FALSE(form.Controls().Chart1->SeriesMarks(i)) << i;
    EXPECT_FALSE(form.Controls().Werte->isChecked());
}

TEST_F(ViewCommandsTest, LegendListsTheSeriesThatAreShown) {
    form.Controls().Legende1->trigger();
    form.Controls().Chart1->toPixmap(500, 300);
    // One measurement: "Block 2" to "Block 12" are hidden.
    QStringList names;
    for (int k = 0; k < form.Controls().Chart1->legend->itemCount(); ++k)
        names << qobject_cast<QCPPlottableLegendItem*>(form.Controls().Chart1->legend->item(k))
                     ->plottable()
                     ->name();
    EXPECT_EQ(names, (QStringList{"Block 1", "LeQ", "L01", "L95"}));
}

TEST_F(ViewCommandsTest, FixedXAxisHoldsThroughNewDataUntilSwitchedBack) {
    FillDistribution(30, 21);  // 30 .. 40 dB(A)
    EXPECT_LT(form.Controls().Chart2->xAxis->range().upper, 50);

    form.Controls().AutomatischeXSkalierung1->trigger();
    EXPECT_EQ(form.Controls().Chart2->xAxis->range(), QCPRange(0, 110));
    EXPECT_FALSE(form.Controls().AutomatischeXSkalierung1->isChecked());
    FillDistribution(60, 5);  // a later evaluation keeps the user's axis
    EXPECT_EQ(form.Controls().Chart2->xAxis->range(), QCPRange(0, 110));

    form.Controls().AutomatischeXSkalierung1->trigger();
    EXPECT_TRUE(form.Controls().AutomatischeXSkalierung1->isChecked());
    EXPECT_GT(form.Controls().Chart2->xAxis->range().lower, 50);
    EXPECT_LT(form.Controls().Chart2->xAxis->range().upper, 70);
}

TEST_F(ViewCommandsTest, BunteBalkenGivesNeighboursDifferentColoursAndOneColourWhenOff) {
    FillDistribution(30, 20);
    TChart& chart = *form.Controls().Chart2;
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

    form.Controls().FarbigeBalken1->trigger();
    const auto coloured = barColours();
    for (size_t k = 1; k < coloured.size(); ++k)
        EXPECT_NE(coloured[k], coloured[k - 1]) << "bars " << k - 1 << " and " << k;

    form.Controls().FarbigeBalken1->trigger();
    for (const QColor& c : barColours()) EXPECT_EQ(c, QColor(0xFF, 0x00, 0x00));
}

}  // namespace

// ----- looking closer: zoom and pan of the time axis, and the read-out

namespace {

class ZoomTest : public ::testing::Test {
protected:
    FakeSeams seams;
    TForm1 form{&seams};

    // Shows the record of program row with fn's samples, and chart's tab.
    void Show(int row, const kelvarn::testing::SampleFn& fn, TChart* chart) {
        SetRecord(form, *kelvarn::testing::ProgramRecord(row, fn));
        form.ShowTime();
        form.resize(1000, 700);
        form.show();
        form.Controls().PageControl2->setCurrentWidget(chart->parentWidget()->parentWidget());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QApplication::setActiveWindow(&form);
        chart->replot();
    }
    static QPointF PixelOf(TChart* c, double key, double value) {
        return {c->xAxis->coordToPixel(key), c->yAxis->coordToPixel(value)};
    }
    static void Wheel(TChart* c, const QPointF& at, int delta) {
        QWheelEvent wheel(at, c->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(c, &wheel);
    }
    static void Drag(TChart* c, const QPointF& from, const QPointF& to) {
        QMouseEvent press(QEvent::MouseButtonPress, from, c->mapToGlobal(from), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(c, &press);
        QMouseEvent move(QEvent::MouseMove, to, c->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(c, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, to, c->mapToGlobal(to), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(c, &release);
    }
};

}  // namespace

TEST_F(ZoomTest, WheelDragKeysAndResetWorkOnTheTimeAxisOnly) {
    struct Case {
        int row;
        TChart* chart;
        QCPRange home;
    };
    const Case cases[] = {
        {1, form.Controls().Chart1, QCPRange(0, 10)},      // the level axis ends at Duration
        {6, form.Controls().Chart6, QCPRange(0, 24)},      // the LeQ curves of 24 h
        {7, form.Controls().Chart3, QCPRange(0, 13)},      // the overview
        {7, form.Controls().Chart12Leq, QCPRange(0, 13)},  // the LeQ overview
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chart->objectName().toStdString());
        Show(c.row, kelvarn::testing::Constant(150), c.chart);
        TChart* chart = c.chart;
        const QCPRange levels = chart->yAxis->range();
        ASSERT_EQ(chart->xAxis->range(), c.home);
        EXPECT_TRUE(chart->ViewIsDefault());

        // The wheel zooms in around the pointer: the time under it stays under it.
        const double at = c.home.lower + 0.3 * c.home.size();
        const QPointF pointer = PixelOf(chart, at, 50);
        Wheel(chart, pointer, 120);
        QCPRange view = chart->xAxis->range();
        EXPECT_LT(view.size(), c.home.size());
        EXPECT_NEAR(chart->xAxis->pixelToCoord(pointer.x()), at, c.home.size() * 1e-3);
        EXPECT_EQ(chart->yAxis->range(), levels);

        // A drag to the right shows earlier times, the width kept.
        Drag(chart, pointer, pointer + QPointF(40, 25));
        EXPECT_LT(chart->xAxis->range().lower, view.lower);
        EXPECT_NEAR(chart->xAxis->range().size(), view.size(), view.size() * 1e-9);
        EXPECT_EQ(chart->yAxis->range(), levels);

        // Keys on the focused chart: + halves, - doubles, 0 gives the default back.
        chart->setFocus();
        view = chart->xAxis->range();
        QTest::keyClick(chart, Qt::Key_Plus);
        EXPECT_NEAR(chart->xAxis->range().size(), view.size() / 2, 1e-9);
        QTest::keyClick(chart, Qt::Key_Minus);
        EXPECT_NEAR(chart->xAxis->range().size(), view.size(), 1e-9);
        QTest::keyClick(chart, Qt::Key_0);
        EXPECT_EQ(chart->xAxis->range(), c.home);

        // Neither zooming out nor dragging goes past the default view.
        for (int k = 0; k < 5; ++k) QTest::keyClick(chart, Qt::Key_Minus);
        EXPECT_EQ(chart->xAxis->range(), c.home);
        Wheel(chart, pointer, 120);
        Drag(chart, pointer, pointer + QPointF(600, 0));
        EXPECT_EQ(chart->xAxis->range().lower, c.home.lower);

        // A double click and the menu entry return to the default view.
        QTest::mouseDClick(chart, Qt::LeftButton, Qt::NoModifier, pointer.toPoint());
        EXPECT_EQ(chart->xAxis->range(), c.home);
        Wheel(chart, pointer, 240);
        ASSERT_FALSE(chart->ViewIsDefault());
        QAction* reset = nullptr;
        for (QAction* a : chart->actions())
            if (a->text() == QStringLiteral("Ansicht zurücksetzen")) reset = a;
        ASSERT_NE(reset, nullptr);
        reset->trigger();
        EXPECT_EQ(chart->xAxis->range(), c.home);

        // The next record is shown whole.
        Wheel(chart, pointer, 240);
        form.ShowTime();
        EXPECT_EQ(chart->xAxis->range(), c.home);
    }
}

TEST_F(ZoomTest, OtherChartsKeepTheirAxes) {
    Show(1, kelvarn::testing::Constant(150), form.Controls().Chart2);
    for (TChart* chart : {form.Controls().Chart2, form.Controls().Chart4, form.Controls().Chart5,
                          form.Controls().Pegel[0]}) {
        const QCPRange view = chart->xAxis->range();
        Wheel(chart, chart->rect().center(), 120);
        chart->setFocus();
        QTest::keyClick(chart, Qt::Key_Plus);
        EXPECT_EQ(chart->xAxis->range(), view) << chart->objectName().toStdString();
    }
}

TEST_F(ZoomTest, TheReadOutNamesTimeAndLevelOfTheNearestSample) {
    kelvarn::testing::GermanFormat();
    // Program A: sample p at 25 + (p - 1) % 40 / 2 dB(A), every 10 ms.
    Show(
        1, [](int, int p) { return uint8_t(100 + (p - 1) % 40); }, form.Controls().Chart1);
    TChart* c = form.Controls().Chart1;
    c->xAxis->setRange(2.0, 2.5);  // 50 samples over the chart's width
    c->replot();
    // Point 218 (t = 2.170 s) has the byte 100 + 217 % 40 = 117: 33.5 dB(A).
    EXPECT_EQ(c->ReadoutAt(PixelOf(c, 2.171, 33.5)), "Block 1: t = 2,170 s, L = 33,5 dB(A)");
    EXPECT_EQ(c->ReadoutAt(PixelOf(c, 2.171, 100)), "") << "far above the curve";

    // The tooltip follows the pointer.
    const QPointF over = PixelOf(c, 2.171, 33.5);
    QMouseEvent move(QEvent::MouseMove, over, c->mapToGlobal(over), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(c, &move);
    EXPECT_EQ(QToolTip::text(), "Block 1: t = 2,170 s, L = 33,5 dB(A)");

    // A LeQ step reads its value wherever the pointer is along it. Program F, first hour:
    // 45 and 55 dB(A) by turns, so L95 45.0, LeQ 52.4 and L01 55.0 lie apart.
    Show(
        6, [](int, int p) { return uint8_t(p > 250 ? 170
                                           : p % 2 ? 140
                                                   : 160); },
        form.Controls().Chart6);
    c = form.Controls().Chart6;
    c->replot();
    EXPECT_EQ(c->ReadoutAt(PixelOf(c, 0.5, 52.4)), "Leq: t = 0,500 h, L = 52,4 dB(A)");
    EXPECT_EQ(c->ReadoutAt(PixelOf(c, 0.9, 45)), "L95: t = 0,900 h, L = 45,0 dB(A)");
}

TEST_F(ZoomTest, TheOverviewReadOutNamesTheMeasurement) {
    kelvarn::testing::GermanFormat();
    // Program G: measurement m at 25 + m and 35 + m dB(A) by turns, so that its L95 (25 + m),
    // LeQ (32.4 + m) and L01 (35 + m) lie apart.
    Show(
        7, [](int m, int p) { return uint8_t((p % 2 ? 100 : 120) + 2 * m); },
        form.Controls().Chart3);
    TChart* c = form.Controls().Chart3;
    // Measurement 3, t = 4.56 s (point 229) lies at x = 2.5 + 0.456.
    EXPECT_EQ(c->ReadoutAt(PixelOf(c, 2.956, 28)), "Messung 3: t = 4,560 s, L = 28,0 dB(A)");

    form.Controls().PageControl2->setCurrentWidget(form.Controls().TabSheet15);
    c = form.Controls().Chart12Leq;
    c->replot();
    // Measurement 5's LeQ runs from x = 4.5 to 5.5; its ends touch its neighbours' steps.
    for (double x : {4.6, 5.0, 5.4})
        EXPECT_EQ(c->ReadoutAt(PixelOf(c, x, 37.4)), "Messung 5, LeQ: L = 37,4 dB(A)") << x;
    EXPECT_EQ(c->ReadoutAt(PixelOf(c, 5.0, 30)), "Messung 5, L95: L = 30,0 dB(A)");
}

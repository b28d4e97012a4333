#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLocale>
#include <QTabWidget>
#include <QTest>

#include "DocumentSupport.h"
#include "FakeSeams.h"
#include "app/TForm1.h"
#include "widgets/Chart.h"
#include "widgets/StringGrid.h"

using namespace kelvarn;

namespace {

MeasurementRecord Record(int row, int sample) {
    MeasurementRecord rec;
    BuildHeader(rec, row);
    const int total = std::min<int>(GetSampleTotal(rec), MeasurementRecord::kSampleBytes);
    for (int i = 0; i < total; ++i) rec.bytes[size_t(10 + i)] = uint8_t(sample);
    return rec;
}

class EvalWindowTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    bool TabVisible(QWidget* page) {
        return form.Controls().PageControl2->isTabVisible(
            form.Controls().PageControl2->indexOf(page));
    }
    FakeSeams seams;
    TForm1 form{&seams};
};

}  // namespace

TEST_F(EvalWindowTest, ProgramARecordFillsLevelChartTablesAndBringsTheTabToFront) {
    SetRecord(form, Record(1, 150));
    form.SetStatus(" OK.");
    form.ShowTime();
    EXPECT_EQ(form.Controls().PageControl1->currentWidget(), form.Controls().TabSheet4);
    EXPECT_EQ(form.Controls().PageControl2->currentWidget(), form.Controls().TabSheet6);
    EXPECT_EQ(form.StatusText(), " OK.");  // a tab brought forward by the program
    EXPECT_EQ(form.Controls().Chart1->PointCount(0), 1000);
    EXPECT_EQ(form.Controls().Chart1->xAxis->label(), "t/s");
    EXPECT_EQ(form.Controls().Chart1->xAxis->range(), QCPRange(0, 10));
    const SeriesData block1 = form.Controls().Chart1->Points(0);
    EXPECT_DOUBLE_EQ(block1.x.back(), 9.99);
    EXPECT_DOUBLE_EQ(block1.y.back(), 50.0);
    EXPECT_EQ(form.Controls().grid->RowCount(), 1001);
    EXPECT_EQ(form.Controls().grid->Cell(1, 1), " 50,0");
    EXPECT_EQ(form.Controls().gridspek->RowCount(), 2);
    EXPECT_EQ(form.Controls().gridspek->Cell(1, 1), "1000");
    EXPECT_EQ(form.Controls().Chart2->PointCount(0), 1);
    EXPECT_EQ(form.Controls().GridLeQ->Cell(1, 1), " 50,0");
    EXPECT_EQ(form.Controls().Chart1->PointCount(12), 0);  // LeqBox unticked
    EXPECT_TRUE(seams.notices.isEmpty());
}

TEST_F(EvalWindowTest, TwelveMeasurementsSwitchTheTabs) {
    SetRecord(form, Record(7, 140));
    form.ShowTime();
    for (QWidget* p :
         {form.Controls().TabSheet9, form.Controls().TabSheet15, form.Controls().TabSheet8})
        EXPECT_TRUE(TabVisible(p));
    for (QWidget* p :
         {form.Controls().TabSheet6, form.Controls().TabSheet3, form.Controls().TabSheet7})
        EXPECT_FALSE(TabVisible(p));
    EXPECT_EQ(form.Controls().PageControl2->currentWidget(), form.Controls().TabSheet9);
    EXPECT_EQ(form.Controls().Chart3->PointCount(11), 500);
    EXPECT_TRUE(form.Controls().Chart1->SeriesVisible(11));
    EXPECT_EQ(form.Controls().Pegel[4]->PointCount(0), 1);
    EXPECT_EQ(form.Controls().Chart12Leq->PointCount(0), 24);

    SetRecord(form, Record(2, 140));
    form.ShowTime();
    EXPECT_TRUE(TabVisible(form.Controls().TabSheet6));
    EXPECT_FALSE(TabVisible(form.Controls().TabSheet9));
    EXPECT_FALSE(form.Controls().Chart1->SeriesVisible(11));
    EXPECT_EQ(form.Controls().Chart3->PointCount(11), 0);
    EXPECT_EQ(form.Controls().Pegel[4]->PointCount(0), 0);
}

TEST_F(EvalWindowTest, LeqBoxesDrawAndRemoveTheirCurves) {
    // Before any record only the tick changes.
    form.Controls().LeqBox->click();
    EXPECT_TRUE(form.Controls().LeqBox->isChecked());
    EXPECT_EQ(form.Controls().Chart1->PointCount(12), 0);
    form.Controls().LeqBox->click();

    SetRecord(form, Record(2, 150));
    form.ShowTime();
    form.Controls().LeqBox->click();
    EXPECT_EQ(form.Controls().Chart1->PointCount(12), 12);  // six sections, two points each
    EXPECT_EQ(form.Controls().Chart6->PointCount(1), 12);
    form.Controls().LeqBox->click();
    EXPECT_EQ(form.Controls().Chart1->PointCount(12), 0);
    EXPECT_EQ(form.Controls().Chart6->PointCount(1), 12);  // only Chart1 loses its curves

    SetRecord(form, Record(8, 150));
    form.ShowTime();
    EXPECT_EQ(form.Controls().Chart3->PointCount(12), 0);
    form.Controls().Leq12Box->click();
    EXPECT_EQ(form.Controls().Chart3->PointCount(12), 24);
    form.Controls().Leq12Box->click();
    EXPECT_EQ(form.Controls().Chart3->PointCount(12), 0);
}

TEST_F(EvalWindowTest, DoubleClickOnASmallChartShowsThatMeasurement) {
    MeasurementRecord rec = Record(7, 100);
    for (int i = 0; i < 500; ++i) rec.bytes[size_t(10 + 2 * 500 + i)] = 120;  // measurement 3
    SetRecord(form, rec);
    form.ShowTime();
    QTest::mouseDClick(form.Controls().Pegel[2], Qt::LeftButton);
    EXPECT_EQ(form.Controls().Chart2->Title(), "3. Verteilung");
    EXPECT_EQ(form.Controls().gridspek->RowCount(), 2);
    EXPECT_EQ(form.Controls().gridspek->Cell(0, 1), " 35,0");
    EXPECT_EQ(form.Controls().gridspek->Cell(1, 0), "   n");
    EXPECT_EQ(form.Controls().PageControl2->currentWidget(), form.Controls().TabSheet7);
    // The next pass refills the distribution but keeps the title.
    form.ShowTime();
    EXPECT_EQ(form.Controls().Chart2->Title(), "3. Verteilung");
    EXPECT_EQ(form.Controls().gridspek->Cell(1, 0), "    n");
}

TEST_F(EvalWindowTest, DamagedRecordIsShownWithANotice) {
    MeasurementRecord rec = Record(4, 150);  // 6000 points ...
    rec.bytes[9] = 12;                       // ... twelve times: far beyond the record
    SetRecord(form, rec);
    form.ShowTime();
    ASSERT_EQ(seams.notices.size(), 1);
    EXPECT_FALSE(seams.notices[0].isEmpty());
    EXPECT_EQ(form.Controls().Chart1->PointCount(0), 6000);
}

// What a user walking the window ran into: axes, colours, column widths,
// window placement.
#include <gtest/gtest.h>

#include <QTest>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "widgets/Chart.h"

using namespace kelvarn;

namespace {

class MendsTest : public ::testing::Test {
protected:
    FakeSeams seams;
    TForm1 form{&seams};
};

}  // namespace

TEST_F(MendsTest, MeasurementAxesCountInWholeNumbers) {
    for (TChart* chart : {form.Chart3, form.Chart12Leq}) {
        for (int width : {200, 420, 900}) {
            chart->resize(width, 300);
            chart->replot();
            const QVector<double> ticks = chart->xAxis->tickVector();
            const QVector<QString> labels = chart->xAxis->tickVectorLabels();
            ASSERT_FALSE(ticks.isEmpty());
            for (int i = 0; i < ticks.size(); ++i) {
                EXPECT_EQ(ticks[i], std::round(ticks[i])) << chart->objectName().toStdString();
                EXPECT_FALSE(labels[i].contains(',') || labels[i].contains('.'))
                    << labels[i].toStdString();
            }
        }
    }
}

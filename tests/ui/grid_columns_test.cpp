#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLocale>
#include <QTabWidget>
#include <QTest>

#include "DocumentSupport.h"
#include "FakeSeams.h"
#include "app/TForm1.h"
#include "widgets/StringGrid.h"

using namespace kelvarn;

namespace {

// A record of program row r whose samples rise, so times and levels take
// their longest texts.
MeasurementRecord Rising(int row) {
    MeasurementRecord rec;
    BuildHeader(rec, row);
    const int total = std::min<int>(GetSampleTotal(rec), MeasurementRecord::kSampleBytes);
    for (int i = 0; i < total; ++i) rec.bytes[size_t(10 + i)] = uint8_t(60 + i % 150);
    return rec;
}

class GridColumnsTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    FakeSeams seams;
    TForm1 form{&seams};
};

// Every column of a grid shows its longest text in full; where whole asks
// for it, the last column also lies inside the grid's visible area at the
// window's first size (twelve level columns side by side scroll instead).
void ExpectReadable(TForm1& form, QWidget* sheet, StringGrid* g, bool whole) {
    form.Controls().PageControl2->setCurrentWidget(sheet);
    QTest::qWait(20);
    ASSERT_GT(g->ColCount(), 0);
    const QFontMetrics fm(g->font());
    for (int c = 0; c < g->ColCount(); ++c) {
        int widest = 0;
        QString longest;
        for (int r = 0; r < g->RowCount(); ++r) {
            const int w = fm.horizontalAdvance(g->Cell(c, r));
            if (w > widest) widest = w, longest = g->Cell(c, r);
        }
        EXPECT_GT(g->columnWidth(c), widest) << g->objectName().toStdString() << " column " << c
                                             << " cuts \"" << longest.toStdString() << "\"";
    }
    if (!whole) return;
    const int last = g->ColCount() - 1;
    EXPECT_LE(g->columnViewportPosition(last) + g->columnWidth(last), g->viewport()->width())
        << g->objectName().toStdString() << " hides its last column";
}

}  // namespace

TEST_P(GridColumnsTest, ColumnsFitTheirContentsAt800x596) {
    form.resize(800, 596);
    form.show();
    SetRecord(form, Rising(GetParam()));
    form.ShowTime();
    ExpectReadable(form, form.Controls().TabSheet6, form.Controls().grid, false);
    if (form.Controls().PageControl2->isTabVisible(
            form.Controls().PageControl2->indexOf(form.Controls().TabSheet15)))
        ExpectReadable(form, form.Controls().TabSheet15, form.Controls().Grid12Leq, true);
    else
        ExpectReadable(form, form.Controls().TabSheet3, form.Controls().GridLeQ, true);
}

// A (short times), F (6000 points, times above 100), G (twelve measurements).
INSTANTIATE_TEST_SUITE_P(Programs, GridColumnsTest, ::testing::Values(1, 6, 7));

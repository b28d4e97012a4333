#include <gtest/gtest.h>

#include "eval/Evaluation.h"
#include "eval/Figures.h"
#include "eval_records.h"

using namespace kelvarn;
using namespace kelvarn::testing;

namespace {

uint8_t Byte(double level) {
    return uint8_t(LevelToSample(level));
}

// A record of rows points at the 10 ms interval, one measurement, levels from fn.
std::unique_ptr<MeasurementRecord> OneRun(int points, const std::function<double(int)>& fn) {
    auto rec = std::make_unique<MeasurementRecord>();
    SetHeader(*rec, points, 1, 10, 1);
    for (int p = 1; p <= points; ++p) rec->bytes[size_t(9 + p)] = Byte(fn(p));
    return rec;
}

// The figures table row of a measurement (or "Gesamt") as its cells from "n" on.
QStringList Row(const TableText& t, int row) {
    QStringList cells;
    for (int c = 1; c < t.Cols(); ++c) cells << t.Cell(c, row);
    return cells;
}

}  // namespace

// Known answers, one row per record, in the columns n, Dauer, LAeq, Lmax, Lmin, L1 .. L99.
TEST(Figures, KnownAnswers) {
    struct Case {
        const char* what;
        std::unique_ptr<MeasurementRecord> rec;
        int row;  // table row to check
        QStringList cells;
    };
    std::vector<Case> cases;
    cases.push_back({"constant 50 dB(A), program A",
                     ProgramRecord(1, Constant(150)),
                     1,
                     {"1000", "10,000", " 50,0", " 50,0", " 50,0", " 50,0", " 50,0", " 50,0",
                      " 50,0", " 50,0", " 50,0", " 50,0"}});
    cases.push_back({"60 and 70 dB(A) in equal parts",
                     ProgramRecord(1, [](int, int p) { return Byte(p <= 500 ? 60 : 70); }),
                     1,
                     {"1000", "10,000", " 67,4", " 70,0", " 60,0", " 70,0", " 70,0", " 70,0",
                      " 70,0", " 60,0", " 60,0", " 60,0"}});
    // Ten different levels 25.5 .. 30.0: k = ceil(N n / 100) gives ranks 1, 1, 1, 5, 9, 10, 10
    // (rounding to the nearest rank would give 0 and 10 for L5 and L95).
    cases.push_back({"ten levels",
                     OneRun(10, [](int p) { return 25.0 + 0.5 * p; }),
                     1,
                     {"  10", "0,100", " 28,0", " 30,0", " 25,5", " 30,0", " 30,0", " 30,0",
                      " 28,0", " 26,0", " 25,5", " 25,5"}});
    cases.push_back({"one sample",
                     OneRun(1, [](int) { return 42.5; }),
                     1,
                     {"   1", "0,010", " 42,5", " 42,5", " 42,5", " 42,5", " 42,5", " 42,5",
                      " 42,5", " 42,5", " 42,5", " 42,5"}});
    cases.push_back({"no sample",
                     OneRun(0, [](int) { return 0.0; }),
                     1,
                     {"   0", "0,000", "", "", "", "", "", "", "", "", "", ""}});
    // Program G, measurement 5 at 25 dB(A), the others at 50 dB(A).
    const auto quietFifth = [](int m, int) { return Byte(m == 5 ? 25.0 : 50.0); };
    cases.push_back({"G, the quiet measurement",
                     ProgramRecord(7, quietFifth),
                     5,
                     {" 500", "10,000", " 25,0", " 25,0", " 25,0", " 25,0", " 25,0", " 25,0",
                      " 25,0", " 25,0", " 25,0", " 25,0"}});
    // 5500 samples at 50, 500 at 25: L90 is rank 5400 (50), L95 rank 5700 (25).
    cases.push_back({"G, Gesamt",
                     ProgramRecord(7, quietFifth),
                     13,
                     {"6000", "120,000", " 49,6", " 50,0", " 25,0", " 50,0", " 50,0", " 50,0",
                      " 50,0", " 50,0", " 25,0", " 25,0"}});
    // The trailing zero run of an early stop is no measured time; zeros inside stay levels.
    cases.push_back({"F stopped after 12 h at 58 dB(A)",
                     ProgramRecord(6, [](int, int p) { return Byte(p <= 3000 ? 58.0 : -25.0); }),
                     1,
                     {"3000", "12,000", " 58,0", " 58,0", " 58,0", " 58,0", " 58,0", " 58,0",
                      " 58,0", " 58,0", " 58,0", " 58,0"}});
    cases.push_back({"zeros inside, one level at the end",
                     OneRun(10, [](int p) { return p == 10 ? 50.0 : -25.0; }),
                     1,
                     {"  10", "0,100", " 40,0", " 50,0", "-25,0", " 50,0", " 50,0", " 50,0",
                      "-25,0", "-25,0", "-25,0", "-25,0"}});
    cases.push_back({"only zeros",
                     ProgramRecord(1, Constant(0)),
                     1,
                     {"   0", "0,000", "", "", "", "", "", "", "", "", "", ""}});
    // G stopped in measurement 3 after 100 samples: measurements 4 to 12 have no measured time.
    const auto stoppedG = [](int m, int p) {
        return Byte(m < 3 || (m == 3 && p <= 100) ? 50.0 : -25.0);
    };
    cases.push_back({"G stopped early, Gesamt",
                     ProgramRecord(7, stoppedG),
                     13,
                     {"1100", "22,000", " 50,0", " 50,0", " 50,0", " 50,0", " 50,0", " 50,0",
                      " 50,0", " 50,0", " 50,0", " 50,0"}});
    // 6000 points announced 12 times: measurement 1 whole, 136 samples of measurement 2.
    auto damaged = std::make_unique<MeasurementRecord>();
    SetHeader(*damaged, 6000, 1, 20, 12);
    for (int i = 10; i < MeasurementRecord::kSize; ++i) damaged->bytes[size_t(i)] = 150;
    cases.push_back({"damaged, measurement 2",
                     std::move(damaged),
                     2,
                     {" 136", "2,720", " 50,0", " 50,0", " 50,0", " 50,0", " 50,0", " 50,0",
                      " 50,0", " 50,0", " 50,0", " 50,0"}});

    const NumberFormat fmt = GermanFormat();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RecordFigures f = ComputeFigures(*c.rec);
        const TableText t = FiguresTable(f, fmt, ShowsTotal(f));
        EXPECT_EQ(Row(t, c.row), c.cells) << Row(t, c.row).join('|').toStdString();
        // The window shows the same table after the evaluation pass.
        EvalOptions opt;
        opt.fmt = fmt;
        EXPECT_EQ(EvaluateRecord(*c.rec, opt).figuresTable, t);
    }
}

TEST(Figures, RowsAndHeadings) {
    const NumberFormat fmt = GermanFormat();
    struct Case {
        const char* what;
        std::unique_ptr<MeasurementRecord> rec;
        int rows;  // heading row included
        QString last;
        QString duration;
    };
    std::vector<Case> cases;
    cases.push_back({"A", ProgramRecord(1, Constant(150)), 2, "1", "Dauer/s"});
    cases.push_back({"F", ProgramRecord(6, Constant(150)), 2, "1", "Dauer/h"});
    cases.push_back({"I", ProgramRecord(9, Constant(150)), 14, "Gesamt", "Dauer/min"});
    cases.push_back(
        {"start-up record", std::make_unique<MeasurementRecord>(), 1, "Messung", "Dauer/ms"});
    auto damaged = std::make_unique<MeasurementRecord>();
    SetHeader(*damaged, 6000, 1, 20, 12);
    cases.push_back({"damaged G", std::move(damaged), 4, "Gesamt", "Dauer/s"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RecordFigures f = ComputeFigures(*c.rec);
        const TableText t = FiguresTable(f, fmt, ShowsTotal(f));
        EXPECT_EQ(t.Cols(), 13);
        EXPECT_EQ(t.Rows(), c.rows);
        EXPECT_EQ(t.Cell(0, t.Rows() - 1), c.last);
        EXPECT_EQ(t.Cell(2, 0), c.duration);
        EXPECT_EQ(Row(t, 0), (QStringList{"n", c.duration, "LAeq", "Lmax", "Lmin", "L1", "L5",
                                          "L10", "L50", "L90", "L95", "L99"}));
    }
}

TEST(Figures, EmptyRunGivesNoLevels) {
    const LevelFigures f = FiguresOf(LevelCounts{}, 1.0);
    EXPECT_EQ(f.n, 0);
    EXPECT_FALSE(f.laeq || f.lmax || f.lmin);
    for (const auto& l : f.ln) EXPECT_FALSE(l);
}

TEST(Figures, LevelsAndTimesFollowTheEvaluation) {
    const auto rec = ProgramRecord(7, [](int m, int p) { return uint8_t(100 + m + p % 7); });
    const RecordFigures f = ComputeFigures(*rec);
    EvalOptions opt;
    const Evaluation ev = EvaluateRecord(*rec, opt);
    ASSERT_EQ(f.levels.size(), 12u);
    for (int m = 0; m < 12; ++m) EXPECT_EQ(f.levels[size_t(m)], ev.levelSeries[size_t(m)].y) << m;
    EXPECT_EQ(f.times, ev.levelSeries[0].x);
    EXPECT_EQ(f.unit, "s");
}

TEST(Figures, MeasuredCountStopsAtTheLastNonZeroByte) {
    const uint8_t b[] = {0, 7, 0, 9, 0, 0, 0, 0};
    EXPECT_EQ(MeasuredCount(b, 8, 1), 4);
    EXPECT_EQ(MeasuredCount(b, 4, 2), 0);  // every second byte: 0 0 0 0
    EXPECT_EQ(MeasuredCount(b + 1, 4, 2), 2);
    EXPECT_EQ(MeasuredCount(b, 1, 1), 0);
    EXPECT_EQ(MeasuredCount(b, 0, 1), 0);
}

// The figures go on into spreadsheets and letters: their copy has no padding blanks and no tab
// at a line's end; the grids of the evaluation keep their classic copy.
TEST(Figures, TableCopiesWithoutPaddingOrTrailingTabs) {
    TableText t(2, 2);
    t.SetCell(0, 0, " 1.0");
    t.SetCell(1, 0, "a");
    t.SetCell(1, 1, " x ");
    EXPECT_EQ(t.CopyText(), " 1.0\ta\t\r\n\t x \t\r\n");
    t.SetPlainCopy(true);
    EXPECT_EQ(t.CopyText(), "1.0\ta\r\n\tx\r\n");

    const RecordFigures f = ComputeFigures(*ProgramRecord(1, Constant(150)));
    EXPECT_EQ(FiguresTable(f, GermanFormat(), false).CopyText(),
              "Messung\tn\tDauer/s\tLAeq\tLmax\tLmin\tL1\tL5\tL10\tL50\tL90\tL95\tL99\r\n"
              "1\t1000\t10,000\t50,0\t50,0\t50,0\t50,0\t50,0\t50,0\t50,0\t50,0\t50,0\t50,0\r\n");
}

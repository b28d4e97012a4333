// Known answers of the assessment. The expected values were computed apart from this code (by
// hand and with Python's zoneinfo for the local hours); every time is in an explicit zone, so
// the machine's zone does not matter.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <functional>

#include "eval/Assessment.h"
#include "eval/AssessmentSetup.h"
#include "eval/AssessmentText.h"
#include "eval/AssessmentView.h"
#include "eval/Figures.h"
#include "eval_records.h"

using namespace kelvarn;

namespace {

const QTimeZone& Berlin() {
    static const QTimeZone z("Europe/Berlin");
    return z;
}

QDateTime At(int y, int mo, int d, int h, int mi = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi), Berlin());
}

// A measurement of n samples at intervalS from start, levels from fn(k), k from 0.
AssessedMeasurement Measured(int number, const QDateTime& start, double intervalS, int n,
                             const std::function<double(int)>& fn) {
    AssessedMeasurement m;
    m.number = number;
    m.start = start;
    m.intervalS = intervalS;
    for (int k = 0; k < n; ++k) m.levels.push_back(fn(k));
    return m;
}

AssessmentInput One(AssessedMeasurement m) {
    AssessmentInput in;
    in.zone = Berlin();
    in.measurements.push_back(std::move(m));
    return in;
}

QStringList HourStarts(const Assessment& a) {
    QStringList out;
    for (const HourLevel& h : *a.hours) out << h.start.toString(Qt::ISODate);
    return out;
}

constexpr double kTol = 1e-9;

}  // namespace

// Program F for a whole day at a constant level: every figure is that level, Lden adds the
// evening and night weights.
TEST(Assessment, ConstantDay) {
    const Assessment a =
        Assess(One(Measured(1, At(2026, 6, 10, 0), 14.4, 6000, [](int) { return 50.0; })));
    ASSERT_EQ(a.measurements.size(), 1u);
    EXPECT_DOUBLE_EQ(a.measurements[0].level.coveredS, 86400);
    EXPECT_NEAR(*a.measurements[0].level.laeq, 50, kTol);
    EXPECT_EQ(a.measurements[0].end.toString(Qt::ISODate), "2026-06-11T00:00:00+02:00");
    ASSERT_TRUE(a.hours);
    ASSERT_EQ(a.hours->size(), 24u);
    for (const HourLevel& h : *a.hours) {
        EXPECT_DOUBLE_EQ(h.level.coveredS, 3600);
        EXPECT_NEAR(*h.level.laeq, 50, kTol);
    }
    const PeriodLevels& p = *a.periods;
    EXPECT_DOUBLE_EQ(p.tag.coveredS, 57600);
    EXPECT_DOUBLE_EQ(p.nacht.coveredS, 28800);
    EXPECT_DOUBLE_EQ(p.day.coveredS, 43200);
    EXPECT_DOUBLE_EQ(p.evening.coveredS, 14400);
    EXPECT_DOUBLE_EQ(p.night.coveredS, 28800);
    EXPECT_NEAR(*a.lden, 56.395243001318605, kTol);  // 10 lg((12e5 + 4e5.5 + 8e6) / 24)
    EXPECT_DOUBLE_EQ(a.ldenCoveredS, 86400);
    ASSERT_TRUE(a.loudestNightHour);  // all equal: the first
    EXPECT_EQ(a.loudestNightHour->start.toString(Qt::ISODate), "2026-06-10T00:00:00+02:00");
}

// 16 h at 60 dB(A) from 06:00, then 8 night hours at 50 dB(A) but 02:00-03:00 at 55 dB(A).
TEST(Assessment, DayAndNightLevels) {
    const auto level = [](int k) {
        const int hour = (6 + k / 250) % 24;  // 250 samples of 14.4 s per hour
        return hour >= 6 && hour < 22 ? 60.0 : hour == 2 ? 55.0 : 50.0;
    };
    const Assessment a = Assess(One(Measured(1, At(2026, 6, 10, 6), 14.4, 6000, level)));
    const PeriodLevels& p = *a.periods;
    EXPECT_NEAR(*p.tag.laeq, 60, kTol);
    EXPECT_NEAR(*p.day.laeq, 60, kTol);
    EXPECT_NEAR(*p.evening.laeq, 60, kTol);
    EXPECT_NEAR(*p.nacht.laeq, 51.03901069812562, kTol);  // 10 lg((7e5 + 1e5.5) / 8)
    EXPECT_NEAR(*p.night.laeq, 51.03901069812562, kTol);
    EXPECT_NEAR(*a.lden, 61.615101018648986, kTol);
    ASSERT_TRUE(a.loudestNightHour);
    EXPECT_EQ(a.loudestNightHour->start.toString(Qt::ISODate), "2026-06-11T02:00:00+02:00");
    EXPECT_NEAR(*a.loudestNightHour->level.laeq, 55, kTol);
    // The rating part offered for it: one hour of measurement 1 from 20 h on.
    const std::vector<RatingPart> parts = NightHourParts(
        One(Measured(1, At(2026, 6, 10, 6), 14.4, 6000, level)).measurements, *a.loudestNightHour);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_DOUBLE_EQ(*parts[0].range.fromS, 72000);
    EXPECT_DOUBLE_EQ(*parts[0].range.toS, 75600);
    EXPECT_DOUBLE_EQ(parts[0].tH, 1);
}

// A foreign-noise marker from 15 s to 25 s keeps half of the second and of the third sample.
TEST(Assessment, MarkerCutsSamplesByTime) {
    AssessedMeasurement m =
        Measured(1, At(2026, 6, 10, 12), 10, 3, [](int k) { return 60.0 + 10 * k; });
    m.leftOut = {{15, 25}};
    const Assessment a = Assess(One(m));
    const double expected = 74.4715803134222;  // 10 lg((10e6 + 5e7 + 5e8) / 20)
    EXPECT_DOUBLE_EQ(a.measurements[0].level.coveredS, 20);
    EXPECT_DOUBLE_EQ(a.measurements[0].leftOutS, 10);
    EXPECT_NEAR(*a.measurements[0].level.laeq, expected, kTol);
    ASSERT_EQ(a.hours->size(), 1u);
    EXPECT_DOUBLE_EQ((*a.hours)[0].level.coveredS, 20);
    EXPECT_NEAR(*(*a.hours)[0].level.laeq, expected, kTol);
    EXPECT_NEAR(*a.periods->tag.laeq, expected, kTol);

    // Overlapping markers count once; a marker over everything leaves no level, with a reason.
    m.leftOut = {{5, 20}, {10, 25}};
    EXPECT_DOUBLE_EQ(Assess(One(m)).measurements[0].level.coveredS, 10);
    m.leftOut = {{-5, 100}};
    const Assessment none = Assess(One(m));
    EXPECT_FALSE(none.measurements[0].level.laeq);
    EXPECT_FALSE(none.measurements[0].reason.isEmpty());
    ASSERT_EQ(none.hours->size(), 1u);  // the hour stays, without a level
    EXPECT_DOUBLE_EQ((*none.hours)[0].level.coveredS, 0);
    EXPECT_FALSE((*none.hours)[0].level.laeq);
}

// The days the clocks change in Europe/Berlin: 23 hours on 29 March 2026, 25 on 25 October
// 2026 with 02:00 twice. Level 40 + i dB(A) in the i-th hour of the measurement.
TEST(Assessment, SummerTimeChangeDays) {
    const auto perHour = [](int k) { return 40.0 + k / 60; };
    const Assessment spring = Assess(One(Measured(1, At(2026, 3, 29, 0), 60, 23 * 60, perHour)));
    const QStringList s = HourStarts(spring);
    ASSERT_EQ(s.size(), 23);
    EXPECT_EQ(s[0], "2026-03-29T00:00:00+01:00");
    EXPECT_EQ(s[1], "2026-03-29T01:00:00+01:00");
    EXPECT_EQ(s[2], "2026-03-29T03:00:00+02:00");
    EXPECT_EQ(s[22], "2026-03-29T23:00:00+02:00");
    EXPECT_NEAR(*(*spring.hours)[2].level.laeq, 42, kTol);
    EXPECT_DOUBLE_EQ(spring.periods->tag.coveredS, 16 * 3600);
    EXPECT_DOUBLE_EQ(spring.periods->nacht.coveredS, 7 * 3600);
    EXPECT_NEAR(*spring.periods->tag.laeq, 54.716570084349556, kTol);
    EXPECT_NEAR(*spring.periods->nacht.laeq, 56.21373387997433, kTol);
    EXPECT_NEAR(*spring.periods->day.laeq, 51.793392945493714, kTol);
    EXPECT_NEAR(*spring.periods->evening.laeq, 58.642845025102446, kTol);
    EXPECT_NEAR(*spring.lden, 62.683732986851396, kTol);

    const Assessment autumn = Assess(One(Measured(1, At(2026, 10, 25, 0), 60, 25 * 60, perHour)));
    const QStringList f = HourStarts(autumn);
    ASSERT_EQ(f.size(), 25);
    EXPECT_EQ(f[2], "2026-10-25T02:00:00+02:00");
    EXPECT_EQ(f[3], "2026-10-25T02:00:00+01:00");
    EXPECT_EQ(f[24], "2026-10-25T23:00:00+01:00");
    EXPECT_NEAR(*(*autumn.hours)[3].level.laeq, 43, kTol);
    EXPECT_DOUBLE_EQ(autumn.periods->nacht.coveredS, 9 * 3600);
    EXPECT_NEAR(*autumn.periods->tag.laeq, 56.716570084349556, kTol);
    EXPECT_NEAR(*autumn.periods->nacht.laeq, 57.14338321991995, kTol);
    EXPECT_EQ(autumn.loudestNightHour->start.toString(Qt::ISODate), "2026-10-25T23:00:00+01:00");
}

// A program F record taken over after 12 h at 58 dB(A): the zeros after it are no time.
TEST(Assessment, EarlyStoppedRecord) {
    auto rec =
        kelvarn::testing::ProgramRecord(6, [](int, int p) { return uint8_t(p <= 3000 ? 166 : 0); });
    std::vector<AssessedMeasurement> ms = AssessedMeasurements(ComputeFigures(*rec), 14.4);
    ASSERT_EQ(ms.size(), 1u);
    ms[0].start = At(2026, 6, 10, 10, 30);
    AssessmentInput in;
    in.zone = Berlin();
    in.measurements = ms;
    const Assessment a = Assess(in);
    EXPECT_DOUBLE_EQ(a.measurements[0].level.coveredS, 43200);
    EXPECT_NEAR(*a.measurements[0].level.laeq, 58, kTol);
    EXPECT_EQ(a.measurements[0].end.toString(Qt::ISODate), "2026-06-10T22:30:00+02:00");
    const QStringList h = HourStarts(a);
    ASSERT_EQ(h.size(), 13);
    EXPECT_EQ(h.front(), "2026-06-10T10:00:00+02:00");
    EXPECT_EQ(h.back(), "2026-06-10T22:00:00+02:00");
    EXPECT_DOUBLE_EQ(a.hours->front().level.coveredS, 1800);
    EXPECT_DOUBLE_EQ(a.periods->tag.coveredS, 41400);
    EXPECT_DOUBLE_EQ(a.periods->nacht.coveredS, 1800);
    EXPECT_NEAR(*a.lden, 64.3952430013186, kTol);  // all 58: 10 lg((12e5.8 + 4e6.3 + 8e6.8)/24)
    EXPECT_FALSE(a.loudestNightHour);
    EXPECT_FALSE(a.nightHourReason.isEmpty());

    // From 06:00 to 18:00 there is neither evening nor night: no Lden, and a reason for it.
    in.measurements[0].start = At(2026, 6, 10, 6);
    const Assessment day = Assess(in);
    EXPECT_FALSE(day.lden);
    EXPECT_TRUE(day.ldenReason.contains("Abend")) << day.ldenReason.toStdString();
    EXPECT_DOUBLE_EQ(day.periods->nacht.coveredS, 0);
    EXPECT_FALSE(day.periods->nacht.laeq);
}

// Without a start time the time-of-day figures are not given, each with its reason; the
// measurement's own level is.
TEST(Assessment, NoStartTime) {
    AssessedMeasurement m = Measured(1, QDateTime(), 1, 100, [](int) { return 70.0; });
    const Assessment a = Assess(One(m));
    EXPECT_NEAR(*a.measurements[0].level.laeq, 70, kTol);
    EXPECT_FALSE(a.measurements[0].start.isValid());
    EXPECT_FALSE(a.hours);
    EXPECT_FALSE(a.periods);
    EXPECT_FALSE(a.lden);
    EXPECT_FALSE(a.loudestNightHour);
    for (const QString& r : {a.timeReason, a.ldenReason, a.nightHourReason})
        EXPECT_TRUE(r.contains("keine Startzeit")) << r.toStdString();
}

// LEX,8h of three tasks measured in three ranges of one measurement (90, 80, 70 dB(A) for
// 10 min each) with exposure times 1 h, 4 h, 3 h: 10 lg(1/8 1e9 + 4/8 1e8 + 3/8 1e7).
TEST(Assessment, DailyExposureWorkedExample) {
    AssessmentInput in =
        One(Measured(1, QDateTime(), 1, 1800, [](int k) { return 90.0 - 10 * (k / 600); }));
    in.tasks = {{{1, 0, 600}, 1}, {{1, 600, 1200}, 4}, {{1, 1200, std::nullopt}, 3}};
    const Assessment a = Assess(in);
    ASSERT_TRUE(a.exposure);
    ASSERT_TRUE(a.exposure->lex8h) << a.exposure->reason.toStdString();
    EXPECT_NEAR(*a.exposure->lex8h, 82.52246050473119, kTol);
    EXPECT_DOUBLE_EQ(*a.exposure->rounded, 82.5);
    EXPECT_TRUE(a.exposure->lowerAction);
    EXPECT_FALSE(a.exposure->upperAction);
    EXPECT_NEAR(*a.exposure->tasks[1].level.laeq, 80, kTol);
}

// The action values on the value rounded to 0.1 dB: the lower one exceeded above 80, the upper
// one reached from 85. A constant level L with Te gives L + 10 lg(Te / 8 h).
TEST(Assessment, ActionValuesAndReasons) {
    struct Case {
        double level, teH;
        double rounded;
        bool lower, upper;
    };
    const Case cases[] = {
        {80, 8, 80.0, false, false},
        {80, 8 * std::pow(10.0, 0.004), 80.0, false, false},  // 80.04
        {80, 8 * std::pow(10.0, 0.005), 80.1, true, false},   // 80.05 rounds up
        {85, 8 * std::pow(10.0, -0.006), 84.9, true, false},  // 84.94
        {85, 8 * std::pow(10.0, -0.005), 85.0, true, true},   // 84.95 rounds up
        {85, 8, 85.0, true, true},
    };
    for (const Case& c : cases) {
        AssessmentInput in = One(Measured(1, QDateTime(), 1, 10, [&](int) { return c.level; }));
        in.tasks = {{{1, std::nullopt, std::nullopt}, c.teH}};
        const ExposureResult e = *Assess(in).exposure;
        SCOPED_TRACE(c.rounded);
        ASSERT_TRUE(e.rounded);
        EXPECT_DOUBLE_EQ(*e.rounded, c.rounded);
        EXPECT_EQ(e.lowerAction, c.lower);
        EXPECT_EQ(e.upperAction, c.upper);
    }

    // A task without covered time, or with no measurement, gives no LEX,8h but the reason.
    AssessedMeasurement m = Measured(1, QDateTime(), 1, 100, [](int) { return 80.0; });
    m.leftOut = {{0, 50}};
    AssessmentInput in = One(m);
    const std::vector<std::pair<ExposureTask, QString>> bad = {
        {{{1, 10, 40}, 2}, "keine gemessene Zeit"},
        {{{2, std::nullopt, std::nullopt}, 2}, "keine Messung 2"},
        {{{1, 200, 300}, 2}, "außerhalb"},
        {{{1, 60, 50}, 2}, "leer"},
        {{{1, 60, 70}, 0}, "Einwirkzeit"},
    };
    for (const auto& [task, why] : bad) {
        in.tasks = {{{1, 50, 100}, 4}, task};
        const ExposureResult e = *Assess(in).exposure;
        EXPECT_FALSE(e.lex8h);
        EXPECT_TRUE(e.reason.startsWith("Tätigkeit 2") && e.reason.contains(why))
            << e.reason.toStdString();
    }
}

// Lr by day in an allgemeines Wohngebiet with every surcharge, Cmet 1.5 dB and the
// Messabschlag: parts of 58, 52 and 50 dB(A) for 4, 10 and 2 h,
//   10 lg[(4e0.1(58-1.5+3+2+6) + 10e0.1(52-1.5) + 2e0.1(50-1.5+6+6)) / 16] = 62.085...
TEST(Assessment, RatingLevelWorkedExample) {
    AssessmentInput in = One(Measured(1, At(2026, 6, 10, 6), 60, 180, [](int k) {
        return k < 60 ? 58.0 : k < 120 ? 52.0 : 50.0;
    }));
    TaLaermInput t;
    t.area = AreaType::Wa;
    t.period = RatingPeriod::Tag;
    t.cMetDb = 1.5;
    t.messabschlag = true;
    t.parts = {{{1, 0, 3600}, 4, 3, 2, true},
               {{1, 3600, 7200}, 10, 0, 0, false},
               {{1, 7200, std::nullopt}, 2, 6, 0, true}};
    in.taLaerm = t;
    const RatingResult r = *Assess(in).rating;
    ASSERT_TRUE(r.lr) << r.reason.toStdString();
    EXPECT_NEAR(*r.lr, 62.085036402168285, kTol);
    EXPECT_NEAR(*r.compared, 59.085036402168285, kTol);
    EXPECT_EQ(*r.rounded, 59);
    EXPECT_EQ(r.limit, 55);
    EXPECT_DOUBLE_EQ(r.trH, 16);
    EXPECT_TRUE(r.exceeded);
    EXPECT_EQ(r.verdict, "Immissionsrichtwert orientierend überschritten");
    EXPECT_DOUBLE_EQ(r.parts[0].krDb, 6);
    EXPECT_TRUE(r.warnings.isEmpty()) << r.warnings.join("; ").toStdString();
}

// Whole-dB rounding half away from zero on the compared value, the limit of each area, the
// surcharge KR only where it applies, and the warnings.
TEST(Assessment, RatingLevelRoundingLimitsAndWarnings) {
    struct Case {
        const char* what;
        double level;
        AreaType area;
        RatingPeriod period;
        double ktDb;
        bool kr;
        int rounded, limit;
        bool exceeded;
        const char* warning;  // part of a warning, or empty for none
    };
    const Case cases[] = {
        {"55.5 rounds up", 52.5, AreaType::Wa, RatingPeriod::Tag, 3, false, 56, 55, true, ""},
        {"54.5 rounds up to the limit", 54.5, AreaType::Wa, RatingPeriod::Tag, 0, false, 55, 55,
         false, ""},
        {"KR not in a Gewerbegebiet", 60, AreaType::Gewerbe, RatingPeriod::Tag, 0, true, 60, 65,
         false, "KR gilt nicht"},
        {"KR not at night", 40, AreaType::Wr, RatingPeriod::Nacht, 0, true, 40, 35, true,
         "KR gilt nur tags"},
        {"industrie", 70.5, AreaType::Industrie, RatingPeriod::Nacht, 0, false, 71, 70, true, ""},
        {"urban", 45, AreaType::Urban, RatingPeriod::Nacht, 0, false, 45, 45, false, ""},
        {"misch", 59, AreaType::Misch, RatingPeriod::Tag, 0, false, 59, 60, false, ""},
        {"kur", 40, AreaType::Kur, RatingPeriod::Tag, 0, true, 46, 45, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Day parts from 10:00, night parts from 23:00, one hour each.
        const QDateTime start = At(2026, 6, 10, c.period == RatingPeriod::Tag ? 10 : 23);
        AssessmentInput in = One(Measured(1, start, 60, 60, [&](int) { return c.level; }));
        TaLaermInput t;
        t.area = c.area;
        t.period = c.period;
        const double tr = c.period == RatingPeriod::Tag ? 16 : 1;
        t.parts = {{{1, std::nullopt, std::nullopt}, tr, c.ktDb, 0, c.kr}};
        in.taLaerm = t;
        const RatingResult r = *Assess(in).rating;
        ASSERT_TRUE(r.rounded) << r.reason.toStdString();
        EXPECT_EQ(*r.rounded, c.rounded);
        EXPECT_EQ(r.limit, c.limit);
        EXPECT_EQ(r.exceeded, c.exceeded);
        EXPECT_EQ(r.verdict, c.exceeded ? "Immissionsrichtwert orientierend überschritten"
                                        : "Immissionsrichtwert orientierend eingehalten");
        if (*c.warning)
            EXPECT_TRUE(r.warnings.join("; ").contains(c.warning))
                << r.warnings.join("; ").toStdString();
        else
            EXPECT_TRUE(r.warnings.isEmpty()) << r.warnings.join("; ").toStdString();
    }

    // A day part that lies at night, and more part time than the rating time: warned, still
    // computed; a KT of 4 dB, a negative Cmet and a part without time: no Lr, with the reason.
    AssessmentInput in = One(Measured(1, At(2026, 6, 10, 21), 60, 120, [](int) { return 50.0; }));
    TaLaermInput t;
    t.parts = {{{1, std::nullopt, std::nullopt}, 17, 0, 0, false}};
    in.taLaerm = t;
    const RatingResult warned = *Assess(in).rating;
    EXPECT_TRUE(warned.lr);
    EXPECT_TRUE(warned.warnings.join("; ").contains("außerhalb der Tageszeit"));
    EXPECT_TRUE(warned.warnings.join("; ").contains("übersteigt Tr = 16 h"));

    t.parts = {{{1, std::nullopt, std::nullopt}, 1, 4, 0, false}};
    in.taLaerm = t;
    EXPECT_TRUE(Assess(in).rating->reason.contains("KT"));
    t.parts = {{{1, std::nullopt, std::nullopt}, 1, 0, 0, false}};
    t.cMetDb = -1;
    in.taLaerm = t;
    EXPECT_TRUE(Assess(in).rating->reason.contains("Cmet"));
    t.cMetDb = 0;
    in.measurements[0].leftOut = {{0, 7200}};
    in.taLaerm = t;
    const RatingResult none = *Assess(in).rating;
    EXPECT_FALSE(none.lr);
    EXPECT_TRUE(none.reason.contains("Teilzeit 1")) << none.reason.toStdString();
}

TEST(Assessment, RestPeriods) {
    struct Case {
        QDateTime at;
        bool holiday, rest;
    };
    // 10 June 2026 is a Wednesday, 13 June a Saturday, 14 June a Sunday.
    const Case cases[] = {
        {At(2026, 6, 10, 6, 30), false, true},  {At(2026, 6, 10, 7), false, false},
        {At(2026, 6, 10, 20), false, true},     {At(2026, 6, 10, 21, 59), false, true},
        {At(2026, 6, 10, 22), false, false},    {At(2026, 6, 13, 13, 30), false, false},
        {At(2026, 6, 14, 13, 30), false, true}, {At(2026, 6, 14, 8, 59), false, true},
        {At(2026, 6, 14, 9), false, false},     {At(2026, 6, 10, 8), true, true},
        {At(2026, 6, 10, 5, 59), true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InRestPeriod(c.at, c.holiday), c.rest) << c.at.toString().toStdString();

    // A working day 05:30-07:30: one of its two hours lies in the rest period.
    const AssessedMeasurement m =
        Measured(1, At(2026, 6, 10, 5, 30), 60, 120, [](int) { return 50.0; });
    const auto share = RestPeriodShare(m, {1, std::nullopt, std::nullopt}, Berlin(), false);
    ASSERT_TRUE(share);
    EXPECT_DOUBLE_EQ(share->inRestS, 3600);
    EXPECT_DOUBLE_EQ(share->coveredS, 7200);
}

TEST(Assessment, RoundsHalfAwayFromZero) {
    struct Case {
        double v;
        int decimals;
        double expected;
    };
    const Case cases[] = {
        {55.5, 0, 56},    {54.49, 0, 54}, {-0.5, 0, -1},
        {80.05, 1, 80.1}, {80.04, 1, 80}, {55.49999999999999, 0, 56},
        {84.95, 1, 85},   {2.5, 0, 3},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(RoundHalfAway(c.v, c.decimals), c.expected) << c.v;
}

// The JSON form: null for every figure that cannot be computed, numbers that read back as the
// same doubles, times with their offset.
TEST(AssessmentText, Json) {
    const Assessment none = Assess(One(Measured(1, QDateTime(), 1, 10, [](int) { return 50.0; })));
    const QJsonObject n = QJsonDocument::fromJson(AssessmentJson("a.dba", none)).object();
    ASSERT_FALSE(n.isEmpty());
    for (const char* key : {"hours", "periods", "lden", "loudest_night_hour", "lex8h", "lr"})
        EXPECT_TRUE(n[key].isNull()) << key;
    const QJsonObject m0 = n["measurements"].toArray()[0].toObject();
    EXPECT_TRUE(m0["start"].isNull());
    EXPECT_EQ(m0["covered_s"].toDouble(), 10);

    AssessedMeasurement m =
        Measured(1, At(2026, 6, 10, 12), 10, 3, [](int k) { return 60.0 + 10 * k; });
    m.leftOut = {{15, 25}};
    AssessmentInput in = One(m);
    in.tasks = {{{1, std::nullopt, std::nullopt}, 8}};
    TaLaermInput t;
    t.parts = {{{1, std::nullopt, std::nullopt}, 16, 0, 0, false}};
    in.taLaerm = t;
    const Assessment a = Assess(in);
    const QJsonObject j = QJsonDocument::fromJson(AssessmentJson("a.dba", a)).object();
    ASSERT_FALSE(j.isEmpty());
    EXPECT_EQ(j["file"].toString(), "a.dba");
    const QJsonObject h0 = j["hours"].toArray()[0].toObject();
    EXPECT_EQ(h0["start"].toString(), "2026-06-10T12:00:00+02:00");
    EXPECT_EQ(h0["covered_s"].toDouble(), 20);
    EXPECT_EQ(h0["laeq"].toDouble(), *(*a.hours)[0].level.laeq);  // every bit kept
    EXPECT_TRUE(j["periods"].toObject()["nacht"].toObject()["laeq"].isNull());
    EXPECT_TRUE(j["lden"].isNull());
    EXPECT_TRUE(j["loudest_night_hour"].isNull());
    EXPECT_NEAR(j["lex8h"].toObject()["value"].toDouble(), 74.4715803134222, kTol);
    EXPECT_FALSE(j["lex8h"].toObject()["lower_action"].toBool(true));
    const QJsonObject lr = j["lr"].toObject();
    EXPECT_EQ(lr["rounded"].toInt(), 74);
    EXPECT_EQ(lr["limit"].toInt(), 55);
    EXPECT_TRUE(lr["exceeded"].toBool());
    EXPECT_EQ(j["measurements"].toArray()[0].toObject()["end"].toString(),
              "2026-06-10T12:00:30+02:00");
}

TEST(AssessmentText, Lines) {
    const NumberFormat de(QLatin1Char(','));
    RatingResult r;
    r.lr = 62.085036402168285;
    r.compared = 59.085036402168285;
    EXPECT_EQ(RatingValueText(r, true, de),
              "Lr = 62,1 dB(A); Vergleichswert nach Nr. 6.9 = 59,1 dB(A)");
    EXPECT_EQ(RatingValueText(r, false, de), "Lr = 62,1 dB(A)");
    // The repeated hour of 25 October 2026, 01:00 UTC.
    const QDateTime second = QDateTime::fromSecsSinceEpoch(1792890000, Berlin());
    EXPECT_EQ(LocalTimeText(second), "25.10.2026 02:00:00 +01:00");

    // Each result that cannot be computed says why, never a level of 0 or -25.
    const Assessment none = Assess(One(Measured(1, QDateTime(), 1, 10, [](int) { return 50.0; })));
    const QString text =
        AssessmentLines(none, One(Measured(1, QDateTime(), 1, 10, [](int) { return 50.0; })), de)
            .join('\n');
    EXPECT_TRUE(
        text.contains("Lden des Messzeitraums (orientierend): nicht berechnet: keine Startzeit"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("Lauteste Nachtstunde: nicht bestimmt: keine Startzeit"));
    EXPECT_FALSE(text.contains("-25"));
    EXPECT_TRUE(text.contains(IndicativeNote()));
}

// The protocol gives the assessment its starts, its foreign-noise markers and its stored
// inputs; an input that cannot be read is named and left out, the rest is still assessed.
TEST(AssessmentSetup, TakesStartsMarkersAndInputsFromTheProtocol) {
    auto rec =
        kelvarn::testing::ProgramRecord(6, [](int, int p) { return uint8_t(p <= 3000 ? 166 : 0); });
    MeasurementProtocol p;
    p.SetStart(1, At(2026, 6, 10, 10, 30), StartSource::kEingegeben);
    p.markers.push_back({1, 0, 3600, MarkerKind::kFremdgeraeusch, "Lkw", {}});
    p.markers.push_back({1, 3600, 7200, MarkerKind::kEreignis, "Tür", {}});
    p.workplace = WorkplaceInput{{{{1, std::nullopt, std::nullopt}, 8}}};
    TaLaermInput ta;
    ta.parts.push_back({{1, 7200.0, 10800.0}, 16, 3, 0, false});
    p.taLaerm = ta;

    const AssessmentSetup s = SetUpAssessment(*rec, p, Berlin());
    EXPECT_TRUE(s.problems.isEmpty()) << s.problems.join('\n').toStdString();
    ASSERT_EQ(s.input.measurements.size(), 1u);
    EXPECT_EQ(s.input.measurements[0].start, At(2026, 6, 10, 10, 30));
    ASSERT_EQ(s.input.measurements[0].leftOut.size(), 1u);  // the event is kept
    EXPECT_DOUBLE_EQ(s.input.measurements[0].leftOut[0].toS, 3600);
    ASSERT_EQ(s.input.tasks.size(), 1u);
    ASSERT_TRUE(s.input.taLaerm);
    EXPECT_EQ(s.input.taLaerm->parts.size(), 1u);

    const Assessment a = Assess(s.input);
    EXPECT_DOUBLE_EQ(a.measurements[0].level.coveredS, 43200 - 3600);
    ASSERT_TRUE(a.exposure && a.exposure->lex8h);
    EXPECT_NEAR(*a.exposure->lex8h, 58, kTol);
    ASSERT_TRUE(a.rating && a.rating->lr);
    EXPECT_NEAR(*a.rating->lr, 61, kTol);  // 58 + KT 3 over the whole rating time

    // Inputs of the file that could not be read (their problems are the file's to name): named
    // in the order read and left out.
    p.workplace.reset();
    p.taLaerm.reset();
    p.unreadInputs = {
        {kWorkplaceKey, QJsonValue(5), "workplace: kein Objekt"},
        {kTaLaermKey, QJsonObject{{"area", "mond"}}, "ta_laerm: unbekanntes Gebiet \"mond\""}};
    const AssessmentSetup bad = SetUpAssessment(*rec, p, Berlin());
    EXPECT_EQ(bad.problems,
              (QStringList{"workplace: kein Objekt", "ta_laerm: unbekanntes Gebiet \"mond\""}));
    EXPECT_TRUE(bad.input.tasks.empty());
    EXPECT_FALSE(bad.input.taLaerm);
    EXPECT_DOUBLE_EQ(Assess(bad.input).measurements[0].level.coveredS, 43200 - 3600);
}

// What the sub-tab and the report show of 21:30 to midnight with 22:00-22:30 left out:
// the tables' texts and the chart's day and night bars with the limit across them.
TEST(AssessmentView, TablesAndHourlyChart) {
    AssessmentInput in = One(Measured(1, At(2026, 6, 10, 21, 30), 60, 150, [](int k) {
        return k < 30 ? 60.0 : 50.0;  // 21:30-22:00 at 60, then 50
    }));
    in.measurements[0].leftOut.push_back({1800, 3600});  // 22:00-22:30
    const Assessment a = Assess(in);
    const NumberFormat comma(QLatin1Char(','));

    const TableText hours = HourTable(a, comma);
    ASSERT_EQ(hours.Rows(), 4);  // heading, 21, 22, 23
    EXPECT_EQ(hours.Cell(0, 1), "10.06.2026 21:00:00 +02:00");
    EXPECT_EQ(hours.Cell(1, 1), "Tag");
    EXPECT_EQ(hours.Cell(2, 1), "30,0");
    EXPECT_EQ(hours.Cell(3, 1), "60,0");
    EXPECT_EQ(hours.Cell(1, 2), "Nacht");
    EXPECT_EQ(hours.Cell(2, 2), "30,0");
    EXPECT_EQ(hours.Cell(3, 2), "50,0");

    const TableText periods = PeriodTable(a, comma);
    EXPECT_EQ(periods.Cell(0, 2), "Nacht 22–06 Uhr");
    EXPECT_EQ(periods.Cell(1, 2), "1,50");
    EXPECT_EQ(periods.Cell(2, 2), "50,0");
    EXPECT_EQ(periods.Cell(0, 3), "Lden-Tag 06–18 Uhr");
    EXPECT_EQ(periods.Cell(2, 3), "–");
    EXPECT_EQ(periods.Cell(0, 6), LdenName());
    EXPECT_EQ(periods.Cell(2, 6), "–");  // no time from 06 to 18
    EXPECT_FALSE(periods.Cell(3, 6).isEmpty());
    EXPECT_EQ(periods.Cell(2, 7), "50,0");  // 23:00 is the one whole night hour
    EXPECT_TRUE(periods.Cell(3, 7).contains("23:00:00"));

    const HourlyChartData chart = HourlyChart(a, 40);
    EXPECT_EQ(chart.labels, (std::vector<QString>{"21:00", "22:00", "23:00"}));
    EXPECT_EQ(chart.day.x, (std::vector<double>{0}));
    EXPECT_EQ(chart.night.x, (std::vector<double>{1, 2}));
    EXPECT_EQ(chart.night.y, (std::vector<double>{50, 50}));
    EXPECT_EQ(chart.limit.y, (std::vector<double>{40, 40}));
    EXPECT_EQ(chart.limit.x, (std::vector<double>{-0.5, 2.5}));
    EXPECT_TRUE(HourlyChart(a, std::nullopt).limit.Empty());

    // A measurement shorter than 0,01 h does not read as nothing measured.
    const Assessment brief = Assess(One(Measured(1, QDateTime(), 1, 10, [](int) { return 70.0; })));
    EXPECT_EQ(MeasurementLevelTable(brief, comma).Cell(3, 1), "0,0028");
    EXPECT_EQ(MeasurementLevelTable(a, comma).Cell(3, 1), "2,00");

    // Without a start time there are no hours; the periods say why.
    in.measurements[0].start = QDateTime();
    const Assessment none = Assess(in);
    EXPECT_EQ(HourTable(none, comma).Rows(), 1);
    EXPECT_EQ(PeriodTable(none, comma).Cell(3, 1), none.timeReason);
    EXPECT_TRUE(HourlyChart(none, 40).labels.empty());
}

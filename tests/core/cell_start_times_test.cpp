// Start times of measurements from what the PC knows: a timed upload, a read-out, a series
// filled back to back. The clock is a parameter; Europe/Berlin gives the days on which summer
// time starts (29.03.2026, 02:00 -> 03:00) and ends (25.10.2026, 03:00 -> 02:00).
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimeZone>

#include "cell/StartTimes.h"
#include "data/Protocol.h"

using namespace kelvarn;

namespace {

const QTimeZone& Berlin() {
    static const QTimeZone zone("Europe/Berlin");
    return zone;
}

// A wall-clock time in Berlin.
QDateTime Local(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Berlin());
}

// A time as the protocol file writes it.
QString Iso(const QDateTime& t) {
    return t.toString(Qt::ISODate);
}

}  // namespace

TEST(StartTimes, TimedUploadStartsAtTheNextMomentTheClockShowsTheTarget) {
    ASSERT_TRUE(Berlin().isValid());
    struct Row {
        const char* what;
        QDateTime now;
        QTime target;
        const char* start;
        bool tomorrow;
    };
    const Row rows[] = {
        {"later today", Local(2026, 12, 11, 10, 0, 0, 700), QTime(14, 0, 0),
         "2026-12-11T14:00:00+01:00", false},
        {"now", Local(2026, 12, 11, 14, 0, 0), QTime(14, 0, 0), "2026-12-11T14:00:00+01:00", false},
        {"16 s past", Local(2026, 12, 11, 14, 0, 16), QTime(14, 0, 0), "2026-12-12T14:00:00+01:00",
         true},
        {"past midnight", Local(2026, 12, 31, 23, 50, 0), QTime(0, 10, 0),
         "2027-01-01T00:10:00+01:00", true},
        {"summer time", Local(2026, 6, 10, 21, 0, 0), QTime(21, 37, 12),
         "2026-06-10T21:37:12+02:00", false},
        // The cell counts 2 h 30 min down; the clock has skipped an hour meanwhile.
        {"spring day", Local(2026, 3, 29, 1, 0, 0), QTime(3, 30, 0), "2026-03-29T04:30:00+02:00",
         false},
        {"spring day, target in the skipped hour", Local(2026, 3, 29, 1, 0, 0), QTime(2, 30, 0),
         "2026-03-29T03:30:00+02:00", false},
        {"eve of the spring day, tomorrow", Local(2026, 3, 28, 22, 0, 0), QTime(21, 0, 0),
         "2026-03-29T22:00:00+02:00", true},
        // 2 h 30 min from 01:00 summer time is 02:30 winter time, the second 02:30 of the day.
        {"autumn day", Local(2026, 10, 25, 1, 0, 0), QTime(3, 30, 0), "2026-10-25T02:30:00+01:00",
         false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const TimedStart t = NextTimedStart(r.now, r.target);
        EXPECT_EQ(Iso(t.start), r.start);
        EXPECT_EQ(t.tomorrow, r.tomorrow);
    }
}

TEST(StartTimes, TheUploadMessageNamesDateAndTimeAndSaysTomorrow) {
    EXPECT_EQ(TimedStartMessage(NextTimedStart(Local(2026, 12, 11, 10, 0, 0), QTime(14, 0, 0))),
              "Messbeginn am 11.12.2026 um 14:00:00");
    EXPECT_EQ(TimedStartMessage(NextTimedStart(Local(2026, 12, 11, 14, 0, 16), QTime(14, 0, 0))),
              "Messbeginn am 12.12.2026 um 14:00:00 (morgen: die Uhrzeit ist heute schon vorbei)");
}

TEST(StartTimes, EstimatedStartsAreTheLatestPossible) {
    struct Row {
        const char* what;
        QDateTime readOut;
        int intervalMs, points;
        std::vector<int> measured;
        std::vector<const char*> starts;
    };
    const Row rows[] = {
        {"F, 12 h measured",
         Local(2026, 6, 11, 10, 0, 0, 900),
         14400,
         6000,
         {3000},
         {"2026-06-10T22:00:00+02:00"}},
        {"F, 24 h over the autumn night",
         Local(2026, 10, 25, 8, 0, 0),
         14400,
         6000,
         {6000},
         {"2026-10-24T09:00:00+02:00"}},
        {"F, 12 h back over the spring change",
         Local(2026, 3, 29, 12, 0, 0),
         14400,
         6000,
         {3000},
         {"2026-03-28T23:00:00+01:00"}},
        {"G stopped in measurement 3",
         Local(2026, 6, 10, 12, 0, 0),
         20,
         500,
         {500, 500, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         {"2026-06-10T11:59:38+02:00", "2026-06-10T11:59:48+02:00", "2026-06-10T11:59:58+02:00"}},
        {"nothing measured", Local(2026, 6, 10, 12, 0, 0), 20, 500, {0, 0}, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::vector<QDateTime> starts =
            EstimatedStarts(r.readOut, r.intervalMs, r.points, r.measured);
        ASSERT_EQ(starts.size(), r.starts.size());
        for (size_t i = 0; i < starts.size(); ++i) EXPECT_EQ(Iso(starts[i]), r.starts[i]);
    }
}

TEST(StartTimes, SeriesFillBackToBackAcrossTheAutumnChange) {
    MeasurementProtocol p;
    // Program I: twelve measurements of 10 min, the first at the first 02:30 of the day.
    const QDateTime first = QDateTime::fromString("2026-10-25T02:30:00+02:00", Qt::ISODate);
    p.SetStart(1, first, StartSource::kEingegeben);
    p.SetStart(5, QDateTime::fromString("2000-01-01T00:00:00+01:00", Qt::ISODate),
               StartSource::kGeschaetzt);
    FillBackToBack(p, 1, 12, 600.0, Berlin());
    ASSERT_EQ(p.starts.size(), 12u);
    EXPECT_EQ(Iso(p.StartOf(1)->start), "2026-10-25T02:30:00+02:00");
    EXPECT_EQ(Iso(p.StartOf(2)->start), "2026-10-25T02:40:00+02:00");
    EXPECT_EQ(Iso(p.StartOf(4)->start), "2026-10-25T02:00:00+01:00");
    EXPECT_EQ(Iso(p.StartOf(12)->start), "2026-10-25T03:20:00+01:00");
    EXPECT_EQ(p.StartOf(5)->source, StartSource::kEingegeben);
    // Filling from a later one keeps the earlier ones.
    MeasurementProtocol q;
    q.SetStart(1, first, StartSource::kPcStart);
    q.SetStart(3, Local(2026, 3, 29, 1, 50, 0), StartSource::kEingegeben);
    FillBackToBack(q, 3, 5, 600.0, Berlin());
    EXPECT_EQ(q.StartOf(1)->source, StartSource::kPcStart);
    EXPECT_EQ(Iso(q.StartOf(4)->start), "2026-03-29T03:00:00+02:00");
    EXPECT_EQ(q.starts.size(), 4u);
    // Without a start nothing is filled.
    MeasurementProtocol none;
    FillBackToBack(none, 1, 12, 600.0, Berlin());
    EXPECT_TRUE(none.starts.empty());
}

TEST(StartTimes, TextsShowSpaetestensForAnEstimate) {
    ProtocolStart s;
    s.start = QDateTime::fromString("2026-06-10T21:37:12+02:00", Qt::ISODate);
    s.source = StartSource::kGeschaetzt;
    EXPECT_EQ(StartText(s), "spätestens 10.06.2026 21:37:12");
    s.source = StartSource::kPcStart;
    EXPECT_EQ(StartText(s), "10.06.2026 21:37:12");
    EXPECT_EQ(StartText(ProtocolStart{}), "");
    EXPECT_EQ(StartSourceCaption(StartSource::kGeschaetzt), "geschätzt");
    EXPECT_EQ(StartSourceCaption(StartSource::kZeitstart), "Zeitstart");
}

TEST(StartTimes, InputWithOrWithoutOffset) {
    struct Row {
        const char* text;
        const char* parsed;  // empty: refused
    };
    const Row rows[] = {
        {"2026-06-10T21:37:12+02:00", "2026-06-10T21:37:12+02:00"},
        {"2026-06-10T19:37:12Z", "2026-06-10T19:37:12Z"},
        {"2026-06-10T21:37:12", "2026-06-10T21:37:12+02:00"},
        {"2026-12-10T21:37", "2026-12-10T21:37:00+01:00"},
        {"2026-03-29T02:30:00", ""},  // skipped by the clock
        {"2026-06-10", ""},
        {"gestern", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        const QDateTime t = ParseStartInput(r.text, Berlin());
        EXPECT_EQ(t.isValid() ? Iso(t) : QString(), r.parsed);
    }
}

TEST(StartTimes, TheTimedStartIsRememberedForTheReadOutOfItsProgram) {
    QTemporaryDir dir;
    qputenv("KELVARN_CONFIG_DIR", dir.path().toLocal8Bit());
    EXPECT_EQ(ReadRememberedStart().row, 0);
    const QDateTime start = QDateTime::fromString("2026-12-11T14:00:00+01:00", Qt::ISODate);
    ASSERT_TRUE(RememberStart({6, start}));
    const RememberedStart back = ReadRememberedStart();
    EXPECT_EQ(back.row, 6);
    EXPECT_EQ(Iso(back.start), "2026-12-11T14:00:00+01:00");
    const QDateTime later = start.addSecs(86400 + 3600);
    EXPECT_TRUE(RememberedStartApplies(back, 6, later));
    EXPECT_FALSE(RememberedStartApplies(back, 5, later));  // another program
    EXPECT_FALSE(RememberedStartApplies(back, 6, start));  // not before the read-out
    EXPECT_FALSE(RememberedStartApplies(back, 6, start.addSecs(-60)));
    ASSERT_TRUE(ForgetRememberedStart());
    EXPECT_EQ(ReadRememberedStart().row, 0);
    qunsetenv("KELVARN_CONFIG_DIR");
}

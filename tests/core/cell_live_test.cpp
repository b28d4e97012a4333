// The arithmetic of the live level and of its take-over into the record,
// what a live session takes from the cell's stream, and the live run's
// automatic restart.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QObject>
#include <algorithm>
#include <map>

#include "cell/CellResult.h"
#include "cell/CellSession.h"
#include "cell/LiveLevel.h"
#include "cell/LiveRun.h"
#include "cell/LiveSession.h"
#include "cell/ProgramTransfer.h"
#include "data/MeasurementRecord.h"
#include "link/CellCommandBytes.h"
#include "scripted_cell_support.h"

using namespace kelvarn;

namespace {

class LiveStreamTest : public ScriptedCellTest {};

}  // namespace

TEST(LiveLevelTest, TimeAxisCountsSamplesInTheProgramsUnit) {
    struct Row {
        int k, row;
        double x;
    };
    const Row rows[] = {
        {0, 1, 0.0},       {999, 1, 9.99},  // A: 10 ms, s
        {999, 2, 59.94},                    // B: 60 ms, s
        {500, 3, 3.0},                      // C: 360 ms, min
        {5999, 6, 23.996},                  // F: 14400 ms, h
        {499, 9, 9.98},                     // I: 1200 ms, min
    };
    for (const Row& r : rows) EXPECT_NEAR(LiveTime(r.k, r.row), r.x, 1e-9) << r.k << " " << r.row;
}

TEST(LiveLevelTest, RoundingTakesHalvesToTheEvenNeighbour) {
    const std::pair<double, int> rows[] = {{52.5, 52}, {53.5, 54},   {60.0, 60},   {0.5, 0},
                                           {1.5, 2},   {-24.5, -24}, {-23.5, -24}, {63.4, 63},
                                           {63.6, 64}, {102.5, 102}};
    for (auto [v, n] : rows) EXPECT_EQ(RoundHalfEven(v), n) << v;
}

TEST(LiveLevelTest, EndComesWithTheLastSampleOfTheSelectedProgram) {
    EXPECT_FALSE(LiveEndReached(1000, 997));
    EXPECT_TRUE(LiveEndReached(1000, 999)) << "the tick that shows sample 1000";
    EXPECT_TRUE(LiveEndReached(0, 0)) << "no program selected";
}

TEST(LiveLevelTest, TakeOverWritesHeaderAndOneByteAPoint) {
    MeasurementRecord rec;
    rec.bytes.fill(0x33);
    std::vector<double> levels(100, 45.5);
    levels[1] = 63.5;
    levels[2] = -24.5;
    ASSERT_TRUE(TakeOverLive(rec, 1, levels));

    MeasurementRecord header;
    BuildHeader(header, 1);
    EXPECT_TRUE(std::equal(rec.bytes.begin(), rec.bytes.begin() + 10, header.bytes.begin()));
    EXPECT_EQ(rec.bytes[10], 141) << "45.5 dB(A)";
    EXPECT_EQ(rec.bytes[11], 177) << "63.5 dB(A)";
    EXPECT_EQ(rec.bytes[12], 1) << "-24.5 dB(A)";
    EXPECT_EQ(rec.bytes[109], 141);
    EXPECT_EQ(rec.bytes[110], 0) << "samples behind the curve are no levels";
    EXPECT_EQ(rec.bytes.back(), 0);
}

TEST(LiveLevelTest, TakeOverWithoutAProgramRowChangesNothing) {
    MeasurementRecord rec;
    rec.bytes.fill(0x33);
    const MeasurementRecord before = rec;
    for (int row : {-1, 0, 10}) {
        EXPECT_FALSE(TakeOverLive(rec, row, {45.5}));
        EXPECT_EQ(rec, before);
    }
}

TEST(LiveLevelTest, TakeOverStopsAtTheEndOfTheRecord) {
    struct Guarded {
        MeasurementRecord rec;
        std::array<uint8_t, 64> guard;
    } g;
    g.guard.fill(0xAB);
    ASSERT_TRUE(TakeOverLive(g.rec, 4, std::vector<double>(7000, 50.0)));
    EXPECT_EQ(g.rec.bytes[MeasurementRecord::kSize - 1], 150);
    for (uint8_t b : g.guard) ASSERT_EQ(b, 0xAB);
}

// The link's tick has read a level when "St&opp" comes; the level reaches
// the session only after the stop. It is shown nowhere and taken over by
// nothing, and no tick reads on.
TEST_F(LiveStreamTest, ALevelOnItsWayWhenStoppedIsNotTaken) {
    // Program A streams 50.0, 40.0, 60.0, 40.0, then a loud 90.0 dB(A).
    const std::vector<uint8_t> stream = {150, 130, 170, 130, 230, 240};
    MeasurementRecord memory;
    BuildHeader(memory, 1);
    std::copy(stream.begin(), stream.end(), memory.bytes.begin() + 10);
    Attach({.memoryFile = std::vector<uint8_t>(memory.bytes.begin(), memory.bytes.end())});
    ASSERT_EQ(SendRunCommand(link.serial), LinkStatus::kOk);
    ASSERT_EQ(link.serial.WriteByte(kCmdStartLive), LinkStatus::kOk);
    ASSERT_TRUE(cell->LiveRunning());

    LiveSession live;
    live.SetEndRule(1000, false);
    live.Begin(1);
    for (int k = 0; k < 4; ++k) ASSERT_TRUE(live.Accept(live.Tick(link.serial))) << k;
    const LiveStep onItsWay = live.Tick(link.serial);
    ASSERT_EQ(onItsWay.kind, LiveStep::kSample);
    ASSERT_EQ(onItsWay.raw, 230);

    live.Stop();
    LiveSample shown{-1, -1};
    EXPECT_FALSE(live.Accept(onItsWay, &shown));
    EXPECT_EQ(shown.level, -1) << "nothing handed to the views";
    EXPECT_EQ(live.Tick(link.serial).kind, LiveStep::kStopped);
    EXPECT_EQ(live.Taken(), 5) << "no level read after the stop";

    EXPECT_EQ(live.Count(), 4);
    EXPECT_EQ(live.Levels(), (std::vector<double>{50.0, 40.0, 60.0, 40.0}));
    EXPECT_EQ(live.Maximum(), 60.0);
    EXPECT_EQ(live.Minimum(), 40.0);
    EXPECT_EQ(live.Distribution(), (std::map<double, int>{{40.0, 2}, {50.0, 1}, {60.0, 1}}));

    MeasurementRecord rec;
    rec.bytes.fill(0x33);
    ASSERT_TRUE(live.TakeOver(rec));
    MeasurementRecord expected;
    BuildHeader(expected, 1);
    std::copy_n(stream.begin(), 4, expected.bytes.begin() + 10);
    EXPECT_EQ(rec, expected) << "the four levels taken, and none behind them";
}

// The automatic restart at the end of a measurement, inline on a scripted cell: at once, or,
// while held (the window asks whether to end the measurement), only when released to run.
TEST(LiveRunTest, TheAutomaticRestartWaitsWhileHeld) {
    const struct {
        const char* name;
        bool held;
        bool run;  // what the release says
        bool restarts;
    } rows[] = {
        {"not held", false, false, true},
        {"held, then released to run", true, true, true},
        {"held, then dropped", true, false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ScriptedLink link;
        CellModel cell;
        link.AddPort(3).AttachModel(&cell);
        CellSession session(false);
        link.Attach(session.Link());
        const QDateTime clock(QDate(2026, 5, 4), QTime(10, 0));
        LiveRun run(session, [&] { return clock; });
        int starts = 0;
        QObject::connect(&run, &LiveRun::Started, [&](const CellResult& start) {
            EXPECT_TRUE(start.Ok()) << CellMessage(start).line.toStdString();
            ++starts;
        });
        run.SetChoice({3, 1, false, true});  // program A, 1000 levels, restart
        ASSERT_TRUE(run.Start());
        ASSERT_TRUE(run.Running());
        EXPECT_EQ(run.StartedAt(), clock);
        if (r.held) run.HoldRestart();
        for (int k = 0; k < 999; ++k) ASSERT_EQ(run.Tick().kind, LiveStep::kSample) << k;
        EXPECT_EQ(run.Tick().kind, LiveStep::kRestart) << "one level less than the program's";
        if (r.held) {
            EXPECT_EQ(starts, 1) << "no restart while held";
            EXPECT_FALSE(run.Running());
            EXPECT_EQ(session.Live().Count(), 999);
            run.ReleaseRestart(r.run);
        }
        EXPECT_EQ(starts, r.restarts ? 2 : 1);
        EXPECT_EQ(run.Running(), r.restarts);
        EXPECT_EQ(session.Live().Count(), r.restarts ? 0 : 999) << "a restart starts afresh";
    }
}

// Read-out and program query against the scripted cell: the requests on the
// line, the record they fill, the reports on the way, and the failures.
#include <gtest/gtest.h>

#include <algorithm>

#include "cell/CellTasks.h"
#include "cell/ReadOut.h"
#include "cell_on_port.h"
#include "data/ProgramTable.h"
#include "scripted_cell_support.h"

using namespace kelvarn;

namespace {

class ReadOutTest : public ScriptedCellTest {};

// The bytes a read pass sends: reset, command, the eight header requests,
// n + 1 data requests and the closing 0.
std::vector<uint8_t> ReadPassFrame(int n) {
    return Cat({Reset(), {2}, Ones(8 + size_t(n) + 1), {0}});
}

// The status texts of a complete pass of n data bytes.
QStringList PassTexts(int n) {
    QStringList t = {" Hardware inititialisiert.", " Datentyp gelesen.", " Daten lesen."};
    for (int k = 0; k <= n; ++k)
        if ((k + 11) % 100 == 0) t << QStringLiteral(" Daten lesen: %1/%2").arg(k + 11).arg(n);
    t << " OK.";
    return t;
}

// A cell memory with the given header bytes 0 to 7 and samples 1, 2, 3 ...
std::vector<uint8_t> Memory(std::array<uint8_t, 8> header) {
    std::vector<uint8_t> m(MeasurementRecord::kSize, 0);
    std::copy(header.begin(), header.end(), m.begin());
    for (int k = 0; k < MeasurementRecord::kSampleBytes; ++k)
        m[size_t(10 + k)] = uint8_t(1 + k % 250);
    return m;
}

}  // namespace

TEST(CheckHeaderTest, Limits) {
    struct Row {
        std::array<uint8_t, 8> header;
        bool valid;
    };
    const Row rows[] = {
        {{0x03, 0xE8, 1, 0, 0, 0, 0, 9}, true},               // A
        {{0x00, 0x00, 1, 0, 0, 0, 0, 9}, false},              // no samples
        {{0x17, 0xF8, 1, 0, 0, 0, 0, 9}, true},               // 6136 samples
        {{0x17, 0xF9, 1, 0, 0, 0, 0, 9}, false},              // 6137
        {{0x05, 0xFE, 1, 2, 3, 4, 0, 9}, true},               // 4 x 1534 = 6136
        {{0x05, 0xFF, 1, 2, 3, 4, 0, 9}, false},              // 4 x 1535
        {{0x03, 0xE8, 0, 0, 0, 0, 0, 9}, false},              // no channel
        {{0x03, 0xE8, 2, 0, 0, 0, 0, 9}, false},              // slot 1 above 1
        {{0x03, 0xE8, 1, 3, 0, 0, 0, 9}, false},              // slot 2 above 2
        {{0x03, 0xE8, 0, 0, 4, 0, 0, 9}, false},              // slot 3 above 3
        {{0x03, 0xE8, 0, 0, 0, 5, 0, 9}, false},              // slot 4 above 4
        {{0xFF, 0xFF, 255, 255, 255, 255, 255, 255}, false},  // a silent cell
    };
    for (const Row& r : rows) {
        MeasurementRecord rec;
        std::copy(r.header.begin(), r.header.end(), rec.bytes.begin());
        EXPECT_EQ(CheckHeader(rec), r.valid) << int(r.header[0]) << " " << int(r.header[1]);
    }
}

TEST_F(ReadOutTest, OneMinuteProgramIsOnePassOfAThousandAndOneRequests) {
    Attach({.program = 2});
    RecordedProgress progress;
    MeasurementRecord rec;
    rec.bytes.fill(0x77);
    const ReadOutResult r = ReadOutCell(link.serial, rec, progress);

    EXPECT_EQ(r.outcome, ReadOutResult::kOk);
    EXPECT_EQ(r.received, 1000);
    EXPECT_EQ(r.expected, 1000);
    EXPECT_EQ(port.written, Cat({Reset(), {7, 2}, ReadPassFrame(1000)}));
    MeasurementRecord expected = cell->Memory();
    expected.bytes[8] = 1;
    expected.bytes[9] = 1;
    EXPECT_EQ(rec, expected) << "header, samples, and zeros behind them";

    EXPECT_EQ(progress.texts, PassTexts(1000));
    EXPECT_EQ(progress.texts[3], " Daten lesen: 100/1000");
    EXPECT_EQ(progress.texts[progress.texts.size() - 2], " Daten lesen: 1000/1000");
    EXPECT_EQ(progress.maxima, std::vector<int>{1000});
    ASSERT_EQ(progress.positions.size(), 1001u);
    EXPECT_EQ(progress.positions.back(), 1000);
}

TEST_F(ReadOutTest, TwelveMeasurementsAreReadAgainWholeInASecondPass) {
    Attach({.program = 7});
    RecordedProgress progress;
    MeasurementRecord rec;
    const ReadOutResult r = ReadOutCell(link.serial, rec, progress);

    EXPECT_EQ(r.outcome, ReadOutResult::kOk);
    EXPECT_EQ(r.received, 6000);
    EXPECT_EQ(port.written, Cat({Reset(), {7, 2}, ReadPassFrame(500), ReadPassFrame(6000)}));
    MeasurementRecord expected = cell->Memory();
    expected.bytes[8] = 1;
    expected.bytes[9] = 12;
    EXPECT_EQ(rec, expected);
    EXPECT_EQ(progress.texts, PassTexts(500) + PassTexts(6000));
    // One bar over both passes: its end is set once, and the second pass goes on where the
    // first ended.
    EXPECT_EQ(progress.maxima, (std::vector<int>{500 + 6000}));
    ASSERT_EQ(progress.positions.size(), 501u + 6001u);
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    EXPECT_EQ(progress.positions[500], 500);
    EXPECT_EQ(progress.positions.back(), 500 + 6000);
}

TEST_F(ReadOutTest, DefectiveHeaderClearsItAndStillRequestsOneByte) {
    Attach({.program = 2, .badHeader = true});
    RecordedProgress progress;
    MeasurementRecord rec;
    rec.bytes.fill(0x77);
    const ReadOutResult r = ReadOutCell(link.serial, rec, progress);

    EXPECT_EQ(r.outcome, ReadOutResult::kDefective);
    EXPECT_EQ(port.written, Cat({Reset(), {7, 2}, ReadPassFrame(0)}));
    MeasurementRecord expected;
    expected.bytes[9] = 1;
    expected.bytes[10] = cell->Memory().bytes[10];  // the one byte requested
    EXPECT_EQ(rec, expected);
    EXPECT_EQ(progress.maxima, std::vector<int>{0});
}

TEST_F(ReadOutTest, UnreadyCellLeavesTheRecordUntouched) {
    Attach({.silent = true});
    RecordedProgress progress;
    MeasurementRecord rec;
    rec.bytes.fill(0x77);
    const MeasurementRecord before = rec;
    EXPECT_EQ(ReadOutCell(link.serial, rec, progress).outcome, ReadOutResult::kNotReady);
    EXPECT_EQ(rec, before);
    // The connection check found no cell, so the readiness question has no
    // device to go to.
    EXPECT_EQ(port.written, Reset());
    EXPECT_TRUE(progress.texts.isEmpty());
}

TEST_F(ReadOutTest, DataStoppingPartWayIsIncompleteAndKeepsWhatArrived) {
    Attach({.program = 2, .stopReadAfter = 8 + 500});
    RecordedProgress progress;
    MeasurementRecord rec;
    const ReadOutResult r = ReadOutCell(link.serial, rec, progress);

    EXPECT_EQ(r.outcome, ReadOutResult::kIncomplete);
    EXPECT_EQ(r.received, 500);
    EXPECT_EQ(r.expected, 1000);
    EXPECT_EQ(progress.texts.back(), " Fehler.");
    // The failed request is answered with the closing 0.
    EXPECT_EQ(port.written, Cat({Reset(), {7, 2}, Reset(), {2}, Ones(8 + 501), {0}}));
    for (int k = 0; k < 500; ++k) ASSERT_EQ(rec.bytes[10 + k], cell->Memory().bytes[10 + k]) << k;
    for (int k = 500; k < MeasurementRecord::kSampleBytes; ++k)
        ASSERT_EQ(rec.bytes[10 + k], 0) << k;
    // The cell went silent: named behind the counts.
    EXPECT_EQ(r.fault, LinkStatus::kTimeout);
    EXPECT_EQ(IncompleteReadOutText(r),
              "Auslesen unvollständig! Nur 500 von 1000 Messwerten empfangen. Zelle antwortet "
              "nicht mehr.");
}

TEST_F(ReadOutTest, ALineThatFailsMidWayEndsThePassAtOnceKeepingWhatArrived) {
    Attach({.program = 2});
    // The adapter is pulled after the readiness question, the header and
    // 300 data requests.
    port.writesLeft = 10 + 2 + 10 + 1 + 8 + 300;
    RecordedProgress progress;
    MeasurementRecord rec;
    const ReadOutResult r = ReadOutCell(link.serial, rec, progress);
    EXPECT_EQ(r.outcome, ReadOutResult::kIncomplete);
    EXPECT_EQ(r.received, 300);
    EXPECT_EQ(progress.texts.back(), " Fehler.");
    for (int k = 0; k < 300; ++k) ASSERT_EQ(rec.bytes[10 + k], cell->Memory().bytes[10 + k]) << k;
    // No read waits for an answer to a request that never left.
    EXPECT_EQ(link.log.filter("r -1"), QStringList{});
    EXPECT_EQ(r.fault, LinkStatus::kLineFailure);
    EXPECT_EQ(IncompleteReadOutText(r),
              "Auslesen unvollständig! Nur 300 von 1000 Messwerten empfangen. Verbindung "
              "unterbrochen.");
}

TEST_F(ReadOutTest, TwelveMeasurementsStoppingInTheSecondPassKeepThatPass) {
    Attach({.program = 8, .stopReadAfter = 8 + 3000});
    RecordedProgress progress;
    MeasurementRecord rec;
    const ReadOutResult r = ReadOutCell(link.serial, rec, progress);
    EXPECT_EQ(r.outcome, ReadOutResult::kIncomplete);
    EXPECT_EQ(r.received, 3000);
    EXPECT_EQ(r.expected, 6000);
    EXPECT_EQ(rec.bytes[9], 12);
    EXPECT_EQ(rec.bytes[10 + 2999], cell->Memory().bytes[10 + 2999]);
    EXPECT_EQ(rec.bytes[10 + 3000], 0);
}

TEST_F(ReadOutTest, SecondPassWithoutHeaderLeavesTheFirstPasssData) {
    Attach({.program = 9});
    // The cell falls silent once the first pass is over.
    struct GoneAfterFirstPass : RecordedProgress {
        ScriptedDevice* port = nullptr;
        void Status(const QString& t) override {
            RecordedProgress::Status(t);
            if (t == " OK.") port->AttachModel(nullptr);
        }
    } progress;
    progress.port = &port;
    MeasurementRecord rec;
    const ReadOutResult r = ReadOutCell(link.serial, rec, progress);
    EXPECT_EQ(r.outcome, ReadOutResult::kIncomplete);
    EXPECT_EQ(r.received, 500);
    EXPECT_EQ(r.expected, 6000);
    EXPECT_EQ(rec.bytes[9], 1) << "the first pass's record";
    for (int k = 0; k < 500; ++k) ASSERT_EQ(rec.bytes[10 + k], cell->Memory().bytes[10 + k]) << k;
}

// Program H reads its memory twice. In the first pass the cell answers the
// request for sample 200 only lateMs after it, when the read has given up;
// with the line's time of 1 ms a byte, the answer then lands where the row
// says. The second pass must never take it for one of its own bytes.
TEST_F(ReadOutTest, ALateAnswerInTheFirstPassNeverShiftsTheSecond) {
    const struct {
        const char* lands;
        int lateMs;
        int secondStopsAt;  // the cell fails in the second pass too: at this sample
        bool secondKept;    // false: it could not be kept out of the second pass
    } rows[] = {
        {"among the reset's zeros", 215, -1, true},
        {"behind the reset's purge", 243, -1, true},
        {"in the middle of the header", 250, -1, true},
        {"in the samples", 400, -1, true},
        {"in the samples, much later", 1500, -1, false},
        {"in the first samples of a second pass that stops", 600, 3000, false},
        {"in the samples of a second pass that stops, much later", 1500, 3000, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lands);
        Attach({.program = 8,
                .stopReadAfter = row.secondStopsAt < 0 ? -1 : 8 + row.secondStopsAt,
                .lateReadAt = 8 + 200,
                .lateReadMs = row.lateMs});
        port.byteMs = 1;
        RecordedProgress progress;
        MeasurementRecord rec;
        const ReadOutResult r = ReadOutCell(link.serial, rec, progress);

        ASSERT_TRUE(port.onTheirWay.empty()) << "the late answer came";
        // In a second pass that stops, the late byte stood in for one answer: one request more.
        const std::vector<uint8_t> second =
            row.secondStopsAt < 0
                ? ReadPassFrame(6000)
                : Cat({Reset(), {2}, Ones(8 + size_t(row.secondStopsAt) + 2), {0}});
        EXPECT_EQ(port.written, Cat({Reset(), {7, 2}, Reset(), {2}, Ones(8 + 201), {0}, second}));
        MeasurementRecord expected = cell->Memory();
        expected.bytes[8] = 1;
        if (row.secondKept) {
            EXPECT_EQ(r.outcome, ReadOutResult::kOk);
            EXPECT_EQ(r.received, 6000);
            EXPECT_EQ(r.expected, 6000);
            EXPECT_EQ(r.fault, LinkStatus::kOk) << "nothing is missing from the record kept";
            expected.bytes[9] = 12;
            EXPECT_EQ(rec, expected) << "byte for byte the cell's memory";
        } else {
            // The first pass's samples, and the cell's failure named.
            EXPECT_EQ(r.outcome, ReadOutResult::kIncomplete);
            EXPECT_EQ(r.received, 200);
            EXPECT_EQ(r.expected, 6000);
            expected.bytes[9] = 1;
            std::fill(expected.bytes.begin() + 10 + 200, expected.bytes.end(), uint8_t(0));
            EXPECT_EQ(rec, expected);
            EXPECT_EQ(IncompleteReadOutText(r),
                      "Auslesen unvollständig! Nur 200 von 6000 Messwerten empfangen. Zelle "
                      "antwortet nicht mehr.");
        }
    }
}

// The late answer comes while the line is listened to before the second
// pass, and the cell then fails in the second pass at sample 3000: nothing
// of it can be one place out, and what it brought beyond the first pass is
// kept.
TEST_F(ReadOutTest, ASecondPassThatStopsAfterTheLateAnswerCameKeepsItsSamples) {
    Attach({.program = 8, .stopReadAfter = 8 + 3000, .lateReadAt = 8 + 200, .lateReadMs = 300});
    port.byteMs = 1;
    RecordedProgress progress;
    MeasurementRecord rec;
    const ReadOutResult r = ReadOutCell(link.serial, rec, progress);

    ASSERT_TRUE(port.onTheirWay.empty()) << "the late answer came";
    EXPECT_EQ(port.written, Cat({Reset(),
                                 {7, 2},
                                 Reset(),
                                 {2},
                                 Ones(8 + 201),
                                 {0},
                                 Reset(),
                                 {2},
                                 Ones(8 + 3000 + 1),
                                 {0}}));
    EXPECT_EQ(r.outcome, ReadOutResult::kIncomplete);
    EXPECT_EQ(r.received, 3000);
    EXPECT_EQ(r.expected, 6000);
    EXPECT_EQ(r.fault, LinkStatus::kTimeout);
    MeasurementRecord expected = cell->Memory();
    expected.bytes[8] = 1;
    expected.bytes[9] = 12;
    std::fill(expected.bytes.begin() + 10 + 3000, expected.bytes.end(), uint8_t(0));
    EXPECT_EQ(rec, expected);
}

// A header byte that comes too late reads as 255, which the limits let
// pass in the point count's low byte and in the interval; the answer then
// arrives among the samples. Such a header is refused as any other.
TEST_F(ReadOutTest, AHeaderByteThatCameTooLateMakesTheRecordDefective) {
    for (int late : {1, 6, 7}) {
        SCOPED_TRACE(late);
        Attach({.program = 2, .lateReadAt = late, .lateReadMs = 300});
        port.byteMs = 1;
        RecordedProgress progress;
        MeasurementRecord rec;
        const ReadOutResult r = ReadOutCell(link.serial, rec, progress);
        EXPECT_EQ(r.outcome, ReadOutResult::kDefective);
        EXPECT_EQ(r.fault, LinkStatus::kTimeout);
        EXPECT_EQ(GetSampleTotal(rec), 0) << "a refused header describes no data";
        EXPECT_EQ(port.written, Cat({Reset(), {7, 2}, ReadPassFrame(0)}));
    }
}

TEST_F(ReadOutTest, FullRecordDropsTheByteBehindIt) {
    // Four channels of 1534 points fill all 6136 sample bytes.
    std::vector<uint8_t> memory = Memory({0x05, 0xFE, 1, 2, 3, 4, 0x00, 0x08});
    memory[8] = 4;
    memory[9] = 1;
    Attach({.memoryFile = memory});
    struct Guarded {
        MeasurementRecord rec;
        std::array<uint8_t, 64> guard;
    } g;
    g.guard.fill(0xAB);
    RecordedProgress progress;
    const ReadPass pass = ReadCellMemory(link.serial, g.rec, 1, progress);
    EXPECT_TRUE(pass.Complete());
    EXPECT_EQ(pass.expected, 6136);
    EXPECT_EQ(port.written, ReadPassFrame(6136)) << "6137 data requests";
    EXPECT_EQ(std::vector<uint8_t>(g.rec.bytes.begin(), g.rec.bytes.end()), memory);
    for (uint8_t b : g.guard) ASSERT_EQ(b, 0xAB) << "nothing written behind the record";
}

TEST_F(ReadOutTest, QueryNamesEveryProgramWithoutClosingTheRead) {
    for (int row = 1; row <= 9; ++row) {
        SCOPED_TRACE(row);
        Attach({.program = row});
        EXPECT_EQ(QueryCellProgram(link.serial), row);
        EXPECT_EQ(port.written, Cat({Reset(), {2}, Ones(8)}));
        EXPECT_EQ(ProgramQueryText(row),
                  QStringLiteral(" Gefundener Messtyp: ") + QChar('A' + row - 1));
    }
}

TEST_F(ReadOutTest, QueryOfASilentCellOrAnUnknownPairIsUnknown) {
    Attach({.silent = true});
    const long long before = link.clock.elapsedMs;
    EXPECT_EQ(QueryCellProgram(link.serial), -1);
    EXPECT_GE(link.clock.elapsedMs - before, 8 * 210) << "eight silent header bytes";

    // Interval 10 ms (program A) with 6000 points: no program has that pair.
    Attach({.memoryFile = Memory({0x17, 0x70, 1, 0, 0, 0, 0x00, 0x09})});
    EXPECT_EQ(QueryCellProgram(link.serial), -1);
    EXPECT_EQ(ProgramQueryText(-1),
              " Gefundener Messtyp: Unbekannt. Möglicherweise sollte die Hardware aus- und "
              "eingeschaltet werden.");
}

TEST_F(ReadOutTest, QueryOnPortConnectsPurgesAndWaitsFirst) {
    Attach({.program = 5});
    RecordedProgress progress;
    link.clock.sleeps.clear();
    EXPECT_EQ(QueryProgramOnPort(link.serial, 3, progress), 5);
    EXPECT_EQ(progress.texts,
              QStringList({" Hardware suchen ...", " Moment noch ...", " Daten auslesen ..."}));
    EXPECT_NE(std::find(link.clock.sleeps.begin(), link.clock.sleeps.end(), 500),
              link.clock.sleeps.end());
    EXPECT_EQ(port.written.front(), 12) << "the connection check comes first";
}

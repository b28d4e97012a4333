// The "Kennwerte" without the ranges that "Fremdgeräusch" markers leave out.
#include <gtest/gtest.h>

#include "eval/MarkedFigures.h"
#include "eval_records.h"

using namespace kelvarn;
using namespace kelvarn::testing;

namespace {

uint8_t Byte(double level) {
    return uint8_t(LevelToSample(level));
}

ProtocolMarker Marker(int m, double from, double to, MarkerKind kind) {
    ProtocolMarker mk;
    mk.measurement = m;
    mk.fromS = from;
    mk.toS = to;
    mk.kind = kind;
    return mk;
}

}  // namespace

TEST(MarkedFigures, ForeignNoiseLeavesItsSamplesOutOfTheSecondRow) {
    // Program B, 60 ms: 30 s at 50 dB(A), then 30 s at 80 dB(A) (a lorry).
    const auto rec = ProgramRecord(2, [](int, int p) { return Byte(p <= 500 ? 50.0 : 80.0); });
    const RecordFigures f = ComputeFigures(*rec);
    const NumberFormat fmt = GermanFormat();
    struct Case {
        const char* what;
        std::vector<ProtocolMarker> markers;
        std::vector<QString> second;  // cells of row 2, empty: no second row
    };
    const std::vector<Case> cases = {
        {"none", {}, {}},
        {"an event is kept", {Marker(1, 30, 60, MarkerKind::kEreignis)}, {}},
        {"the lorry left out",
         {Marker(1, 30, 60, MarkerKind::kFremdgeraeusch)},
         {"1 ohne Fremdgeräusch", " 500", "30,000", " 50,0", " 50,0", " 50,0"}},
        // Sample 500 spans 29,94 .. 30,00 s, its middle 29,97 s; sample 501's middle is 30,03 s.
        {"cut by the sample's middle",
         {Marker(1, 29.97, 30.03, MarkerKind::kFremdgeraeusch)},
         {"1 ohne Fremdgeräusch", " 999"}},
        {"everything left out",
         {Marker(1, 0, 60, MarkerKind::kFremdgeraeusch)},
         {"1 ohne Fremdgeräusch", "   0", "0,000", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MeasurementProtocol p;
        p.markers = c.markers;
        const TableText t = FiguresTableWithProtocol(*rec, f, p, fmt);
        if (c.second.empty()) {
            EXPECT_EQ(t, FiguresTable(f, fmt, false));
            continue;
        }
        ASSERT_EQ(t.Rows(), 3);
        EXPECT_EQ(t.Cell(0, 1), "1");
        for (size_t i = 0; i < c.second.size(); ++i) EXPECT_EQ(t.Cell(int(i), 2), c.second[i]) << i;
    }
}

TEST(MarkedFigures, SeriesGetTheRowBehindTheirMeasurementAndKeepGesamt) {
    const auto rec = ProgramRecord(7, [](int m, int) { return Byte(50.0 + m); });
    const RecordFigures f = ComputeFigures(*rec);
    MeasurementProtocol p;
    p.markers = {Marker(3, 0, 5, MarkerKind::kFremdgeraeusch)};
    const TableText t = FiguresTableWithProtocol(*rec, f, p, GermanFormat());
    ASSERT_EQ(t.Rows(), 1 + 12 + 1 + 1);
    EXPECT_EQ(t.Cell(0, 3), "3");
    EXPECT_EQ(t.Cell(0, 4), "3 ohne Fremdgeräusch");
    EXPECT_EQ(t.Cell(1, 4), " 250");
    EXPECT_EQ(t.Cell(0, 5), "4");
    EXPECT_EQ(t.Cell(0, 14), "Gesamt");
}

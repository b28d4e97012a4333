// The bytes a cell sends during a start from the PC and its live
// measurement, taken from the input. The live tick itself (LiveTick)
// belongs to the window and draws into widgets, so this target runs the
// start's protocol part (connection check, optional upload, program query,
// run and stream commands) and the core of each tick (end test, one level
// byte, time, level, bar position) on the same decisions, then takes the
// curve over into a record as "Zur Auswertung" does.
//   byte 0: the program selected in the window (row = byte % 9 + 1)
//   byte 1, bit 0: run the upload too (its prompts come from the input)
//           bit 1: the input byte 0xFE stands for a read that times out
//           bit 2: the last byte repeats once the input is used up
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "cell/CellProgress.h"
#include "cell/LiveLevel.h"
#include "cell/ProgramTransfer.h"
#include "cell/ReadOut.h"
#include "cell_from_input.h"
#include "data/ProgramTable.h"
#include "link/DeviceSearch.h"

using namespace kelvarn;
using namespace kelvarn::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int selected = data[0] % 9 + 1;
    const uint8_t flags = data[1];
    ScriptedLink link;
    CellFromInput cell(data + 2, size - 2, link.clock, (flags & 2) ? 0xFE : -1, flags & 4);
    PortCloser closer{link.serial};
    InstallOnCom1(link.serial, cell);

    if (!ConnectCell(link.serial, 1)) return 0;
    CellProgress quiet;
    if ((flags & 1) && !UploadKeyProgram(link.serial, selected, false, quiet)) return 0;
    const int silentBefore = cell.silentReads;
    const int row = QueryCellProgram(link.serial);
    if (row <= 0) return 0;
    FUZZ_CHECK(IsProgramRow(row));
    if (SendRunCommand(link.serial) != LinkStatus::kOk) return 0;
    (void)link.serial.WriteByte(9);

    const ProgramRow& program = Programs().Row(row);
    const int points = Programs().Row(selected).Points;
    const size_t readsBefore = cell.reads.size();
    std::vector<double> levels;
    std::vector<int> raw;
    int count = 0;
    for (;;) {
        const bool last = LiveEndReached(points, count);
        const int r = link.serial.ReadByte();
        if (r <= 0) break;
        const double x = LiveTime(count, row);
        ++count;
        const double level = SampleToLevel(r);
        FUZZ_CHECK(level >= -24.5 && level <= 102.5);
        FUZZ_CHECK(x >= 0);
        // Within the live program's own length the point lies on its axis.
        if (count <= program.Points) FUZZ_CHECK(x < program.Duration + 1e-9);
        const int bar = RoundHalfEven(level);
        FUZZ_CHECK(std::fabs(bar - level) <= 0.5);
        FUZZ_CHECK(LevelToSample(level) == r);
        levels.push_back(level);
        raw.push_back(r);
        if (last) break;
    }
    // Exactly the selected program's samples, or fewer when a byte failed;
    // one silent read ends the measurement.
    FUZZ_CHECK(count <= points);
    FUZZ_CHECK(cell.reads.size() - readsBefore == size_t(count) + (count < points ? 1 : 0));
    FUZZ_CHECK(cell.silentReads - silentBefore <= 8 + 1);

    auto rec = std::make_unique<MeasurementRecord>();
    rec->bytes.fill(0xA5);
    FUZZ_CHECK(TakeOverLive(*rec, row, levels));
    FUZZ_CHECK(GetPoints(*rec) == program.Points);
    FUZZ_CHECK(GetInterval(*rec) == program.IntervalMs);
    for (size_t k = 0; k < raw.size(); ++k)
        FUZZ_CHECK(rec->bytes[MeasurementRecord::kHeaderSize + k] == raw[k]);
    // Nothing of what the record held before survives behind the last level.
    for (size_t k = MeasurementRecord::kHeaderSize + raw.size(); k < rec->bytes.size(); ++k)
        FUZZ_CHECK(rec->bytes[k] == 0);
    return 0;
}

// The bytes a cell sends during a read-out (ReadOutCell) or a program query
// (QueryCellProgram), taken from the input. The first input byte chooses:
//   bit 0: query instead of read-out
//   bit 1: the input byte 0xFE stands for a read that times out
//   bit 2: the last byte repeats once the input is used up (else silence)
// The record lives in an allocation of exactly its size, so a write beyond
// it is a sanitizer report; the outcome must agree with what was read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "cell/CellProgress.h"
#include "cell/ReadOut.h"
#include "cell_from_input.h"
#include "data/ProgramTable.h"

using namespace kelvarn;
using namespace kelvarn::fuzz;

namespace {

constexpr uint8_t kSentinel = 0xA5;

void CheckQuery(const CellFromInput& cell, int row) {
    // Eight header bytes, requested one by one; no closing 0.
    std::vector<uint8_t> frame(10, 0);
    frame.push_back(2);
    frame.insert(frame.end(), 8, 1);
    FUZZ_CHECK(cell.written == frame);
    FUZZ_CHECK(cell.reads.size() == 8);
    MeasurementRecord header;
    for (int i = 0; i < 8; ++i) header.bytes[size_t(i)] = uint8_t(cell.reads[size_t(i)] & 0xFF);
    if (row == -1) {
        bool matches = false;
        if (CheckHeader(header))
            for (int r = 1; r <= 9; ++r)
                matches |= Programs().Row(r).IntervalMs == GetInterval(header) &&
                           Programs().Row(r).Points == GetPoints(header);
        FUZZ_CHECK(!matches);
    } else {
        FUZZ_CHECK(row >= 1 && row <= 9);
        FUZZ_CHECK(CheckHeader(header));
        FUZZ_CHECK(Programs().Row(row).IntervalMs == GetInterval(header));
        FUZZ_CHECK(Programs().Row(row).Points == GetPoints(header));
    }
}

void CheckReadOut(const CellFromInput& cell, const MeasurementRecord& rec, const ReadOutResult& r) {
    FUZZ_CHECK(r.received >= 0 && r.received <= r.expected);
    FUZZ_CHECK(r.expected <= MeasurementRecord::kSampleBytes);
    // One silent readiness answer, then per pass at most eight header
    // bytes and the one data byte that ends it.
    FUZZ_CHECK(cell.silentReads <= 1 + 2 * (8 + 1));
    switch (r.outcome) {
        case ReadOutResult::kNotReady:
            FUZZ_CHECK(cell.reads.size() == 1 && cell.reads[0] < 0);
            FUZZ_CHECK(std::all_of(rec.bytes.begin(), rec.bytes.end(),
                                   [](uint8_t b) { return b == kSentinel; }));
            break;
        case ReadOutResult::kDefective:
            FUZZ_CHECK(std::all_of(rec.bytes.begin(), rec.bytes.begin() + 8,
                                   [](uint8_t b) { return b == 0; }));
            break;
        case ReadOutResult::kCancelled:
            FUZZ_CHECK(false);  // nothing cancels here
            break;
        case ReadOutResult::kOk:
        case ReadOutResult::kIncomplete:
            FUZZ_CHECK((r.outcome == ReadOutResult::kOk) == (r.received == r.expected));
            FUZZ_CHECK(CheckHeader(rec));
            FUZZ_CHECK(rec.bytes[8] == GetChannels(rec));
            FUZZ_CHECK(rec.bytes[9] == 1 || rec.bytes[9] == 12);
            // A twelve-measurement read-out whose second pass failed keeps the
            // first pass and counts against the whole measurement.
            FUZZ_CHECK(r.expected >= std::min<int>(GetSampleTotal(rec), 6136));
            // Every read pass is closed with a 0.
            FUZZ_CHECK(!cell.written.empty() && cell.written.back() == 0);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t flags = data[0];
    ScriptedLink link;
    CellFromInput cell(data + 1, size - 1, link.clock, (flags & 2) ? 0xFE : -1, flags & 4);
    PortCloser closer{link.serial};
    InstallOnCom1(link.serial, cell);
    if (!link.serial.OpenPort(QStringLiteral("COM1:9600,N,8,2"))) Fail("COM1 did not open");
    link.serial.SetDeviceKind(kCell);

    if (flags & 1) {
        CheckQuery(cell, QueryCellProgram(link.serial));
        return 0;
    }
    auto rec = std::make_unique<MeasurementRecord>();
    rec->bytes.fill(kSentinel);
    CellProgress quiet;
    const ReadOutResult r = ReadOutCell(link.serial, *rec, quiet);
    CheckReadOut(cell, *rec, r);
    return 0;
}

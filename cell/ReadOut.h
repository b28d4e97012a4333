#pragma once

#include "cell/CellProgress.h"
#include "data/MeasurementRecord.h"
#include "link/SerialLink.h"

namespace kelvarn {

// Whether the eight header bytes of rec describe data the cell can hold:
// 1 <= points <= 6136, 1 <= channels, channels x points <= 6136, and each
// channel slot within its range.
bool CheckHeader(const MeasurementRecord& rec);

// The opening of every read: ResetLink, CmdReadMemory, pause, then eight
// requested header bytes into offsets 0 to 7 (a silent cell gives 255s).
// progress, when given, hears " Hardware inititialisiert." and
// " Datentyp gelesen.". fault, when given, gets the first failed exchange
// (kOk when every byte came).
void ReadHeader(SerialLink& link, MeasurementRecord& rec, CellProgress* progress,
                LinkStatus* fault = nullptr);

// How one read pass ended.
struct ReadPass {
    bool headerValid = false;
    int expected = 0;        // n: data bytes the header asks for (at most 6136)
    int received = 0;        // of those, how many arrived
    bool cancelled = false;  // progress.Cancelled() ended it before the last byte
    // The first failed exchange: of the header, or the one that ended the data early.
    LinkStatus fault = LinkStatus::kOk;
    bool Complete() const { return headerValid && received == expected; }
};

// One full read pass into rec, which is cleared first; measurements is 1 or
// 12. A header with a byte that did not come is refused, whatever its
// values. n + 1 bytes are requested; the last has no place in the record
// when n is 6136 and is read and dropped. A cancel between two requests ends
// the pass with the closing 0, as a missing byte does.
ReadPass ReadCellMemory(SerialLink& link, MeasurementRecord& rec, int measurements,
                        CellProgress& progress);

// ResetLink, then the readiness question on input channel 2: kOk when the
// cell answered, else why it did not.
LinkStatus CellReadiness(SerialLink& link);

// How a read-out ended.
struct ReadOutResult {
    enum Outcome {
        kOk,          // every sample arrived
        kNotReady,    // the readiness question went unanswered; rec untouched
        kDefective,   // the header was invalid
        kIncomplete,  // the data stopped part-way; rec holds what arrived
        kCancelled,   // cancelled before any data pass began; rec untouched
    };
    Outcome outcome = kNotReady;
    int received = 0;        // samples that arrived
    int expected = 0;        // samples of the whole measurement
    bool cancelled = false;  // the person stopped it (kIncomplete, kCancelled)
    // Why the line gave out (kNotReady, kIncomplete, and kDefective when the header went
    // missing); kOk when it did not.
    LinkStatus fault = LinkStatus::kOk;
};

// Readiness check and the read passes: a second, complete pass for the
// programs of twelve measurements. A second pass that no longer yields a
// valid header, or does not repeat what the first received, leaves the
// first pass's record in place. When the first pass ended on a missing
// answer, the second begins only once the line has been quiet for one read
// time-out, and is kept only when no answer is left over behind it (a late
// answer would have put its bytes one place out); a second pass that ends
// early is kept then only when the late answer came before it. After a
// cancel in the first pass no second pass is made.
ReadOutResult ReadOutCell(SerialLink& link, MeasurementRecord& rec, CellProgress& progress);

// The program row (1..9) whose interval and points the cell's header
// describes, or -1. The header exchange is not closed with a 0.
int QueryCellProgram(SerialLink& link);

}  // namespace kelvarn

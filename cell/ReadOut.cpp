#include "cell/ReadOut.h"

#include <algorithm>

#include "data/ProgramTable.h"
#include "link/CellCommandBytes.h"
#include "link/SerialLink.h"

namespace kelvarn {

namespace {

constexpr int kHeaderBytesFromCell = 8;
constexpr int kReadyChannel = 2;

// Samples of the whole measurement when the header's program makes twelve.
int TwelveTotal(const MeasurementRecord& rec) {
    MeasurementRecord twelve = rec;
    twelve.bytes[9] = 12;
    return std::min<int>(GetSampleTotal(twelve), MeasurementRecord::kSampleBytes);
}

// The progress of a read-out as one bar: for the programs of twelve measurements the second
// pass goes on where the first ended, and the bar's end covers both from the start. Texts and
// the cancel question pass through unchanged.
class ReadOutProgress : public CellProgress {
public:
    ReadOutProgress(CellProgress& outer, const MeasurementRecord& first)
        : outer_(outer), first_(first) {}

    void Status(const QString& text) override { outer_.Status(text); }
    bool Cancelled() const override { return outer_.Cancelled(); }
    void ProgressMax(int max) override {
        int whole = offset_ + max;
        // The first pass knows its program once its header is in: a second pass will follow.
        if (offset_ == 0 && Programs().Row(FindProgramRow(first_)).Measurements == 12)
            whole = max + TwelveTotal(first_);
        if (whole == shownMax_) return;
        shownMax_ = whole;
        outer_.ProgressMax(whole);
    }
    void ProgressPosition(int position) override { outer_.ProgressPosition(offset_ + position); }
    // The next pass starts at the end of one that read n data bytes.
    void NextPass(int n) { offset_ += n; }

private:
    CellProgress& outer_;
    const MeasurementRecord& first_;
    int offset_ = 0;
    int shownMax_ = -1;
};

// A byte the cell sent after its read had given up may still be on its way; taken as the answer
// to a later request it would put every byte behind it one place out, unnoticed. Reads until
// the line has been quiet for one read time-out and drops what came (a line that keeps
// talking is given up on after a few bytes: the checks of the next pass catch what is left).
// true when something came: the answer given up on is then no longer on its way.
bool LetLateAnswersPass(SerialLink& link, const CellProgress& progress) {
    constexpr int kLateBytesAtMost = 16;
    int came = 0;
    // A cancel is heard between two bytes: a line that keeps talking could hold it for
    // seconds otherwise.
    while (came < kLateBytesAtMost && !progress.Cancelled() && link.ReadByte() >= 0) ++came;
    return came > 0;
}

// Whether a byte arrives after a pass's last answer: one that came too late for its own
// request was taken in its place, and every answer after it was one place out.
bool AnswerLeftOver(SerialLink& link) {
    return link.ReadByte() >= 0;
}

// A second pass reads the same memory as the first: its header and its first samples must be
// what the first pass received.
bool RepeatsFirstPass(const MeasurementRecord& first, const MeasurementRecord& second,
                      int received) {
    const auto a = first.bytes.begin();
    const auto b = second.bytes.begin();
    const auto samples = MeasurementRecord::kHeaderSize;
    return std::equal(a, a + kHeaderBytesFromCell, b) &&
           std::equal(a + samples, a + samples + received, b + samples);
}

}  // namespace

bool CheckHeader(const MeasurementRecord& rec) {
    const int points = GetPoints(rec);
    const int channels = GetChannels(rec);
    const auto& b = rec.bytes;
    return points >= 1 && points <= MeasurementRecord::kSampleBytes && channels >= 1 &&
           channels * points <= MeasurementRecord::kSampleBytes && b[2] <= 1 && b[3] <= 2 &&
           b[4] <= 3 && b[5] <= 4;
}

void ReadHeader(SerialLink& link, MeasurementRecord& rec, CellProgress* progress,
                LinkStatus* fault) {
    // A line that fails here gives no header bytes, which the header check
    // refuses: the failure is reported there.
    LinkStatus first = link.ResetLink();
    const LinkStatus command = link.WriteByte(kCmdReadMemory);
    if (first == LinkStatus::kOk) first = command;
    link.Delay(kCommandPauseMs);
    if (progress) progress->Status(QStringLiteral(" Hardware inititialisiert."));
    // No time-out test: a silent cell gives -1, kept as 255, which the
    // header check refuses.
    for (int i = 0; i < kHeaderBytesFromCell; ++i) {
        const LinkStatus asked = link.WriteByte(kCmdNext);
        const int r = link.ReadByte();
        if (first == LinkStatus::kOk) first = asked;
        if (first == LinkStatus::kOk && r < 0) first = link.LastReadStatus();
        rec.bytes[size_t(i)] = static_cast<uint8_t>(r & 0xFF);
    }
    if (fault) *fault = first;
    if (progress) progress->Status(QStringLiteral(" Datentyp gelesen."));
}

ReadPass ReadCellMemory(SerialLink& link, MeasurementRecord& rec, int measurements,
                        CellProgress& progress) {
    rec.Clear();
    ReadPass pass;
    ReadHeader(link, rec, &progress, &pass.fault);
    // A header byte that did not come reads as 255, which the limits let pass in some places;
    // its answer may still come and be taken for a sample.
    pass.headerValid = pass.fault == LinkStatus::kOk && CheckHeader(rec);
    if (!pass.headerValid) std::fill_n(rec.bytes.begin(), kHeaderBytesFromCell, uint8_t(0));
    rec.bytes[8] = GetChannels(rec);
    rec.bytes[9] = static_cast<uint8_t>(measurements);

    const int n = std::min<int>(GetSampleTotal(rec), MeasurementRecord::kSampleBytes);
    pass.expected = n;
    progress.ProgressMax(n);
    progress.Status(QStringLiteral(" Daten lesen."));
    // n + 1 requests, as the cell expects them before the closing 0.
    for (int k = 0; k <= n; ++k) {
        if (progress.Cancelled()) {
            pass.cancelled = true;
            (void)link.WriteByte(kCmdEnd);
            return pass;
        }
        // A request that cannot leave ends the pass as a missing byte does.
        const LinkStatus request = link.WriteByte(kCmdNext);
        const bool asked = request == LinkStatus::kOk;
        const int r = asked ? link.ReadByte() : -1;
        if (r < 0) {
            pass.fault = asked ? link.LastReadStatus() : request;
            (void)link.WriteByte(kCmdEnd);
            progress.Status(QStringLiteral(" Fehler."));
            return pass;
        }
        // The byte after a full record has no place in it.
        if (k < MeasurementRecord::kSampleBytes)
            rec.bytes[size_t(MeasurementRecord::kHeaderSize + k)] = static_cast<uint8_t>(r);
        if (k < n) ++pass.received;
        progress.ProgressPosition(k);
        if ((k + 11) % 100 == 0)
            progress.Status(QStringLiteral(" Daten lesen: %1/%2").arg(k + 11).arg(n));
    }
    (void)link.WriteByte(kCmdEnd);
    progress.Status(QStringLiteral(" OK."));
    return pass;
}

LinkStatus CellReadiness(SerialLink& link) {
    const LinkStatus reset = link.ResetLink();
    if (reset != LinkStatus::kOk) return reset;
    if (link.ReadChannel(kReadyChannel) >= 0) return LinkStatus::kOk;
    // A read that ended without a fault of its own still brought no answer.
    const LinkStatus read = link.LastReadStatus();
    return read == LinkStatus::kOk ? LinkStatus::kTimeout : read;
}

ReadOutResult ReadOutCell(SerialLink& link, MeasurementRecord& rec, CellProgress& progress) {
    ReadOutResult out;
    if (progress.Cancelled()) {
        out.outcome = ReadOutResult::kCancelled;
        out.cancelled = true;
        return out;
    }
    out.fault = CellReadiness(link);
    if (out.fault != LinkStatus::kOk) {
        out.outcome = ReadOutResult::kNotReady;
        return out;
    }
    ReadOutProgress bar(progress, rec);
    const ReadPass first = ReadCellMemory(link, rec, 1, bar);
    out.fault = first.fault;
    if (!first.headerValid) {
        out.outcome = ReadOutResult::kDefective;
        return out;
    }
    out.cancelled = first.cancelled;
    auto finish = [&out](int received, int expected) {
        out.received = received;
        out.expected = expected;
        out.outcome = received == expected ? ReadOutResult::kOk : ReadOutResult::kIncomplete;
        return out;
    };
    if (Programs().Row(FindProgramRow(rec)).Measurements != 12)
        return finish(first.received, first.expected);

    // The cell keeps its memory, so the second pass reads all twelve
    // measurements. It goes into a scratch record: should the cell fail in
    // it, the first pass's data stay.
    const int total = TwelveTotal(rec);
    if (first.cancelled) return finish(first.received, total);
    // The answer the first pass gave up on may come yet.
    const bool lateAnswerPossible = first.fault == LinkStatus::kTimeout;
    const bool lateAnswerCame = lateAnswerPossible && LetLateAnswersPass(link, progress);
    MeasurementRecord second;
    bar.NextPass(first.expected);
    const ReadPass again = ReadCellMemory(link, second, 12, bar);
    out.cancelled = again.cancelled;
    if (again.fault != LinkStatus::kOk) out.fault = again.fault;
    if (!again.headerValid || again.received < first.received ||
        !RepeatsFirstPass(rec, second, first.received))
        return finish(first.received, total);
    if (lateAnswerPossible && again.Complete() && AnswerLeftOver(link))
        return finish(first.received, total);
    // A second pass that ended early leaves nothing over to show a late answer among its
    // bytes: one that has not come yet may have put the bytes behind the first pass's one
    // place out, and its own end came one request late.
    if (lateAnswerPossible && !lateAnswerCame && !again.Complete())
        return finish(first.received, total);
    rec = second;
    out.fault = again.fault;
    return finish(again.received, again.expected);
}

int QueryCellProgram(SerialLink& link) {
    MeasurementRecord scratch;
    ReadHeader(link, scratch, nullptr);
    if (!CheckHeader(scratch)) return -1;
    const int row = MatchProgramRow(scratch);
    return row > 0 ? row : -1;
}

}  // namespace kelvarn

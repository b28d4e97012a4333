// Faults on the line with kelvarn-cellsim: the line hung up part-way, a
// garbage header, a cell that answers every request too late. Each command
// must end with its own outcome, keep whatever arrived, and block no longer
// than the time-outs it may meet add up to.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <functional>

#include "cell/CellTasks.h"
#include "cell/ReadOut.h"
#include "cell_on_port.h"
#include "cellsim_harness.h"
#include "link/SerialLink.h"
#include "sim/CellModel.h"
#include "sim/LinkKit.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

// Bytes the PC sends before the first sample request of a read-out:
// connection check, reset, readiness question, reset, read command, eight
// header requests.
constexpr int kBeforeSamples = 1 + 10 + 2 + 10 + 1 + 8;

// Pauses of one user command: the settling pause before a read-out, the
// resets' 2 ms pauses and the command pauses, with room to spare.
constexpr int kCommandPausesMs = 700;

// How long a faulted command may block: every read that can go silent
// costs one read time-out, every exchange that is answered a little line
// and process time; doubled for a loaded machine. A bound, not a goal.
qint64 BlockingBoundMs(int silentReads, int exchanges) {
    return 2 * (silentReads * kReadTimeoutMs + kCommandPausesMs) + 2 * exchanges;
}

struct Quiet : CellProgress {
    QStringList texts;
    void Status(const QString& t) override { texts << t; }
};

// A memory image whose header no cell can hold: slots out of range and a
// point count far above the memory.
QByteArray GarbageMemory() {
    QByteArray b(MeasurementRecord::kSize, '\0');
    const uint8_t header[8] = {0x9C, 0x41, 0xEE, 0x07, 0x80, 0xFF, 0x12, 0x34};
    for (int i = 0; i < 8; ++i) b[i] = char(header[i]);
    uint32_t x = 12345;
    for (int i = 10; i < b.size(); ++i) b[i] = char((x = x * 1103515245u + 12345u) >> 24);
    return b;
}

class LineFaultTest : public ::testing::Test {
protected:
    // The link under test, on the machine's serial ports.
    SerialLink serial;

    TempConfig config;
    QString link = config.Path("cell");
    std::unique_ptr<Simulator> sim;

    LineFaultTest() {
        EnsureCoreApplication();
        LinkKit::Reset(serial);
        config.Map(1, link);
    }
    ~LineFaultTest() override {
        sim.reset();
        LinkKit::Reset(serial);
    }
    void Run(QStringList options) {
        sim.reset();
        LinkKit::Reset(serial);
        options << "--unpaced";
        sim = std::make_unique<Simulator>(link, options);
        ASSERT_TRUE(sim->Ready());
    }
};

}  // namespace

TEST_F(LineFaultTest, ReadOutEndsWithItsOutcomeAndKeepsWhatArrived) {
    const QString garbage = config.Path("garbage.dba");
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(GarbageMemory());
    }
    struct Case {
        const char* name;
        QStringList options;
        ReadOutResult::Outcome outcome;
        int received;     // samples kept
        int silentReads;  // reads that may wait a whole time-out
        int exchanges;
    };
    const Case cases[] = {
        // The 400th sample request goes unanswered: 399 samples arrived.
        {"hang-up in the samples",
         {"--program", "B", "--hang-up-after", QString::number(kBeforeSamples + 400)},
         ReadOutResult::kIncomplete,
         399,
         1,
         kBeforeSamples + 400},
        // Header bytes 4 to 8 missing: they read as 255, the header is
        // refused, and the one data request it leads to goes silent too.
        {"hang-up in the header",
         {"--program", "B", "--hang-up-after", QString::number(kBeforeSamples - 5)},
         ReadOutResult::kDefective,
         0,
         5 + 1,
         kBeforeSamples},
        {"garbage header",
         {"--memory", garbage},
         ReadOutResult::kDefective,
         0,
         0,
         kBeforeSamples + 2},
        // Every answer too late: the connection check's two tries fail, and
        // so does the readiness question.
        {"late answers", {"--answer-delay", "300"}, ReadOutResult::kNotReady, 0, 2 + 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Run(c.options);
        MeasurementRecord rec;
        rec.bytes.fill(0x5A);
        const MeasurementRecord before = rec;
        Quiet progress;
        QElapsedTimer t;
        t.start();
        const ReadOutResult r = ReadOutOnPort(serial, 1, rec, progress);
        const qint64 took = t.elapsed();
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.received, c.received);
        EXPECT_LE(took, BlockingBoundMs(c.silentReads, c.exchanges));
        switch (c.outcome) {
            case ReadOutResult::kIncomplete: {
                EXPECT_EQ(r.expected, 1000);
                EXPECT_EQ(progress.texts.back(), " Fehler.");
                // A line that hangs up is told from a cell that falls silent.
                EXPECT_EQ(r.fault, LinkStatus::kLineFailure);
                const MeasurementRecord cell = CellModel::SyntheticMeasurement(2, 1);
                EXPECT_TRUE(std::equal(cell.bytes.begin(), cell.bytes.begin() + 10 + 399,
                                       rec.bytes.begin()))
                    << "every sample that arrived is kept";
                break;
            }
            case ReadOutResult::kDefective:
                EXPECT_EQ(GetSampleTotal(rec), 0) << "a refused header describes no data";
                break;
            case ReadOutResult::kCancelled: ADD_FAILURE() << "nothing cancels here"; break;
            case ReadOutResult::kNotReady:
                EXPECT_EQ(rec, before);
                EXPECT_EQ(r.fault, LinkStatus::kTimeout) << "a late cell is a silent one";
                break;
            case ReadOutResult::kOk: break;
        }
    }
}

TEST_F(LineFaultTest, ProgramQueryOfACellThatAnswersTooLate) {
    // The answers land one request late: the first header byte is missing
    // (255), so no program is recognised, whatever followed.
    Run({"--program", "C", "--answer-delay", "300"});
    Quiet progress;
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(QueryProgramOnPort(serial, 1, progress), -1);
    EXPECT_LE(t.elapsed(), BlockingBoundMs(2 + 8, 20));
}

#include <gtest/gtest.h>

#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "link/SerialLink.h"
#include "sim/CellModel.h"
#include "sim/ScriptedDevice.h"

using namespace kelvarn;

namespace {

// The cell behind a scripted COM1, driven through the serial channel as
// the cell protocol drives it.
class CellModelTest : public ::testing::Test {
protected:
    ScriptedLink link;
    ScriptedDevice& port = link.AddPort(1);

    void Attach(CellModel& model) {
        port.AttachModel(&model);
        ASSERT_TRUE(link.serial.OpenPort(QStringLiteral("COM1:9600,N,8,2")));
    }

    // The load handshake; false when a prompt was missing.
    bool Upload(const std::vector<uint8_t>& payload) {
        (void)link.serial.ResetLink();
        (void)link.serial.WriteByte(5);
        link.serial.Delay(4);
        for (uint8_t b : payload) {
            if (link.serial.ReadByte() < 0) return false;
            (void)link.serial.WriteByte(1);
            (void)link.serial.WriteByte(b);
        }
        link.serial.ReadByte();
        (void)link.serial.WriteByte(0);
        return true;
    }

    // A read pass of `count` bytes (header included), closed with 0.
    std::vector<int> ReadMemory(int count) {
        (void)link.serial.ResetLink();
        (void)link.serial.WriteByte(2);
        std::vector<int> got;
        for (int k = 0; k < count; ++k) {
            (void)link.serial.WriteByte(1);
            got.push_back(link.serial.ReadByte());
        }
        (void)link.serial.WriteByte(0);
        return got;
    }
};

std::vector<int> Expected(const MeasurementRecord& rec, int count) {
    std::vector<int> v;
    for (int k = 0; k < count; ++k) v.push_back(rec.bytes[size_t(k < 8 ? k : k + 2)]);
    return v;
}

}  // namespace

TEST_F(CellModelTest, RecognisesUploadedProgramsAndHoldsTheirMeasurement) {
    CellModel cell;
    Attach(cell);
    const auto key = KeyProgramBytes(Programs().Row(1).KeyProgram);
    ASSERT_TRUE(Upload(key));
    EXPECT_EQ(cell.LastPayload(), key);
    EXPECT_EQ(cell.Program(), 1);
    EXPECT_EQ(cell.TakeEvents(),
              QStringList{QStringLiteral("load %1 bytes: program A, START key").arg(key.size())});

    // The header is what the program table says of program A.
    MeasurementRecord a;
    BuildHeader(a, 1);
    const auto header = ReadMemory(8);
    EXPECT_EQ(header, Expected(a, 8));
    EXPECT_EQ(ReadMemory(1009), Expected(CellModel::SyntheticMeasurement(1, 1), 1009));

    auto image = TimedProgramImage(Programs().Row(3).TimedProgram);
    image[kDelayHoursPos - 1] = 2;
    image[kDelayMinutesPos - 1] = 4;
    image[kDelaySecondsPos - 1] = 30;
    cell.TakeEvents();
    ASSERT_TRUE(Upload(std::vector<uint8_t>(image.begin(), image.begin() + 400)));
    EXPECT_EQ(cell.Program(), 3);
    EXPECT_TRUE(cell.TakeEvents().contains("load 400 bytes: timed program C, start in 2:04:30"));

    ASSERT_TRUE(Upload({1, 2, 3}));
    EXPECT_EQ(cell.Program(), 3) << "foreign bytes are taken but change nothing known";
}

TEST(CellModel, TheSyntheticMeasurementIsReproducibleAndLooksLikeNoise) {
    const MeasurementRecord a = CellModel::SyntheticMeasurement(2, 7);
    EXPECT_EQ(a, CellModel::SyntheticMeasurement(2, 7));
    EXPECT_NE(a, CellModel::SyntheticMeasurement(2, 8));
    int low = 255, high = 0;
    for (int k = 0; k < 1000; ++k) {
        const int v = a.bytes[size_t(10 + k)];
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_GE(low, 1) << "0 is no level";
    EXPECT_GT(high - low, 20) << "the level moves";
    EXPECT_EQ(a.bytes[10 + 1000], 0) << "nothing behind the program's samples";
}

TEST_F(CellModelTest, FaultsOfTheRead) {
    CellModelOptions o;
    o.stopReadAfter = 10;
    o.badHeader = true;
    CellModel cell(o);
    Attach(cell);
    const auto got = ReadMemory(12);
    EXPECT_EQ(got[0], 0);
    EXPECT_EQ(got[1], 0);
    EXPECT_EQ(got[2], 1) << "only the point count is spoilt";
    EXPECT_GT(got[9], 0);
    EXPECT_EQ(got[10], -1);
    EXPECT_EQ(got[11], -1);
    EXPECT_EQ(ReadMemory(1)[0], 0) << "each read pass answers again";
}

TEST_F(CellModelTest, ALateAnswerComesOnceAtItsTimeAndOutlivesAPurgeBeforeIt) {
    CellModelOptions o;
    o.lateReadAt = 9;  // the second data byte
    o.lateReadMs = 300;
    CellModel cell(o);
    Attach(cell);
    const MeasurementRecord& m = cell.Memory();
    (void)link.serial.ResetLink();
    (void)link.serial.WriteByte(2);
    for (int k = 0; k < 9; ++k) {
        (void)link.serial.WriteByte(1);
        ASSERT_EQ(link.serial.ReadByte(), Expected(m, 9)[size_t(k)]) << k;
    }
    const long long asked = link.clock.elapsedMs;
    (void)link.serial.WriteByte(1);
    EXPECT_EQ(link.serial.ReadByte(), -1) << "not within the read's time-out";
    EXPECT_EQ(link.clock.elapsedMs, asked + kReadTimeoutMs);
    (void)link.serial.WriteByte(0);
    EXPECT_TRUE(link.serial.PurgeReceive());
    EXPECT_EQ(link.serial.ReadByte(), m.bytes[11]) << "a read that waits past its time gets it";
    EXPECT_EQ(link.clock.elapsedMs, asked + 300) << "and waits no longer";

    // Once: the next read answers every request at once.
    EXPECT_EQ(ReadMemory(12), Expected(m, 12));
    EXPECT_EQ(link.serial.ReadByte(), -1);
}

TEST_F(CellModelTest, LiveStreamAndItsZeroFault) {
    CellModelOptions o;
    o.program = 7;  // G: 500 samples of 20 ms, twelve times
    o.liveZeroAfter = 3;
    CellModel cell(o);
    Attach(cell);
    (void)link.serial.ResetLink();
    (void)link.serial.WriteByte(9);
    EXPECT_TRUE(cell.LiveRunning());
    EXPECT_EQ(cell.LiveIntervalMs(), 20);
    std::vector<int> got;
    for (int k = 0; k < 5; ++k) got.push_back(link.serial.ReadByte());
    const MeasurementRecord& m = cell.Memory();
    EXPECT_EQ(got, (std::vector<int>{m.bytes[10], m.bytes[11], m.bytes[12], 0, m.bytes[14]}));
    EXPECT_EQ(link.clock.elapsedMs, 5 * 20 + 20) << "five intervals and the reset's pauses";
    (void)link.serial.WriteByte(0);  // the PC speaks: the stream ends
    EXPECT_FALSE(cell.LiveRunning());
    EXPECT_EQ(link.serial.ReadByte(), -1);
}

TEST_F(CellModelTest, AnswersOnlyAtItsLineSpeed) {
    CellModel cell;  // RQ410, 9600 baud
    port.AttachModel(&cell);
    ASSERT_TRUE(link.serial.OpenPort(QStringLiteral("COM1:19200,N,8,2")));
    (void)link.serial.WriteByte(12);
    EXPECT_EQ(link.serial.ReadByte(), -1);
    ASSERT_TRUE(link.serial.OpenPort(QStringLiteral("COM1:9600,N,8,2")));
    (void)link.serial.WriteByte(12);
    EXPECT_EQ(link.serial.ReadByte(), 240);
    link.serial.SetDeviceKind(kCell);
    EXPECT_EQ(link.serial.ReadChannel(2), 200);
    link.serial.WriteOutputs(3);
    EXPECT_EQ(cell.Outputs(), 63);
}

TEST(CellModel, HoldsAGivenMeasurementFile) {
    MeasurementRecord rec = CellModel::SyntheticMeasurement(5, 3);
    CellModelOptions o;
    o.memoryFile.assign(rec.bytes.begin(), rec.bytes.end());
    CellModel cell(o);
    EXPECT_EQ(cell.Memory(), rec);
    EXPECT_EQ(cell.Program(), 5);
}

// The events say what the device sent: a silent device sends nothing, so
// its log names the requests it heard and no answer.
TEST(CellModel, EventsNameOnlyAnswersThatWereSent) {
    struct Case {
        SimDevice device;
        int baud;
        std::vector<uint8_t> request;
        const char* answered;  // the event when the device talks
        const char* heard;     // the event when it is silent
    };
    const Case cases[] = {
        {SimDevice::Rq410, 9600, {12}, "connect 12 -> 240", "connect 12: no answer (silent)"},
        {SimDevice::PlainCell, 9600, {13}, "connect 13 -> 1", "connect 13: no answer (silent)"},
        {SimDevice::Rq410, 9600, {7, 3}, "channel 3 -> 200", "channel 3: no answer (silent)"},
        {SimDevice::Nera, 19200, {1}, "identify 1 -> 10", "identify 1: no answer (silent)"},
        {SimDevice::Peltrix, 19200, {49}, "channel 2 -> 200", "channel 2: no answer (silent)"},
        {SimDevice::VendraSerial,
         19200,
         {1},
         "identify 1 -> 201",
         "identify 1: no answer (silent)"},
        {SimDevice::Tavinbox,
         19200,
         {211},
         "identify 211 -> 77",
         "identify 211: no answer (silent)"},
        {SimDevice::Orbide, 19200, {13}, "identify 13 -> 33", "identify 13: no answer (silent)"},
    };
    for (const Case& c : cases) {
        for (bool silent : {false, true}) {
            SCOPED_TRACE(std::string(c.answered) + (silent ? ", silent" : ""));
            CellModel cell({.device = c.device, .silent = silent});
            std::vector<uint8_t> sent;
            for (uint8_t b : c.request) {
                const auto out = cell.Receive(b, c.baud);
                sent.insert(sent.end(), out.begin(), out.end());
            }
            EXPECT_EQ(sent.empty(), silent);
            EXPECT_EQ(cell.TakeEvents(),
                      QStringList{QString::fromUtf8(silent ? c.heard : c.answered)});
        }
    }
}

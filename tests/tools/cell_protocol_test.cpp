// The cell protocol against kelvarn-cellsim over a real pseudo-terminal:
// the bytes the simulator logged, the records and reports the protocol
// gives back, and its failures.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTime>

#include "cell/CellTasks.h"
#include "cell/ProgramTransfer.h"
#include "cell/ReadOut.h"
#include "cell_on_port.h"
#include "cellsim_harness.h"
#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "link/DeviceSearch.h"
#include "link/SerialLink.h"
#include "sim/CellModel.h"
#include "sim/LinkKit.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

std::vector<uint8_t> Reset() {
    return std::vector<uint8_t>(10, 0);
}
std::vector<uint8_t> Ones(size_t n) {
    return std::vector<uint8_t>(n, 1);
}
std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<uint8_t> UploadFrame(const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out = Cat({Reset(), {5}});
    for (uint8_t b : payload) out.insert(out.end(), {1, b});
    out.push_back(0);
    return out;
}

std::vector<uint8_t> ReadPassFrame(int n) {
    return Cat({Reset(), {2}, Ones(8 + size_t(n) + 1), {0}});
}

struct Texts : CellProgress {
    QStringList texts;
    int lastMax = -1, lastPosition = -1, positions = 0;
    void Status(const QString& t) override { texts << t; }
    void ProgressMax(int m) override { lastMax = m; }
    void ProgressPosition(int p) override {
        lastPosition = p;
        ++positions;
    }
};

class CellProtocolTest : public ::testing::Test {
protected:
    // The link under test, on the machine's serial ports.
    SerialLink serial;

    TempConfig config;
    QString link = config.Path("cell");
    QString log = config.Path("bytes.bin");
    QString events = config.Path("events.txt");
    std::unique_ptr<Simulator> sim;

    CellProtocolTest() {
        EnsureCoreApplication();
        LinkKit::Reset(serial);
        config.Map(1, link);
    }
    ~CellProtocolTest() override {
        sim.reset();
        LinkKit::Reset(serial);
    }

    // An unpaced simulator with these options on COM1, and the connection
    // to it.
    void Run(QStringList options, bool connect = true) {
        options << "--unpaced"
                << "--log" << log << "--events" << events;
        sim.reset();  // the link is free again
        sim = std::make_unique<Simulator>(link, options);
        ASSERT_TRUE(sim->Ready());
        if (connect) {
            ASSERT_TRUE(ConnectCell(serial, 1));
        }
    }

    // Everything the simulator received, once `count` bytes are there.
    std::vector<uint8_t> Logged(size_t count) {
        QElapsedTimer t;
        t.start();
        QByteArray bytes;
        do {
            bytes = ReadAll(log);
            if (size_t(bytes.size()) >= count) break;
            QThread::msleep(5);
        } while (t.elapsed() < 3000);
        return {bytes.begin(), bytes.end()};
    }
    QString Events() { return QString::fromUtf8(ReadAll(events)); }
};

class InFolder {
public:
    explicit InFolder(const QString& path) : old_(QDir::currentPath()) { QDir::setCurrent(path); }
    ~InFolder() { QDir::setCurrent(old_); }

private:
    QString old_;
};

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

}  // namespace

TEST_F(CellProtocolTest, UploadsOfKeyProgramFilesAndTimedImage) {
    QByteArray file;
    for (int i = 0; i < 600; ++i) file.append(char(255 - i % 256));
    Write(config.Path("C.BIN"), file);
    Write(config.Path("D.BIN"), {});
    InFolder here(QFileInfo(log).path());
    Run({});
    CellProgress quiet;

    ASSERT_TRUE(UploadKeyProgram(serial, 2, false, quiet));
    const std::vector<uint8_t> key = KeyProgramBytes(Programs().Row(2).KeyProgram);
    ASSERT_TRUE(UploadKeyProgram(serial, 3, true, quiet));
    ASSERT_TRUE(UploadKeyProgram(serial, 4, true, quiet));
    ASSERT_TRUE(UploadTimedProgram(serial, 8, QTime(23, 50, 0), QTime(0, 10, 0)));
    std::array<uint8_t, 500> image = TimedProgramImage(Programs().Row(8).TimedProgram);
    image[kDelayHoursPos - 1] = 0;
    image[kDelayMinutesPos - 1] = 19;
    image[kDelaySecondsPos - 1] = 60;
    image[kDelayZeroPos - 1] = 0;
    const std::vector<uint8_t> timed(image.begin(), image.begin() + 400);
    EXPECT_EQ(timed[398], 255);
    EXPECT_EQ(timed[399], 255);
    ASSERT_EQ(SendRunCommand(serial), LinkStatus::kOk);

    const std::vector<uint8_t> expected = Cat({{12},
                                               UploadFrame(key),
                                               UploadFrame({file.begin(), file.end()}),
                                               UploadFrame({}),
                                               UploadFrame(timed),
                                               Reset(),
                                               {6}});
    EXPECT_EQ(Logged(expected.size()), expected);
    const QString e = Events();
    EXPECT_TRUE(e.contains("load 149 bytes: program B, START key")) << e.toStdString();
    EXPECT_TRUE(e.contains("load 600 bytes: unknown program"));
    EXPECT_TRUE(e.contains("load 0 bytes: unknown program"));
    EXPECT_TRUE(e.contains("load 400 bytes: timed program H, start in 0:19:60"));
    EXPECT_TRUE(e.contains("run program H"));
}

TEST_F(CellProtocolTest, UploadStopsWhereThePromptsStop) {
    // The line drops after the command and five program bytes.
    Run({"--hang-up-after", QString::number(1 + 11 + 2 * 5)});
    CellProgress quiet;
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(UploadKeyProgram(serial, 1, false, quiet));
    EXPECT_LT(t.elapsed(), 2000);
    const std::vector<uint8_t> key = KeyProgramBytes(Programs().Row(1).KeyProgram);
    const std::vector<uint8_t> got = Logged(22);
    ASSERT_EQ(got.size(), 22u);
    EXPECT_EQ(got,
              Cat({{12}, Reset(), {5, 1, key[0], 1, key[1], 1, key[2], 1, key[3], 1, key[4]}}));
}

TEST_F(CellProtocolTest, ReadOutOfProgramB) {
    Run({"--program", "B", "--seed", "5"});
    Texts progress;
    MeasurementRecord rec;
    const ReadOutResult r = ReadOutCell(serial, rec, progress);
    ASSERT_EQ(r.outcome, ReadOutResult::kOk);
    EXPECT_EQ(r.received, 1000);

    MeasurementRecord expected = CellModel::SyntheticMeasurement(2, 5);
    expected.bytes[8] = 1;
    expected.bytes[9] = 1;
    EXPECT_EQ(rec, expected);
    const std::vector<uint8_t> frame = Cat({{12}, Reset(), {7, 2}, ReadPassFrame(1000)});
    EXPECT_EQ(Logged(frame.size()), frame);
    ASSERT_EQ(progress.texts.size(), 3 + 10 + 1);
    EXPECT_EQ(progress.texts.mid(0, 4),
              QStringList({" Hardware inititialisiert.", " Datentyp gelesen.", " Daten lesen.",
                           " Daten lesen: 100/1000"}));
    EXPECT_EQ(progress.texts.mid(12), QStringList({" Daten lesen: 1000/1000", " OK."}));
    EXPECT_EQ(progress.lastMax, 1000);
    EXPECT_EQ(progress.lastPosition, 1000);
}

TEST_F(CellProtocolTest, ReadOutOfProgramGInTwoPasses) {
    Run({"--program", "G"});
    Texts progress;
    MeasurementRecord rec;
    const ReadOutResult r = ReadOutCell(serial, rec, progress);
    ASSERT_EQ(r.outcome, ReadOutResult::kOk);
    EXPECT_EQ(r.received, 6000);
    MeasurementRecord expected = CellModel::SyntheticMeasurement(7, 1);
    expected.bytes[8] = 1;
    expected.bytes[9] = 12;
    EXPECT_EQ(rec, expected);
    const std::vector<uint8_t> frame =
        Cat({{12}, Reset(), {7, 2}, ReadPassFrame(500), ReadPassFrame(6000)});
    EXPECT_EQ(Logged(frame.size()), frame);
    EXPECT_EQ(progress.texts.count(" Daten lesen."), 2);
    EXPECT_TRUE(progress.texts.contains(" Daten lesen: 500/500"));
    EXPECT_TRUE(progress.texts.contains(" Daten lesen: 6000/6000"));
    EXPECT_EQ(progress.positions, 501 + 6001);
    // One bar over both passes.
    EXPECT_EQ(progress.lastMax, 500 + 6000);
    EXPECT_EQ(progress.lastPosition, 500 + 6000);
}

TEST_F(CellProtocolTest, DefectiveHeaderAndIncompleteData) {
    {
        Run({"--program", "B", "--bad-header"});
        Texts progress;
        MeasurementRecord rec;
        EXPECT_EQ(ReadOutCell(serial, rec, progress).outcome, ReadOutResult::kDefective);
        EXPECT_EQ(GetSampleTotal(rec), 0);
    }
    {
        Run({"--program", "C", "--stop-read-after", "408"});
        Texts progress;
        MeasurementRecord rec;
        QElapsedTimer t;
        t.start();
        const ReadOutResult r = ReadOutCell(serial, rec, progress);
        EXPECT_EQ(r.outcome, ReadOutResult::kIncomplete);
        EXPECT_EQ(r.received, 400);
        EXPECT_EQ(r.expected, 1000);
        EXPECT_EQ(progress.texts.back(), " Fehler.");
        EXPECT_LT(t.elapsed(), 2000) << "one silent byte, not one per sample";
    }
}

TEST_F(CellProtocolTest, QueryForEveryProgramAndForASilentCell) {
    for (int row = 1; row <= 9; ++row) {
        SCOPED_TRACE(row);
        Run({"--program", QString(ProgramLetter(row))});
        EXPECT_EQ(QueryCellProgram(serial), row);
        const std::vector<uint8_t> frame = Cat({{12}, Reset(), {2}, Ones(8)});
        EXPECT_EQ(Logged(frame.size()), frame) << "no closing 0";
    }
    Run({"--silent"}, false);
    Texts progress;
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(QueryProgramOnPort(serial, 1, progress), -1);
    EXPECT_GE(t.elapsed(), 8 * 200) << "eight silent header bytes";
}

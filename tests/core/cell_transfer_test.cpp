// Program uploads against the scripted cell: the bytes on the line, what the
// cell took, and where an upload stops.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "cell/ProgramTransfer.h"
#include "cell/StartDelay.h"
#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "scripted_cell_support.h"

using namespace kelvarn;

namespace {

// Every byte of an upload of payload as the PC sends it.
std::vector<uint8_t> UploadFrame(const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out = Reset();
    out.push_back(5);
    for (uint8_t b : payload) {
        out.push_back(1);
        out.push_back(b);
    }
    out.push_back(0);
    return out;
}

// The working directory for the length of a test, with the program files
// a test puts there.
class InFolder {
public:
    InFolder() : old_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~InFolder() { QDir::setCurrent(old_); }
    void Put(const QString& name, const QByteArray& bytes) {
        QFile f(dir_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

private:
    QTemporaryDir dir_;
    QString old_;
};

std::vector<uint8_t> Bytes(const QByteArray& a) {
    return {a.begin(), a.end()};
}

class TransferTest : public ScriptedCellTest {};

}  // namespace

TEST(StartDelayTest, TableOfNowAndTarget) {
    struct Row {
        QTime now, target;
        StartDelay expected;
    };
    const Row rows[] = {
        {QTime(10, 20, 30), QTime(12, 25, 0), {2, 4, 30}},
        {QTime(10, 20, 30), QTime(10, 25, 0), {0, 3, 30}},
        {QTime(10, 20, 0), QTime(10, 25, 0), {0, 4, 60}},
        {QTime(23, 50, 0), QTime(0, 10, 0), {0, 19, 60}},
        {QTime(10, 20, 30), QTime(10, 20, 30), {0, 0, 0}},
        // Earlier in the day, even by one minute: tomorrow.
        {QTime(10, 20, 0), QTime(10, 19, 0), {23, 59, 0}},
        // Earlier by seconds only: tomorrow as well, not 254 minutes from now.
        {QTime(10, 20, 30), QTime(10, 20, 14), {23, 59, 44}},
        // The seconds borrow from the minutes, the minutes from the hours.
        {QTime(10, 20, 30), QTime(12, 20, 10), {1, 59, 40}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE((r.now.toString() + " -> " + r.target.toString()).toStdString());
        const StartDelay d = ComputeStartDelay(r.now, r.target);
        EXPECT_EQ(int(d.hours), int(r.expected.hours));
        EXPECT_EQ(int(d.minutes), int(r.expected.minutes));
        EXPECT_EQ(int(d.seconds), int(r.expected.seconds));
    }
}

TEST_F(TransferTest, KeyProgramGoesOutRawOnePromptPerByte) {
    for (int row : {1, 2, 9}) {
        SCOPED_TRACE(row);
        Attach();
        RecordedProgress progress;
        ASSERT_TRUE(UploadKeyProgram(link.serial, row, false, progress));
        const std::vector<uint8_t> payload = KeyProgramBytes(Programs().Row(row).KeyProgram);
        EXPECT_EQ(payload.size(), Programs().Row(row).KeyProgram.size() / 2);
        EXPECT_EQ(port.written, UploadFrame(payload));
        EXPECT_EQ(cell->LastPayload(), payload);
        EXPECT_EQ(cell->Program(), row) << "the cell recognised its program";
        EXPECT_TRUE(progress.texts.isEmpty());
        EXPECT_EQ(port.silentReads, 0);
    }
}

TEST_F(TransferTest, ProgramFileIsSentWholeWhateverItHolds) {
    InFolder folder;
    QByteArray file;
    for (int i = 0; i < 700; ++i) file.append(char(i * 37));  // 0 and 255 among them
    folder.Put(QStringLiteral("C.BIN"), file);
    folder.Put(QStringLiteral("D.BIN"), QByteArray());
    Attach();
    RecordedProgress progress;

    ASSERT_TRUE(UploadKeyProgram(link.serial, 3, true, progress));
    EXPECT_EQ(port.written, UploadFrame(Bytes(file)));
    EXPECT_EQ(cell->LastPayload(), Bytes(file));

    // An empty file: only the closing read and the 0.
    port.written.clear();
    ASSERT_TRUE(UploadKeyProgram(link.serial, 4, true, progress));
    EXPECT_EQ(port.written, UploadFrame({}));
    EXPECT_TRUE(progress.texts.isEmpty());
}

TEST_F(TransferTest, MissingProgramFileStopsAfterTheCommandWithItsErrorCode) {
    InFolder folder;  // holds no B.BIN
    Attach();
    RecordedProgress progress;
    EXPECT_FALSE(UploadKeyProgram(link.serial, 2, true, progress));
    EXPECT_EQ(progress.texts,
              QStringList{"Dateifehler 2. " + QDir::current().absoluteFilePath("B.BIN")});
    EXPECT_EQ(port.written, Cat({Reset(), {5}})) << "the command went out before the file";
}

TEST_F(TransferTest, MissingPromptStopsTheUploadAtOnce) {
    Attach();
    // A cell that prompts three times and then falls silent.
    int prompts = 3;
    bool loading = false, marker = false;
    port.AttachModel(nullptr);
    port.SetResponder([&](uint8_t w) -> std::vector<uint8_t> {
        if (!loading) {
            loading = w == 5;
            marker = true;
        } else if (marker) {
            marker = w != 1;
            if (marker) loading = false;
            return {};
        } else {
            marker = true;
        }
        if (loading && prompts > 0) {
            --prompts;
            return {1};
        }
        return {};
    });
    RecordedProgress progress;
    EXPECT_FALSE(UploadKeyProgram(link.serial, 2, false, progress));
    const std::vector<uint8_t> key = KeyProgramBytes(Programs().Row(2).KeyProgram);
    EXPECT_EQ(port.written, Cat({Reset(), {5, 1, key[0], 1, key[1], 1, key[2]}}))
        << "no closing 0 after the missing prompt";
    EXPECT_EQ(port.silentReads, 1);
}

TEST_F(TransferTest, ALineThatFailsStopsTheUploadAndTheRunCommandSaysSo) {
    Attach();
    port.writesLeft = 10 + 1 + 2 * 20;  // the opening and twenty program bytes
    RecordedProgress progress;
    EXPECT_FALSE(UploadKeyProgram(link.serial, 2, false, progress));
    EXPECT_EQ(port.written.size(), 10u + 1 + 2 * 20);
    EXPECT_EQ(link.log.filter(" failed").size(), 1) << "nothing more tried after the failure";
    EXPECT_EQ(SendRunCommand(link.serial), LinkStatus::kLineFailure);
}

TEST_F(TransferTest, TimedImageIsWordSwappedFourHundredBytesWithTheDelay) {
    for (int row = 1; row <= 9; ++row) {
        SCOPED_TRACE(row);
        Attach();
        ASSERT_TRUE(UploadTimedProgram(link.serial, row, QTime(10, 20, 30), QTime(12, 25, 0)));
        const std::vector<uint8_t>& sent = cell->LastPayload();
        ASSERT_EQ(sent.size(), 400u);
        const QString& text = Programs().Row(row).TimedProgram;
        // The first word "abcd" goes out as cd, ab.
        EXPECT_EQ(sent[0], text.mid(2, 2).toUInt(nullptr, 16));
        EXPECT_EQ(sent[1], text.mid(0, 2).toUInt(nullptr, 16));
        EXPECT_EQ(sent[kDelayHoursPos - 1], 2);
        EXPECT_EQ(sent[kDelayMinutesPos - 1], 4);
        EXPECT_EQ(sent[kDelaySecondsPos - 1], 30);
        EXPECT_EQ(sent[kDelayZeroPos - 1], 0);
        // Behind the decoded text the filler: 12 bytes for A to F, 2 for G to I.
        const size_t decoded = size_t(text.size() / 2);
        EXPECT_EQ(decoded, row <= 6 ? 388u : 398u);
        for (size_t i = decoded; i < 400; ++i) EXPECT_EQ(sent[i], 255) << i;
        EXPECT_EQ(port.written.size(), UploadFrame(sent).size());
        EXPECT_EQ(port.written, UploadFrame(sent));
        const QStringList events = cell->TakeEvents();
        EXPECT_TRUE(events.join('\n').contains(
            QStringLiteral("timed program %1, start in 2:04:30").arg(ProgramLetter(row))))
            << events.join('\n').toStdString();
    }
}

TEST_F(TransferTest, RunCommandFollowsAReset) {
    Attach();
    ASSERT_EQ(SendRunCommand(link.serial), LinkStatus::kOk);
    EXPECT_EQ(port.written, Cat({Reset(), {6}}));
    EXPECT_EQ(link.clock.sleeps.back(), 4);
}

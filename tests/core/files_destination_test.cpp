// Where a save goes: the check that runs the save's own preparation before
// the contents are known, names as long as the system allows, and two saves
// of one file at the same moment.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <memory>

#include "data/MeasurementRecord.h"
#include "file_support.h"
#include "files/Export.h"
#include "files/FileErrors.h"
#include "files/MeasurementFile.h"
#include "files/MeasurementWithRemarks.h"
#include "files/PosixFile.h"
#include "files/RemarksFile.h"
#include "files/Rtf.h"
#include "files/SystemPath.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

MeasurementRecord PatternRecord(uint8_t seed) {
    MeasurementRecord rec;
    for (int i = 0; i < MeasurementRecord::kSize; ++i) rec.bytes[i] = uint8_t(i * 5 + seed);
    return rec;
}

QByteArray Bytes(const MeasurementRecord& rec) {
    return QByteArray(reinterpret_cast<const char*>(rec.bytes.data()), MeasurementRecord::kSize);
}

// Every entry of a folder, hidden ones too, by the bytes of their names.
QStringList Entries(const QString& dir) {
    return QDir(dir).entryList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray ReadBytes(const QByteArray& name) {
    QByteArray out;
    const int fd = ::open(name.constData(), O_RDONLY);
    if (fd < 0) return "<unreadable>";
    char buf[8192];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) out.append(buf, n);
    ::close(fd);
    return out;
}

// A name of exactly n bytes: "ä" (two bytes) as often as fits, then "x" and ".dba".
QString NameOfBytes(int n, bool twoByteLetters) {
    QString name;
    const int stem = n - 4;
    if (twoByteLetters) {
        for (int i = 0; i < stem / 2; ++i) name += QChar(0xE4);
        if (stem % 2) name += QLatin1Char('x');
    } else {
        name = QString(stem, QLatin1Char('m'));
    }
    name += QStringLiteral(".dba");
    EXPECT_EQ(name.toUtf8().size(), n);
    return name;
}

// Whether the folder's file system makes files without a name (O_TMPFILE).
bool MakesUnnamedFiles(const QString& dir) {
    const int fd = ::open(QFile::encodeName(dir).constData(), O_TMPFILE | O_WRONLY, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

// Restores the save's seams when a test ends.
struct SeamsReset {
    ~SeamsReset() { FileReplacementSeamsForTests() = {}; }
};

}  // namespace

TEST(Destination, TheCheckIsTheSavesOwnPreparationAndLeavesNothingBehind) {
    QTemporaryDir dir;
    const QString existing = dir.filePath("ALT.DBA");
    WriteBytes(existing, Bytes(PatternRecord(1)));
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(existing).constData(), &before), 0);

    EXPECT_TRUE(CheckMeasurementDestination(existing).ok);
    EXPECT_TRUE(CheckMeasurementDestination(dir.filePath("NEU.DBA")).ok);
    EXPECT_EQ(ReadAll(existing), Bytes(PatternRecord(1)));
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(existing).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the old file was not replaced";
    EXPECT_EQ(Entries(dir.path()), QStringList{"ALT.DBA"}) << "no temporary file, no new file";

    // What the save fails on, the check fails on, with the save's message.
    ASSERT_EQ(::symlink("schleife-b", QFile::encodeName(dir.filePath("schleife-a")).constData()),
              0);
    ASSERT_EQ(::symlink("schleife-a", QFile::encodeName(dir.filePath("schleife-b")).constData()),
              0);
    QDir(dir.path()).mkdir("ORDNER.DBA");
    const QString cases[] = {
        dir.filePath("schleife-a"),
        dir.filePath("fehlt/M.DBA"),
        dir.filePath("ORDNER.DBA"),
        dir.filePath(NameOfBytes(256, false)),
        "",
    };
    for (const QString& path : cases) {
        SCOPED_TRACE(path.toStdString());
        const CommandResult check = CheckMeasurementDestination(path);
        const CommandResult save = WriteMeasurementFile(path, PatternRecord(2));
        EXPECT_FALSE(check.ok);
        EXPECT_FALSE(save.ok);
        EXPECT_EQ(check.message, save.message);
    }
    EXPECT_EQ(CheckMeasurementDestination(dir.filePath("schleife-a")).message,
              QString::fromUtf8(kMsgInvalidFileName));
}

TEST(Destination, AFolderWhoseNameIsNotUtf8IsWritable) {
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + "/Messungen \xff\xfe";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    // The temporary folder cannot remove such names.
    const std::unique_ptr<const QByteArray, void (*)(const QByteArray*)> removed(
        &folder, [](const QByteArray* f) {
            ::unlink((*f + "/M.DBA").constData());
            ::rmdir(f->constData());
        });
    const QString path = PathFromSystem(folder + "/M.DBA");
    EXPECT_TRUE(CheckMeasurementDestination(path).ok);
    ASSERT_TRUE(WriteMeasurementFile(path, PatternRecord(3)).ok);
    EXPECT_EQ(ReadBytes(folder + "/M.DBA"), Bytes(PatternRecord(3)));
    // Its date is found by the same bytes (the report's "Dateidatum").
    const QDateTime date = FileModificationTime(path);
    EXPECT_TRUE(date.isValid());
    EXPECT_LE(qAbs(date.secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_FALSE(FileModificationTime(PathFromSystem(folder + "/fehlt.dba")).isValid());
}

TEST(Destination, WhereTheRecordDoesNotFitTheCheckFails) {
    // A file system that takes no more than 4000 bytes per file: the old
    // check (may the folder be written?) said yes, and the read-out was lost.
    QTemporaryDir dir;
    const QString path = dir.filePath("M.DBA");
    InChildProcess(false, [&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{4000, 4000};
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) return std::string("setrlimit failed");
        return Expect("message", CheckMeasurementDestination(path).message,
                      QStringLiteral("E/A-Fehler %1").arg(EFBIG));
    });
    EXPECT_EQ(Entries(dir.path()), QStringList{});
}

TEST(Destination, AFullFileSystemIsFoundBeforeTheContentsAreKnown) {
    // An 8 KB tmpfs holding the old file, in a mount namespace of a child
    // process of its own. Skipped where mounting is not allowed.
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.filePath("klein"));
    ASSERT_EQ(::mkdir(mountPoint.constData(), 0755), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(10);
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=8k") != 0)
            _exit(77);
        const QString path = QFile::decodeName(mountPoint + "/M.DBA");
        if (!WriteMeasurementFile(path, PatternRecord(1)).ok) _exit(3);
        const CommandResult check = CheckMeasurementDestination(path);
        const CommandResult save = WriteMeasurementFile(path, PatternRecord(2));
        const bool kept = ReadAll(path) == Bytes(PatternRecord(1));
        const bool clean = Entries(QFile::decodeName(mountPoint)) == QStringList{"M.DBA"};
        _exit(!check.ok && check.message == QString::fromUtf8(kMsgDiskFull) && !save.ok && kept &&
                      clean
                  ? 0
                  : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no tmpfs can be mounted here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(LongNames, EveryNameTheSystemAllowsIsSaved) {
    QTemporaryDir dir;
    for (const bool twoByte : {false, true}) {
        for (const int n : {200, 246, 247, 250, 254, 255}) {
            SCOPED_TRACE(n);
            SCOPED_TRACE(twoByte);
            const QString path = dir.filePath(NameOfBytes(n, twoByte));
            // New, then over the old one.
            ASSERT_TRUE(WriteMeasurementFile(path, PatternRecord(1)).ok);
            const CommandResult again = WriteMeasurementFile(path, PatternRecord(2));
            ASSERT_TRUE(again.ok) << again.message.toStdString();
            EXPECT_EQ(ReadAll(path), Bytes(PatternRecord(2)));
            EXPECT_TRUE(WriteExportFile(path, "export").ok);
            EXPECT_EQ(ReadAll(path), "export");
            // The window's save: measurement and description (".RMK", as long).
            const CommandResult both =
                SaveMeasurementWithRemarks(path, PatternRecord(3), RichText::FromPlainText("x"));
            EXPECT_TRUE(both.ok) << both.message.toStdString();
            EXPECT_EQ(ReadAll(path), Bytes(PatternRecord(3)));
            EXPECT_TRUE(CheckMeasurementDestination(path).ok);
            QDir(dir.path()).removeRecursively();
            QDir().mkpath(dir.path());
        }
    }
    // One byte more is a name the system does not allow.
    EXPECT_EQ(WriteMeasurementFile(dir.filePath(NameOfBytes(256, false)), PatternRecord(1)).message,
              QString::fromUtf8(kMsgInvalidFileName));
}

TEST(LongNames, TheTemporaryNameIsCutBetweenCharactersAndItsLeftoversAreRemoved) {
    QTemporaryDir dir;
    const QString path = dir.filePath(NameOfBytes(255, true));
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temp = TemporaryNameFor(target, "abc123");
    const QByteArray base = temp.mid(temp.lastIndexOf('/') + 1);
    EXPECT_LE(base.size(), 255);
    EXPECT_TRUE(base.startsWith(".\xc3\xa4"));
    EXPECT_TRUE(base.endsWith(".~abc123"));
    EXPECT_EQ(QString::fromUtf8(base).toUtf8(), base) << "cut between two characters";
    // Short names keep theirs whole.
    EXPECT_EQ(TemporaryNameFor("/x/M.DBA", "7"), "/x/.M.DBA.~7");

    // What an interrupted save left is removed by the next save.
    WriteBytes(QFile::decodeName(temp), "rest");
    WriteBytes(QFile::decodeName(TemporaryNameFor(target, "1")), "rest");
    ASSERT_TRUE(WriteMeasurementFile(path, PatternRecord(1)).ok);
    EXPECT_EQ(Entries(dir.path()), QStringList{NameOfBytes(255, true)});
}

TEST(SaveLock, ASecondSaveBetweenCreateAndLockDoesNotTakeTheFirstOnesFile) {
    // A second save of the same file runs in the moment between the first
    // save's creating its temporary file and locking it; it must not remove
    // that file as a leftover (the first failed with "Datei nicht gefunden").
    // Both ways of creating it: unnamed and linked once locked, and by name
    // (file systems without unnamed files).
    SeamsReset reset;
    for (const bool namedOnly : {false, true}) {
        SCOPED_TRACE(namedOnly);
        QTemporaryDir dir;
        const QString path = dir.filePath("M.DBA");
        ASSERT_TRUE(WriteMeasurementFile(path, PatternRecord(1)).ok);
        FileReplacementSeams& seams = FileReplacementSeamsForTests();
        seams.namedOnly = namedOnly;
        int second = 0;
        QStringList seenAtTheSecond;
        seams.betweenCreateAndLock = [&](const QByteArray&) {
            if (second++ > 0) return;  // the second save's own moment
            const CommandResult r = WriteMeasurementFile(path, PatternRecord(2));
            EXPECT_TRUE(r.ok) << r.message.toStdString();
            seenAtTheSecond = Entries(dir.path());
        };
        const CommandResult first = WriteMeasurementFile(path, PatternRecord(3));
        seams = {};
        EXPECT_TRUE(first.ok) << first.message.toStdString();
        const bool unnamed = !namedOnly && MakesUnnamedFiles(dir.path());
        EXPECT_EQ(second, unnamed ? 2 : 3) << "by name, the first save made its file again";
        EXPECT_EQ(ReadAll(path), Bytes(PatternRecord(3))) << "the first save ends last";
        EXPECT_EQ(Entries(dir.path()), QStringList{"M.DBA"});
        if (unnamed) {
            EXPECT_EQ(seenAtTheSecond, QStringList{"M.DBA"}) << "nothing to take for a leftover";
        }
    }
}

TEST(SaveLock, ManySavesOfOneFileAtOnceAllSucceed) {
    // Four processes save one file 200 times each.
    QTemporaryDir dir;
    const QString path = dir.filePath("M.DBA");
    std::vector<pid_t> children;
    for (int p = 0; p < 4; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            alarm(60);
            for (int i = 0; i < 200; ++i)
                if (!WriteMeasurementFile(path, PatternRecord(uint8_t(p))).ok) _exit(1);
            _exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(Entries(dir.path()), QStringList{"M.DBA"});
    EXPECT_EQ(ReadAll(path).size(), MeasurementRecord::kSize);
}

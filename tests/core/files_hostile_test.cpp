// Files that are not what they seem: pipes, devices, names that are not
// UTF-8, links, shared files, and saves that break off.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <set>

#include "data/MeasurementRecord.h"
#include "file_support.h"
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
    for (int i = 0; i < MeasurementRecord::kSize; ++i) rec.bytes[i] = uint8_t(i * 3 + seed);
    return rec;
}

QByteArray Bytes(const MeasurementRecord& rec) {
    return QByteArray(reinterpret_cast<const char*>(rec.bytes.data()), MeasurementRecord::kSize);
}

QByteArray Sys(const QString& path) {
    return QFile::encodeName(path);
}

struct stat Stat(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(Sys(path).constData(), &st), 0) << path.toStdString();
    return st;
}

// A description larger than limit bytes once written as RTF.
RichText LongDescription(int limit) {
    RichText t;
    while (WriteRtf(t).size() <= limit)
        t.paragraphs.push_back(RichText::FromPlainText("Bemerkung zur Messung").paragraphs[0]);
    return t;
}

std::set<QByteArray> RawEntries(const QByteArray& folder) {
    std::set<QByteArray> names;
    DIR* d = ::opendir(folder.constData());
    if (!d) return names;
    while (const dirent* e = ::readdir(d))
        if (e->d_name[0] != '.') names.insert(QByteArray(e->d_name));
    ::closedir(d);
    return names;
}

QStringList Entries(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

}  // namespace

TEST(HostileFiles, PipesAreRefusedAtOnceForEveryFileOperation) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("PIPE.DBA");
    ASSERT_EQ(mkfifo(Sys(fifo).constData(), 0666), 0);
    // Without a writer or reader, an open that waits would never return.
    InChildProcess(false, [&] {
        MeasurementRecord rec = PatternRecord(1);
        std::string f =
            Expect("open", ReadMeasurementFile(fifo, rec).message, "Dateizugriff verweigert");
        if (f.empty())
            f = Expect("save", WriteMeasurementFile(fifo, rec).message, "Dateizugriff verweigert");
        RichText t;
        if (f.empty())
            f = Expect("load", LoadRemarks(fifo, t).message,
                       QStringLiteral("Datei %1 kann nicht geöffnet werden. %2")
                           .arg(fifo, SystemErrorText(EACCES)));
        if (f.empty())
            f = Expect("store", SaveRemarks(fifo, t).message,
                       QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2")
                           .arg(fifo, SystemErrorText(EACCES)));
        if (f.empty() && !RemarksFileExists(fifo)) f = "a pipe is an entry to report on";
        return f;
    });
}

TEST(HostileFiles, ReadsStopAtTheirBound) {
    QTemporaryDir dir;
    const QString path = dir.filePath("lang.bin");
    const QByteArray content(100000, 'x');
    WriteBytes(path, content);
    const struct {
        qint64 max;
        qsizetype expected;
    } cases[] = {{0, 0},         {1, 1},       {6146, 6146},    {65536, 65536},
                 {65537, 65537}, {-1, 100000}, {200000, 100000}};
    for (const auto& c : cases) {
        QByteArray out;
        EXPECT_TRUE(ReadFileBytes(path, c.max, out).ok());
        EXPECT_EQ(out.size(), c.expected) << c.max;
    }
    // A device without end is read only as far as the bound: a measurement
    // opens, and a remarks file is refused at its size limit.
    InChildProcess(false, [] {
        MeasurementRecord rec = PatternRecord(9);
        const CommandResult r = ReadMeasurementFile("/dev/zero", rec);
        if (!r.ok) return r.message.toStdString();
        if (rec != MeasurementRecord{}) return std::string("record is not all zero");
        RichText t = RichText::FromPlainText("alt");
        std::string f = Expect("remarks", LoadRemarks("/dev/zero", t).message,
                               "Das Laden des Streams ist misslungen");
        if (f.empty() && t != RichText::FromPlainText("alt")) f = "description was touched";
        return f;
    });
}

TEST(HostileFiles, RemarksFileAboveTheLimitIsRefusedAndOneAtItLoads) {
    QTemporaryDir dir;
    const QString path = dir.filePath("GROSS.RMK");
    WriteBytes(path, QByteArray(kMaxRemarksBytes, 'a'));
    RichText t;
    ASSERT_TRUE(LoadRemarks(path, t).ok);
    EXPECT_EQ(t.PlainText().size(), kMaxRemarksBytes);
    WriteBytes(path, QByteArray(kMaxRemarksBytes + 1, 'a'));
    t = RichText::FromPlainText("alt");
    const CommandResult r = LoadRemarks(path, t);
    EXPECT_EQ(r.message, "Das Laden des Streams ist misslungen");
    EXPECT_EQ(t, RichText::FromPlainText("alt"));
    // The message alone does not say which file or why: the second line does.
    EXPECT_EQ(MessageText(r), "Das Laden des Streams ist misslungen.\n" + path +
                                  ": Die Datei ist größer als 16 MB");
}

TEST(SystemPath, ANameTypedWithoutExtensionGetsTheDialogs) {
    const struct {
        const char* typed;
        const char* kept;
    } cases[] = {
        {"/m/x", "/m/x.dba"},       {"/m/x.DAT", "/m/x.DAT"}, {"/m/x.", "/m/x."},
        {"/m/lauf.2", "/m/lauf.2"}, {"/m.d/x", "/m.d/x.dba"},  // a point in a folder's name is no
                                                               // extension
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithExtension(c.typed, ".dba"), QString(c.kept)) << c.typed;
}

TEST(SystemPath, NamesThatAreNotUtf8KeepTheirBytes) {
    const QByteArray names[] = {
        "plain.dba",        "L\xC3\xA4rm.dba",  "bad\xFF\xE4.dba",
        "over\xC0\x80long", "sur\xED\xA0\x80",  "cut\xE4\xB8",
        "\xF0\x9F\x94\x8A", "\x80\x81\xFE\xFF", "tooHigh\xF4\x90\x80\x80",
    };
    for (const QByteArray& n : names) {
        const QString text = PathFromSystem(n);
        EXPECT_EQ(SystemPathBytes(text), n) << n.toHex().constData();
        EXPECT_FALSE(DisplayPath(text).contains(QChar(0xDCFF))) << n.toHex().constData();
    }
    EXPECT_EQ(PathFromSystem("L\xC3\xA4rm"), QString::fromUtf8("Lärm"));
    EXPECT_EQ(DisplayPath(PathFromSystem("a\xFF")), QString::fromUtf8("a\xEF\xBF\xBD"));
}

TEST(SystemPath, FilesWithSuchNamesOpenAndSaveUnderTheirOwnName) {
    QTemporaryDir dir;
    const QByteArray folder = Sys(dir.path()) + "/";
    const QByteArray name = folder + "bad\377\344.dba";
    const MeasurementRecord rec = PatternRecord(5);
    {
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, Bytes(rec).constData(), MeasurementRecord::kSize),
                  MeasurementRecord::kSize);
        ::close(fd);
    }
    // As the command line passes it, and as a file dialog shows it.
    for (const QString& path : {PathFromSystem(name), QFile::decodeName(name)}) {
        SCOPED_TRACE(path.toStdString());
        MeasurementRecord back;
        const CommandResult r = ReadMeasurementFile(path, back);
        ASSERT_TRUE(r.ok) << r.message.toStdString();
        EXPECT_EQ(back, rec);
    }
    // Saving the shown name writes the file and its remarks beside it with
    // the same bytes, and nothing else.
    const QString shown = QFile::decodeName(name);
    ASSERT_TRUE(SaveMeasurementWithRemarks(SystemPath(shown), PatternRecord(6),
                                           RichText::FromPlainText("neu"))
                    .ok);
    struct stat st {};
    EXPECT_EQ(::stat((folder + "bad\377\344.RMK").constData(), &st), 0);
    EXPECT_EQ(RawEntries(folder), (std::set<QByteArray>{"bad\377\344.RMK", "bad\377\344.dba"}));
    MeasurementRecord back;
    ASSERT_TRUE(ReadMeasurementFile(PathFromSystem(name), back).ok);
    EXPECT_EQ(back, PatternRecord(6));
    EXPECT_EQ(ExistingRemarksFile(SystemPath(shown)), PathFromSystem(folder + "bad\377\344.RMK"));
    EXPECT_EQ(OsErrorMessage(ENOENT, PathFromSystem(folder + "fehlt\377.dba")),
              "Datei nicht gefunden");
    // QTemporaryDir cannot name these files to remove them.
    for (const QByteArray& entry : RawEntries(folder)) ::unlink((folder + entry).constData());
}

TEST(SavingThroughLinks, ReplacesTheFileAtTheEndOfTheChain) {
    for (const bool remarks : {false, true}) {
        SCOPED_TRACE(remarks ? "remarks" : "measurement");
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("echt");
        const QString real = dir.filePath("echt/M.DBA");
        WriteBytes(real, "alt");
        // first -> echt/middle -> M.DBA, both links relative
        ASSERT_EQ(symlink("M.DBA", Sys(dir.filePath("echt/middle")).constData()), 0);
        ASSERT_EQ(symlink("echt/middle", Sys(dir.filePath("first")).constData()), 0);
        const QString first = dir.filePath("first");
        const QByteArray expected =
            remarks ? WriteRtf(RichText::FromPlainText("neu")) : Bytes(PatternRecord(2));
        const bool ok = remarks ? SaveRemarks(first, RichText::FromPlainText("neu")).ok
                                : WriteMeasurementFile(first, PatternRecord(2)).ok;
        ASSERT_TRUE(ok);
        EXPECT_EQ(ReadAll(real), expected);
        EXPECT_TRUE(S_ISLNK(Stat(first).st_mode));
        EXPECT_TRUE(S_ISLNK(Stat(dir.filePath("echt/middle")).st_mode));
        EXPECT_EQ(Entries(dir.path() + "/echt"), (QStringList{"M.DBA", "middle"}));
    }
    // A link to a file not yet there creates that file.
    QTemporaryDir dir;
    ASSERT_EQ(symlink("neu.dba", Sys(dir.filePath("zeiger")).constData()), 0);
    ASSERT_TRUE(WriteMeasurementFile(dir.filePath("zeiger"), PatternRecord(3)).ok);
    EXPECT_EQ(ReadAll(dir.filePath("neu.dba")), Bytes(PatternRecord(3)));
    // A loop of links is a bad name.
    ASSERT_EQ(symlink("b", Sys(dir.filePath("a")).constData()), 0);
    ASSERT_EQ(symlink("a", Sys(dir.filePath("b")).constData()), 0);
    EXPECT_EQ(WriteMeasurementFile(dir.filePath("a"), PatternRecord(3)).message,
              QString::fromUtf8(kMsgInvalidFileName));
}

TEST(SharedFiles, SavingKeepsHardLinksTogether) {
    for (const bool remarks : {false, true}) {
        SCOPED_TRACE(remarks ? "remarks" : "measurement");
        QTemporaryDir dir;
        const QString path = dir.filePath("A.DBA"), other = dir.filePath("B.DBA");
        WriteBytes(path, "alt");
        ASSERT_EQ(link(Sys(path).constData(), Sys(other).constData()), 0);
        const bool ok = remarks ? SaveRemarks(path, RichText::FromPlainText("neu")).ok
                                : WriteMeasurementFile(path, PatternRecord(4)).ok;
        ASSERT_TRUE(ok);
        EXPECT_EQ(Stat(path).st_ino, Stat(other).st_ino);
        EXPECT_EQ(Stat(path).st_nlink, 2u);
        EXPECT_EQ(ReadAll(other),
                  remarks ? WriteRtf(RichText::FromPlainText("neu")) : Bytes(PatternRecord(4)));
    }
}

TEST(SharedFiles, ReplacedFileKeepsItsOwnerAndGroup) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    QTemporaryDir dir;
    const QString path = dir.filePath("GETEILT.DBA");
    WriteBytes(path, "alt");
    ASSERT_EQ(chown(Sys(path).constData(), 65534, 65534), 0);
    ASSERT_EQ(chmod(Sys(path).constData(), 0664), 0);
    ASSERT_TRUE(WriteMeasurementFile(path, PatternRecord(1)).ok);
    EXPECT_EQ(Stat(path).st_uid, 65534u);
    EXPECT_EQ(Stat(path).st_gid, 65534u);
    EXPECT_EQ(Stat(path).st_mode & 07777, 0664u);
}

TEST(SharedFiles, GroupWritableFileOfAnotherUserIsWrittenInPlace) {
    if (geteuid() != 0) GTEST_SKIP() << "a file of another user needs root to set up";
    QTemporaryDir dir;
    ASSERT_EQ(chmod(Sys(dir.path()).constData(), 0777), 0);
    const QString path = dir.filePath("GRUPPE.DBA");
    WriteBytes(path, "alt");
    // Owned by a user the saver is not, writable by the saver's group.
    ASSERT_EQ(chown(Sys(path).constData(), 65533, 65534), 0);
    ASSERT_EQ(chmod(Sys(path).constData(), 0664), 0);
    const ino_t inode = Stat(path).st_ino;
    InChildProcess(true, [&] {
        const CommandResult r = WriteMeasurementFile(path, PatternRecord(7));
        return r.ok ? std::string() : r.message.toStdString();
    });
    EXPECT_EQ(Stat(path).st_uid, 65533u);
    EXPECT_EQ(Stat(path).st_ino, inode);
    EXPECT_EQ(ReadAll(path), Bytes(PatternRecord(7)));
    EXPECT_EQ(Entries(dir.path()), QStringList{"GRUPPE.DBA"});
}

TEST(SharedFiles, WritableFileInAReadOnlyFolderIsSaved) {
    QTemporaryDir dir;
    const QString path = dir.filePath("M.DBA");
    WriteBytes(path, Bytes(PatternRecord(1)));
    ASSERT_EQ(chmod(Sys(path).constData(), 0666), 0);
    ASSERT_EQ(chmod(Sys(dir.path()).constData(), 0555), 0);
    InChildProcess(true, [&] {
        const CommandResult r = WriteMeasurementFile(path, PatternRecord(2));
        return r.ok ? std::string() : r.message.toStdString();
    });
    ASSERT_EQ(chmod(Sys(dir.path()).constData(), 0755), 0);
    EXPECT_EQ(ReadAll(path), Bytes(PatternRecord(2)));
}

TEST(SharedFiles, FailedWriteInPlacePutsTheOldBytesBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("A.DBA");
    WriteBytes(path, QByteArray(500, 'o'));
    ASSERT_EQ(link(Sys(path).constData(), Sys(dir.filePath("B.DBA")).constData()), 0);
    InChildProcess(false, [&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{1000, 1000};
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) return std::string("setrlimit failed");
        return Expect("message", WriteMeasurementFile(path, PatternRecord(2)).message,
                      QStringLiteral("E/A-Fehler %1").arg(EFBIG));
    });
    EXPECT_EQ(ReadAll(path), QByteArray(500, 'o'));
}

TEST(InterruptedSaves, NextSaveRemovesTheTemporaryFilesLeftForItsFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("M.DBA");
    const QByteArray target = Sys(path);
    for (const char* suffix : {"abc123", "7", "1f"})
        WriteBytes(TemporaryNameFor(target, suffix), "rest");
    WriteBytes(TemporaryNameFor(Sys(dir.filePath("N.DBA")), "abc"), "fremd");
    WriteBytes(dir.filePath(".M.DBA.~xyz"), "kein Rest");
    WriteBytes(dir.filePath(".M.DBA.~abc1234"), "kein Rest");
    // A save still writing holds its file.
    const int busy = ::open(TemporaryNameFor(target, "1f").constData(), O_RDONLY);
    ASSERT_GE(busy, 0);
    ASSERT_EQ(flock(busy, LOCK_EX), 0);
    ASSERT_TRUE(WriteMeasurementFile(path, PatternRecord(1)).ok);
    ::close(busy);
    EXPECT_EQ(Entries(dir.path()), (QStringList{".M.DBA.~1f", ".M.DBA.~abc1234", ".M.DBA.~xyz",
                                                ".N.DBA.~abc", "M.DBA"}));
}

TEST(SavingBothFiles, NeitherFileIsReplacedUnlessBothCouldBeWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("M.DBA"), remarks = dir.filePath("M.RMK");
    ASSERT_TRUE(
        SaveMeasurementWithRemarks(path, PatternRecord(1), RichText::FromPlainText("alt")).ok);
    const QByteArray oldRemarks = ReadAll(remarks);
    // Room for the measurement file, not for the description.
    InChildProcess(false, [&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{8000, 8000};
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) return std::string("setrlimit failed");
        return Expect(
            "message",
            SaveMeasurementWithRemarks(path, PatternRecord(2), LongDescription(9000)).message,
            "Das Speichern des Streams ist misslungen");
    });
    EXPECT_EQ(ReadAll(path), Bytes(PatternRecord(1)));
    EXPECT_EQ(ReadAll(remarks), oldRemarks);
    EXPECT_EQ(Entries(dir.path()), (QStringList{"M.DBA", "M.RMK"}));

    // A description that can only be written in place fails after the
    // measurement file was replaced: the message says which one was saved.
    ASSERT_EQ(link(Sys(remarks).constData(), Sys(dir.filePath("Kopie.RMK")).constData()), 0);
    InChildProcess(false, [&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{8000, 8000};
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) return std::string("setrlimit failed");
        return Expect(
            "message",
            SaveMeasurementWithRemarks(path, PatternRecord(3), LongDescription(9000)).message,
            "Die Messung wurde gespeichert, die Beschreibung nicht. "
            "Das Speichern des Streams ist misslungen");
    });
    EXPECT_EQ(ReadAll(path), Bytes(PatternRecord(3)));
    EXPECT_EQ(ReadAll(remarks), oldRemarks);

    // A remarks name that cannot be created keeps the old measurement file.
    QDir(dir.path()).mkdir("X.RMK");
    ASSERT_TRUE(WriteMeasurementFile(dir.filePath("X.DBA"), PatternRecord(1)).ok);
    const CommandResult r =
        SaveMeasurementWithRemarks(dir.filePath("X.DBA"), PatternRecord(4), RichText{});
    EXPECT_EQ(r.message, QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2")
                             .arg(dir.filePath("X.RMK"), SystemErrorText(EISDIR)));
    EXPECT_EQ(ReadAll(dir.filePath("X.DBA")), Bytes(PatternRecord(1)));
}

TEST(OpeningRemarks, TheNewNameIsTriedFirstThenTheOlderOne) {
    QTemporaryDir dir;
    const QString m = dir.filePath("lauf.2.dba");
    EXPECT_EQ(ExistingRemarksFile(m), QString());
    WriteBytes(dir.filePath("lauf.RMK"), "alt");
    EXPECT_EQ(ExistingRemarksFile(m), dir.filePath("lauf.RMK"));
    WriteBytes(dir.filePath("lauf.2.RMK"), "neu");
    EXPECT_EQ(ExistingRemarksFile(m), dir.filePath("lauf.2.RMK"));
    QDir(dir.path()).mkdir("M.RMK");
    EXPECT_EQ(ExistingRemarksFile(dir.filePath("M.DBA")), QString());
}

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <functional>

#include "data/MeasurementRecord.h"
#include "file_support.h"
#include "files/CommandResult.h"
#include "files/FileErrors.h"
#include "files/MeasurementFile.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

MeasurementRecord PatternRecord(uint8_t seed) {
    MeasurementRecord rec;
    for (int i = 0; i < MeasurementRecord::kSize; ++i) rec.bytes[i] = uint8_t(i * 7 + seed);
    return rec;
}

QByteArray Bytes(const MeasurementRecord& rec) {
    return QByteArray(reinterpret_cast<const char*>(rec.bytes.data()), MeasurementRecord::kSize);
}

}  // namespace

TEST(WithFullStop, AddsAStopOnlyAfterCharactersThatSortAfterIt) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"Datei nicht gefunden", "Datei nicht gefunden."},
        {"E/A-Fehler 5", "E/A-Fehler 5."},
        {"Fertig.", "Fertig."},
        {"Hardware antwortet nicht!", "Hardware antwortet nicht!"},
        {" Datensatz ist defekt!  Bitte Batterieen überprüfen. ",
         " Datensatz ist defekt!  Bitte Batterieen überprüfen. "},
        {"Pfad /tmp/", "Pfad /tmp/."},
        {"Zeile-", "Zeile-"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithFullStop(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(MessageText, NamesTheFileOnASecondLine) {
    const QString cwd = QDir::currentPath();
    const struct {
        CommandResult result;
        QString text;
    } cases[] = {
        {CommandResult::Failure("Zwischenablage kann nicht geöffnet werden"),
         "Zwischenablage kann nicht geöffnet werden."},
        {FileFailure("/tmp/a/M1.DBA", "Datei nicht gefunden"),
         "Datei nicht gefunden.\n/tmp/a/M1.DBA"},
        {FileFailure("rel/M1.DBA", "Dateizugriff verweigert"),
         "Dateizugriff verweigert.\n" + cwd + "/rel/M1.DBA"},
        {FileFailure("/tmp/M.RMK", "Das Laden des Streams ist misslungen", "Grund"),
         "Das Laden des Streams ist misslungen.\n/tmp/M.RMK: Grund"},
        {FileFailure("", "Ungültiger Dateiname"), "Ungültiger Dateiname."},
    };
    for (const auto& c : cases) EXPECT_EQ(MessageText(c.result), c.text);
}

TEST(MeasurementFile, SavedRecordOpensIdenticallyAndTheFileIsTheRecordByteForByte) {
    QTemporaryDir dir;
    const QString path = dir.filePath("MESS1.DBA");
    const MeasurementRecord rec = PatternRecord(3);
    ASSERT_TRUE(WriteMeasurementFile(path, rec).ok);
    EXPECT_EQ(ReadAll(path), Bytes(rec));

    MeasurementRecord back = PatternRecord(99);
    const CommandResult r = ReadMeasurementFile(path, back);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(back, rec);

    // Saving again over the file replaces it completely.
    const MeasurementRecord zero{};
    ASSERT_TRUE(WriteMeasurementFile(path, zero).ok);
    EXPECT_EQ(ReadAll(path), QByteArray(MeasurementRecord::kSize, '\0'));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"MESS1.DBA"})
        << "no temporary file may stay behind";
}

TEST(MeasurementFile, LongerFileOpensWithItsFirst6146Bytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath("long.dat");
    const MeasurementRecord rec = PatternRecord(5);
    WriteBytes(path, Bytes(rec) + QByteArray(500, '\x7f'));
    MeasurementRecord back;
    ASSERT_TRUE(ReadMeasurementFile(path, back).ok);
    EXPECT_EQ(back, rec);
}

TEST(MeasurementFile, FailedOpenLeavesTheRecordUntouched) {
    QTemporaryDir dir;
    WriteBytes(dir.filePath("short.dba"), QByteArray(100, '\x11'));
    WriteBytes(dir.filePath("empty.dba"), QByteArray());
    WriteBytes(dir.filePath("almost.dba"), QByteArray(MeasurementRecord::kSize - 1, '\x22'));
    WriteBytes(dir.filePath("plainfile"), "x");
    QDir(dir.path()).mkdir("folder.dba");
    const struct {
        QString path;
        const char* message;
    } cases[] = {
        {dir.filePath("short.dba"), "Versuch hinter dem Dateiende zu lesen"},
        {dir.filePath("empty.dba"), "Versuch hinter dem Dateiende zu lesen"},
        {dir.filePath("almost.dba"), "Versuch hinter dem Dateiende zu lesen"},
        {dir.filePath("missing.dba"), "Datei nicht gefunden"},
        {dir.filePath("nofolder/x.dba"), "Ungültiger Dateiname"},
        {dir.filePath("plainfile/x.dba"), "Ungültiger Dateiname"},
        {QString(), "Ungültiger Dateiname"},
        {dir.filePath("folder.dba"), "Dateizugriff verweigert"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        MeasurementRecord rec = PatternRecord(42);
        const CommandResult r = ReadMeasurementFile(c.path, rec);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, QString::fromUtf8(c.message));
        EXPECT_EQ(r.file, c.path);
        EXPECT_EQ(rec, PatternRecord(42));
    }
}

TEST(MeasurementFile, WriteProtectedFileOpens) {
    QTemporaryDir dir;
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString path = dir.filePath("SCHUTZ.DBA");
    const MeasurementRecord rec = PatternRecord(8);
    WriteBytes(path, Bytes(rec));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0444), 0);
    InChildProcess(true, [&] {
        MeasurementRecord back;
        const CommandResult r = ReadMeasurementFile(path, back);
        if (!r.ok) return ("open failed: " + r.message).toStdString();
        return back == rec ? std::string() : std::string("record differs");
    });
}

TEST(MeasurementFile, OpeningAnUnreadableFileIsRefusedWithAccessDenied) {
    QTemporaryDir dir;
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString path = dir.filePath("GEHEIM.DBA");
    WriteBytes(path, Bytes(PatternRecord(1)));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0200), 0);
    InChildProcess(true, [&] {
        MeasurementRecord rec = PatternRecord(2);
        const CommandResult r = ReadMeasurementFile(path, rec);
        if (rec != PatternRecord(2)) return std::string("record was touched");
        return Expect("message", r.message, "Dateizugriff verweigert");
    });
}

TEST(MeasurementFile, TooManyOpenFilesIsReported) {
    QTemporaryDir dir;
    const QString path = dir.filePath("M.DBA");
    WriteBytes(path, Bytes(PatternRecord(1)));
    InChildProcess(false, [&] {
        // Use up every descriptor the limit allows.
        const rlimit lim{16, 16};
        if (setrlimit(RLIMIT_NOFILE, &lim) != 0) return std::string("setrlimit failed");
        while (dup(0) >= 0) {
        }
        MeasurementRecord rec;
        return Expect("message", ReadMeasurementFile(path, rec).message,
                      "Zu viele geöffnete Dateien");
    });
}

TEST(MeasurementFile, FailedSaveKeepsTheFileItWouldReplace) {
    QTemporaryDir dir;
    const QString path = dir.filePath("ALT.DBA");
    const MeasurementRecord old = PatternRecord(10);
    ASSERT_TRUE(WriteMeasurementFile(path, old).ok);
    InChildProcess(false, [&] {
        // Let no file grow beyond 1000 bytes: the write breaks off part-way.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{1000, 1000};
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) return std::string("setrlimit failed");
        const CommandResult r = WriteMeasurementFile(path, PatternRecord(20));
        if (r.ok) return std::string("save reported success");
        return Expect("message", r.message, QStringLiteral("E/A-Fehler %1").arg(EFBIG));
    });
    EXPECT_EQ(ReadAll(path), Bytes(old));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ALT.DBA"});
}

TEST(MeasurementFile, SaveFailuresAndTheirMessages) {
    QTemporaryDir dir;
    WriteBytes(dir.filePath("plainfile"), "x");
    QDir(dir.path()).mkdir("folder.dba");
    const struct {
        QString path;
        const char* message;
    } cases[] = {
        {dir.filePath("nofolder/x.dba"), "Ungültiger Dateiname"},
        {dir.filePath("plainfile/x.dba"), "Ungültiger Dateiname"},
        {QString(), "Ungültiger Dateiname"},
        {dir.filePath("folder.dba"), "Dateizugriff verweigert"},
        {"/dev/full", "Zu wenig Speicherplatz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const CommandResult r = WriteMeasurementFile(c.path, PatternRecord(1));
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, QString::fromUtf8(c.message));
        EXPECT_EQ(r.file, c.path);
    }
    EXPECT_TRUE(QFileInfo(dir.filePath("folder.dba")).isDir());
}

TEST(MeasurementFile, WriteProtectedFileIsNotOverwritten) {
    QTemporaryDir dir;
    // The folder is writable, so only the file's own protection stops the save.
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString path = dir.filePath("SCHUTZ.DBA");
    const MeasurementRecord old = PatternRecord(4);
    WriteBytes(path, Bytes(old));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0444), 0);
    InChildProcess(true, [&] {
        return Expect("message", WriteMeasurementFile(path, PatternRecord(6)).message,
                      "Dateizugriff verweigert");
    });
    EXPECT_EQ(ReadAll(path), Bytes(old));
    EXPECT_EQ(QFileInfo(path).permissions() & QFile::WriteOwner, QFile::Permissions());
}

TEST(MeasurementFile, ReplacedFileKeepsItsPermissions) {
    QTemporaryDir dir;
    const QString path = dir.filePath("M.DBA");
    WriteBytes(path, "old");
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_TRUE(WriteMeasurementFile(path, PatternRecord(1)).ok);
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(MeasurementFile, OsErrorCodesMapToTheClassicMessages) {
    QTemporaryDir dir;
    const QString inFolder = dir.filePath("x.dba");
    const struct {
        int err;
        QString path;
        QString message;
    } cases[] = {
        {ENOENT, inFolder, "Datei nicht gefunden"},
        {ENOENT, dir.filePath("no/x.dba"), "Ungültiger Dateiname"},
        {ENOTDIR, inFolder, "Ungültiger Dateiname"},
        {ENAMETOOLONG, inFolder, "Ungültiger Dateiname"},
        {EMFILE, inFolder, "Zu viele geöffnete Dateien"},
        {ENFILE, inFolder, "Zu viele geöffnete Dateien"},
        {EACCES, inFolder, "Dateizugriff verweigert"},
        {EPERM, inFolder, "Dateizugriff verweigert"},
        {EROFS, inFolder, "Dateizugriff verweigert"},
        {ENOSPC, inFolder, "Zu wenig Speicherplatz"},
        {EIO, inFolder, QStringLiteral("E/A-Fehler %1").arg(EIO)},
        {EFBIG, inFolder, QStringLiteral("E/A-Fehler %1").arg(EFBIG)},
    };
    for (const auto& c : cases) EXPECT_EQ(OsErrorMessage(c.err, c.path), c.message) << c.err;
}

TEST(RemarksFileName, CutsAtTheFirstPointUnlessTheNameHasSeveral) {
    // in, the name saving writes, and the older name opening tries second
    const struct {
        const char* in;
        const char* out;
        const char* older;
    } cases[] = {
        {"MESS1.DBA", "MESS1.RMK", nullptr},
        {"x", "RMK", nullptr},
        {"x.", "x.RMK", nullptr},
        {".dba", ".RMK", nullptr},
        {"/home/anna/mess/MESS1.DBA", "/home/anna/mess/MESS1.RMK", nullptr},
        {"/home/anna/v1.2/lauf", "/home/anna/v1.2/RMK", nullptr},
        {"rel/dir/M.dat", "rel/dir/M.RMK", nullptr},
        {"lauf.2.dba", "lauf.2.RMK", "lauf.RMK"},
        {"a.b.dba", "a.b.RMK", "a.RMK"},
        {"Messung 01.05.2024.dba", "Messung 01.05.2024.RMK", "Messung 01.RMK"},
        {"/home/anna/v1.2/lauf.2.dba", "/home/anna/v1.2/lauf.2.RMK", "/home/anna/v1.2/lauf.RMK"},
        {"a..", "a..RMK", "a.RMK"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RemarksFileName(c.in), QString(c.out)) << c.in;
        QStringList tried{c.out};
        if (c.older) tried << c.older;
        EXPECT_EQ(RemarksFileCandidates(c.in), tried) << c.in;
    }
}

TEST(InformationLine, NamesTheHeaderAndEveryProgramWithThisInterval) {
    MeasurementRecord rec;
    BuildHeader(rec, 2);  // B: 1000 points at 60 ms
    EXPECT_EQ(InformationLine("MESS1.DBA", rec),
              QString::fromUtf8(
                  "MESS1.DBA, Messpunkte: 1000, Messungen: 1, Kanäle: 1, Intervall: 60 ms, B.BIN"));
    BuildHeader(rec, 1);
    EXPECT_TRUE(InformationLine("a.dba", rec).endsWith(", A.BIN"));
    BuildHeader(rec, 9);
    EXPECT_EQ(InformationLine("I.DBA", rec),
              QString::fromUtf8(
                  "I.DBA, Messpunkte: 500, Messungen: 12, Kanäle: 1, Intervall: 1200 ms, I.BIN"));

    rec.bytes[6] = 0;
    rec.bytes[7] = 10;  // 11 ms: no program
    EXPECT_TRUE(InformationLine("odd.dba", rec).endsWith("Intervall: 11 ms"));
    EXPECT_EQ(
        InformationLine("null.dba", MeasurementRecord{}),
        QString::fromUtf8("null.dba, Messpunkte: 0, Messungen: 0, Kanäle: 0, Intervall: 0 ms"));
}

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include "file_support.h"
#include "files/FileErrors.h"
#include "files/RemarksFile.h"
#include "files/Rtf.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

RichText Description() {
    RichText t = RichText::FromPlainText(QString::fromUtf8("Lärm an der Straße\nMessung 2\n"));
    t.paragraphs[1].runs[0].bold = true;
    t.paragraphs[1].runs[0].color = 0xE10000;
    return t;
}

}  // namespace

TEST(RemarksFile, SavedDescriptionLoadsBackAndTheFileIsItsRtf) {
    QTemporaryDir dir;
    const QString path = dir.filePath("MESS1.RMK");
    ASSERT_TRUE(SaveRemarks(path, Description()).ok);
    EXPECT_EQ(ReadAll(path), WriteRtf(Description()));

    RichText back = RichText::FromPlainText("vorher");
    const CommandResult r = LoadRemarks(path, back);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(back, Description());

    // Saving again replaces the whole file and leaves nothing else behind.
    ASSERT_TRUE(SaveRemarks(path, RichText::FromPlainText("kurz")).ok);
    EXPECT_EQ(ReadAll(path), WriteRtf(RichText::FromPlainText("kurz")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"MESS1.RMK"});
}

TEST(RemarksFile, PlainTextFileLoadsAsPlainText) {
    QTemporaryDir dir;
    const QString path = dir.filePath("ALT.RMK");
    WriteBytes(path, "Bemerkungen hier ...\r\nzweite Zeile");
    RichText t;
    ASSERT_TRUE(LoadRemarks(path, t).ok);
    EXPECT_EQ(t.PlainText(), QString("Bemerkungen hier ...\nzweite Zeile"));
}

TEST(RemarksFile, ExistsOnlyForAnEntryThatIsNotAFolder) {
    QTemporaryDir dir;
    WriteBytes(dir.filePath("A.RMK"), "x");
    QDir(dir.path()).mkdir("B.RMK");
    EXPECT_TRUE(RemarksFileExists(dir.filePath("A.RMK")));
    EXPECT_FALSE(RemarksFileExists(dir.filePath("B.RMK")));
    EXPECT_FALSE(RemarksFileExists(dir.filePath("C.RMK")));
}

TEST(RemarksFile, LoadFailuresLeaveTheDescriptionAlone) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("fehlt.RMK");
    RichText t = RichText::FromPlainText("Bemerkungen hier ...");
    CommandResult r = LoadRemarks(missing, t);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, QString::fromUtf8("Datei %1 kann nicht geöffnet werden. %2")
                             .arg(missing, SystemErrorText(ENOENT)));

    // A folder opens but cannot be read as a stream.
    QDir(dir.path()).mkdir("ordner.RMK");
    r = LoadRemarks(dir.filePath("ordner.RMK"), t);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, QString("Das Laden des Streams ist misslungen"));
    EXPECT_EQ(MessageText(r), "Das Laden des Streams ist misslungen.\n" +
                                  dir.filePath("ordner.RMK") + ": " + SystemErrorText(EISDIR));
    EXPECT_EQ(t, RichText::FromPlainText("Bemerkungen hier ..."));
}

TEST(RemarksFile, MessagesNameTheFullPath) {
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    RichText t;
    const CommandResult r = LoadRemarks("rel.RMK", t);
    QDir::setCurrent(before);
    EXPECT_TRUE(r.message.startsWith("Datei " + QDir(dir.path()).absoluteFilePath("rel.RMK") +
                                     " kann nicht"))
        << r.message.toStdString();
}

TEST(RemarksFile, SaveFailuresAndTheirMessages) {
    QTemporaryDir dir;
    WriteBytes(dir.filePath("plainfile"), "x");
    QDir(dir.path()).mkdir("ordner.RMK");
    const struct {
        QString path;
        int err;
    } cases[] = {
        {dir.filePath("plainfile/M.RMK"), ENOTDIR},
        {dir.filePath("nofolder/M.RMK"), ENOENT},
        {dir.filePath("ordner.RMK"), EISDIR},
    };
    for (const auto& c : cases) {
        const CommandResult r = SaveRemarks(c.path, Description());
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, QString::fromUtf8("Datei \"%1\" kann nicht erstellt werden. %2")
                                 .arg(c.path, SystemErrorText(c.err)));
        EXPECT_EQ(r.file, c.path);
    }
    const CommandResult full = SaveRemarks("/dev/full", Description());
    EXPECT_FALSE(full.ok);
    EXPECT_EQ(full.message, QString("Das Speichern des Streams ist misslungen"));
    EXPECT_EQ(MessageText(full),
              "Das Speichern des Streams ist misslungen.\n/dev/full: " + SystemErrorText(ENOSPC));
}

TEST(RemarksFile, FailedSaveKeepsTheOldRemarks) {
    QTemporaryDir dir;
    const QString path = dir.filePath("ALT.RMK");
    ASSERT_TRUE(SaveRemarks(path, RichText::FromPlainText("alte Bemerkung")).ok);
    const QByteArray old = ReadAll(path);
    RichText big;
    for (int i = 0; i < 200; ++i) big.paragraphs.push_back(Description().paragraphs[0]);
    ASSERT_GT(WriteRtf(big).size(), 2000);
    EXPECT_EXIT(
        {
            signal(SIGXFSZ, SIG_IGN);
            rlimit lim;
            lim.rlim_cur = lim.rlim_max = 1000;
            if (setrlimit(RLIMIT_FSIZE, &lim) != 0) _exit(2);
            const CommandResult r = SaveRemarks(path, big);
            std::fprintf(stderr, "%s\n", r.message.toUtf8().constData());
            _exit(!r.ok && r.message == "Das Speichern des Streams ist misslungen" ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ALT.RMK"});
}

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "file_support.h"
#include "files/ReportHead.h"
#include "link/SettingsFile.h"

using namespace kelvarn;

namespace {

class ReportHeadTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder = dir.path() + "/config";

    ReportHeadTest() { qputenv("KELVARN_CONFIG_DIR", folder.toLocal8Bit()); }
    ~ReportHeadTest() override { qunsetenv("KELVARN_CONFIG_DIR"); }
};

}  // namespace

TEST_F(ReportHeadTest, NoFileGivesAnEmptyHeadWithoutSignatureLine) {
    const ReportHead head = ReadReportHead();
    EXPECT_TRUE(head.IsEmpty());
    EXPECT_FALSE(head.signature);
}

TEST_F(ReportHeadTest, WhatIsWrittenIsReadBack) {
    struct Case {
        const char* what;
        ReportHead written;
        ReportHead read;  // as it comes back
    };
    const Case cases[] = {
        {"a full head",
         {QStringLiteral("Schallmess GmbH & Co. KG"),
          {QStringLiteral("Industriestraße 4"), QStringLiteral("D-12345 Lärmstadt")},
          QStringLiteral("/home/a/Logo firma.png"),
          true},
         {QStringLiteral("Schallmess GmbH & Co. KG"),
          {QStringLiteral("Industriestraße 4"), QStringLiteral("D-12345 Lärmstadt")},
          QStringLiteral("/home/a/Logo firma.png"),
          true}},
        {"empty lines of the address left out, the others trimmed",
         {QStringLiteral("Firma"),
          {QString(), QStringLiteral("  Weg 1 "), QStringLiteral("   "), QStringLiteral("Ort")},
          QString(),
          false},
         {QStringLiteral("Firma"),
          {QStringLiteral("Weg 1"), QStringLiteral("Ort")},
          QString(),
          false}},
        {"backslashes and the escape's own letters stay as typed",
         {QStringLiteral("A\\B"),
          {QStringLiteral("C:\\new\\\\x"), QStringLiteral("n\\")},
          QStringLiteral("C:\\logo.png"),
          false},
         {QStringLiteral("A\\B"),
          {QStringLiteral("C:\\new\\\\x"), QStringLiteral("n\\")},
          QStringLiteral("C:\\logo.png"),
          false}},
        {"a name typed over two lines is one line; brackets and equals signs are text",
         {QStringLiteral("Erste\nZweite"),
          {QStringLiteral("[KV]"), QStringLiteral("COM=9")},
          QString(),
          true},
         {QStringLiteral("Erste Zweite"),
          {QStringLiteral("[KV]"), QStringLiteral("COM=9")},
          QString(),
          true}},
        {"nothing", {}, {}},
    };
    ASSERT_TRUE(WriteStoredPort(4));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteReportHead(c.written));
        const ReportHead back = ReadReportHead();
        EXPECT_EQ(back.company, c.read.company);
        EXPECT_EQ(back.address, c.read.address);
        EXPECT_EQ(back.logoFile, c.read.logoFile);
        EXPECT_EQ(back.signature, c.read.signature);
        // The rest of the file stays as it was.
        EXPECT_EQ(ReadStoredPort(), 4);
    }
}

TEST_F(ReportHeadTest, EachFieldIsStoredOnItsOwn) {
    ASSERT_TRUE(WriteReportCompany(QStringLiteral("Messdienst Nord")));
    ASSERT_TRUE(WriteReportSignature(true));
    EXPECT_EQ(test::SettingsText(folder), "[Bericht]\nFirma=Messdienst Nord\nUnterschrift=1\n");
    ASSERT_TRUE(WriteReportLogo(QStringLiteral("/srv/logo.svg")));
    ASSERT_TRUE(WriteReportAddress({QStringLiteral("Hafen 2"), QStringLiteral("Kiel")}));
    ASSERT_TRUE(WriteReportSignature(false));
    EXPECT_EQ(test::SettingsText(folder),
              "[Bericht]\nFirma=Messdienst Nord\nUnterschrift=0\nLogo=/srv/logo.svg\n"
              "Anschrift=Hafen 2\\nKiel\n");
}

TEST_F(ReportHeadTest, AFileThatCannotBeWrittenIsReported) {
    // The settings folder is a file: nothing can be stored in it.
    test::WriteBytes(folder, "no folder");
    EXPECT_FALSE(WriteReportCompany(QStringLiteral("X")));
    EXPECT_FALSE(WriteReportHead({QStringLiteral("X"), {}, QString(), true}));
}

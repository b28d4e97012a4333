#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "cli_support.h"
#include "data/MeasurementRecord.h"
#include "files/MeasurementFile.h"
#include "files/RemarksFile.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

QString Tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// No display and no platform chosen: the report still draws.
QProcessEnvironment WithoutDisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    return env;
}

}  // namespace

TEST(ReportCli, WritesTheReportWithTheDescriptionBesideTheFile) {
    QTemporaryDir dir;
    MeasurementRecord rec;
    BuildHeader(rec, 7);
    for (int i = 10; i < 6010; ++i) rec.bytes[size_t(i)] = uint8_t(130 + i % 40);
    const QString file = dir.filePath("HALLE.DBA");
    ASSERT_TRUE(WriteMeasurementFile(file, rec).ok);
    RichText remarks = RichText::FromPlainText("Halle 3, Presse an");
    ASSERT_TRUE(SaveRemarks(RemarksFileName(file), remarks).ok);
    // The protocol beside it, as the window saves it.
    QFile kvp(dir.filePath("HALLE.KVP"));
    ASSERT_TRUE(kvp.open(QIODevice::WriteOnly));
    kvp.write(R"({"format": "kelvarn-protocol", "version": 1, "site": "Werkhalle Ost"})");
    kvp.close();

    // The report head as the window's settings keep it.
    QDir(dir.path()).mkdir("config");
    QFile ini(dir.filePath("config/KV.INI"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Bericht]\nFirma=Messdienst West\nAnschrift=Ufer 3\\nDuisburg\nUnterschrift=1\n");
    ini.close();
    QProcessEnvironment env = WithoutDisplay();
    env.insert("KELVARN_CONFIG_DIR", dir.filePath("config"));

    const QString pdf = dir.filePath("bericht.pdf");
    const CliRun r = RunKelvarnCli({"report", file, pdf}, env);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    const QString info = Tool("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains("A4")) << info.toStdString();
    const QString text = Tool("pdftotext", {"-layout", pdf, "-"});
    EXPECT_TRUE(text.contains("Datei: HALLE.DBA")) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Programm G, 12 × 10 s")));
    EXPECT_TRUE(text.contains("Messdienst West"));
    EXPECT_TRUE(text.contains("Duisburg"));
    EXPECT_TRUE(text.contains("Datum, Unterschrift"));
    EXPECT_TRUE(text.contains("Halle 3, Presse an"));
    EXPECT_TRUE(text.contains("Messprotokoll"));
    EXPECT_TRUE(text.contains("Werkhalle Ost"));
    EXPECT_TRUE(text.contains("Gesamt"));
}

TEST(ReportCli, Errors) {
    QTemporaryDir dir;
    const QString file = dir.filePath("a.dba");
    MeasurementRecord rec;
    BuildHeader(rec, 1);
    ASSERT_TRUE(WriteMeasurementFile(file, rec).ok);
    struct Case {
        QStringList args;
        int code;
        QString err;
    };
    const Case cases[] = {
        {{"report", file}, 2, "falsche Anzahl von Argumenten"},
        {{"report", dir.filePath("fehlt.dba"), dir.filePath("x.pdf")}, 1, "Datei nicht gefunden."},
        {{"report", file, dir.filePath("nicht/da.pdf")}, 1, "da.pdf: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = RunKelvarnCli(c.args, WithoutDisplay());
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.err)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("x.pdf")));
}

// kelvarn-cli protocol: prints the protocol beside a measurement file and changes it through
// the save the window uses; kelvarn-cli export takes it into account.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "cli_support.h"
#include "data/MeasurementRecord.h"
#include "files/MeasurementFile.h"
#include "files/ProtocolFile.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

CliRun Cli(const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "de_DE.UTF-8");
    env.insert("TZ", "Europe/Berlin");
    return RunKelvarnCli(args, env);
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ProtocolCliTest : public ::testing::Test {
protected:
    QString Save(const QString& name, int row) {
        MeasurementRecord rec;
        BuildHeader(rec, row);
        for (int i = 10; i < 10 + GetSampleTotal(rec); ++i) rec.bytes[size_t(i)] = 150;
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(WriteMeasurementFile(path, rec).ok);
        return path;
    }
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(ProtocolCliTest, ChangesAreSavedBesideTheFileAndPrinted) {
    const QString f = Save("m.dba", 4);
    CliRun r = Cli({"protocol", f});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(
        r.out.contains("Protokoll: " + dir_.filePath("m.KVP").toUtf8() + " (nicht vorhanden)"));
    EXPECT_FALSE(QFile::exists(dir_.filePath("m.KVP")));

    r = Cli({"protocol", f, "--start", "2026-10-25T01:30:00", "--site", "Hof 3", "--before-db",
             "94,1", "--after-db", "94.7", "--reference-db", "94", "--marker",
             "1,120,300.5,fremdgeraeusch,Lkw, laut"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString out = QString::fromUtf8(r.out);
    EXPECT_TRUE(out.contains("Messung 1: Beginn 25.10.2026 01:30:00 (UTC+02:00), eingegeben"))
        << out.toStdString();
    EXPECT_TRUE(out.contains("Messort: Hof 3"));
    EXPECT_TRUE(
        out.contains("Kalibrierung: Kalibrator 94,0 dB, vorher 94,1 dB, nachher 94,7 dB, "
                     "Abweichung 0,6 dB"));
    EXPECT_TRUE(out.contains("Kalibrierabweichung über 0,5 dB"));
    EXPECT_TRUE(out.contains("  Messung 1, 120 s bis 300,5 s, Fremdgeräusch, Lkw, laut"));

    const QJsonObject kvp = QJsonDocument::fromJson(Read(dir_.filePath("m.KVP"))).object();
    EXPECT_EQ(kvp["site"].toString(), "Hof 3");
    EXPECT_EQ(kvp["measurements"].toArray()[0].toObject()["start"].toString(),
              "2026-10-25T01:30:00+02:00");
    EXPECT_EQ(kvp["calibration"].toObject()["before_db"].toDouble(), 94.1);

    // JSON prints the file's form; a change keeps what was there.
    r = Cli({"protocol", f, "--weather", "Regen", "--format", "json"});
    ASSERT_EQ(r.exitCode, 0);
    const QJsonObject json = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(json["weather"].toString(), "Regen");
    EXPECT_EQ(json["site"].toString(), "Hof 3");
    EXPECT_EQ(json["markers"].toArray().size(), 1);

    // The export takes the start and the markers.
    r = Cli({"export", f});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(
        r.out.startsWith("t/min;Messung 1;Beginn\r\n0,000;50,0;2026-10-25T01:30:00+02:00\r\n"))
        << r.out.left(200).toStdString();
    EXPECT_TRUE(r.out.contains("\r\n1;120,000;300,500;Fremdgeräusch;Lkw, laut\r\n"));
    r = Cli({"export", f, "--format", "json"});
    EXPECT_EQ(QJsonDocument::fromJson(r.out).object()["protocol"].toObject()["weather"].toString(),
              "Regen");
}

TEST_F(ProtocolCliTest, TypedNumbersMeanWhatTheyMeanInTheWindow) {
    const QString f = Save("n.dba", 2);
    const CliRun r = Cli({"protocol", f, "--reference-db", "1.000", "--before-db", "93,8",
                          "--after-db", "93.8", "--format", "json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject c = QJsonDocument::fromJson(r.out).object()["calibration"].toObject();
    EXPECT_EQ(c["reference_db"].toDouble(), 1.0);
    EXPECT_EQ(c["before_db"].toDouble(), 93.8);
    EXPECT_EQ(c["after_db"].toDouble(), 93.8);
}

TEST_F(ProtocolCliTest, SeriesFilledBackToBack) {
    const QString f = Save("i.dba", 9);
    const CliRun r =
        Cli({"protocol", f, "--start", "2026-10-25T02:30:00+02:00", "--fill", "--format", "json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray starts = QJsonDocument::fromJson(r.out).object()["measurements"].toArray();
    ASSERT_EQ(starts.size(), 12);
    EXPECT_EQ(starts[3].toObject()["start"].toString(), "2026-10-25T02:00:00+01:00");
    EXPECT_EQ(starts[11].toObject()["measurement"].toInt(), 12);
}

TEST_F(ProtocolCliTest, Errors) {
    const QString f = Save("e.dba", 2);
    const QString bad = dir_.filePath("b.dba");
    ASSERT_TRUE(QFile::copy(f, bad));
    {
        QFile kvp(dir_.filePath("b.KVP"));
        ASSERT_TRUE(kvp.open(QIODevice::WriteOnly));
        kvp.write("{\"format\": \"kelvarn-protocol\", \"version\": 1, \"site\": 7}");
    }
    struct Case {
        QStringList args;
        int code;
        QString err;
    };
    const Case cases[] = {
        {{"protocol"}, 2, "keine Datei angegeben"},
        {{"protocol", f, "--start", "morgen"}, 2, "\"morgen\" ist keine Zeitangabe nach ISO 8601"},
        {{"protocol", f, "--measurement", "2", "--start", "2026-06-10T10:00:00"},
         2,
         "Messung \"2\" gibt es nicht (1 bis 1)"},
        {{"protocol", f, "--marker", "1,50,40,ereignis"},
         2,
         "Marke 1: von 50 s ist nicht kleiner als bis 40 s"},
        {{"protocol", f, "--marker", "1,0,61,ereignis"},
         2,
         "Marke 1: 0 s bis 61 s liegt nicht in Messung 1 (0 bis 60 s)"},
        {{"protocol", f, "--marker", "1,0"}, 2, "ist nicht MESSUNG,VON,BIS"},
        // Typed numbers are read as in the window: no thousands separators, so two marks are
        // refused, naming the option.
        {{"protocol", f, "--before-db", "1.234,5"},
         2,
         "--before-db: \"1.234,5\" ist keine Zahl (Dezimalkomma oder -punkt, ohne "
         "Tausendertrennzeichen)"},
        {{"protocol", f, "--reference-db", "nan"}, 2, "--reference-db: \"nan\" ist keine Zahl"},
        {{"protocol", f, "--marker", "1,0,inf,ereignis"},
         2,
         "--marker bis: \"inf\" ist keine Zahl"},
        {{"protocol", f, "--site"}, 2, "\"--site\" ohne Wert"},
        {{"protocol", f, "--farbe", "rot"}, 2, "unbekannte Option \"--farbe\""},
        {{"protocol", dir_.filePath("fehlt.dba")}, 1, "Datei nicht gefunden"},
        {{"protocol", bad}, 1, "kann nicht gelesen werden: \"site\" ist kein Text."},
        {{"protocol", bad, "--site", "neu"}, 1, "\"site\" ist kein Text. Es wird nicht ersetzt."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = Cli(c.args);
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.err)) << r.err.toStdString();
    }
    // Nothing was written by the refused changes.
    EXPECT_FALSE(QFile::exists(dir_.filePath("e.KVP")));
    EXPECT_EQ(Read(dir_.filePath("b.KVP")),
              "{\"format\": \"kelvarn-protocol\", \"version\": 1, \"site\": 7}");
    // The export names the unreadable protocol and goes on without it.
    const CliRun r = Cli({"export", bad});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("kann nicht gelesen werden"));
    EXPECT_TRUE(r.out.startsWith("t/s;Messung 1\r\n"));
}

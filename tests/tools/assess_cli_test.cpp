// kelvarn-cli assess and summary --energetic-mean on measurement files written for the test.
// Expected values computed by hand: 10 lg((12e5 + 4e5.5 + 8e6) / 24) = 56.3952... for a day at
// 50 dB(A); 10 lg((1e5 + 1e6) / 2) = 57.4036... for files at 50 and 60 dB(A).

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "cli_support.h"
#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
#include "files/MeasurementFile.h"
#include "files/ProtocolFile.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

CliRun Cli(const QStringList& args, const QString& tz, const QString& lcAll = "C.UTF-8") {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LC_NUMERIC");
    env.remove("LANG");
    env.insert("LC_ALL", lcAll);
    env.insert("TZ", tz);
    return RunKelvarnCli(args, env);
}

class AssessCliTest : public ::testing::Test {
protected:
    // A program F record at a constant sample byte for its first `measured` samples.
    QString SaveF(const QString& name, uint8_t byte, int measured = 6000) {
        MeasurementRecord rec;
        BuildHeader(rec, 6);
        for (int i = 0; i < measured; ++i) rec.bytes[size_t(10 + i)] = byte;
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(WriteMeasurementFile(path, rec).ok);
        return path;
    }
    QTemporaryDir dir_;
};

QJsonObject Json(const CliRun& r) {
    QJsonParseError e{};
    const QJsonDocument d = QJsonDocument::fromJson(r.out, &e);
    EXPECT_EQ(e.error, QJsonParseError::NoError) << r.out.toStdString();
    return d.object();
}

}  // namespace

TEST_F(AssessCliTest, JsonOfADayInTheProcessZone) {
    const QString f = SaveF("f.dba", 150);  // 50 dB(A)
    const CliRun r = Cli({"assess", f, "--start", "2026-06-10T21:00:00+02:00", "--format", "json"},
                         "Europe/Berlin");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject j = Json(r);
    EXPECT_EQ(j["file"].toString(), f);
    const QJsonObject m = j["measurements"].toArray()[0].toObject();
    EXPECT_EQ(m["measurement"].toInt(), 1);
    EXPECT_EQ(m["start"].toString(), "2026-06-10T21:00:00+02:00");
    EXPECT_EQ(m["end"].toString(), "2026-06-11T21:00:00+02:00");
    EXPECT_EQ(m["covered_s"].toDouble(), 86400);
    EXPECT_NEAR(m["laeq"].toDouble(), 50, 1e-9);
    const QJsonArray hours = j["hours"].toArray();
    ASSERT_EQ(hours.size(), 24);
    EXPECT_EQ(hours[0].toObject()["start"].toString(), "2026-06-10T21:00:00+02:00");
    EXPECT_EQ(hours[0].toObject()["covered_s"].toDouble(), 3600);
    for (const char* p : {"tag", "nacht", "day", "evening", "night"})
        EXPECT_NEAR(j["periods"].toObject()[p].toObject()["laeq"].toDouble(), 50, 1e-9) << p;
    EXPECT_EQ(j["periods"].toObject()["evening"].toObject()["covered_s"].toDouble(), 14400);
    EXPECT_NEAR(j["lden"].toDouble(), 56.395243001318605, 1e-9);
    EXPECT_EQ(j["loudest_night_hour"].toObject()["start"].toString(), "2026-06-10T22:00:00+02:00");
    EXPECT_TRUE(j["lex8h"].isNull());
    EXPECT_TRUE(j["lr"].isNull());
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    // The same start seen from New York: the hours are that zone's.
    const CliRun ny = Cli({"assess", f, "--start", "2026-06-10T21:00:00+02:00", "--format", "json"},
                          "America/New_York");
    ASSERT_EQ(ny.exitCode, 0) << ny.err.toStdString();
    EXPECT_EQ(Json(ny)["hours"].toArray()[0].toObject()["start"].toString(),
              "2026-06-10T15:00:00-04:00");
    // A start without an offset is local time of the process.
    const CliRun local =
        Cli({"assess", f, "--start", "2026-06-10T21:00:00", "--format", "json"}, "Europe/Berlin");
    EXPECT_EQ(Json(local)["measurements"].toArray()[0].toObject()["start"].toString(),
              "2026-06-10T21:00:00+02:00");
}

TEST_F(AssessCliTest, WithoutStartTheTimeFiguresAreNull) {
    const QString f = SaveF("f.dba", 150);
    const CliRun r = Cli({"assess", f, "--format", "json"}, "Europe/Berlin");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject j = Json(r);
    for (const char* key : {"hours", "periods", "lden", "loudest_night_hour", "lex8h", "lr"})
        EXPECT_TRUE(j[key].isNull()) << key;
    EXPECT_TRUE(j["measurements"].toArray()[0].toObject()["start"].isNull());
    EXPECT_NEAR(j["measurements"].toArray()[0].toObject()["laeq"].toDouble(), 50, 1e-9);
}

// Taken over after 12 h at 58 dB(A): the zeros after it are no measured time.
TEST_F(AssessCliTest, TextOfAnEarlyStoppedRecord) {
    const QString f = SaveF("f.dba", 166, 3000);
    const CliRun r =
        Cli({"assess", f, "--start", "2026-06-10T06:00:00+02:00"}, "Europe/Berlin", "de_DE.UTF-8");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString text = QString::fromUtf8(r.out);
    EXPECT_TRUE(
        text.contains("Messung 1: 10.06.2026 06:00:00 +02:00 bis 10.06.2026 18:00:00 "
                      "+02:00, erfasst 43200 s, LAeq 58,0 dB(A)"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("Nacht 22–06 Uhr: erfasst 0 s, LAeq – (keine gemessene Zeit)"));
    EXPECT_TRUE(
        text.contains("Lden des Messzeitraums (orientierend): nicht berechnet: keine "
                      "gemessene Zeit im Zeitraum Abend 18–22 Uhr, Nacht 22–06 Uhr"));
    EXPECT_TRUE(text.startsWith("Messprotokoll: keines (")) << text.toStdString();
    EXPECT_FALSE(text.contains("-25"));
}

// The protocol beside the file gives the start, the markers and the inputs of LEX,8h and TA
// Lärm; --start stands for its start. A day at 50 dB(A) from 06:00 with its first hour left
// out; the workplace's 8 h task is 06:00-14:00 (one hour of it left out), the TA Lärm day part
// the whole measurement with KT 3 dB in an allgemeines Wohngebiet.
TEST_F(AssessCliTest, ReadsTheProtocolBesideTheFile) {
    const QString f = SaveF("f.dba", 150);
    MeasurementProtocol p;
    p.SetStart(1, QDateTime::fromString("2026-06-10T06:00:00+02:00", Qt::ISODate),
               StartSource::kEingegeben);
    p.markers.push_back({1, 0, 3600, MarkerKind::kFremdgeraeusch, "Lkw", {}});
    p.workplace = WorkplaceInput{{{{1, 0.0, 28800.0}, 8}}};
    TaLaermInput ta;
    ta.parts.push_back({{1, std::nullopt, std::nullopt}, 16, 3, 0, false});
    p.taLaerm = ta;
    QFile kvp(ProtocolFileName(f));
    ASSERT_TRUE(kvp.open(QIODevice::WriteOnly));
    kvp.write(WriteProtocol(p));
    kvp.close();

    const CliRun r = Cli({"assess", f, "--format", "json"}, "Europe/Berlin");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject j = Json(r);
    const QJsonObject m = j["measurements"].toArray()[0].toObject();
    EXPECT_EQ(m["start"].toString(), "2026-06-10T06:00:00+02:00");
    EXPECT_EQ(m["covered_s"].toDouble(), 86400 - 3600);
    EXPECT_EQ(j["hours"].toArray()[0].toObject()["covered_s"].toDouble(), 0);
    EXPECT_TRUE(j["hours"].toArray()[0].toObject()["laeq"].isNull());
    EXPECT_NEAR(j["lex8h"].toObject()["value"].toDouble(), 50, 1e-9);
    const QJsonObject lr = j["lr"].toObject();
    EXPECT_NEAR(lr["value"].toDouble(), 53, 1e-9);  // 50 + KT 3 over Tr = 16 h
    EXPECT_EQ(lr["rounded"].toInt(), 53);
    EXPECT_EQ(lr["limit"].toInt(), 55);
    EXPECT_FALSE(lr["exceeded"].toBool());

    const CliRun text = Cli({"assess", f}, "Europe/Berlin", "de_DE.UTF-8");
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.startsWith("Messprotokoll: " + ProtocolFileName(f).toUtf8()));
    EXPECT_TRUE(QString::fromUtf8(text.out).contains("ausgelassen (Fremdgeräusch): 0–3600 s"));

    // --start moves the measurement; the markers and inputs stay.
    const CliRun moved = Cli(
        {"assess", f, "--start", "2026-06-10T22:00:00+02:00", "--format", "json"}, "Europe/Berlin");
    ASSERT_EQ(moved.exitCode, 0) << moved.err.toStdString();
    EXPECT_EQ(Json(moved)["hours"].toArray()[0].toObject()["start"].toString(),
              "2026-06-10T22:00:00+02:00");
    EXPECT_EQ(Json(moved)["measurements"].toArray()[0].toObject()["covered_s"].toDouble(),
              86400 - 3600);

    // Inputs that cannot be read end the command with what is wrong, as a broken file does.
    p.taLaerm.reset();
    p.unreadInputs.push_back({kTaLaermKey, QJsonObject{{"area", "mond"}}, {}});
    ASSERT_TRUE(kvp.open(QIODevice::WriteOnly | QIODevice::Truncate));
    kvp.write(WriteProtocol(p));
    kvp.close();
    const CliRun bad = Cli({"assess", f}, "Europe/Berlin");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.out.isEmpty());
    EXPECT_TRUE(bad.err.contains("mond")) << bad.err.toStdString();
    ASSERT_TRUE(kvp.open(QIODevice::WriteOnly | QIODevice::Truncate));
    kvp.write("{\"format\": ");
    kvp.close();
    const CliRun broken = Cli({"assess", f}, "Europe/Berlin");
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(broken.err.contains("Protokoll")) << broken.err.toStdString();
}

TEST_F(AssessCliTest, WrongUse) {
    const QString f = SaveF("f.dba", 150);
    struct Case {
        QStringList args;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{"assess", f, "--start", "gestern"}, 2, "keine Startzeit"},
        {{"assess", f, "--format", "xml"}, 2, "unbekanntes Format"},
        {{"assess", f, "--start"}, 2, "ohne Wert"},
        {{"assess"}, 2, "falsche Anzahl"},
        {{"assess", dir_.filePath("fehlt.dba")}, 1, "fehlt.dba"},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli(c.args, "Europe/Berlin");
        EXPECT_EQ(r.exitCode, c.code) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.says)) << r.err.toStdString();
    }
}

TEST_F(AssessCliTest, SummaryWithTheEnergeticMean) {
    const QString a = SaveF("a.dba", 150);  // 50 dB(A)
    const QString b = SaveF("b.dba", 170);  // 60 dB(A)
    const CliRun r = Cli({"summary", a, b, "--energetic-mean"}, "UTC", "de_DE.UTF-8");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = QString::fromUtf8(r.out).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 4 + 1);
    const QStringList last = lines.back().split('\t');
    EXPECT_EQ(last.value(0), "Energetischer Mittelwert");
    EXPECT_EQ(last.value(1), "2 Dateien");
    EXPECT_EQ(last.value(5), "57,4");  // not the arithmetic 55,0

    const CliRun j = Cli({"summary", a, b, "--energetic-mean", "--format", "json"}, "UTC");
    ASSERT_EQ(j.exitCode, 0) << j.err.toStdString();
    const QJsonArray arr = QJsonDocument::fromJson(j.out).array();
    ASSERT_EQ(arr.size(), 3);
    const QJsonObject mean = arr[2].toObject()["energetic_mean"].toObject();
    EXPECT_EQ(mean["files"].toInt(), 2);
    EXPECT_DOUBLE_EQ(mean["laeq"].toDouble(), 57.4);

    // Without the option the table is as before.
    const CliRun plain = Cli({"summary", a, b}, "UTC", "de_DE.UTF-8");
    EXPECT_FALSE(plain.out.contains("Energetischer Mittelwert"));
}

// The protocol file (".KVP"): its public JSON form, what it keeps that it does not know, its
// messages for bad content, and the save that writes it with the measurement and its remarks.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <csignal>

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
#include "eval/Assessment.h"
#include "eval_records.h"
#include "file_support.h"
#include "files/FileErrors.h"
#include "files/MeasurementFile.h"
#include "files/MeasurementWithRemarks.h"
#include "files/ProtocolFile.h"
#include "files/RemarksFile.h"
#include "files/Rtf.h"

using namespace kelvarn;
using namespace kelvarn::test;
using kelvarn::testing::ProgramRecord;

namespace {

// One measurement of 10 min, and the twelve of 10 s of program G.
ProtocolShape OneOf600() {
    return ProtocolShape{{600.0}};
}
ProtocolShape TwelveOf10() {
    return ProtocolShape{std::vector<double>(12, 10.0)};
}

QDateTime At(const char* iso) {
    const QDateTime t = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs);
    return t.toOffsetFromUtc(t.offsetFromUtc());
}

// Every key the format names, with the values of the example of its description.
const char* const kExample = R"({"format": "kelvarn-protocol", "version": 1,
 "measurements": [{"measurement": 1, "start": "2026-06-10T21:37:12+02:00", "start_source": "eingegeben"}],
 "site": "Hof", "operator": "A. Muster", "instrument": "Zelle Nr. 17", "purpose": "Nachbarschaft", "weather": "trocken",
 "calibration": {"reference_db": 94.0, "before_db": 94.1, "after_db": 93.9},
 "markers": [{"measurement": 1, "from_s": 120.0, "to_s": 300.0, "kind": "fremdgeraeusch", "text": "Lkw"}]})";

}  // namespace

TEST(ProtocolFile, ReadsThePublicForm) {
    MeasurementProtocol p;
    const CommandResult r = ParseProtocol(kExample, OneOf600(), p);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    ASSERT_EQ(p.starts.size(), 1u);
    EXPECT_EQ(p.starts[0].measurement, 1);
    EXPECT_EQ(p.starts[0].source, StartSource::kEingegeben);
    EXPECT_EQ(p.starts[0].start.offsetFromUtc(), 7200);
    EXPECT_EQ(p.starts[0].start.toUTC(), QDateTime(QDate(2026, 6, 10), QTime(19, 37, 12), Qt::UTC));
    EXPECT_EQ(p.site, "Hof");
    EXPECT_EQ(p.operator_, "A. Muster");
    EXPECT_EQ(p.instrument, "Zelle Nr. 17");
    EXPECT_EQ(p.purpose, "Nachbarschaft");
    EXPECT_EQ(p.weather, "trocken");
    EXPECT_EQ(p.calibration.referenceDb, 94.0);
    EXPECT_EQ(p.calibration.beforeDb, 94.1);
    EXPECT_EQ(p.calibration.afterDb, 93.9);
    ASSERT_EQ(p.markers.size(), 1u);
    EXPECT_EQ(p.markers[0].fromS, 120.0);
    EXPECT_EQ(p.markers[0].toS, 300.0);
    EXPECT_EQ(p.markers[0].kind, MarkerKind::kFremdgeraeusch);
    EXPECT_EQ(p.markers[0].text, "Lkw");
    EXPECT_TRUE(p.extra.isEmpty());
}

TEST(ProtocolFile, OptionalPartsMayBeMissing) {
    MeasurementProtocol p;
    p.site = "alt";
    const CommandResult r = ParseProtocol(
        R"({"format": "kelvarn-protocol", "version": 1, "measurements": [{"measurement": 2}],
            "markers": [{"measurement": 3, "from_s": 0, "to_s": 10, "kind": "ereignis"}],
            "calibration": {"reference_db": null}})",
        TwelveOf10(), p);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    ASSERT_EQ(p.starts.size(), 1u);
    EXPECT_FALSE(p.starts[0].start.isValid());
    EXPECT_EQ(p.starts[0].source, StartSource::kUnknown);
    EXPECT_EQ(p.site, "");
    EXPECT_FALSE(p.calibration.referenceDb);
    ASSERT_EQ(p.markers.size(), 1u);
    EXPECT_EQ(p.markers[0].text, "");
    EXPECT_EQ(p.markers[0].kind, MarkerKind::kEreignis);
}

TEST(ProtocolFile, RoundTripKeepsUnknownKeysOffsetsAndNumbers) {
    MeasurementProtocol p;
    ASSERT_TRUE(ParseProtocol(
                    R"({"format": "kelvarn-protocol", "version": 1,
        "measurements": [
          {"measurement": 2, "start": "2026-10-25T02:30:00+01:00", "start_source": "zeitstart", "note": [1, 2]},
          {"measurement": 1, "start": "2026-10-25T02:30:00.250+02:00", "start_source": "pc_start"}],
        "site": "Straße \"B 27\"\n2. Zeile", "weather": "12 °C",
        "calibration": {"reference_db": 94, "before_db": 94.1, "after_db": 93.6, "calibrator": "CAL 200"},
        "markers": [{"measurement": 12, "from_s": 0.1, "to_s": 9.99, "kind": "ereignis", "text": "Hund", "farbe": "rot"}],
        "workplace": {"tasks": [{"measurement": 1, "from_s": 0, "to_s": 7200, "te_h": 6.5}]},
        "ta_laerm": {"area": "wa", "period": "tag", "c_met_db": 0, "messabschlag": false,
                     "parts": [{"measurement": 1, "from_s": null, "to_s": null, "t_h": 4, "kt_db": 3, "ki_db": 0, "kr": true}]},
        "zusatz": 1.0000000000000002})",
                    TwelveOf10(), p)
                    .ok);
    // Kept where they stood.
    EXPECT_EQ(p.starts[1].extra, (QJsonObject{{"note", QJsonArray{1, 2}}}));
    EXPECT_EQ(p.calibration.extra, (QJsonObject{{"calibrator", "CAL 200"}}));
    EXPECT_EQ(p.markers[0].extra, (QJsonObject{{"farbe", "rot"}}));
    EXPECT_EQ(p.extra.keys(), QStringList{"zusatz"});
    EXPECT_TRUE(p.workplace && p.taLaerm);
    // Sorted by measurement.
    EXPECT_EQ(p.starts[0].measurement, 1);

    const QByteArray written = WriteProtocol(p);
    MeasurementProtocol back;
    const CommandResult r = ParseProtocol(written, TwelveOf10(), back);
    ASSERT_TRUE(r.ok) << r.message.toStdString() << "\n" << written.toStdString();
    EXPECT_EQ(back, p);
    // The same instant in different offsets stays in its own offset: on the autumn day the
    // clock shows 02:30 twice.
    EXPECT_EQ(back.starts[0].start.offsetFromUtc(), 7200);
    EXPECT_EQ(back.starts[1].start.offsetFromUtc(), 3600);
    EXPECT_EQ(back.starts[0].start.time().msec(), 250);
    EXPECT_EQ(back.extra["zusatz"].toDouble(), 1.0000000000000002);
    // Written again, the bytes stay the same.
    EXPECT_EQ(WriteProtocol(back), written);

    // Scripts read it as plain JSON with the public keys.
    const QJsonObject top = QJsonDocument::fromJson(written).object();
    EXPECT_EQ(top["format"].toString(), "kelvarn-protocol");
    EXPECT_EQ(top["version"].toInt(), 1);
    const QJsonObject m1 = top["measurements"].toArray()[0].toObject();
    EXPECT_EQ(m1["start"].toString(), "2026-10-25T02:30:00.250+02:00");
    EXPECT_EQ(m1["start_source"].toString(), "pc_start");
    EXPECT_EQ(top["markers"].toArray()[0].toObject()["kind"].toString(), "ereignis");
    EXPECT_TRUE(written.contains("\"reference_db\": 94.0")) << written.toStdString();
    EXPECT_EQ(top["ta_laerm"].toObject()["parts"].toArray()[0].toObject()["kt_db"].toInt(), 3);
}

TEST(ProtocolFile, EmptyProtocolRoundTrips) {
    const QByteArray written = WriteProtocol(MeasurementProtocol{});
    MeasurementProtocol back;
    back.site = "vorher";
    ASSERT_TRUE(ParseProtocol(written, ShapeOf(MeasurementRecord{}), back).ok);
    EXPECT_TRUE(back.IsEmpty());
}

TEST(ProtocolFile, BadContentNamesTheProblem) {
    const QByteArray head = R"({"format": "kelvarn-protocol", "version": 1, )";
    struct Case {
        const char* what;
        QByteArray json;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"not JSON", "{\"format\": ", "kein gültiges JSON (Fehler bei Zeichen 11)"},
        {"an array", "[]", "kein JSON-Objekt"},
        {"other format", R"({"format": "x", "version": 1})",
         "kein Kelvarn-Protokoll (\"format\" ist nicht \"kelvarn-protocol\")"},
        {"no version", R"({"format": "kelvarn-protocol"})",
         "\"version\" fehlt oder ist keine ganze Zahl"},
        {"newer version", R"({"format": "kelvarn-protocol", "version": 2})",
         "Version 2 wird nicht unterstützt (nur 1)"},
        {"start no date", head + R"("measurements": [{"measurement": 1, "start": "gestern"}]})",
         "Messung 1: Beginn \"gestern\" ist keine Zeitangabe nach ISO 8601 mit UTC-Versatz "
         "(etwa 2026-06-10T21:37:12+02:00)"},
        {"start without offset",
         head + R"("measurements": [{"measurement": 1, "start": "2026-06-10T21:37:12"}]})",
         "Messung 1: Beginn \"2026-06-10T21:37:12\" ist keine Zeitangabe nach ISO 8601 mit "
         "UTC-Versatz (etwa 2026-06-10T21:37:12+02:00)"},
        {"date alone", head + R"("measurements": [{"measurement": 1, "start": "2026-06-10"}]})",
         "Messung 1: Beginn \"2026-06-10\" ist keine Zeitangabe nach ISO 8601 mit UTC-Versatz "
         "(etwa 2026-06-10T21:37:12+02:00)"},
        {"start a number", head + R"("measurements": [{"measurement": 1, "start": 17}]})",
         "Messung 1: Beginn 17 ist keine Zeitangabe nach ISO 8601 mit UTC-Versatz (etwa "
         "2026-06-10T21:37:12+02:00)"},
        {"unknown source",
         head + R"("measurements": [{"measurement": 1, "start_source": "geraten"}]})",
         "Messung 1: \"start_source\" \"geraten\" ist keine der Quellen pc_start, zeitstart, "
         "geschaetzt, eingegeben"},
        {"measurement 0", head + R"("measurements": [{"measurement": 0}]})",
         "Eintrag 1 unter \"measurements\": Messung 0 gibt es nicht (die Aufnahme hat die "
         "Messungen 1 bis 1)"},
        {"measurement 2 of 1", head + R"("measurements": [{"measurement": 2}]})",
         "Eintrag 1 unter \"measurements\": Messung 2 gibt es nicht (die Aufnahme hat die "
         "Messungen 1 bis 1)"},
        {"no number", head + R"("measurements": [{"measurement": 1}, {"measurement": 1.5}]})",
         "Eintrag 2 unter \"measurements\": \"measurement\" fehlt oder ist keine ganze Zahl"},
        {"twice", head + R"("measurements": [{"measurement": 1}, {"measurement": 1}]})",
         "Messung 1 steht zweimal unter \"measurements\""},
        {"marker measurement out of range",
         head + R"("markers": [{"measurement": 13, "from_s": 1, "to_s": 2, "kind": "ereignis"}]})",
         "Marke 1: Messung 13 gibt es nicht (die Aufnahme hat die Messungen 1 bis 1)"},
        {"from = to",
         head + R"("markers": [{"measurement": 1, "from_s": 5, "to_s": 5, "kind": "ereignis"}]})",
         "Marke 1: von 5 s ist nicht kleiner als bis 5 s"},
        {"from > to",
         head + R"("markers": [{"measurement": 1, "from_s": 0, "to_s": 1, "kind": "ereignis"},
                               {"measurement": 1, "from_s": 300, "to_s": 120.5, "kind": "ereignis"}]})",
         "Marke 2: von 300 s ist nicht kleiner als bis 120.5 s"},
        {"past the end",
         head +
             R"("markers": [{"measurement": 1, "from_s": 500, "to_s": 601, "kind": "ereignis"}]})",
         "Marke 1: 500 s bis 601 s liegt nicht in Messung 1 (0 bis 600 s)"},
        {"before the start",
         head + R"("markers": [{"measurement": 1, "from_s": -1, "to_s": 1, "kind": "ereignis"}]})",
         "Marke 1: -1 s bis 1 s liegt nicht in Messung 1 (0 bis 600 s)"},
        {"no kind", head + R"("markers": [{"measurement": 1, "from_s": 0, "to_s": 1}]})",
         "Marke 1: \"kind\" fehlt"},
        {"other kind",
         head + R"("markers": [{"measurement": 1, "from_s": 0, "to_s": 1, "kind": "Lkw"}]})",
         "Marke 1: \"kind\" \"Lkw\" ist weder fremdgeraeusch noch ereignis"},
        {"from a text",
         head + R"("markers": [{"measurement": 1, "from_s": "0", "to_s": 1, "kind": "ereignis"}]})",
         "Marke 1: \"from_s\" ist keine Zahl"},
        {"site a number", head + R"("site": 5})", "\"site\" ist kein Text"},
        {"calibration a list", head + R"("calibration": [94]})", "\"calibration\" ist kein Objekt"},
        {"reading a text", head + R"("calibration": {"before_db": "94,1"}})",
         "Kalibrierung: \"before_db\" ist keine Zahl"},
        {"markers an object", head + R"("markers": {}})", "\"markers\" ist keine Liste"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MeasurementProtocol p;
        p.site = "bleibt";
        const CommandResult r = ParseProtocol(c.json, OneOf600(), p);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, QString::fromUtf8(c.message));
        EXPECT_EQ(p.site, "bleibt");
    }
}

// ----- the assessment inputs

namespace {

// A file as the program wrote it while it kept the assessment inputs as plain JSON: keys it
// does not know at the top and inside every object, the inputs among the top-level keys in
// their sorted order, each on one line of compact JSON.
const char* const kWrittenBefore = R"({"format": "kelvarn-protocol", "version": 1,
 "measurements": [
   {"measurement": 1, "start": "2026-06-10T06:00:00+02:00", "start_source": "eingegeben", "note": [1,2]}],
 "site": "Hof",
 "operator": "",
 "instrument": "",
 "purpose": "",
 "weather": "",
 "calibration": {"reference_db": 94.0, "before_db": null, "after_db": null, "calibrator": "CAL 200"},
 "markers": [
   {"measurement": 1, "from_s": 0.0, "to_s": 3600.0, "kind": "fremdgeraeusch", "text": "Lkw", "farbe": "rot"}],
 "aaa": {"b":1},
 "ta_laerm": {"area":"misch","c_met_db":1.5,"holiday":false,"messabschlag":true,"parts":[{"from_s":null,"ki_db":0,"kr":true,"kt_db":3,"measurement":1,"t_h":4,"to_s":7200,"zone":"A"},{"from_s":7200.5,"ki_db":6,"kr":false,"kt_db":0,"measurement":1,"t_h":0.1,"to_s":100000}],"period":"tag","quelle":"neu"},
 "workplace": {"schicht":"früh","tasks":[{"from_s":0,"measurement":1,"te_h":6.5,"to_s":28800,"wer":"B"}]},
 "zusatz": 1.0000000000000002}
)";

ProtocolShape OneDay() {
    return ProtocolShape{{86400.0}};
}

// An empty protocol of site "Hof" as written, up to where the kept keys follow.
const QByteArray kHofHead = R"({"format": "kelvarn-protocol", "version": 1,
 "measurements": [],
 "site": "Hof",
 "operator": "",
 "instrument": "",
 "purpose": "",
 "weather": "",
 "calibration": {"reference_db": null, "before_db": null, "after_db": null},
 "markers": [])";

// That protocol with one more top-level key, as written.
QByteArray HofWith(const char* key, const char* json) {
    return kHofHead + ",\n \"" + key + "\": " + json + "}\n";
}

}  // namespace

TEST(ProtocolInputs, AFileWrittenBeforeIsReadIntoFieldsAndWrittenBackByteForByte) {
    MeasurementProtocol p;
    const CommandResult r = ParseProtocol(kWrittenBefore, OneDay(), p);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_TRUE(p.unreadInputs.empty());
    EXPECT_EQ(p.extra.keys(), (QStringList{"aaa", "zusatz"}));

    ASSERT_TRUE(p.workplace);
    EXPECT_EQ(p.workplace->extra, (QJsonObject{{"schicht", "früh"}}));
    ASSERT_EQ(p.workplace->tasks.size(), 1u);
    const ExposureTask& task = p.workplace->tasks[0];
    EXPECT_EQ(task.range, (MeasurementRange{1, 0.0, 28800.0}));
    EXPECT_EQ(task.teH, 6.5);
    EXPECT_EQ(task.extra, (QJsonObject{{"wer", "B"}}));

    ASSERT_TRUE(p.taLaerm);
    const TaLaermInput& ta = *p.taLaerm;
    EXPECT_EQ(ta.area, AreaType::Misch);
    EXPECT_EQ(ta.period, RatingPeriod::Tag);
    EXPECT_EQ(ta.cMetDb, 1.5);
    EXPECT_TRUE(ta.messabschlag);
    EXPECT_FALSE(ta.holiday);
    EXPECT_EQ(ta.extra, (QJsonObject{{"quelle", "neu"}}));
    ASSERT_EQ(ta.parts.size(), 2u);
    EXPECT_EQ(ta.parts[0].range, (MeasurementRange{1, std::nullopt, 7200.0}));
    EXPECT_EQ(ta.parts[0].tH, 4);
    EXPECT_EQ(ta.parts[0].ktDb, 3);
    EXPECT_EQ(ta.parts[0].kiDb, 0);
    EXPECT_TRUE(ta.parts[0].kr);
    EXPECT_EQ(ta.parts[0].extra, (QJsonObject{{"zone", "A"}}));
    EXPECT_EQ(ta.parts[1].range, (MeasurementRange{1, 7200.5, 100000.0}));
    EXPECT_EQ(ta.parts[1].tH, 0.1);
    EXPECT_EQ(ta.parts[1].kiDb, 6);
    EXPECT_FALSE(ta.parts[1].kr);
    EXPECT_TRUE(ta.parts[1].extra.isEmpty());

    // Unchanged, the bytes stay; a change elsewhere changes only its own line.
    const QByteArray before(kWrittenBefore);
    EXPECT_EQ(WriteProtocol(p), before);
    p.site = "Feld";
    QByteArray expected = before;
    expected.replace("\"site\": \"Hof\"", "\"site\": \"Feld\"");
    EXPECT_EQ(WriteProtocol(p), expected);

    // A changed input keeps the keys kept beside it.
    p.taLaerm->parts[0].ktDb = 6;
    p.workplace->tasks[0].teH = 8;
    expected.replace("\"kt_db\":3,", "\"kt_db\":6,");
    expected.replace("\"te_h\":6.5,", "\"te_h\":8,");
    EXPECT_EQ(WriteProtocol(p), expected);
    MeasurementProtocol back;
    ASSERT_TRUE(ParseProtocol(expected, OneDay(), back).ok);
    EXPECT_EQ(back, p);
}

// Missing values take their defaults, and the written object gives every known key.
TEST(ProtocolInputs, MissingValuesAreReadAsTheirDefaultsAndWrittenOut) {
    struct Case {
        const char* key;
        const char* json;
        const char* written;
    };
    const char* const kDefaultTa =
        R"({"area":"wa","c_met_db":0,"holiday":false,"messabschlag":false,"parts":[],"period":"tag"})";
    const Case cases[] = {
        {"workplace", R"({"tasks":[{"measurement":2,"te_h":1}]})",
         R"({"tasks":[{"from_s":null,"measurement":2,"te_h":1,"to_s":null}]})"},
        {"workplace", R"({"tasks":[{"measurement":1}]})",
         R"({"tasks":[{"from_s":null,"measurement":1,"te_h":0,"to_s":null}]})"},
        {"workplace", "{}", R"({"tasks":[]})"},
        {"workplace", R"({"tasks":null})", R"({"tasks":[]})"},
        {"ta_laerm", "{}", kDefaultTa},
        {"ta_laerm", R"({"area":null,"period":null,"parts":null})", kDefaultTa},
        {"ta_laerm", R"({"area":"wr","period":"nacht","parts":[{"measurement":1,"t_h":1}]})",
         R"({"area":"wr","c_met_db":0,"holiday":false,"messabschlag":false,"parts":[{"from_s":null,"ki_db":0,"kr":false,"kt_db":0,"measurement":1,"t_h":1,"to_s":null}],"period":"nacht"})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        MeasurementProtocol p;
        const CommandResult r = ParseProtocol(HofWith(c.key, c.json), OneDay(), p);
        ASSERT_TRUE(r.ok) << r.message.toStdString();
        EXPECT_TRUE(p.unreadInputs.empty());
        EXPECT_TRUE(p.extra.isEmpty());
        EXPECT_EQ(WriteProtocol(p), HofWith(c.key, c.written));
    }
    // Every area by its key, and back.
    for (const AreaInfo& a : Areas()) {
        SCOPED_TRACE(a.key);
        const QByteArray json = QByteArray(R"({"area":")") + a.key + R"("})";
        MeasurementProtocol p;
        ASSERT_TRUE(ParseProtocol(HofWith("ta_laerm", json), OneDay(), p).ok);
        ASSERT_TRUE(p.taLaerm);
        EXPECT_EQ(p.taLaerm->area, a.type);
        EXPECT_TRUE(WriteProtocol(p).contains(R"({"area":")" + QByteArray(a.key) + '"'));
    }
}

// An input that cannot be read leaves the rest of the protocol readable: it is kept as it stood
// with its problem, which the assessment names, and written again unchanged.
TEST(ProtocolInputs, AnUnreadableInputIsKeptAsItStoodWithItsProblem) {
    struct Case {
        const char* key;
        const char* json;
        const char* problem;
    };
    const Case cases[] = {
        {"workplace", "5", "workplace: kein Objekt"},
        {"workplace", "null", "workplace: kein Objekt"},
        {"workplace", R"({"tasks":{}})", "workplace: \"tasks\" ist keine Liste"},
        {"workplace", R"({"tasks":[3]})", "workplace, Tätigkeit 1: kein Objekt"},
        {"workplace", R"({"tasks":[{"te_h":8}]})",
         "workplace, Tätigkeit 1: \"measurement\" muss eine Messung 1 bis 12 sein"},
        {"workplace", R"({"tasks":[{"measurement":1,"te_h":1},{"measurement":13,"te_h":1}]})",
         "workplace, Tätigkeit 2: \"measurement\" muss eine Messung 1 bis 12 sein"},
        {"workplace", R"({"tasks":[{"measurement":1,"te_h":"8"}]})",
         "workplace, Tätigkeit 1: \"te_h\" ist keine Zahl"},
        {"ta_laerm", "[]", "ta_laerm: kein Objekt"},
        {"ta_laerm", R"({"area":"dorf"})", "ta_laerm: unbekanntes Gebiet \"dorf\""},
        {"ta_laerm", R"({"period":"abend"})", "ta_laerm: unbekannter Zeitraum \"abend\""},
        {"ta_laerm", R"({"c_met_db":"zwei"})", "ta_laerm: \"c_met_db\" ist keine Zahl"},
        {"ta_laerm", R"({"holiday":1})", "ta_laerm: \"holiday\" ist nicht true oder false"},
        {"ta_laerm", R"({"parts":3})", "ta_laerm: \"parts\" ist keine Liste"},
        {"ta_laerm", R"({"parts":[true]})", "ta_laerm, Teilzeit 1: kein Objekt"},
        {"ta_laerm", R"({"parts":[{"measurement":0,"t_h":1}]})",
         "ta_laerm, Teilzeit 1: \"measurement\" muss eine Messung 1 bis 12 sein"},
        {"ta_laerm", R"({"parts":[{"kr":"ja","measurement":1,"t_h":1}]})",
         "ta_laerm, Teilzeit 1: \"kr\" ist nicht true oder false"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        const QByteArray file = HofWith(c.key, c.json);
        MeasurementProtocol p;
        const CommandResult r = ParseProtocol(file, OneDay(), p);
        ASSERT_TRUE(r.ok) << r.message.toStdString();
        EXPECT_EQ(p.site, "Hof");
        EXPECT_FALSE(p.workplace);
        EXPECT_FALSE(p.taLaerm);
        EXPECT_TRUE(p.extra.isEmpty());
        ASSERT_EQ(p.unreadInputs.size(), 1u);
        EXPECT_EQ(p.unreadInputs[0].key, c.key);
        EXPECT_EQ(p.unreadInputs[0].problem, QString::fromUtf8(c.problem));
        EXPECT_EQ(WriteProtocol(p), file);
    }

    // Both unreadable: named in the order they are read.
    MeasurementProtocol p;
    ASSERT_TRUE(
        ParseProtocol(kHofHead + R"(, "ta_laerm": {"area": "mond"}, "workplace": 5})", OneDay(), p)
            .ok);
    ASSERT_EQ(p.unreadInputs.size(), 2u);
    EXPECT_EQ(p.unreadInputs[0].problem, "workplace: kein Objekt");
    EXPECT_EQ(p.unreadInputs[1].problem, "ta_laerm: unbekanntes Gebiet \"mond\"");
    // One entered takes the unread one's place in the file.
    p.taLaerm = TaLaermInput{};
    EXPECT_TRUE(WriteProtocol(p).contains(R"("ta_laerm": {"area":"wa",)"));
}

TEST(ProtocolFile, AMarkerMayEndAtTheMeasurementsEnd) {
    MeasurementProtocol p;
    const CommandResult r = ParseProtocol(
        R"({"format": "kelvarn-protocol", "version": 1,
            "markers": [{"measurement": 12, "from_s": 0, "to_s": 10.0, "kind": "fremdgeraeusch"}]})",
        TwelveOf10(), p);
    EXPECT_TRUE(r.ok) << r.message.toStdString();
}

TEST(ProtocolFile, ShapeFollowsTheRecord) {
    EXPECT_EQ(ShapeOf(*ProgramRecord(4, kelvarn::testing::Constant(150))).seconds,
              std::vector<double>{3600.0});
    EXPECT_EQ(ShapeOf(*ProgramRecord(9, kelvarn::testing::Constant(150))).seconds,
              std::vector<double>(12, 600.0));
    EXPECT_EQ(ShapeOf(*ProgramRecord(6, kelvarn::testing::Constant(0))).seconds,
              std::vector<double>{86400.0});
    EXPECT_TRUE(ShapeOf(MeasurementRecord{}).seconds.empty());
}

TEST(ProtocolFile, NamedAsTheRemarksFile) {
    EXPECT_EQ(ProtocolFileName("/m/MESS1.DBA"), "/m/MESS1.KVP");
    EXPECT_EQ(ProtocolFileName("/m/Messung 01.05.2024.dba"), "/m/Messung 01.05.2024.KVP");
    EXPECT_EQ(ProtocolFileName("/m/x"), "/m/KVP");
}

TEST(ProtocolFile, ReadingTheFileBesideAMeasurement) {
    QTemporaryDir dir;
    const QString path = dir.filePath("M.KVP");
    MeasurementProtocol p;
    p.site = "alt";
    // None there: an empty protocol.
    ProtocolLoad load = ReadProtocolFile(path, OneOf600(), p);
    EXPECT_EQ(load.state, ProtocolLoad::kMissing);
    EXPECT_TRUE(p.IsEmpty());

    WriteBytes(path, kExample);
    load = ReadProtocolFile(path, OneOf600(), p);
    EXPECT_EQ(load.state, ProtocolLoad::kRead);
    EXPECT_EQ(p.site, "Hof");

    // Bad content: the message names the file and the problem; the protocol stays.
    WriteBytes(path, R"({"format": "kelvarn-protocol", "version": 1, "site": 1})");
    load = ReadProtocolFile(path, OneOf600(), p);
    EXPECT_EQ(load.state, ProtocolLoad::kUnreadable);
    EXPECT_EQ(load.message,
              QStringLiteral("Das Protokoll \"%1\" kann nicht gelesen werden: \"site\" ist kein "
                             "Text")
                  .arg(path));
    EXPECT_EQ(p.site, "Hof");

    // A folder of that name.
    QDir(dir.path()).mkdir("D.KVP");
    load = ReadProtocolFile(dir.filePath("D.KVP"), OneOf600(), p);
    EXPECT_EQ(load.state, ProtocolLoad::kUnreadable);
    EXPECT_EQ(load.message, QStringLiteral("Das Protokoll \"%1\" kann nicht gelesen werden: %2")
                                .arg(dir.filePath("D.KVP"), SystemErrorText(EISDIR)));
}

TEST(ProtocolFile, HugeFilesAreRefusedUnread) {
    QTemporaryDir dir;
    const QString path = dir.filePath("G.KVP");
    {
        // 100 MB of JSON, sparse on disk.
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.write("{\"site\": \"") > 0);
        ASSERT_TRUE(f.resize(100 * 1024 * 1024));
    }
    MeasurementProtocol p;
    const ProtocolLoad load = ReadProtocolFile(path, OneOf600(), p);
    EXPECT_EQ(load.state, ProtocolLoad::kUnreadable);
    EXPECT_EQ(load.message,
              QStringLiteral("Das Protokoll \"%1\" kann nicht gelesen werden: die Datei ist "
                             "größer als 16 MB")
                  .arg(path));
}

TEST(ProtocolCalibration, DriftIsFlaggedAboveHalfADecibel) {
    struct Case {
        std::optional<double> before, after;
        std::optional<double> drift;
        bool flagged;
    };
    const Case cases[] = {
        {94.1, 93.9, -0.2, false}, {94.1, 93.6, -0.5, false}, {94.0, 94.5, 0.5, false},
        {94.0, 94.6, 0.6, true},   {94.1, 93.5, -0.6, true},  {std::nullopt, 94.0, {}, false},
    };
    for (const Case& c : cases) {
        ProtocolCalibration cal;
        cal.referenceDb = 94.0;
        cal.beforeDb = c.before;
        cal.afterDb = c.after;
        const std::optional<double> d = CalibrationDrift(cal);
        ASSERT_EQ(d.has_value(), c.drift.has_value());
        if (d) {
            EXPECT_NEAR(*d, *c.drift, 1e-9);
        }
        EXPECT_EQ(CalibrationDriftFlagged(cal), c.flagged) << c.before.value_or(0);
    }
}

TEST(ProtocolStarts, SetStartKeepsMeasurementOrder) {
    MeasurementProtocol p;
    p.SetStart(3, At("2026-06-10T10:00:00+02:00"), StartSource::kEingegeben);
    p.SetStart(1, At("2026-06-10T09:00:00+02:00"), StartSource::kPcStart);
    p.SetStart(3, At("2026-06-10T11:00:00+02:00"), StartSource::kGeschaetzt);
    ASSERT_EQ(p.starts.size(), 2u);
    EXPECT_EQ(p.starts[0].measurement, 1);
    EXPECT_EQ(p.StartOf(3)->source, StartSource::kGeschaetzt);
    EXPECT_EQ(p.StartOf(3)->start, At("2026-06-10T11:00:00+02:00"));
    EXPECT_EQ(p.StartOf(2), nullptr);
}

// ----- the save of the three files

namespace {

MeasurementRecord Pattern(uint8_t seed) {
    MeasurementRecord rec;
    for (int i = 0; i < MeasurementRecord::kSize; ++i) rec.bytes[i] = uint8_t(i * 3 + seed);
    return rec;
}

QByteArray Bytes(const MeasurementRecord& rec) {
    return QByteArray(reinterpret_cast<const char*>(rec.bytes.data()), MeasurementRecord::kSize);
}

MeasurementProtocol Sited(const QString& site) {
    MeasurementProtocol p;
    p.site = site;
    return p;
}

}  // namespace

TEST(SavingThreeFiles, TheProtocolGoesBesideMeasurementAndRemarks) {
    QTemporaryDir dir;
    const QString path = dir.filePath("M.DBA");
    const MeasurementRecord rec = Pattern(1);
    const RichText text = RichText::FromPlainText("Bemerkung");
    MeasurementProtocol p = Sited("Hof");
    p.extra.insert("fremd", 1);
    ASSERT_TRUE(SaveMeasurementFiles(path, {&rec, &text, &p}).ok);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{"M.DBA", "M.KVP", "M.RMK"}));
    EXPECT_EQ(ReadAll(dir.filePath("M.KVP")), WriteProtocol(p));

    // Only the protocol: the other two stay untouched.
    const QByteArray remarksBefore = ReadAll(dir.filePath("M.RMK"));
    const MeasurementProtocol q = Sited("Feld");
    ASSERT_TRUE(SaveMeasurementFiles(path, {nullptr, nullptr, &q}).ok);
    EXPECT_EQ(ReadAll(path), Bytes(rec));
    EXPECT_EQ(ReadAll(dir.filePath("M.RMK")), remarksBefore);
    EXPECT_EQ(ReadAll(dir.filePath("M.KVP")), WriteProtocol(q));
}

TEST(SavingThreeFiles, NoFileIsReplacedUnlessAllCouldBeWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("X.DBA");
    const MeasurementRecord old = Pattern(1), rec = Pattern(2);
    const RichText text = RichText::FromPlainText("alt");
    const MeasurementProtocol p = Sited("Hof");
    ASSERT_TRUE(SaveMeasurementWithRemarks(path, old, text).ok);
    const QByteArray oldRemarks = ReadAll(dir.filePath("X.RMK"));
    QDir(dir.path()).mkdir("X.KVP");
    const RichText newText = RichText::FromPlainText("neu");
    const CommandResult r = SaveMeasurementFiles(path, {&rec, &newText, &p});
    EXPECT_EQ(r.message, QStringLiteral("Das Protokoll \"%1\" kann nicht gespeichert werden. %2")
                             .arg(dir.filePath("X.KVP"), SystemErrorText(EISDIR)));
    EXPECT_EQ(ReadAll(path), Bytes(old));
    EXPECT_EQ(ReadAll(dir.filePath("X.RMK")), oldRemarks);
}

TEST(SavingThreeFiles, AFailureAfterOthersWereReplacedSaysWhatWasSaved) {
    QTemporaryDir dir;
    const QString path = dir.filePath("M.DBA"), protocol = dir.filePath("M.KVP");
    const MeasurementRecord rec = Pattern(1);
    const RichText text = RichText::FromPlainText("alt");
    const MeasurementProtocol small = Sited("Hof");
    ASSERT_TRUE(SaveMeasurementFiles(path, {&rec, &text, &small}).ok);
    const QByteArray oldProtocol = ReadAll(protocol);
    // A protocol that can only be written in place (it has a second name) and that does not
    // fit under the size limit fails after measurement and remarks were replaced.
    ASSERT_EQ(link(QFile::encodeName(protocol).constData(),
                   QFile::encodeName(dir.filePath("Kopie.KVP")).constData()),
              0);
    MeasurementProtocol big = Sited(QString(9000, QLatin1Char('x')));
    const MeasurementRecord rec2 = Pattern(2);
    InChildProcess(false, [&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{8000, 8000};
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) return std::string("setrlimit failed");
        return Expect("message", SaveMeasurementFiles(path, {&rec2, &text, &big}).message,
                      QStringLiteral("Die Messung und die Beschreibung wurden gespeichert, das "
                                     "Protokoll nicht. Das Protokoll \"%1\" kann nicht "
                                     "gespeichert werden. %2")
                          .arg(protocol, SystemErrorText(EFBIG)));
    });
    EXPECT_EQ(ReadAll(path), Bytes(rec2));
    EXPECT_EQ(ReadAll(protocol), oldProtocol);
}

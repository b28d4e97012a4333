// The edits of the document's protocol and assessment inputs, and the one reader of typed
// numbers, without a window: what each accepts, what it refuses and with which words, and the
// values it proposes.
#include <gtest/gtest.h>

#include <QJsonObject>
#include <QTimeZone>
#include <functional>

#include "document/AssessmentEdits.h"
#include "document/MeasurementDocument.h"
#include "document/ProtocolEdits.h"
#include "document/TypedNumber.h"
#include "eval_records.h"

using namespace kelvarn;
using namespace kelvarn::testing;

namespace {

// Program D (one hour of 600 samples of 6 s) at one level, with protocol p.
void PutWith(MeasurementDocument& doc, const MeasurementProtocol& p) {
    MeasurementRecord rec;
    BuildHeader(rec, 4);
    for (int i = 0; i < GetSampleTotal(rec); ++i) rec.bytes[size_t(10 + i)] = 150;
    doc.TakeOver(rec, p, QDateTime());
}

// The same with start and TA Lärm settings.
void Put(MeasurementDocument& doc, const QDateTime& start, const TaLaermInput* ta = nullptr) {
    MeasurementProtocol p;
    if (start.isValid()) p.SetStart(1, start, StartSource::kEingegeben);
    if (ta) p.taLaerm = *ta;
    PutWith(doc, p);
}

QDateTime Wednesday(int hour, int minute = 0) {
    return QDateTime(QDate(2026, 6, 10), QTime(hour, minute), QTimeZone::systemTimeZone());
}

ProtocolMarker Marker(int m, double from, double to) {
    ProtocolMarker mk;
    mk.measurement = m;
    mk.fromS = from;
    mk.toS = to;
    return mk;
}

}  // namespace

TEST(TypedNumber, TheSameTextIsTheSameNumberOrTheSameRefusal) {
    struct Case {
        const char* text;
        std::optional<double> value;
        bool ok;
    };
    const Case cases[] = {
        {"94", 94.0, true},
        {"93,8", 93.8, true},
        {"93.8", 93.8, true},
        {" -3,5 ", -3.5, true},
        {"+2", 2.0, true},
        {",5", 0.5, true},
        {"1.000", 1.0, true},
        {"1,000", 1.0, true},
        {"", std::nullopt, true},
        {"   ", std::nullopt, true},
        // Two decimal marks are no number rather than a guess at thousands.
        {"1.234,5", std::nullopt, false},
        {"1.000.000", std::nullopt, false},
        {"1e3", std::nullopt, false},
        {"nan", std::nullopt, false},
        {"inf", std::nullopt, false},
        {"-", std::nullopt, false},
        {",", std::nullopt, false},
        {"94 dB", std::nullopt, false},
        {"0x10", std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TypedNumber n = ReadTypedNumber(QString::fromUtf8(c.text), QStringLiteral("vorher"));
        EXPECT_EQ(n.Ok(), c.ok);
        EXPECT_EQ(n.value, c.value);
        if (!c.ok) {
            EXPECT_EQ(n.problem, QStringLiteral("vorher: \"%1\" ist keine Zahl (Dezimalkomma oder "
                                                "-punkt, ohne Tausendertrennzeichen)")
                                     .arg(QString::fromUtf8(c.text)));
        }
    }
    EXPECT_EQ(ReadRequiredNumber("", "Te").problem, "Te: keine Zahl angegeben");
}

TEST(ProtocolEdits, MarkersAreCheckedAgainstTheRecordAndRefusalsChangeNothing) {
    MeasurementDocument doc;
    Put(doc, QDateTime());
    struct Case {
        ProtocolMarker marker;
        const char* problem;  // empty: taken
    };
    const Case cases[] = {
        {Marker(1, 120, 300), ""},
        {Marker(1, 0, 3600), ""},
        {Marker(2, 0, 10), "Marke 1: Messung 2 gibt es nicht."},
        {Marker(1, 300, 120), "Marke 1: von 300 s ist nicht kleiner als bis 120 s."},
        {Marker(1, 10, 10), "Marke 1: von 10 s ist nicht kleiner als bis 10 s."},
        {Marker(1, -1, 10), "Marke 1: -1 s bis 10 s liegt nicht in Messung 1 (0 bis 3600 s)."},
        {Marker(1, 0, 3601), "Marke 1: 0 s bis 3601 s liegt nicht in Messung 1 (0 bis 3600 s)."},
        {Marker(1, 0, std::nan("")), "Marke 1: von und bis müssen Zahlen sein."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.problem);
        doc.SetProtocol({});
        const EditResult r = AddMarker(doc, c.marker);
        EXPECT_EQ(r.problem, QString::fromUtf8(c.problem));
        EXPECT_EQ(doc.Protocol().markers.size(), r.Ok() ? 1u : 0u);
    }
    // A change is checked as an addition is; the marker it names must be there.
    doc.SetProtocol({});
    ASSERT_TRUE(AddMarker(doc, Marker(1, 120, 300)).Ok());
    EXPECT_EQ(ChangeMarker(doc, 0, Marker(1, 300, 120)).problem,
              "Marke 1: von 300 s ist nicht kleiner als bis 120 s.");
    EXPECT_EQ(doc.Protocol().markers[0].toS, 300);
    EXPECT_EQ(ChangeMarker(doc, 1, Marker(1, 0, 1)).problem, "Marke 2 gibt es nicht.");
    EXPECT_TRUE(RemoveMarker(doc, 0).Ok());
    EXPECT_TRUE(doc.Protocol().markers.empty());
}

TEST(ProtocolEdits, StartsOfMeasurementsThatExistAndASeriesFilledFromAKnownStart) {
    MeasurementDocument doc;
    MeasurementRecord rec;
    BuildHeader(rec, 7);  // program G: twelve measurements
    for (int i = 0; i < GetSampleTotal(rec); ++i) rec.bytes[size_t(10 + i)] = 150;
    doc.TakeOver(rec, {}, QDateTime());
    const int count = doc.View().shape.Measurements();
    ASSERT_EQ(count, 12);
    EXPECT_EQ(SetStart(doc, 13, Wednesday(8)).problem, "Messung 13 gibt es nicht (1 bis 12).");
    EXPECT_EQ(FillSeries(doc, 2, QTimeZone::systemTimeZone()).problem,
              "Messung 2 hat keinen Beginn, an den sich die folgenden anschließen könnten.");
    ASSERT_TRUE(SetStart(doc, 2, Wednesday(8)).Ok());
    ASSERT_TRUE(FillSeries(doc, 2, QTimeZone::systemTimeZone()).Ok());
    const double length = doc.View().shape.seconds[1];
    EXPECT_FALSE(doc.Protocol().StartOf(1));
    EXPECT_EQ(doc.Protocol().StartOf(12)->start, Wednesday(8).addMSecs(qint64(10 * length * 1000)));
    // The view follows at once: the assessment knows the starts.
    EXPECT_TRUE(doc.View().assessmentSetup.input.measurements[11].start.isValid());
}

TEST(AssessmentEdits, ANewTaskTakesTheNextMeasurementAndTheRestOfTheEightHourDay) {
    MeasurementDocument doc;
    Put(doc, Wednesday(8));
    ASSERT_TRUE(AddTask(doc).Ok());
    ASSERT_TRUE(doc.Protocol().workplace);
    std::vector<ExposureTask> tasks = doc.Protocol().workplace->tasks;
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0].teH, 8);
    tasks[0].teH = 6.5;
    ASSERT_TRUE(ChangeTask(doc, 0, tasks[0]).Ok());
    ASSERT_TRUE(AddTask(doc).Ok());
    tasks = doc.Protocol().workplace->tasks;
    EXPECT_EQ(tasks[1].teH, 1.5);
    EXPECT_EQ(tasks[1].range.measurement, 1);  // one measurement only
    ExposureTask wrong = tasks[1];
    wrong.range.measurement = 2;
    EXPECT_EQ(ChangeTask(doc, 1, wrong).problem,
              "Tätigkeit 2: Messung \"2\" gibt es nicht (1 bis 1).");
    EXPECT_EQ(doc.Protocol().workplace->tasks[1].range.measurement, 1);
    MeasurementDocument empty;
    EXPECT_EQ(AddTask(empty).problem, "Keine Messung geladen.");
}

TEST(AssessmentEdits, KrIsOfferedForPartsInTheRestPeriodsByDayWhereTheAreaHasThem) {
    struct Case {
        int startHour;
        AreaType area;
        RatingPeriod period;
        bool holiday;
        bool kr;
    };
    const Case cases[] = {
        {6, AreaType::Wa, RatingPeriod::Tag, false, true},        // 06-07 on a working day
        {8, AreaType::Wa, RatingPeriod::Tag, false, false},       // no rest period
        {20, AreaType::Wa, RatingPeriod::Tag, false, true},       // 20-21 on a working day
        {8, AreaType::Wr, RatingPeriod::Tag, true, true},         // 06-09 on a holiday
        {13, AreaType::Wr, RatingPeriod::Tag, true, true},        // 13-15 on a holiday
        {13, AreaType::Wr, RatingPeriod::Tag, false, false},      // not on a working day
        {6, AreaType::Gewerbe, RatingPeriod::Tag, false, false},  // no rest periods there
        {6, AreaType::Wa, RatingPeriod::Nacht, false, false},     // by day only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.startHour);
        MeasurementDocument doc;
        TaLaermInput in;
        in.area = c.area;
        in.period = c.period;
        in.holiday = c.holiday;
        Put(doc, Wednesday(c.startHour), &in);
        const EditResult r = AddPart(doc, SettingsOf(in));
        ASSERT_TRUE(r.Ok());
        const std::optional<TaLaermInput>& ta = doc.Protocol().taLaerm;
        ASSERT_TRUE(ta && ta->parts.size() == 1);
        EXPECT_EQ(ta->parts[0].kr, c.kr);
        // The measured hour as T_j, at most Tr.
        EXPECT_EQ(ta->parts[0].tH, 1.0);
    }

    // A part that lies in the rest period only in part is named; KR belongs to a part of its
    // own. Ticking it by hand is kept while the part stays where it is.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    MeasurementDocument doc;
    Put(doc, Wednesday(6, 30));
    EditResult r = AddPart(doc, TaLaermSettings{});
    EXPECT_EQ(r.note,
              "Teilzeit 1 liegt nur zu 0,50 von 1,00 h in den Ruhezeiten; für KR eine eigene "
              "Teilzeit anlegen.");
    ASSERT_TRUE(doc.Protocol().taLaerm);
    RatingPart part = doc.Protocol().taLaerm->parts[0];
    EXPECT_FALSE(part.kr);
    part.kr = true;
    ASSERT_TRUE(ChangePart(doc, 0, part).Ok());
    EXPECT_TRUE(doc.Protocol().taLaerm->parts[0].kr);
    // Moved into the rest period only, it is offered again; moved out, it is taken off.
    part.range.toS = 1800;
    r = ChangePart(doc, 0, part);
    EXPECT_TRUE(doc.Protocol().taLaerm->parts[0].kr);
    EXPECT_EQ(r.note, "");
    part.range.fromS = 1800;
    part.range.toS = 3600;
    part.kr = true;
    ASSERT_TRUE(ChangePart(doc, 0, part).Ok());
    EXPECT_FALSE(doc.Protocol().taLaerm->parts[0].kr);
    QLocale::setDefault(QLocale::c());
}

TEST(AssessmentEdits, SettingsAtTheirDefaultsWithoutPartsStoreNothing) {
    MeasurementDocument doc;
    Put(doc, Wednesday(8));
    ASSERT_TRUE(SetTaLaermSettings(doc, TaLaermSettings{}).Ok());
    EXPECT_FALSE(doc.Protocol().taLaerm);
    TaLaermSettings night;
    night.period = RatingPeriod::Nacht;
    ASSERT_TRUE(SetTaLaermSettings(doc, night).Ok());
    ASSERT_TRUE(doc.Protocol().taLaerm);
    EXPECT_EQ(doc.Protocol().taLaerm->period, RatingPeriod::Nacht);
    // The loudest night hour needs a night that was measured.
    EXPECT_TRUE(
        TakeLoudestNightHour(doc, night).problem.startsWith("Keine lauteste Nachtstunde: "));
    ASSERT_TRUE(SetTaLaermSettings(doc, TaLaermSettings{}).Ok());
    EXPECT_FALSE(doc.Protocol().taLaerm);
}

TEST(AssessmentEdits, AnInputEnteredTakesThePlaceOfOneTheFileHeldUnread) {
    const UnreadInput workplace{kWorkplaceKey, QJsonValue(5), "workplace: kein Objekt"};
    const UnreadInput taLaerm{kTaLaermKey, QJsonObject{{"area", "mond"}},
                              "ta_laerm: unbekanntes Gebiet \"mond\""};
    struct Case {
        const char* what;
        std::function<EditResult(MeasurementDocument&)> edit;
        UnreadInput left;  // the unread input the edit leaves alone
    };
    const Case cases[] = {
        {"a task", [](MeasurementDocument& d) { return AddTask(d); }, taLaerm},
        {"a part", [](MeasurementDocument& d) { return AddPart(d, TaLaermSettings{}); }, workplace},
        {"the settings",
         [](MeasurementDocument& d) {
             TaLaermSettings night;
             night.period = RatingPeriod::Nacht;
             return SetTaLaermSettings(d, night);
         },
         workplace},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MeasurementDocument doc;
        MeasurementProtocol p;
        p.unreadInputs = {workplace, taLaerm};
        PutWith(doc, p);
        ASSERT_EQ(doc.View().assessmentSetup.problems.size(), 2);
        ASSERT_TRUE(c.edit(doc).Ok());
        EXPECT_EQ(doc.Protocol().unreadInputs, std::vector<UnreadInput>{c.left});
        EXPECT_EQ(doc.View().assessmentSetup.problems, QStringList{c.left.problem});
    }
    // An edit of what is not there is refused and replaces nothing.
    MeasurementDocument doc;
    MeasurementProtocol p;
    p.unreadInputs = {workplace, taLaerm};
    PutWith(doc, p);
    EXPECT_EQ(ChangeTask(doc, 0, ExposureTask{{1}, 8}).problem, "Tätigkeit 1 gibt es nicht.");
    EXPECT_EQ(RemovePart(doc, 0).problem, "Teilzeit 1 gibt es nicht.");
    // Looking at the TA Lärm choices at their defaults enters nothing.
    EXPECT_TRUE(SetTaLaermSettings(doc, TaLaermSettings{}).Ok());
    EXPECT_EQ(doc.Protocol().unreadInputs, (std::vector<UnreadInput>{workplace, taLaerm}));
}

TEST(AssessmentEdits, ChangesKeepTheKeysThisProgramDoesNotKnow) {
    MeasurementProtocol p;
    p.SetStart(1, Wednesday(8), StartSource::kEingegeben);
    ExposureTask task{{1, std::nullopt, 1800.0}, 8, QJsonObject{{"wer", "B"}}};
    p.workplace = WorkplaceInput{{task}, QJsonObject{{"schicht", "früh"}}};
    TaLaermInput ta;
    ta.parts.push_back(
        {{1, std::nullopt, std::nullopt}, 1, 3, 0, false, QJsonObject{{"zone", "A"}}});
    ta.extra = QJsonObject{{"quelle", "neu"}};
    p.taLaerm = ta;
    MeasurementDocument doc;
    PutWith(doc, p);

    // The window and kelvarn-cli hand over what they show, without the kept keys.
    task.teH = 4;
    task.extra = {};
    ASSERT_TRUE(ChangeTask(doc, 0, task).Ok());
    ASSERT_TRUE(AddTask(doc).Ok());
    RatingPart part = ta.parts[0];
    part.tH = 2;
    part.extra = {};
    ASSERT_TRUE(ChangePart(doc, 0, part).Ok());
    TaLaermSettings night;
    night.period = RatingPeriod::Nacht;
    ASSERT_TRUE(SetTaLaermSettings(doc, night).Ok());

    const MeasurementProtocol& q = doc.Protocol();
    ASSERT_TRUE(q.workplace && q.workplace->tasks.size() == 2);
    EXPECT_EQ(q.workplace->extra, (QJsonObject{{"schicht", "früh"}}));
    EXPECT_EQ(q.workplace->tasks[0].teH, 4);
    EXPECT_EQ(q.workplace->tasks[0].extra, (QJsonObject{{"wer", "B"}}));
    EXPECT_TRUE(q.workplace->tasks[1].extra.isEmpty());
    ASSERT_TRUE(q.taLaerm && q.taLaerm->parts.size() == 1);
    EXPECT_EQ(q.taLaerm->period, RatingPeriod::Nacht);
    EXPECT_EQ(q.taLaerm->extra, (QJsonObject{{"quelle", "neu"}}));
    EXPECT_EQ(q.taLaerm->parts[0].tH, 2);
    EXPECT_EQ(q.taLaerm->parts[0].extra, (QJsonObject{{"zone", "A"}}));
}

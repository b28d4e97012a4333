// The measurement document without a window: open, save, a failed open at each of its files,
// and whether the measurement in hand is saved.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
#include "document/MeasurementDocument.h"
#include "eval_records.h"
#include "file_support.h"
#include "files/MeasurementWithRemarks.h"
#include "files/ProtocolFile.h"
#include "files/RemarksFile.h"

using namespace kelvarn;
using namespace kelvarn::test;
using kelvarn::testing::ProgramRecord;

namespace {

MeasurementRecord Record(int row, uint8_t level) {
    return *ProgramRecord(row, [level](int, int p) { return uint8_t(level + p % 5); });
}

QByteArray Bytes(const MeasurementRecord& rec) {
    return QByteArray(reinterpret_cast<const char*>(rec.bytes.data()), MeasurementRecord::kSize);
}

const QDateTime kMorning(QDate(2026, 6, 10), QTime(9, 30), QTimeZone(7200));
const QDateTime kNoon(QDate(2026, 6, 10), QTime(12, 0), QTimeZone(7200));

MeasurementProtocol Protocol(const QString& site) {
    MeasurementProtocol p;
    p.site = site;
    p.SetStart(1, kMorning, StartSource::kEingegeben);
    return p;
}

// What the views are told, in order.
struct Told {
    QStringList signals_;
    explicit Told(MeasurementDocument& doc) {
        QObject::connect(&doc, &MeasurementDocument::Replaced, [this] { signals_ << "Replaced"; });
        QObject::connect(&doc, &MeasurementDocument::DescriptionReplaced,
                         [this] { signals_ << "DescriptionReplaced"; });
        QObject::connect(&doc, &MeasurementDocument::ProtocolChanged,
                         [this] { signals_ << "ProtocolChanged"; });
        QObject::connect(&doc, &MeasurementDocument::StateChanged,
                         [this] { signals_ << "StateChanged"; });
    }
};

// Everything the document holds, to compare before and after.
struct Snapshot {
    MeasurementRecord record;
    RichText description;
    MeasurementProtocol protocol;
    MeasurementOrigin origin;
    QDateTime arrived;
    QString name, path, unreadable;
    bool modified;

    explicit Snapshot(const MeasurementDocument& d)
        : record(d.Record()),
          description(d.Description()),
          protocol(d.Protocol()),
          origin(d.Origin()),
          arrived(d.Arrived()),
          name(d.ProposedSaveName()),
          path(d.FilePath()),
          unreadable(d.UnreadableProtocolFile()),
          modified(d.IsModified()) {}
    bool operator==(const Snapshot&) const = default;
};

class DocumentTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    MeasurementDocument doc;
    QString Path(const QString& name) const { return dir.filePath(name); }
    // A measurement with its three files, as another save left them.
    void WriteMeasurement(const QString& name, const MeasurementRecord& rec, const QString& text,
                          const MeasurementProtocol& protocol) {
        const RichText remarks = RichText::FromPlainText(text);
        ASSERT_TRUE(SaveMeasurementFiles(Path(name), {&rec, &remarks, &protocol}).ok);
    }
};

}  // namespace

TEST_F(DocumentTest, StartsAsTheEmptyRecordInNoFileAndSaved) {
    EXPECT_EQ(doc.Record(), MeasurementRecord{});
    EXPECT_EQ(doc.Description().PlainText(), "Beschreibung\n");
    EXPECT_TRUE(doc.Protocol().IsEmpty());
    EXPECT_EQ(doc.Origin(), MeasurementOrigin::kNone);
    EXPECT_EQ(doc.ProposedSaveName(), "ohnename.dba");
    EXPECT_FALSE(doc.Named());
    EXPECT_TRUE(doc.FilePath().isEmpty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentTest, OpenTakesAllThreeFilesAndTellsTheViews) {
    WriteMeasurement("MESS1.DBA", Record(2, 120), "Hof\nzweite Zeile", Protocol("Hof"));
    Told told(doc);
    const DocumentOpen opened = doc.Open(Path("MESS1.DBA"), kNoon);
    ASSERT_TRUE(opened.result.ok) << opened.result.message.toStdString();
    EXPECT_EQ(opened.protocol.state, ProtocolLoad::kRead);
    EXPECT_EQ(doc.Record(), Record(2, 120));
    EXPECT_EQ(doc.Description().PlainText(), "Hof\nzweite Zeile");
    EXPECT_EQ(doc.Protocol(), Protocol("Hof"));
    EXPECT_EQ(doc.Origin(), MeasurementOrigin::kFile);
    EXPECT_EQ(doc.Arrived(), kNoon);
    EXPECT_EQ(doc.ProposedSaveName(), "MESS1.DBA");
    EXPECT_TRUE(doc.Named());
    EXPECT_EQ(doc.FilePath(), Path("MESS1.DBA"));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(told.signals_,
              (QStringList{"DescriptionReplaced", "Replaced", "ProtocolChanged", "StateChanged"}));

    // Without remarks and protocol beside it: an empty description and an empty protocol, not
    // those of the measurement before.
    WriteBytes(Path("B.DBA"), Bytes(Record(1, 100)));
    ASSERT_TRUE(doc.Open(Path("B.DBA"), kNoon).result.ok);
    EXPECT_EQ(doc.Description(), RichText{});
    EXPECT_TRUE(doc.Protocol().IsEmpty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentTest, AFailedOpenAtAnyFileLeavesEverythingAsItWas) {
    WriteBytes(Path("kurz.dba"), QByteArray(100, '\x33'));
    WriteBytes(Path("gross.dba"), Bytes(Record(1, 100)));
    {
        // Above the size a description may have; sparse, so that it costs no disk.
        QFile big(Path("gross.RMK"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(kMaxRemarksBytes + 1));
    }
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"fehlt.dba", "Datei nicht gefunden"},
        {"kurz.dba", "Versuch hinter dem Dateiende zu lesen"},
        {"gross.dba", "Das Laden des Streams ist misslungen"},
    };
    // Work in hand that is in no file: a read-out, a typed description, an edited protocol.
    doc.ReadOut(Record(2, 140), Protocol("vorher"), kMorning);
    doc.SetDescription(RichText::FromPlainText("getippt"));
    const Snapshot before(doc);
    ASSERT_TRUE(before.modified);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Told told(doc);
        const DocumentOpen opened = doc.Open(Path(c.file), kNoon);
        EXPECT_FALSE(opened.result.ok);
        EXPECT_EQ(opened.result.message, c.message);
        EXPECT_TRUE(Snapshot(doc) == before);
        EXPECT_TRUE(told.signals_.isEmpty()) << told.signals_.join(' ').toStdString();
    }
}

TEST_F(DocumentTest, AnUnreadableProtocolOpensWithoutItAndIsReplacedOnlyWhenAllowed) {
    WriteMeasurement("M.DBA", Record(2, 120), "Text", Protocol("Hof"));
    WriteBytes(Path("M.KVP"), "{kaputt");
    doc.ReadOut(Record(2, 90), Protocol("vorher"), kMorning);
    const DocumentOpen opened = doc.Open(Path("M.DBA"), kNoon);
    ASSERT_TRUE(opened.result.ok);
    EXPECT_EQ(opened.protocol.state, ProtocolLoad::kUnreadable);
    EXPECT_TRUE(opened.protocol.message.contains(Path("M.KVP")))
        << opened.protocol.message.toStdString();
    EXPECT_TRUE(doc.Protocol().IsEmpty());
    EXPECT_EQ(doc.UnreadableProtocolFile(), Path("M.KVP"));
    EXPECT_FALSE(doc.IsModified());

    EXPECT_TRUE(doc.SaveWouldReplaceUnreadableProtocol(Path("M.DBA")));
    EXPECT_FALSE(doc.SaveWouldReplaceUnreadableProtocol(Path("N.DBA")));
    doc.SetProtocol(Protocol("neu"));
    ASSERT_TRUE(doc.Save(Path("M.DBA"), false).ok);
    EXPECT_EQ(ReadAll(Path("M.KVP")), "{kaputt");
    EXPECT_TRUE(doc.IsModified()) << "the protocol is in no file yet";
    ASSERT_TRUE(doc.Save(Path("M.DBA"), true).ok);
    EXPECT_EQ(ReadAll(Path("M.KVP")), WriteProtocol(Protocol("neu")));
    EXPECT_TRUE(doc.UnreadableProtocolFile().isEmpty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.SaveWouldReplaceUnreadableProtocol(Path("M.DBA")));
}

TEST_F(DocumentTest, SaveWritesTheFilesAndMakesTheMeasurementThatFile) {
    doc.TakeOver(Record(2, 130), Protocol("Garten"), kMorning);
    doc.SetDescription(RichText::FromPlainText("Messung am Zaun"));
    ASSERT_TRUE(doc.IsModified());
    Told told(doc);
    const CommandResult r = doc.Save(Path("x.dba"), false);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(told.signals_, QStringList{"StateChanged"});
    EXPECT_EQ(ReadAll(Path("x.dba")), Bytes(Record(2, 130)));
    EXPECT_EQ(ReadAll(Path("x.KVP")), WriteProtocol(Protocol("Garten")));
    RichText remarks;
    ASSERT_TRUE(LoadRemarks(Path("x.RMK"), remarks).ok);
    EXPECT_EQ(remarks.PlainText(), "Messung am Zaun");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.ProposedSaveName(), "x.dba");
    EXPECT_EQ(doc.FilePath(), Path("x.dba"));
    EXPECT_EQ(doc.Origin(), MeasurementOrigin::kTakeOver) << "it still came from the live display";

    // A failed save changes nothing, and the work stays unsaved.
    doc.SetDescription(RichText::FromPlainText("geändert"));
    const Snapshot before(doc);
    EXPECT_FALSE(doc.Save(Path("fehlt/y.dba"), false).ok);
    EXPECT_TRUE(Snapshot(doc) == before);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DocumentTest, UnsavedIsWhatDiffersFromTheLastOpenOrSave) {
    WriteMeasurement("A.DBA", Record(1, 100), "alt", Protocol("Hof"));
    ASSERT_TRUE(doc.Open(Path("A.DBA"), kNoon).result.ok);
    const struct {
        const char* change;
        std::function<void()> apply, undo;
    } edits[] = {
        {"description", [&] { doc.SetDescription(RichText::FromPlainText("neu")); },
         [&] { doc.SetDescription(RichText::FromPlainText("alt")); }},
        {"protocol", [&] { doc.EditProtocol([](MeasurementProtocol& p) { p.site = "Garten"; }); },
         [&] { doc.SetProtocol(Protocol("Hof")); }},
        {"record", [&] { doc.TakeOver(Record(1, 101), Protocol("Hof"), kNoon); },
         [&] { doc.TakeOver(Record(1, 100), Protocol("Hof"), kNoon); }},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.change);
        e.apply();
        EXPECT_TRUE(doc.IsModified());
        e.undo();
        EXPECT_FALSE(doc.IsModified()) << "changed back by content, nothing is lost";
    }
}

TEST_F(DocumentTest, ReadOutAndTakeOverSayWhereTheRecordCameFrom) {
    WriteMeasurement("M1.DBA", Record(2, 120), "zu M1", Protocol("Hof"));
    ASSERT_TRUE(doc.Open(Path("M1.DBA"), kMorning).result.ok);

    // A take-over keeps the name and the description, but no file holds the record.
    doc.TakeOver(Record(2, 125), Protocol("Hof"), kNoon);
    EXPECT_EQ(doc.Origin(), MeasurementOrigin::kTakeOver);
    EXPECT_EQ(doc.Arrived(), kNoon);
    EXPECT_EQ(doc.ProposedSaveName(), "M1.DBA");
    EXPECT_EQ(doc.Description().PlainText(), "zu M1");
    EXPECT_TRUE(doc.FilePath().isEmpty());
    EXPECT_TRUE(doc.IsModified());

    Told told(doc);
    doc.ReadOut(Record(1, 110), MeasurementProtocol{}, kNoon);
    EXPECT_EQ(doc.Origin(), MeasurementOrigin::kReadOut);
    EXPECT_EQ(doc.ProposedSaveName(), "OhneName.dba");
    EXPECT_EQ(doc.Description().PlainText(), "Bemerkungen hier ...");
    EXPECT_TRUE(doc.FilePath().isEmpty());
    EXPECT_TRUE(told.signals_.contains("DescriptionReplaced"));
}

TEST_F(DocumentTest, TheEditorsFormOfTheDescriptionIsNoChange) {
    // An editor that always keeps at least one paragraph, as a text field does.
    const RichText shownEmpty{{RichParagraph{}}};
    WriteBytes(Path("ohne.dba"), Bytes(Record(1, 100)));
    ASSERT_TRUE(doc.Open(Path("ohne.dba"), kNoon).result.ok);
    ASSERT_TRUE(doc.Description().paragraphs.empty());
    doc.DescriptionShown(shownEmpty);
    EXPECT_EQ(doc.Description(), shownEmpty);
    // What the editor hands back unchanged is not a change; the text taken from the file is.
    doc.SetDescription(shownEmpty);
    EXPECT_FALSE(doc.IsModified());
    doc.SetDescription(RichText{});
    EXPECT_TRUE(doc.IsModified());

    // Shown after a read-out, whose description is in no file: still unsaved.
    doc.ReadOut(Record(1, 100), MeasurementProtocol{}, kNoon);
    doc.DescriptionShown(RichText::FromPlainText("Bemerkungen hier ..."));
    EXPECT_TRUE(doc.IsModified());
}

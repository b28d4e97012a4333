// The document's view, what every face shows: made once per change, carrying the figures
// without the marked time to the export as to the window's table; and the protocol a read-out
// or a take-over brings, and the result texts every face shares.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include "document/ArrivalProtocol.h"
#include "document/MeasurementDocument.h"
#include "document/ProtocolEdits.h"
#include "document/ResultTexts.h"
#include "eval_records.h"
#include "files/Export.h"

using namespace kelvarn;
using namespace kelvarn::testing;

namespace {

uint8_t Byte(double level) {
    return uint8_t(LevelToSample(level));
}

// Program B, 60 ms: 30 s at 50 dB(A), then 30 s at 80 dB(A) (a lorry).
MeasurementRecord Lorry() {
    return *ProgramRecord(2, [](int, int p) { return Byte(p <= 500 ? 50.0 : 80.0); });
}

ProtocolMarker LorryMarker() {
    ProtocolMarker mk;
    mk.fromS = 30;
    mk.toS = 60;
    mk.text = "Lkw";
    return mk;
}

QStringList Rows(const TableText& t) {
    QStringList rows;
    for (int r = 0; r < t.Rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < t.Cols(); ++c) cells << t.Cell(c, r).trimmed();
        rows << cells.join(';');
    }
    return rows;
}

}  // namespace

TEST(DocumentView, TheFiguresWithoutTheMarkedTimeReachTheTableAndTheExportAlike) {
    const NumberFormat fmt = GermanFormat();
    MeasurementDocument doc;
    ViewOptions options;
    options.eval.fmt = fmt;
    doc.SetViewOptions(options);
    doc.TakeOver(Lorry(), {}, QDateTime());
    EXPECT_EQ(doc.View().evaluation.figuresTable.Rows(), 2);

    ASSERT_TRUE(AddMarker(doc, LorryMarker()).Ok());
    const DocumentView& view = doc.View();
    const QStringList table = Rows(view.evaluation.figuresTable);
    ASSERT_EQ(table.size(), 3);
    EXPECT_TRUE(table[2].startsWith("1 ohne Fremdgeräusch;500;30,000;50,0;50,0;50,0"))
        << table[2].toStdString();
    EXPECT_EQ(view.FiguresTableIn(fmt), view.evaluation.figuresTable);

    // The CSV's figures are the table's rows, in its order.
    const QStringList csv = QString::fromUtf8(ExportCsv(view.figures, fmt, &doc.Protocol(), 60,
                                                        view.withoutForeignNoise))
                                .split("\r\n");
    const qsizetype at = csv.indexOf(table[0]);
    ASSERT_GE(at, 0);
    EXPECT_EQ(csv.mid(at, 3), table);
    // The JSON carries them beside the measurement's own.
    const QJsonObject json =
        QJsonDocument::fromJson(ExportJson("l.dba", doc.Record(), view.figures, &doc.Protocol(),
                                           view.withoutForeignNoise))
            .object();
    const QJsonObject m1 = json["measurements"].toArray()[0].toObject();
    EXPECT_EQ(m1["figures"].toObject()["lmax"].toDouble(), 80.0);
    EXPECT_EQ(m1["figures_without_foreign_noise"].toObject()["lmax"].toDouble(), 50.0);
    EXPECT_EQ(m1["figures_without_foreign_noise"].toObject()["n"].toInt(), 500);

    // Taken away again, the row goes with it.
    ASSERT_TRUE(RemoveMarker(doc, 0).Ok());
    EXPECT_EQ(doc.View().evaluation.figuresTable.Rows(), 2);
    EXPECT_FALSE(doc.View().withoutForeignNoise[0]);
    QLocale::setDefault(QLocale::c());
}

TEST(DocumentView, AReadOutGetsTheLatestPossibleStartsAndATakeOverThePcStart) {
    const QDateTime now(QDate(2026, 6, 10), QTime(12, 0), QTimeZone(7200));
    const MeasurementRecord rec = Lorry();
    // Without a question to ask, a remembered timed start is never taken.
    const MeasurementProtocol read = ReadOutProtocol(rec, now, {});
    ASSERT_EQ(read.starts.size(), 1u);
    EXPECT_EQ(read.starts[0].source, StartSource::kGeschaetzt);
    EXPECT_EQ(read.starts[0].start, now.addSecs(-60));

    MeasurementProtocol before;
    before.site = "Hof";
    before.markers = {LorryMarker()};
    before.SetStart(1, now.addDays(-1), StartSource::kEingegeben);
    const MeasurementProtocol taken = TakeOverProtocol(before, now);
    EXPECT_EQ(taken.site, "Hof");
    EXPECT_TRUE(taken.markers.empty());
    ASSERT_EQ(taken.starts.size(), 1u);
    EXPECT_EQ(taken.starts[0].source, StartSource::kPcStart);
    EXPECT_EQ(taken.starts[0].start, now);
    EXPECT_TRUE(TakeOverProtocol(before, QDateTime()).starts.empty());
}

TEST(ResultTexts, TheCalibrationLineAndTheLeftOutLines) {
    const NumberFormat de(QLatin1Char(','));
    struct Case {
        std::optional<double> reference, before, after;
        QStringList lines;
    };
    const std::vector<Case> cases = {
        {{}, {}, {}, {"Kalibrierung: nicht angegeben"}},
        {94.0,
         94.1,
         93.9,
         {"Kalibrierung: Kalibrator 94,0 dB, vorher 94,1 dB, nachher 93,9 dB, Abweichung -0,2 dB"}},
        {{},
         94.0,
         94.7,
         {"Kalibrierung: Kalibrator -, vorher 94,0 dB, nachher 94,7 dB, Abweichung 0,7 dB",
          "Kalibrierabweichung über 0,5 dB"}},
        {{}, 94.0, {}, {"Kalibrierung: Kalibrator -, vorher 94,0 dB, nachher -"}},
    };
    for (const Case& c : cases) {
        ProtocolCalibration cal;
        cal.referenceDb = c.reference;
        cal.beforeDb = c.before;
        cal.afterDb = c.after;
        EXPECT_EQ(CalibrationLines(cal, de), c.lines);
    }
    MeasurementProtocol p;
    EXPECT_TRUE(LeftOutLines(p, de).isEmpty());
    ProtocolMarker event = LorryMarker();
    event.kind = MarkerKind::kEreignis;
    p.markers = {event, LorryMarker()};
    EXPECT_EQ(LeftOutLines(p, de),
              QStringList({"Als Fremdgeräusch ausgelassen:", "Messung 1: 30,0–60,0 s (Lkw)"}));
}

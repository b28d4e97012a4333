#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <ctime>

#include "eval_records.h"
#include "files/Export.h"
#include "files/SystemPath.h"

using namespace kelvarn;
using namespace kelvarn::testing;

namespace {

// A CSV text as rows of fields (no quoted fields in these files).
std::vector<QStringList> ParseCsv(const QByteArray& csv, QChar sep) {
    std::vector<QStringList> rows;
    const QString text = QString::fromUtf8(csv);
    EXPECT_TRUE(text.endsWith("\r\n"));
    QStringList lines = text.split("\r\n");
    lines.removeLast();
    for (const QString& line : lines)
        rows.push_back(line.isEmpty() ? QStringList() : line.split(sep));
    return rows;
}

// The number a spreadsheet reads from a cell in its locale.
double Number(const QString& cell, const QLocale& locale) {
    bool ok = false;
    const double v = locale.toDouble(cell, &ok);
    EXPECT_TRUE(ok) << cell.toStdString();
    return v;
}

// Program G: measurement m at 50 + m dB(A), point 1 of every measurement 10 dB louder.
std::unique_ptr<MeasurementRecord> GRecord() {
    return ProgramRecord(
        7, [](int m, int p) { return uint8_t(LevelToSample(50 + m + (p == 1 ? 10 : 0))); });
}

}  // namespace

TEST(Export, CsvReadsBackInBothLocales) {
    struct Case {
        QLocale locale;
        QChar sep;
    };
    const Case cases[] = {{QLocale(QLocale::German, QLocale::Germany), ';'}, {QLocale::c(), ','}};
    const auto rec = GRecord();
    const RecordFigures f = ComputeFigures(*rec);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        const NumberFormat fmt = NumberFormat::FromLocale();
        EXPECT_EQ(CsvSeparator(fmt), c.sep);
        const std::vector<QStringList> rows = ParseCsv(ExportCsv(f, fmt), c.sep);
        // heading, 500 points, empty line, figures heading, 12 measurements, Gesamt
        ASSERT_EQ(rows.size(), 1u + 500 + 1 + 1 + 12 + 1);
        EXPECT_EQ(rows[0].size(), 13);
        EXPECT_EQ(rows[0][0], "t/s");
        EXPECT_EQ(rows[0][12], "Messung 12");
        for (int p = 1; p <= 500; ++p) {
            ASSERT_EQ(rows[size_t(p)].size(), 13);
            EXPECT_DOUBLE_EQ(Number(rows[size_t(p)][0], c.locale), (p - 1) * 0.02);
            for (int m = 1; m <= 12; ++m)
                ASSERT_DOUBLE_EQ(Number(rows[size_t(p)][m], c.locale), 50 + m + (p == 1 ? 10 : 0));
        }
        EXPECT_TRUE(rows[501].isEmpty());
        EXPECT_EQ(rows[502][0], "Messung");
        EXPECT_EQ(rows[502][2], "Dauer/s");
        EXPECT_EQ(rows[502][3], "LAeq");
        const QStringList& third = rows[505];
        EXPECT_EQ(third[0], "3");
        EXPECT_EQ(Number(third[1], c.locale), 500);
        EXPECT_EQ(Number(third[2], c.locale), 10);
        EXPECT_NEAR(Number(third[3], c.locale), *f.measurements[2].laeq, 0.05);
        EXPECT_EQ(Number(third[4], c.locale), 63);  // Lmax: the loud first point
        EXPECT_EQ(Number(third[5], c.locale), 53);
        EXPECT_EQ(rows.back()[0], "Gesamt");
        EXPECT_EQ(Number(rows.back()[1], c.locale), 6000);
    }
    QLocale::setDefault(QLocale::c());
}

TEST(Export, CsvOfADamagedRecordLeavesMissingSamplesEmpty) {
    auto rec = std::make_unique<MeasurementRecord>();
    SetHeader(*rec, 6000, 1, 20, 12);
    for (int i = 10; i < MeasurementRecord::kSize; ++i) rec->bytes[size_t(i)] = 150;
    const NumberFormat fmt;
    const std::vector<QStringList> rows = ParseCsv(ExportCsv(ComputeFigures(*rec), fmt), ',');
    EXPECT_EQ(rows[0], (QStringList{"t/s", "Messung 1", "Messung 2"}));
    EXPECT_EQ(rows[136], (QStringList{"2.700", "50.0", "50.0"}));
    EXPECT_EQ(rows[137], (QStringList{"2.720", "50.0", ""}));
    EXPECT_EQ(rows.back()[0], "Gesamt");
}

TEST(Export, JsonReadsBack) {
    const auto rec = GRecord();
    const RecordFigures f = ComputeFigures(*rec);
    QJsonParseError error;
    const QJsonDocument doc =
        QJsonDocument::fromJson(ExportJson("mess \"1\".dba", *rec, f), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject o = doc.object();
    EXPECT_EQ(o["file"].toString(), "mess \"1\".dba");
    EXPECT_EQ(o["program"].toString(), "G");
    EXPECT_EQ(o["interval_ms"].toInt(), 20);
    EXPECT_EQ(o["points"].toInt(), 500);
    const QJsonArray ms = o["measurements"].toArray();
    ASSERT_EQ(ms.size(), 12);
    const QJsonObject third = ms[2].toObject();
    const QJsonArray levels = third["levels"].toArray();
    ASSERT_EQ(levels.size(), 500);
    EXPECT_EQ(levels[0].toDouble(), 63.0);
    EXPECT_EQ(levels[1].toDouble(), 53.0);
    const QJsonObject fig = third["figures"].toObject();
    EXPECT_EQ(fig["n"].toInt(), 500);
    EXPECT_DOUBLE_EQ(fig["laeq"].toDouble(), std::round(*f.measurements[2].laeq * 10) / 10);
    EXPECT_EQ(fig["lmax"].toDouble(), 63.0);
    EXPECT_EQ(fig["lmin"].toDouble(), 53.0);
    EXPECT_EQ(fig["l1"].toDouble(), 53.0);  // rank ceil(5) = 5: 63 is only rank 1
    const QStringList keys = {"n",   "laeq", "lmax", "lmin", "l1", "l5",
                              "l10", "l50",  "l90",  "l95",  "l99"};
    for (const QString& k : keys) EXPECT_TRUE(fig.contains(k)) << k.toStdString();
    EXPECT_EQ(o["total"].toObject()["n"].toInt(), 6000);
}

TEST(Export, JsonOfAnEmptyRecordHasNulls) {
    auto rec = std::make_unique<MeasurementRecord>();
    SetHeader(*rec, 0, 1, 11, 1);
    const QJsonObject o =
        QJsonDocument::fromJson(ExportJson("leer.dba", *rec, ComputeFigures(*rec))).object();
    EXPECT_TRUE(o["program"].isNull());
    const QJsonObject fig = o["measurements"].toArray()[0].toObject()["figures"].toObject();
    EXPECT_EQ(fig["n"].toInt(), 0);
    EXPECT_TRUE(fig["laeq"].isNull());
    EXPECT_TRUE(fig["l99"].isNull());
    EXPECT_TRUE(o["total"].toObject()["lmin"].isNull());
}

TEST(Export, SummaryOfTwoFilesIsOneTable) {
    std::vector<SummaryEntry> entries;
    entries.push_back({"a;b.dba", *ProgramRecord(1, Constant(150)), {}});
    entries.push_back({"g.dba", *GRecord(), {}});
    for (SummaryEntry& e : entries) e.figures = ComputeFigures(e.record);

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const NumberFormat de = NumberFormat::FromLocale();
    QLocale::setDefault(QLocale::c());

    const std::vector<QStringList> tsv = ParseCsv(Summary(entries, SummaryFormat::Tsv, de), '\t');
    ASSERT_EQ(tsv.size(), 1u + 2 + 13);
    EXPECT_EQ(tsv[0], (QStringList{"Datei", "Messung", "n", "Dauer", "Einheit", "LAeq", "Lmax",
                                   "Lmin", "L1", "L5", "L10", "L50", "L90", "L95", "L99"}));
    EXPECT_EQ(tsv[1], (QStringList{"a;b.dba", "1", "1000", "10,000", "s", "50,0", "50,0", "50,0",
                                   "50,0", "50,0", "50,0", "50,0", "50,0", "50,0", "50,0"}));
    EXPECT_EQ(tsv[2][1], "Gesamt");
    EXPECT_EQ(tsv[3][0], "g.dba");
    EXPECT_EQ(tsv[15][1], "Gesamt");
    EXPECT_EQ(tsv[15][2], "6000");

    // In CSV the file name with the separator in it is quoted.
    const QString csv = QString::fromUtf8(Summary(entries, SummaryFormat::Csv, de));
    EXPECT_TRUE(csv.contains("\r\n\"a;b.dba\";1;1000;10,000;s;50,0;"))
        << csv.left(300).toStdString();

    const QJsonArray json =
        QJsonDocument::fromJson(Summary(entries, SummaryFormat::Json, de)).array();
    ASSERT_EQ(json.size(), 2);
    EXPECT_EQ(json[1].toObject()["file"].toString(), "g.dba");
    EXPECT_FALSE(json[1].toObject()["measurements"].toArray()[0].toObject().contains("levels"));
    EXPECT_EQ(json[1].toObject()["total"].toObject()["n"].toInt(), 6000);
}

namespace {

// The process's zone for one test: the times of day follow it.
class InZone {
public:
    explicit InZone(const char* zone) : old_(qgetenv("TZ")), had_(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~InZone() {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray old_;
    bool had_;
};

}  // namespace

TEST(Export, TimesOfDayAndMarkersFromTheProtocol) {
    const InZone berlin("Europe/Berlin");
    // Program F begun at 01:00 summer time on the autumn day: 250 intervals of 14,4 s later it
    // is 02:00 summer time, 250 more 02:00 winter time.
    const auto rec = ProgramRecord(6, Constant(150));
    MeasurementProtocol p;
    p.SetStart(1, QDateTime::fromString("2026-10-25T01:00:00+02:00", Qt::ISODate),
               StartSource::kEingegeben);
    ProtocolMarker m;
    m.fromS = 120;
    m.toS = 300.5;
    m.text = "Lkw; laut";
    p.markers.push_back(m);
    const RecordFigures f = ComputeFigures(*rec);
    const NumberFormat fmt = GermanFormat();

    const std::vector<QStringList> rows = ParseCsv(ExportCsv(f, fmt, &p, 14400), ';');
    EXPECT_EQ(rows[0], (QStringList{"t/h", "Messung 1", "Beginn"}));
    EXPECT_EQ(rows[1], (QStringList{"0,000", "50,0", "2026-10-25T01:00:00+02:00"}));
    EXPECT_EQ(rows[2], (QStringList{"0,004", "50,0", "2026-10-25T01:00:14.400+02:00"}));
    EXPECT_EQ(rows[251][2], "2026-10-25T02:00:00+02:00");
    EXPECT_EQ(rows[501][2], "2026-10-25T02:00:00+01:00");
    EXPECT_EQ(rows[6000][2], "2026-10-25T23:59:45.600+01:00");
    EXPECT_EQ(rows.end()[-2], (QStringList{"Messung", "von/s", "bis/s", "Art", "Text"}));
    EXPECT_EQ(rows.end()[-1].join(';'), "1;120,000;300,500;Fremdgeräusch;\"Lkw; laut\"");

    // Without a start: the columns as before, the markers all the same.
    MeasurementProtocol noStart = p;
    noStart.starts.clear();
    const std::vector<QStringList> plain = ParseCsv(ExportCsv(f, fmt, &noStart, 14400), ';');
    EXPECT_EQ(plain[0], (QStringList{"t/h", "Messung 1"}));
    EXPECT_EQ(plain.end()[-2][0], "Messung");

    const QJsonObject o = QJsonDocument::fromJson(ExportJson("f.dba", *rec, f, &p)).object();
    const QJsonObject m1 = o["measurements"].toArray()[0].toObject();
    EXPECT_EQ(m1["start"].toString(), "2026-10-25T01:00:00+02:00");
    EXPECT_EQ(m1["times"].toArray().size(), 6000);
    EXPECT_EQ(m1["times"].toArray()[500].toString(), "2026-10-25T02:00:00+01:00");
    // The whole protocol, as its file holds it.
    const QJsonObject protocol = o["protocol"].toObject();
    EXPECT_EQ(protocol["format"].toString(), "kelvarn-protocol");
    EXPECT_EQ(protocol["markers"].toArray()[0].toObject()["text"].toString(), "Lkw; laut");
    // Without a protocol nothing of it appears.
    const QJsonObject none = QJsonDocument::fromJson(ExportJson("f.dba", *rec, f)).object();
    EXPECT_FALSE(none.contains("protocol"));
    EXPECT_FALSE(none["measurements"].toArray()[0].toObject().contains("times"));
}

TEST(Export, SeriesGetATimeColumnPerMeasurementWithAStart) {
    const InZone berlin("Europe/Berlin");
    const auto rec = GRecord();
    MeasurementProtocol p;
    p.SetStart(2, QDateTime::fromString("2026-06-10T12:00:00+02:00", Qt::ISODate),
               StartSource::kGeschaetzt);
    const std::vector<QStringList> rows =
        ParseCsv(ExportCsv(ComputeFigures(*rec), NumberFormat(QLatin1Char('.')), &p, 20), ',');
    EXPECT_EQ(rows[0].mid(0, 5),
              (QStringList{"t/s", "Messung 1", "Messung 2", "Beginn 2", "Messung 3"}));
    EXPECT_EQ(rows[2][3], "2026-06-10T12:00:00.020+02:00");
}

TEST(Export, SummaryFieldsAreQuotedWhereTheyMustBeAndOnlyThere) {
    // The file name in the first column of a TSV and a CSV (";") table: as it is, or quoted with
    // its quotes doubled where it holds the separator, a quote or a line break.
    const struct {
        const char* file;
        const char* tsv;
        const char* csv;
    } cases[] = {
        {"plain.dba", "plain.dba", "plain.dba"},
        {"\"", "\"\"\"\"", "\"\"\"\""},  // nothing but a quote
        {"a\"b.dba", "\"a\"\"b.dba\"", "\"a\"\"b.dba\""},
        {"a;b.dba", "a;b.dba", "\"a;b.dba\""},
        {"a\tb.dba", "\"a\tb.dba\"", "a\tb.dba"},
        {"a\nb.dba", "\"a\nb.dba\"", "\"a\nb.dba\""},
        {"a\rb.dba", "\"a\rb.dba\"", "\"a\rb.dba\""},
        {"a,b 'c'.dba", "a,b 'c'.dba", "a,b 'c'.dba"},
    };
    const NumberFormat de = GermanFormat();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<SummaryEntry> entries;
        entries.push_back({QString::fromUtf8(c.file), *ProgramRecord(1, Constant(150)), {}});
        entries[0].figures = ComputeFigures(entries[0].record);
        const QByteArray tsv = Summary(entries, SummaryFormat::Tsv, de);
        const QByteArray csv = Summary(entries, SummaryFormat::Csv, de);
        EXPECT_TRUE(tsv.contains(QByteArray("\r\n") + c.tsv + "\t1\t1000\t")) << tsv.toStdString();
        EXPECT_TRUE(csv.contains(QByteArray("\r\n") + c.csv + ";1;1000;")) << csv.toStdString();
    }
}

TEST(Export, FileNamesThatAreNotUtf8KeepTheirBytes) {
    // "m\xff\xe4.dba" as the system gave it: its two bytes that are not UTF-8 carried.
    const QString file = PathFromSystem("/daten/m\xff\xe4 \xc3\xa4.dba");
    std::vector<SummaryEntry> entries;
    entries.push_back({file, *ProgramRecord(1, Constant(150)), {}});
    entries[0].figures = ComputeFigures(entries[0].record);
    const NumberFormat de = GermanFormat();
    // TSV and CSV hold the bytes themselves.
    EXPECT_TRUE(Summary(entries, SummaryFormat::Tsv, de)
                    .contains("\r\n/daten/m\xff\xe4 \xc3\xa4.dba\t1\t1000\t"));
    EXPECT_TRUE(Summary(entries, SummaryFormat::Csv, de)
                    .contains("\r\n/daten/m\xff\xe4 \xc3\xa4.dba;1;1000;"));
    // JSON is UTF-8 throughout: each such byte is the escape "\udcXX" (Python's
    // surrogateescape), valid UTF-8 otherwise as it is.
    const QByteArray json = Summary(entries, SummaryFormat::Json, de);
    EXPECT_TRUE(json.contains("{\"file\": \"/daten/m\\udcff\\udce4 \xc3\xa4.dba\", "))
        << json.toStdString();
    EXPECT_TRUE(ExportJson(file, entries[0].record, entries[0].figures)
                    .startsWith("{\"file\": \"/daten/m\\udcff\\udce4 \xc3\xa4.dba\", "));
    EXPECT_TRUE(QString::fromUtf8(json).toUtf8() == json) << "valid UTF-8";
}

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "cli_support.h"
#include "data/MeasurementRecord.h"
#include "eval/Figures.h"
#include "files/Export.h"
#include "files/MeasurementFile.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

CliRun Cli(const QStringList& args, const QString& lcAll) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LC_NUMERIC");
    env.remove("LANG");
    env.insert("LC_ALL", lcAll);
    return RunKelvarnCli(args, env);
}

MeasurementRecord Record(int row, int seed) {
    MeasurementRecord rec;
    BuildHeader(rec, row);
    for (int i = MeasurementRecord::kHeaderSize; i < MeasurementRecord::kSize; ++i)
        rec.bytes[size_t(i)] = uint8_t(100 + (i * 7 + seed) % 80);
    return rec;
}

class ExportCliTest : public ::testing::Test {
protected:
    QString Save(const QString& name, const MeasurementRecord& rec) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(WriteMeasurementFile(path, rec).ok);
        return path;
    }
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(ExportCliTest, SummaryOfAFolderIsOneTableInTheLocale) {
    const QString a = Save("a.dba", Record(1, 3));
    const QString g = Save("g.dba", Record(7, 5));
    const CliRun r = Cli({"summary", a, g}, "de_DE.UTF-8");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    const QStringList lines = QString::fromUtf8(r.out).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 2 + 13);
    EXPECT_TRUE(lines[0].startsWith("Datei\tMessung\tn\tDauer\tEinheit\tLAeq\t"));
    const RecordFigures fa = ComputeFigures(Record(1, 3));
    const QStringList first = lines[1].split('\t');
    EXPECT_EQ(first[0], a);
    EXPECT_EQ(first[1], "1");
    EXPECT_EQ(first[5], QString::asprintf("%.1f", *fa.measurements[0].laeq).replace('.', ','));
    EXPECT_TRUE(lines[2].startsWith(a + "\tGesamt\t1000\t"));
    EXPECT_TRUE(lines[15].startsWith(g + "\tGesamt\t6000\t120,000\ts\t"));
}

TEST_F(ExportCliTest, SummaryFormats) {
    const QString g = Save("g.dba", Record(7, 5));
    const CliRun csv = Cli({"summary", "--format", "csv", g}, "de_DE.UTF-8");
    ASSERT_EQ(csv.exitCode, 0);
    EXPECT_TRUE(csv.out.startsWith("Datei;Messung;n;Dauer;Einheit;LAeq;"));
    const CliRun json = Cli({"summary", g, "--format", "json"}, "C");
    ASSERT_EQ(json.exitCode, 0);
    const QJsonArray files = QJsonDocument::fromJson(json.out).array();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0].toObject()["measurements"].toArray().size(), 12);
}

TEST_F(ExportCliTest, ExportToStandardOutputAndToAFile) {
    const MeasurementRecord rec = Record(6, 1);
    const QString f = Save("f.dba", rec);
    const CliRun csv = Cli({"export", f}, "de_DE.UTF-8");
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(csv.out, ExportCsv(ComputeFigures(rec), NumberFormat::FromLocale()));
    QLocale::setDefault(QLocale::c());

    const QString out = dir_.filePath("f.json");
    const CliRun json = Cli({"export", f, "--format", "json", "--output", out}, "C");
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    EXPECT_TRUE(json.out.isEmpty());
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(o["program"].toString(), "F");
    EXPECT_EQ(o["points"].toInt(), 6000);
    EXPECT_EQ(o["measurements"].toArray()[0].toObject()["levels"].toArray().size(), 6000);
}

TEST_F(ExportCliTest, ErrorsGoToStandardErrorWithAnExitCode) {
    const QString good = Save("g.dba", Record(7, 5));
    const QString missing = dir_.filePath("fehlt.dba");
    struct Case {
        QStringList args;
        int code;
        QString err;  // part of stderr
    };
    const Case cases[] = {
        {{"summary", good, missing}, 1, missing + ": Datei nicht gefunden."},
        {{"summary"}, 2, "keine Datei angegeben"},
        {{"summary", good, "--format", "xml"}, 2, "unbekanntes Format \"xml\""},
        {{"export", good, "--format"}, 2, "\"--format\" ohne Wert"},
        {{"export", good, good}, 2, "falsche Anzahl von Argumenten"},
        {{"export", missing}, 1, "Datei nicht gefunden"},
        {{"export", good, "--output", dir_.filePath("nicht/da.csv")}, 1, "da.csv: "},
        {{"export", good, "--wert"}, 2, "unbekannte Option \"--wert\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = Cli(c.args, "C");
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.err)) << r.err.toStdString();
    }
    // The file that could be read still makes its rows.
    const CliRun partial = Cli({"summary", good, missing}, "C");
    EXPECT_TRUE(partial.out.contains("g.dba\tGesamt\t6000"));
}

TEST_F(ExportCliTest, DamagedRecordGivesItsFiguresAndTheNotice) {
    MeasurementRecord rec;
    rec.bytes[0] = 6000 >> 8;
    rec.bytes[1] = 6000 & 0xFF;
    rec.bytes[2] = 1;
    rec.bytes[7] = 19;  // 20 ms
    rec.bytes[9] = 12;
    for (int i = 10; i < MeasurementRecord::kSize; ++i) rec.bytes[size_t(i)] = 150;
    const QString path = Save("kaputt.dba", rec);
    const CliRun r = Cli({"summary", path}, "C");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("Die Datei ist besch")) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("\t2\t136\t2.720\ts\t50.0\t"));
    EXPECT_TRUE(r.out.contains("\tGesamt\t6136\t"));
}

// A 24 h record stopped after 12 h at 58,0 dB(A): the zeros behind the stop are no measured
// time in the summary, nor in the figures of either export.
TEST_F(ExportCliTest, TheZerosBehindAnEarlyStopAreNoMeasuredTime) {
    MeasurementRecord rec;
    BuildHeader(rec, 6);
    for (int p = 0; p < 3000; ++p) rec.bytes[size_t(10 + p)] = uint8_t(LevelToSample(58.0));
    const QString f = Save("halb.dba", rec);

    const CliRun summary = Cli({"summary", f}, "de_DE.UTF-8");
    ASSERT_EQ(summary.exitCode, 0) << summary.err.toStdString();
    const QStringList lines = QString::fromUtf8(summary.out).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    for (const QString& line : lines.mid(1))
        EXPECT_EQ(line.section('\t', 2),
                  "3000\t12,000\th\t58,0\t58,0\t58,0\t58,0\t58,0\t58,0\t58,0\t58,0\t58,0\t58,0");

    const CliRun csv = Cli({"export", f}, "de_DE.UTF-8");
    ASSERT_EQ(csv.exitCode, 0);
    EXPECT_TRUE(
        csv.out.contains("\r\n1;3000;12,000;58,0;58,0;58,0;58,0;58,0;58,0;58,0;58,0;58,0;"
                         "58,0\r\n"))
        << csv.out.right(400).toStdString();

    const CliRun json = Cli({"export", f, "--format", "json"}, "C");
    ASSERT_EQ(json.exitCode, 0);
    const QJsonObject m =
        QJsonDocument::fromJson(json.out).object()["measurements"].toArray()[0].toObject();
    const QJsonObject figures = m["figures"].toObject();
    EXPECT_EQ(figures["n"].toInt(), 3000);
    EXPECT_EQ(figures["laeq"].toDouble(), 58.0);
    EXPECT_EQ(figures["lmin"].toDouble(), 58.0);
    EXPECT_EQ(figures["l90"].toDouble(), 58.0);
    // The levels stay as the chart shows them, zeros included.
    EXPECT_EQ(m["levels"].toArray().size(), 6000);
    EXPECT_EQ(m["levels"].toArray()[5999].toDouble(), -25.0);
}

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "cli_support.h"
#include "data/MeasurementRecord.h"
#include "eval/Evaluation.h"
#include "files/MeasurementFile.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

// Starts the built kelvarn-cli with a locale environment of its own.
CliRun Cli(const QStringList& args, const QString& lcAll = "C", const QString& lang = "") {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LC_ALL");
    env.remove("LC_NUMERIC");
    env.remove("LANG");
    if (!lcAll.isEmpty()) env.insert("LC_ALL", lcAll);
    if (!lang.isEmpty()) env.insert("LANG", lang);
    return RunKelvarnCli(args, env);
}

// A record of program row r whose samples step through a range of levels.
MeasurementRecord ProgramRecord(int row, int seed) {
    MeasurementRecord rec;
    BuildHeader(rec, row);
    for (int i = MeasurementRecord::kHeaderSize; i < MeasurementRecord::kSize; ++i)
        rec.bytes[i] = uint8_t(60 + (i * 7 + seed) % 120);
    return rec;
}

MeasurementRecord ConstantA() {
    MeasurementRecord rec;
    BuildHeader(rec, 1);
    for (int i = 0; i < 1000; ++i) rec.bytes[10 + i] = 150;  // 50.0 dB(A)
    return rec;
}

class CliTest : public ::testing::Test {
protected:
    QString Save(const QString& name, const MeasurementRecord& rec) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(WriteMeasurementFile(path, rec).ok);
        return path;
    }
    QString SaveBytes(const QString& name, const QByteArray& data) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return path;
    }
    QTemporaryDir dir_;
};

const char* const kTables[] = {"grid", "gridspek", "Grid12", "GridLeQ", "Grid12Leq", "GridSpek12"};

}  // namespace

// The names by meaning and the window's control names, kept as aliases, give the same bytes.
TEST_F(CliTest, NamesByMeaningAndControlNamesGiveTheSameOutput) {
    const QString g = Save("G.DBA", ProgramRecord(7, 5));
    const struct {
        const char* command;
        const char* meaning;
        const char* control;
    } pairs[] = {
        {"table", "levelTable", "grid"},
        {"table", "overviewTable", "Grid12"},
        {"table", "overviewLeqTable", "Grid12Leq"},
        {"table", "figuresTable", "GridKennwerte"},
        {"chart", "overviewChart", "Chart3"},
        {"chart", "distribution12", "Pegel12"},
    };
    for (const auto& p : pairs) {
        SCOPED_TRACE(p.meaning);
        const CliRun byMeaning = Cli({p.command, g, p.meaning}, "C.UTF-8");
        const CliRun byControl = Cli({p.command, g, p.control}, "C.UTF-8");
        EXPECT_EQ(byMeaning.exitCode, 0) << byMeaning.err.toStdString();
        EXPECT_FALSE(byMeaning.out.isEmpty());
        EXPECT_EQ(byMeaning.out, byControl.out);
    }
}

TEST_F(CliTest, TableTextsInGermanAndInTheCLocale) {
    const QString a = Save("A.DBA", ConstantA());
    CliRun r = Cli({"table", a, "gridspek"}, "de_DE.UTF-8");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArray("L/dB(A)\t    n\t\r\n 50,0\t1000\t\r\n"));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    r = Cli({"table", a, "grid"}, "de_DE.UTF-8");
    EXPECT_TRUE(r.out.startsWith("\tL/dB(A)\t\r\n0,000\t 50,0\t\r\n0,010\t 50,0\t\r\n"));
    EXPECT_TRUE(r.out.endsWith("9,990\t 50,0\t\r\n"));
    EXPECT_EQ(r.out.count("\r\n"), 1001);

    // LANG counts when LC_ALL is not set; LC_ALL wins over it.
    EXPECT_EQ(Cli({"table", a, "grid"}, "", "de_DE.UTF-8").out, r.out);
    const CliRun c = Cli({"table", a, "grid"}, "C", "de_DE.UTF-8");
    EXPECT_TRUE(c.out.startsWith("\tL/dB(A)\t\r\n0.000\t 50.0\t\r\n"))
        << c.out.left(40).toStdString();
}

TEST_F(CliTest, EveryTableOfSeveralProgramsIsWhatCopyingGives) {
    for (int row : {1, 2, 4, 7, 9}) {
        const MeasurementRecord rec = ProgramRecord(row, row * 3);
        const QString path = Save(QStringLiteral("P%1.DBA").arg(row), rec);
        for (const auto& [locale, decimal] : {std::pair{"de_DE.UTF-8", ','}, std::pair{"C", '.'}}) {
            EvalOptions opt;
            opt.fmt = NumberFormat(QLatin1Char(decimal));
            const Evaluation ev = EvaluateRecord(rec, opt);
            for (const char* name : kTables) {
                SCOPED_TRACE(testing::Message() << "row " << row << " " << locale << " " << name);
                const CliRun r = Cli({"table", path, name}, locale);
                EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
                ASSERT_NE(TableByName(ev, name), nullptr);
                EXPECT_EQ(r.out, TableByName(ev, name)->CopyText().toUtf8());
            }
        }
    }
}

TEST_F(CliTest, ChartPointsAreWrittenInTheCLocale) {
    const QString a = Save("A.DBA", ConstantA());
    const CliRun r = Cli({"chart", a, "Chart1"}, "de_DE.UTF-8");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("Block 1\n0.000000\t50.000000\n0.010000\t50.000000\n"));
    EXPECT_TRUE(r.out.contains("9.990000\t50.000000\nBlock 2\n"));

    const MeasurementRecord g = ProgramRecord(7, 5);
    const QString gPath = Save("G.DBA", g);
    const Evaluation ev = EvaluateRecord(g, EvalOptions{});
    for (const char* name :
         {"Chart1", "Chart2", "Chart3", "Chart6", "Chart12Leq", "Pegel1", "Pegel12"}) {
        SCOPED_TRACE(name);
        QByteArray expected;
        for (const SeriesData* s : ChartByName(ev, name)) {
            expected += s->name.toUtf8() + '\n';
            for (int i = 0; i < s->Count(); ++i)
                expected += QByteArray::number(s->x[i], 'f', 6) + '\t' +
                            QByteArray::number(s->y[i], 'f', 6) + '\n';
        }
        const CliRun c = Cli({"chart", gPath, name}, "de_DE.UTF-8");
        EXPECT_EQ(c.exitCode, 0);
        EXPECT_EQ(c.out, expected);
        EXPECT_FALSE(c.out.contains(','));
    }
}

TEST_F(CliTest, InformationLine) {
    MeasurementRecord rec;
    BuildHeader(rec, 2);
    const CliRun r = Cli({"info", Save("MESS1.DBA", rec)}, "de_DE.UTF-8");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(r.out),
              QString::fromUtf8("MESS1.DBA, Messpunkte: 1000, Messungen: 1, Kanäle: 1, "
                                "Intervall: 60 ms, B.BIN\n"));
}

TEST_F(CliTest, FileErrorsEndWithAMessageAndExitCode1) {
    const QString shortFile = SaveBytes("kurz.dba", QByteArray(100, '\x01'));
    const QString missing = dir_.filePath("fehlt.dba");
    QDir(dir_.path()).mkdir("ordner.dba");
    const QString folder = dir_.filePath("ordner.dba");
    const struct {
        QStringList args;
        QString message;
    } cases[] = {
        {{"table", shortFile, "grid"}, shortFile + ": Versuch hinter dem Dateiende zu lesen."},
        {{"info", shortFile}, shortFile + ": Versuch hinter dem Dateiende zu lesen."},
        {{"chart", missing, "Chart1"}, missing + ": Datei nicht gefunden."},
        {{"table", folder, "grid"}, folder + ": Dateizugriff verweigert."},
        {{"info", dir_.filePath("nix/a.dba")},
         dir_.filePath("nix/a.dba") + QString::fromUtf8(": Ungültiger Dateiname.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = Cli(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(QString::fromUtf8(r.err), "kelvarn-cli: " + c.message + "\n");
    }
}

TEST_F(CliTest, WrongUsageAndUnknownNamesExitWith2) {
    const QString a = Save("A.DBA", ConstantA());
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{}, "kein Befehl"},
        {{"frobnicate", a}, "unbekannter Befehl \"frobnicate\""},
        {{"table", a}, "falsche Anzahl"},
        {{"table", a, "grid", "extra"}, "falsche Anzahl"},
        {{"info"}, "falsche Anzahl"},
        {{"table", a, "Grid"}, "unbekannte Tabelle \"Grid\""},
        {{"table", a, "Chart1"}, "unbekannte Tabelle"},
        {{"chart", a, "Chart4"}, "unbekanntes Diagramm \"Chart4\""},
        {{"chart", a, "Pegel13"}, "unbekanntes Diagramm"},
        {{"chart", a, "Pegel01"}, "unbekanntes Diagramm"},
        {{"chart", a, "grid"}, "unbekanntes Diagramm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = Cli(c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith("kelvarn-cli: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
    }
    const CliRun help = Cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("kelvarn-cli table DATEI NAME"));
}

TEST_F(CliTest, DamagedRecordIsEvaluatedWithANotice) {
    MeasurementRecord rec = ProgramRecord(9, 1);
    rec.bytes[0] = 6000 >> 8;
    rec.bytes[1] = 6000 & 0xFF;  // 12 x 6000 samples cannot fit
    const Evaluation ev = EvaluateRecord(rec, EvalOptions{});
    ASSERT_FALSE(ev.damageNotice.isEmpty());
    const CliRun r = Cli({"table", Save("KAPUTT.DBA", rec), "Grid12"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, ev.overviewTable.CopyText().toUtf8());
    EXPECT_EQ(QString::fromUtf8(r.err), "kelvarn-cli: " + ev.damageNotice.trimmed() + "\n");
}

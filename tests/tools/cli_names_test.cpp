// kelvarn-cli and the names users give it: names that are not UTF-8 come out
// as the bytes they are (JSON: as escapes that give the bytes back), and "--"
// ends the options.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "cli_support.h"
#include "data/MeasurementRecord.h"
#include "files/MeasurementFile.h"
#include "files/SystemPath.h"

using namespace kelvarn;
using namespace kelvarn::test;

namespace {

MeasurementRecord ProgramB() {
    MeasurementRecord rec;
    BuildHeader(rec, 2);
    for (int i = 0; i < 1000; ++i) rec.bytes[size_t(10 + i)] = uint8_t(100 + i % 60);
    return rec;
}

QString PdfText(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class CliNames : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray folder = QFile::encodeName(dir.path());
    // "m<ff><e4> ä.dba": two bytes that are not UTF-8, then UTF-8.
    QByteArray file = folder + "/m\xff\xe4 \xc3\xa4.dba";

    void SetUp() override {
        ASSERT_TRUE(WriteMeasurementFile(PathFromSystem(file), ProgramB()).ok);
    }
    // The temporary folder cannot remove a name that is not UTF-8.
    void TearDown() override { ::unlink(file.constData()); }
};

}  // namespace

TEST_F(CliNames, SummaryAndExportPrintTheNameSoThatItFindsTheFileAgain) {
    // TSV and CSV: the bytes themselves.
    for (const char* format : {"tsv", "csv"}) {
        SCOPED_TRACE(format);
        const CliRun r = RunKelvarnCliBytes({"summary", "--format", format, file});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QList<QByteArray> lines = r.out.split('\n');
        ASSERT_GE(lines.size(), 2);
        EXPECT_TRUE(lines[1].startsWith(file + (format[0] == 't' ? "\t1\t" : ",1,")))
            << r.out.toStdString();
    }
    // JSON: "\udcff" for a byte 0xff, which a JSON reader gives back as the
    // surrogate that carries it (Python's os.fsencode makes it the byte).
    const QByteArray escaped = folder + "/m\\udcff\\udce4 \xc3\xa4.dba";
    for (const QList<QByteArray>& args : {QList<QByteArray>{"summary", "--format", "json", file},
                                          QList<QByteArray>{"export", "--format", "json", file}}) {
        SCOPED_TRACE(args[0].toStdString());
        const CliRun r = RunKelvarnCliBytes(args);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("\"file\": \"" + escaped + "\"")) << r.out.toStdString();
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        const QJsonObject o = doc.isArray() ? doc.array()[0].toObject() : doc.object();
        EXPECT_EQ(SystemPathBytes(o["file"].toString()), file);
    }
    // A name the command cannot read is named by its bytes too.
    const QByteArray missing = folder + "/fehlt\xff.dba";
    const CliRun r = RunKelvarnCliBytes({"summary", missing});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "kelvarn-cli: " + missing + ": Datei nicht gefunden.\n");
}

TEST_F(CliNames, TheReportShowsTheDateOfAFileWhoseNameIsNotUtf8) {
    const QString pdf = dir.filePath("bericht.pdf");
    const CliRun r =
        RunKelvarnCliBytes({"report", file, QFile::encodeName(pdf)}, {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString text = PdfText(pdf);
    EXPECT_FALSE(text.contains("nicht gespeichert")) << text.toStdString();
    static const QRegularExpression date("Dateidatum: \\d\\d\\.\\d\\d\\.\\d{4}, \\d\\d:\\d\\d Uhr");
    EXPECT_TRUE(text.contains(date)) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Datei: m\xEF\xBF\xBD\xEF\xBF\xBD ä.dba")))
        << "shown with a replacement character per byte";
}

TEST_F(CliNames, DoubleDashEndsTheOptions) {
    // A file whose name starts with "--", in the working folder.
    const QString dashed = dir.filePath("--y.dba");
    ASSERT_TRUE(WriteMeasurementFile(dashed, ProgramB()).ok);
    const QString pdf = dir.filePath("--bericht.pdf");
    const struct {
        QStringList args;
        const char* out;  // the start of standard output
    } cases[] = {
        {{"summary", "--", "--y.dba"}, "Datei\tMessung\tn"},
        {{"summary", "--format", "json", "--", "--y.dba"}, "[{\"file\": \"--y.dba\""},
        {{"summary", "--", "--y.dba", "--format"}, "Datei\tMessung"},  // a file "--format"
        {{"export", "--format", "json", "--", "--y.dba"}, "{\"file\": \"--y.dba\""},
        {{"info", "--", "--y.dba"}, "--y.dba, Messpunkte: 1000"},
        {{"table", "--", "--y.dba", "GridKennwerte"}, ""},
        {{"chart", "--", "--y.dba", "Chart1"}, ""},
        {{"report", "--", "--y.dba", "--bericht.pdf"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QProcess p;
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KELVARN_BIN_DIR "/tools/cli/kelvarn-cli"), c.args);
        ASSERT_TRUE(p.waitForFinished(30000));
        const QByteArray out = p.readAllStandardOutput();
        const QByteArray err = p.readAllStandardError();
        if (c.args.endsWith("--format")) {
            // The summary of "--y.dba" and of a file "--format" that is not there.
            EXPECT_EQ(p.exitCode(), 1);
            EXPECT_EQ(err, "kelvarn-cli: --format: Datei nicht gefunden.\n");
        } else {
            EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
            EXPECT_EQ(err, "");
        }
        EXPECT_TRUE(out.startsWith(c.out)) << out.toStdString();
        if (c.args[0] != "report") {
            EXPECT_FALSE(out.isEmpty());
        }
    }
    EXPECT_TRUE(QFile::exists(pdf));
    // Without "--" a name that looks like an option is taken for one.
    const CliRun r = RunKelvarnCliBytes({"summary", "--y.dba"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.toStdString(), "kelvarn-cli: unbekannte Option \"--y.dba\"\n");
}

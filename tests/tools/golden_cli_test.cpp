// The command-line companion's text for a few fixed records, compared byte for byte with the
// texts kept beside them in tests/golden. The records are fixed inputs (programs A, F and G,
// made once from seeded noise); they are never rewritten.
//
// After an intended change of the output, rewrite the expected texts and review the diff:
//     KELVARN_GOLDEN_REWRITE=1 ctest -R Golden      (in the build folder)
//     git diff tests/golden
#include <gtest/gtest.h>

#include <QFile>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <string>

#include "cli_support.h"

using namespace kelvarn::test;

namespace {

struct GoldenCase {
    const char* record;  // file in tests/golden
    const char* command;
    const char* name;  // table or chart name; empty for info
};

const GoldenCase kCases[] = {
    {"A.DBA", "info", ""},
    {"A.DBA", "table", "grid"},
    {"A.DBA", "table", "gridspek"},
    {"A.DBA", "table", "GridLeQ"},
    {"A.DBA", "table", "GridKennwerte"},
    {"A.DBA", "chart", "Chart1"},
    {"A.DBA", "chart", "Chart2"},
    {"A.DBA", "chart", "Chart6"},
    {"F.DBA", "info", ""},
    {"F.DBA", "table", "GridLeQ"},
    {"F.DBA", "table", "GridKennwerte"},
    {"F.DBA", "chart", "Chart2"},
    {"F.DBA", "chart", "Chart6"},
    {"G.DBA", "info", ""},
    {"G.DBA", "table", "Grid12"},
    {"G.DBA", "table", "GridSpek12"},
    {"G.DBA", "table", "Grid12Leq"},
    {"G.DBA", "table", "GridKennwerte"},
    {"G.DBA", "chart", "Chart12Leq"},
    {"G.DBA", "chart", "Pegel1"},
    {"G.DBA", "chart", "Pegel12"},
};

QString GoldenDir() {
    return QStringLiteral(KELVARN_SOURCE_DIR "/tests/golden/");
}

// "A.info.txt", "A.table.grid.txt", ...
QString ExpectedFile(const GoldenCase& c) {
    QString stem = QString::fromLatin1(c.record).section(QLatin1Char('.'), 0, 0);
    QString name = stem + QLatin1Char('.') + QLatin1String(c.command);
    if (*c.name) name += QLatin1Char('.') + QLatin1String(c.name);
    return GoldenDir() + name + QLatin1String(".txt");
}

std::string CaseName(const ::testing::TestParamInfo<GoldenCase>& info) {
    const GoldenCase& c = info.param;
    QString n = QString::fromLatin1(c.record).section(QLatin1Char('.'), 0, 0) + QLatin1Char('_') +
                QLatin1String(c.command);
    if (*c.name) n += QLatin1Char('_') + QLatin1String(c.name);
    return n.toStdString();
}

// The first line where the two texts part, for a readable failure.
std::string FirstDifference(const QByteArray& expected, const QByteArray& actual) {
    const QList<QByteArray> e = expected.split('\n');
    const QList<QByteArray> a = actual.split('\n');
    for (qsizetype i = 0; i < std::max(e.size(), a.size()); ++i) {
        const QByteArray le = i < e.size() ? e[i] : QByteArray("<end>");
        const QByteArray la = i < a.size() ? a[i] : QByteArray("<end>");
        if (le != la)
            return "line " + std::to_string(i + 1) + ": expected \"" + le.toStdString() +
                   "\", got \"" + la.toStdString() + "\"";
    }
    return "same lines";
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, OutputMatchesTheKeptText) {
    const GoldenCase& c = GetParam();
    // The C locale: a point as decimal separator, whatever the machine is set to.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LANG");
    env.remove("LC_NUMERIC");
    env.insert("LC_ALL", "C");
    QStringList args = {QLatin1String(c.command), GoldenDir() + QLatin1String(c.record)};
    if (*c.name) args << QLatin1String(c.name);
    const CliRun run = RunKelvarnCli(args, env);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_FALSE(run.out.isEmpty());

    QFile expected(ExpectedFile(c));
    if (qEnvironmentVariableIntValue("KELVARN_GOLDEN_REWRITE") == 1) {
        ASSERT_TRUE(expected.open(QIODevice::WriteOnly)) << expected.fileName().toStdString();
        ASSERT_EQ(expected.write(run.out), run.out.size());
        GTEST_SKIP() << "rewrote " << expected.fileName().toStdString();
    }
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly))
        << expected.fileName().toStdString() << " is missing; see the top of this file";
    const QByteArray want = expected.readAll();
    EXPECT_TRUE(run.out == want) << expected.fileName().toStdString() << ": "
                                 << FirstDifference(want, run.out);
}

INSTANTIATE_TEST_SUITE_P(Records, Golden, ::testing::ValuesIn(kCases), CaseName);

}  // namespace

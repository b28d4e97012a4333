// The man page of kelvarn-cli describes what its --help offers: every command, every option of a
// command and every table and chart name, so the two cannot drift apart.

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include "cli_support.h"

using namespace kelvarn::test;

namespace {

QString ManPage(const char* name) {
    QFile f(QStringLiteral(KELVARN_SOURCE_DIR "/dist/man/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

QSet<QString> Matches(const QString& text, const QString& pattern) {
    QSet<QString> found;
    auto it = QRegularExpression(pattern, QRegularExpression::MultilineOption).globalMatch(text);
    while (it.hasNext()) found.insert(it.next().captured(1));
    return found;
}

// The command lines of --help: "  kelvarn-cli COMMAND ...".
QSet<QString> HelpCommands(const QString& help) {
    return Matches(help, QStringLiteral("^\\s+kelvarn-cli ([a-z]+)"));
}

// The commands the man page describes: the first word of each tagged paragraph (".TP") of the
// section DESCRIPTION.
QSet<QString> ManCommands(const QString& page) {
    const qsizetype from = page.indexOf(QLatin1String("\n.SH DESCRIPTION"));
    const qsizetype to = page.indexOf(QLatin1String("\n.SH "), from + 1);
    return Matches(page.mid(from, to - from), QStringLiteral("^\\.TP\\n\\.B[IR]? \"?([a-z]+)"));
}

// The page without roff's font changes ("\fB") and with plain dashes for "\-".
QString Plain(QString page) {
    page.remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
    return page.replace(QLatin1String("\\-"), QLatin1String("-"));
}

// The names of wanted that in does not hold as whole names, in order.
QStringList Missing(const QSet<QString>& wanted, const QString& in) {
    QStringList missing;
    for (const QString& w : wanted)
        if (!in.contains(QRegularExpression(QStringLiteral("(?<![-\\w])") +
                                            QRegularExpression::escape(w) +
                                            QStringLiteral("(?![-\\w])"))))
            missing << w;
    missing.sort();
    return missing;
}

}  // namespace

TEST(ManPage, KelvarnCliDescribesEveryCommandOfItsHelp) {
    const CliRun run = RunKelvarnCli({QStringLiteral("--help")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString help = QString::fromUtf8(run.out);
    const QString page = ManPage("kelvarn-cli.1");
    ASSERT_FALSE(page.isEmpty());

    const QSet<QString> helpCommands = HelpCommands(help);
    // A help text that lists no commands would pass anything.
    ASSERT_GE(helpCommands.size(), 9) << help.toStdString();
    QStringList helpList = helpCommands.values(), manList = ManCommands(page).values();
    helpList.sort();
    manList.sort();
    EXPECT_EQ(manList.join(' ').toStdString(), helpList.join(' ').toStdString());

    // The options of the commands and the names of the tables and charts.
    const QSet<QString> options =
        Matches(help, QStringLiteral("(--[a-z-]+)")) - QSet<QString>{QStringLiteral("--help"),
                                                                     QStringLiteral("--help-all"),
                                                                     QStringLiteral("--version")};
    EXPECT_EQ(Missing(options, Plain(page)).join(' ').toStdString(), "");
    const QSet<QString> names =
        Matches(help, QStringLiteral("\\b((?:[Gg]rid|Chart)[A-Za-z0-9]*)\\b"));
    EXPECT_EQ(Missing(names, Plain(page)).join(' ').toStdString(), "");
}

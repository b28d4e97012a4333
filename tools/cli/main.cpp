// kelvarn-cli: prints what the evaluation of a measurement file shows, as text.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QTranslator>

#include "CheckedOutput.h"
#include "CliCommands.h"
#include "ReportCli.h"
#include "files/SystemPath.h"

int main(int argc, char** argv) {
    // The application takes the locale from the environment (LC_ALL, LANG).
    const auto app = kelvarn::CliApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvarn-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KELVARN_VERSION));
    // The help's headings in German, as the commands' own texts are.
    QTranslator qt;
    if (qt.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qt"),
                QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt);

    QCommandLineParser parser;
    // The parser writes its own "Aufruf:" line above the commands.
    QString commands = QString::fromUtf8(kelvarn::CliUsage()).trimmed();
    commands.replace(QRegularExpression(QStringLiteral("^Aufruf:")), QStringLiteral("Befehle:"));
    parser.setApplicationDescription(commands);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("befehl"), QStringLiteral("Befehl, siehe oben."),
                                 QStringLiteral("BEFEHL [ARGUMENT ...]"));
    // Everything from the command on is the command's, dashes included.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);

    // File names keep their bytes, also where they are not valid UTF-8.
    QStringList args;
    for (int i = 0; i < argc; ++i) args << kelvarn::PathFromSystem(QByteArray(argv[i]));
    if (!parser.parse(args)) {
        const QByteArray err = "kelvarn-cli: " + parser.errorText().toUtf8() + '\n';
        return kelvarn::DeliverOutput(2, {}, err + kelvarn::CliUsage());
    }
    // Help and version go through the same checked output as every command.
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        return kelvarn::DeliverOutput(0, parser.helpText().toUtf8(), {});
    if (parser.isSet(QStringLiteral("version"))) {
        return kelvarn::DeliverOutput(0,
                                      (QCoreApplication::applicationName() + QLatin1Char(' ') +
                                       QCoreApplication::applicationVersion() + QLatin1Char('\n'))
                                          .toUtf8(),
                                      {});
    }

    const kelvarn::CliOutcome o = kelvarn::RunCli(parser.positionalArguments());
    return kelvarn::DeliverOutput(o.exitCode, o.out, o.err);
}

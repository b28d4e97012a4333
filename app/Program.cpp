#include "app/Program.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QUrl>

namespace kelvarn {

QString ProgramVersion() {
    return QStringLiteral(KELVARN_VERSION);
}

QTranslator* LoadQtGermanTranslations(QCoreApplication& app) {
    // The program speaks German whatever the desktop's language, so Qt's
    // texts are German too, not those of the user's locale.
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qt"),
                 QStringLiteral("_"), dir) &&
        QCoreApplication::installTranslator(qt))
        return qt;
    delete qt;
    return nullptr;
}

void SetUpProgram(QCoreApplication& app, const QString& name) {
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(ProgramVersion());
    LoadQtGermanTranslations(app);
}

QIcon ProgramIcon() {
    // The installed theme icon first (the desktop's sizes), else the one
    // built into the program.
    return QIcon::fromTheme(QStringLiteral("kelvarn"),
                            QIcon(QStringLiteral(":/icons/kelvarn.svg")));
}

StartCommandLine::StartCommandLine() : parser_(new QCommandLineParser) {
    parser_->setApplicationDescription(QStringLiteral(
        "Kelvarn: Lärmmessung mit der Zelle an einer seriellen Schnittstelle.\n"
        "Eine angegebene Messdatei wird geöffnet wie mit \"Datei\" / \"Öffnen ...\"."));
    parser_->addHelpOption();
    parser_->addVersionOption();
    parser_->addPositionalArgument(QStringLiteral("DATEI"),
                                   QStringLiteral("Messdatei (*.dba), die geöffnet wird."),
                                   QStringLiteral("[DATEI]"));
}

StartCommandLine::~StartCommandLine() = default;

void StartCommandLine::Parse(const QStringList& arguments) {
    error_.clear();
    file_.clear();
    if (!parser_->parse(arguments)) {
        error_ = parser_->errorText();
        return;
    }
    const QStringList files = parser_->positionalArguments();
    if (files.size() > 1) {
        error_ = QStringLiteral("Nur eine Messdatei kann geöffnet werden.");
        return;
    }
    if (files.isEmpty()) return;
    // File managers may hand over a URL instead of a path.
    QString path = files.first();
    if (path.startsWith(QLatin1String("file:"))) path = QUrl(path).toLocalFile();
    file_ = QDir::current().absoluteFilePath(path);
}

bool StartCommandLine::WantsHelp() const {
    return parser_->isSet(QStringLiteral("help")) || parser_->isSet(QStringLiteral("help-all"));
}

bool StartCommandLine::WantsVersion() const {
    return parser_->isSet(QStringLiteral("version"));
}

QString StartCommandLine::Error() const {
    return error_;
}

QString StartCommandLine::File() const {
    return file_;
}

}  // namespace kelvarn

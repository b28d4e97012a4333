#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <memory>

class QCommandLineParser;
class QCoreApplication;
class QTranslator;

namespace kelvarn {

// The version every program and the window show; set once, by the build.
QString ProgramVersion();

// Name, version and desktop entry of a program of the project, as --version,
// the desktop and the settings folder see them. Also loads Qt's own German
// texts, so Qt's dialogs, buttons and questions speak the program's language.
void SetUpProgram(QCoreApplication& app, const QString& name);

// Loads and installs Qt's German translations from where Qt's installation
// keeps them; the translator belongs to app. Null when they are not
// installed: Qt's texts then stay English.
QTranslator* LoadQtGermanTranslations(QCoreApplication& app);

// The window's icon, also shown by the desktop for the program.
QIcon ProgramIcon();

// The command line of the window program: kelvarn [--help] [--version] [FILE].
class StartCommandLine {
public:
    StartCommandLine();
    ~StartCommandLine();
    StartCommandLine(const StartCommandLine&) = delete;
    StartCommandLine& operator=(const StartCommandLine&) = delete;

    // Arguments with the program's name first; Qt's own options already
    // taken out when a QApplication has seen them.
    void Parse(const QStringList& arguments);
    bool WantsHelp() const;
    bool WantsVersion() const;
    // Unknown options or more than one file; empty when the line is fine.
    QString Error() const;
    // The measurement file to open at start, absolute; empty for none.
    QString File() const;

    QCommandLineParser& Parser() { return *parser_; }

private:
    std::unique_ptr<QCommandLineParser> parser_;
    QString error_;
    QString file_;
};

}  // namespace kelvarn

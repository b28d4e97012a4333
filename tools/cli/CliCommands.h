#pragma once

#include <QByteArray>
#include <QStringList>

namespace kelvarn {

// What a command wrote and how it ended.
struct CliOutcome {
    int exitCode = 0;  // 0 success, 1 file error, 2 wrong usage or unknown name
    QByteArray out;    // for stdout, exactly
    QByteArray err;    // for stderr
};

// Runs one command line (without the program name):
//   table FILE NAME   the text "Kopieren als Text" gives for string table NAME
//   info FILE         the information line of the file
//   chart FILE NAME   every series of chart NAME, points as "x<TAB>y"
// Numbers in tables use the decimal separator of QLocale(); chart points are
// written in the C locale with six decimals.
CliOutcome RunCli(const QStringList& args);

// "kelvarn-cli: <message>." as a line for stderr, and an outcome that ends
// with it and code.
QByteArray CliErrorLine(const QString& message);
CliOutcome CliFailure(int code, const QString& message);

// The list of commands that help and wrong usage show.
const char* CliUsage();

}  // namespace kelvarn

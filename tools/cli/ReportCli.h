#pragma once

#include <QCoreApplication>
#include <QStringList>
#include <memory>

#include "CliCommands.h"

namespace kelvarn {

// report FILE OUT.pdf   the measurement report of FILE (with the description beside it) as PDF
bool IsReportCommand(const QString& command);
CliOutcome RunReportCommand(const QStringList& args);

// The application object for a command line: the report draws charts and text and needs the
// widget side, on the offscreen platform unless another one is asked for, so it runs without a
// display; every other command needs no more than the core.
std::unique_ptr<QCoreApplication> CliApplication(int& argc, char** argv);

#define KELVARN_REPORT_USAGE                   \
    "  kelvarn-cli report DATEI AUSGABE.pdf\n" \
    "                                 Messbericht als PDF (A4, mit Beschreibung)\n"

}  // namespace kelvarn

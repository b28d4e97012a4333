#pragma once

#include <QStringList>

#include "CliCommands.h"

namespace kelvarn {

// assess FILE [--start ISO] [--format text|json]: hourly and period levels, Lden, the loudest
// night hour, LEX,8h and the TA Lärm rating level of a measurement file, in the local time of
// the process (TZ).
bool IsAssessCommand(const QString& command);
CliOutcome RunAssessCommand(const QStringList& args);

#define KELVARN_ASSESS_USAGE                                                                   \
    "  kelvarn-cli assess DATEI [--start ISO] [--format text|json]\n"                          \
    "                                 Beurteilung: Stunden, Zeiträume, Lden, lauteste\n"      \
    "                                 Nachtstunde, LEX,8h, Beurteilungspegel nach TA Lärm;\n" \
    "                                 Startzeiten, Marken und Angaben aus dem Protokoll\n"     \
    "                                 (.KVP), --start statt seiner Startzeiten\n"

}  // namespace kelvarn

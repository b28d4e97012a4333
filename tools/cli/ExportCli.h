#pragma once

#include <QStringList>

#include "CliCommands.h"

namespace kelvarn {

// The commands that take results out of measurement files:
//   summary FILE... [--format tsv|csv|json] [--energetic-mean]   the noise figures of every
//                                  file as one table, with the energetic mean of their LAeq
//   export FILE [--format csv|json] [--output OUT]   levels and figures of one file
bool IsExportCommand(const QString& command);
CliOutcome RunExportCommand(const QStringList& args);

// Their lines of the usage text, a literal so that it joins the others.
#define KELVARN_EXPORT_USAGE                                                       \
    "  kelvarn-cli summary DATEI... [--format tsv|csv|json] [--energetic-mean]\n"  \
    "                                 Kennwerte aller Dateien als eine Tabelle,\n" \
    "                                 mit dem energetischen Mittel ihrer LAeq\n"   \
    "  kelvarn-cli export DATEI [--format csv|json] [--output AUSGABE]\n"          \
    "                                 Pegel und Kennwerte einer Datei (CSV oder JSON)\n"

}  // namespace kelvarn

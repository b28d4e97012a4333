#pragma once

#include <QStringList>

#include "CliCommands.h"

namespace kelvarn {

// kelvarn-cli protocol FILE [--format text|json] [changes ...]: prints the protocol of a
// measurement file; changes are written to its ".KVP" file by the save the window uses.
bool IsProtocolCommand(const QString& command);
CliOutcome RunProtocolCommand(const QStringList& args);

#define KELVARN_PROTOCOL_USAGE                                                                   \
    "  kelvarn-cli protocol DATEI [--format text|json] [--measurement N] [--start ISO]\n"        \
    "                 [--fill] [--site TEXT] [--operator TEXT] [--instrument TEXT]\n"            \
    "                 [--purpose TEXT] [--weather TEXT] [--reference-db DB]\n"                   \
    "                 [--before-db DB] [--after-db DB]\n"                                        \
    "                 [--marker MESSUNG,VON,BIS,fremdgeraeusch|ereignis[,TEXT]]\n"               \
    "                                 Messprotokoll zeigen oder ändern (Beginn ohne Versatz:\n" \
    "                                 Ortszeit; --fill: Serie lückenlos anschließen)\n"

}  // namespace kelvarn

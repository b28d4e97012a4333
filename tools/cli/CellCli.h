#pragma once

#include <QStringList>

#include "CliCommands.h"

namespace kelvarn {

// The commands that talk to the cell on port PORT ("COMn", mapped to a
// serial device as the window maps it):
//   read PORT FILE   reads the cell out as "&Auslesen der Zelle" does and
//                    writes the record as a measurement file
//   query PORT       prints the letter of the program the cell holds
//   live PORT ...    starts a program from the PC and logs its levels
//   ports            the COM names with their devices, and the system's
//                    serial ports
bool IsCellCommand(const QString& command);
CliOutcome RunCellCommand(const QStringList& args);

// Their lines of the usage text, a literal so that it joins the others.
#define KELVARN_CELL_USAGE                                                                \
    "  kelvarn-cli read PORT DATEI    Zelle an PORT (COM1, COM2 ...) auslesen und als\n"  \
    "                                 Messdatei speichern\n"                              \
    "  kelvarn-cli query PORT         Messprogramm in der Zelle an PORT erfragen\n"       \
    "  kelvarn-cli live PORT [--program X] [--format csv|tsv] [--restart]\n"              \
    "                                 Messprogramm X (A) starten und jeden Messwert\n"    \
    "                                 (Zeit, Pegel) ausgeben, bis Messende oder Strg+C\n" \
    "  kelvarn-cli ports              COM-Namen mit ihren Geräten und die seriellen\n"   \
    "                                 Schnittstellen des Systems\n"

}  // namespace kelvarn

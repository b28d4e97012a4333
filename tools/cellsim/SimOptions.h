#pragma once

#include <QString>
#include <QStringList>

#include "sim/CellModel.h"

namespace kelvarn {

struct SimOptions {
    QString link;                // where the terminal end appears
    CellModelOptions cell;       // what answers, and its faults
    bool paced = true;           // one byte per 11 bit times at the line speed
    long long hangUpAfter = -1;  // bytes received before the line is dropped
    int answerDelayMs = 0;       // [ms] fault: every answer leaves this late
    QString byteLog;             // every byte received, raw
    QString eventLog;            // readable events
    double exitAfter = 0;        // [s] 0: run until told to stop
};

// Reads the command line; on a mistake, error holds the message. --help
// and --version print and end the process, as usual.
bool ParseSimOptions(const QStringList& arguments, SimOptions& out, QString& error);

}  // namespace kelvarn

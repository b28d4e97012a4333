#pragma once

// What a measurement that arrives from the cell brings into its protocol: the start of a
// read-out (a remembered timed start that the user takes, else the latest possible starts) and
// the start of a take-over (the PC's start of the live run). The window and kelvarn-cli make
// the protocol of a read-out here, so that both leave the same protocol file beside it.

#include <QDateTime>
#include <QString>
#include <functional>

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"

namespace kelvarn {

// Asks the user whether to take a timed start (the question handed in); true for Ja.
using AskTimedStart = std::function<bool(const QString& question)>;

// The protocol of rec, read out of the cell at now. Where the start remembered from a timed
// upload applies to rec, ask is put "Programm B wurde für den 11.06.2026 um 14:00:00
// zeitgesteuert gestartet. Diesen Messbeginn übernehmen?"; Ja gives every measurement its
// start from it ("Zeitstart", a series back to back). Otherwise, and without ask, each
// measurement gets the latest start its measured time allows ("geschätzt").
MeasurementProtocol ReadOutProtocol(const MeasurementRecord& rec, const QDateTime& now,
                                    const AskTimedStart& ask);

// The protocol of a record taken over from the live measurement that replaces the one of
// before: site, people and calibration stay, as the description does; the starts and markers
// were those of the record replaced. The start is the PC's ("PC-Start") where the live run was
// started from it (startedAt valid).
MeasurementProtocol TakeOverProtocol(const MeasurementProtocol& before, const QDateTime& startedAt);

}  // namespace kelvarn

#pragma once

#include <QString>
#include <QStringList>

#include "data/MeasurementRecord.h"
#include "files/CommandResult.h"

namespace kelvarn {

// Reads the first 6146 bytes of a measurement file (the file is opened for
// reading only, so a write-protected file opens). out is replaced only when
// all 6146 bytes were read; on any failure it keeps its previous content.
CommandResult ReadMeasurementFile(const QString& path, MeasurementRecord& out);

// The record a measurement file holds, from the bytes read from its start:
// the first 6146 of them. Fewer give "Versuch hinter dem Dateiende zu lesen"
// and leave out as it was. ReadMeasurementFile reads through this.
CommandResult RecordFromFileBytes(const QByteArray& data, MeasurementRecord& out);

// Writes the record's 6146 bytes as the whole file. An existing file is
// replaced only once the new one is complete, so a failed save keeps it.
CommandResult WriteMeasurementFile(const QString& path, const MeasurementRecord& rec);

// Whether a measurement file can be written at path, found before the record
// is known (before a read-out asks the cell): the save's own preparation
// with a record's size, dropped again; the file stays as it was. Messages as
// for WriteMeasurementFile.
CommandResult CheckMeasurementDestination(const QString& path);

// The remarks file beside a measurement file, in the same folder. A bare
// name with at most one "." is cut after its first "." and gets "RMK"
// ("MESS1.DBA" -> "MESS1.RMK", "x" -> "RMK"). A name with more points loses
// only its last extension ("Messung 01.05.2024.dba" -> "Messung
// 01.05.2024.RMK"), so that such files do not share one remarks file.
QString RemarksFileName(const QString& measurementPath);

// The names tried, in order, for the remarks of an opened measurement file:
// RemarksFileName, then for names with several points the name that cuts at
// the first point, which older saves used ("lauf.2.dba" -> "lauf.RMK").
QStringList RemarksFileCandidates(const QString& measurementPath);

// "MESS1.DBA, Messpunkte: 1000, Messungen: 1, Kanäle: 1, Intervall: 60 ms, B.BIN":
// the header in plain decimal, then the program file of every program row
// with this interval.
QString InformationLine(const QString& fileNameWithoutFolder, const MeasurementRecord& rec);

}  // namespace kelvarn

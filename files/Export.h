#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "data/MeasurementRecord.h"
#include "eval/Figures.h"
#include "eval/ViewData.h"
#include "files/CommandResult.h"

namespace kelvarn {

// The field separator of a CSV file for a locale: ";" where the decimal separator is a comma
// (what German spreadsheets open directly), "," elsewhere.
QChar CsvSeparator(const NumberFormat& fmt);

// The levels and the figures of a record as CSV, UTF-8, lines ended by CR LF: a heading row
// "t/<unit>", "Messung 1" ..., one row per point with the time and the level of every
// measurement (empty where a damaged record has no sample), an empty line, then the figures
// table ("Gesamt" for more than one measurement). Numbers as the tables show them, without
// their padding blanks.
QByteArray ExportCsv(const RecordFigures& figures, const NumberFormat& fmt);

// The same as JSON for scripts: {"file", "program", "interval_ms", "points", "measurements":
// [{"levels": [...], "figures": {"n", "laeq", "lmax", "lmin", "l1" ... "l99"}}], "total": {...}}.
// Levels in dB(A) rounded to 0.1 as JSON numbers, null where a figure is empty; "program" is
// the program letter, null for an interval no program has.
QByteArray ExportJson(const QString& file, const MeasurementRecord& rec,
                      const RecordFigures& figures);

// One measurement file of a summary.
struct SummaryEntry {
    QString file;
    MeasurementRecord record;
    RecordFigures figures;
};

// Writes an export file whole; a failure part-way keeps any older file of that name. Messages
// as for measurement files.
CommandResult WriteExportFile(const QString& path, const QByteArray& data);

enum class SummaryFormat { Tsv, Csv, Json };

// The figures of many files as one table: a heading row "Datei", "Messung", "n", "Dauer",
// "Einheit", "LAeq" ... "L99", then per file one row per measurement and a row "Gesamt", the
// file name in the first column. Tsv separates by tabs, Csv by CsvSeparator; numbers in the
// locale of fmt. Json gives an array of the export objects without their levels.
// With energeticMean one more row, "Energetischer Mittelwert" with "<k> Dateien" and in the
// LAeq column 10 lg(1/k sum 10^(LAeq_i/10)) over the k files' "Gesamt" LAeq that have one; in
// JSON one more element {"energetic_mean": {"files": k, "laeq": ...}}.
QByteArray Summary(const std::vector<SummaryEntry>& entries, SummaryFormat format,
                   const NumberFormat& fmt, bool energeticMean = false);

}  // namespace kelvarn

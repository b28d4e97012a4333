#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
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
//
// With a protocol: behind each measurement's levels whose start is known, the column "Beginn"
// ("Beginn m" for twelve measurements) with the time of day each interval begins, ISO 8601 with
// the UTC offset of the local zone at that moment; and behind the figures an empty line and the
// markers: "Messung", "von/s", "bis/s", "Art", "Text".
//
// cut: per measurement its figures without the time its "Fremdgeräusch" markers leave out
// (FiguresWithoutForeignNoise), nullopt where none does; the figures table then carries the row
// "<m> ohne Fremdgeräusch" behind that measurement's, as the window's "Kennwerte" do.
using CutFigures = std::vector<std::optional<LevelFigures>>;
QByteArray ExportCsv(const RecordFigures& figures, const NumberFormat& fmt,
                     const MeasurementProtocol* protocol = nullptr, int intervalMs = 0,
                     const CutFigures& cut = {});

// The same as JSON for scripts: {"file", "program", "interval_ms", "points", "measurements":
// [{"levels": [...], "figures": {"n", "laeq", "lmax", "lmin", "l1" ... "l99"}}], "total": {...}}.
// Levels in dB(A) rounded to 0.1 as JSON numbers, null where a figure is empty; "program" is
// the program letter, null for an interval no program has.
// With a protocol, each measurement whose start is known gains "start" and "times" (the
// beginning of each level's interval, as in the CSV), and the object gains "protocol": the whole
// protocol as its file holds it. A measurement that cut holds figures for gains
// "figures_without_foreign_noise", an object as "figures".
QByteArray ExportJson(const QString& file, const MeasurementRecord& rec,
                      const RecordFigures& figures, const MeasurementProtocol* protocol = nullptr,
                      const CutFigures& cut = {});

// The beginning of each of n intervals of intervalMs from start, in the process's local zone
// with its offset at each moment (an interval after a change of summer time has the new one).
QStringList IntervalBeginnings(const QDateTime& start, int intervalMs, int n);

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

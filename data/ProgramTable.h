#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace kelvarn {

// One measurement program of the cell.
struct ProgramRow {
    QString BinFileName;        // external program file, also the short name
    uint16_t Duration = 0;      // length of one measurement [DurationUnit]
    QString DurationUnit;       // "s", "min" or "h"
    uint16_t Points = 0;        // samples per measurement
    uint16_t AuxCount = 0;      // carried, read by nothing
    uint16_t Measurements = 0;  // 1, or 12 for the series programs
    uint16_t IntervalMs = 0;    // sampling interval [ms]
    uint16_t LeqSections = 0;   // sections of one measurement for the LeQ curves
    QString KeyProgram;         // hex code for a start by the START key
    QString TimedProgram;       // hex words for a start at a time of day
};

// The nine programs A to I, rows 1 to 9. Built once, constant afterwards.
class ProgramTable {
public:
    static constexpr int kRows = 9;

    // Fills all rows; before that every row is empty.
    void Build();

    // Row r from 1 to 9; any other r gives the empty row.
    const ProgramRow& Row(int r) const;
    // The first row whose IntervalMs equals ms, or the empty row.
    const ProgramRow& ProgramForInterval(int ms) const;
    // Row number (1..9) of ProgramForInterval, 0 when none matches.
    int RowForInterval(int ms) const;

private:
    std::array<ProgramRow, kRows> rows_{};
    ProgramRow empty_{};
    bool built_ = false;
};

// The application's table, built on first use.
const ProgramTable& Programs();

// 1000 for "s", 60000 for "min", 3600000 for "h", 1 for anything else.
int TimeDivisor(const QString& durationUnit);

// The program letter of row r ("A" for 1); "?" outside 1..9.
QChar ProgramLetter(int row);

// Program r as a person reads it: "Programm A, 10 s", "Programm D, 1 h", "Programm G, 12 × 10 s"
// (the length of one measurement in its largest whole unit); an empty text outside 1..9.
QString ProgramName(int row);

// The nine programs as the program choice lists them ("A - 10 Sekunden", ...; the window's
// ProgBox), and the lines of the read-only overview of all nine (Memo2), exactly as shown.
QStringList ProgramChoiceItems();
QStringList ProgramOverviewLines();

}  // namespace kelvarn

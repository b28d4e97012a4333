#include "data/ProgramTable.h"

#include "data/ProgramTexts.h"

namespace kelvarn {

namespace {

struct RowValues {
    const char* bin;
    uint16_t duration;
    const char* unit;
    uint16_t points, aux, measurements, interval, sections;
};

constexpr RowValues kValues[ProgramTable::kRows] = {
    {"A.BIN", 10, "s", 1000, 10, 1, 10, 1},     {"B.BIN", 60, "s", 1000, 6, 1, 60, 6},
    {"C.BIN", 6, "min", 1000, 6, 1, 360, 6},    {"D.BIN", 60, "min", 6000, 6, 1, 600, 12},
    {"E.BIN", 6, "h", 6000, 6, 1, 3600, 12},    {"F.BIN", 24, "h", 6000, 12, 1, 14400, 24},
    {"G.BIN", 10, "s", 500, 12, 12, 20, 1},     {"H.BIN", 60, "s", 500, 12, 12, 120, 1},
    {"I.BIN", 10, "min", 500, 12, 12, 1200, 1},
};

}  // namespace

void ProgramTable::Build() {
    for (int i = 0; i < kRows; ++i) {
        const RowValues& v = kValues[i];
        ProgramRow& row = rows_[i];
        row.BinFileName = QString::fromLatin1(v.bin);
        row.Duration = v.duration;
        row.DurationUnit = QString::fromLatin1(v.unit);
        row.Points = v.points;
        row.AuxCount = v.aux;
        row.Measurements = v.measurements;
        row.IntervalMs = v.interval;
        row.LeqSections = v.sections;
        row.KeyProgram = QString::fromLatin1(kKeyPrograms[i]);
        row.TimedProgram = QString::fromLatin1(kTimedPrograms[i]);
    }
    built_ = true;
}

const ProgramRow& ProgramTable::Row(int r) const {
    if (r < 1 || r > kRows) return empty_;
    return rows_[r - 1];
}

int ProgramTable::RowForInterval(int ms) const {
    for (int r = 1; r <= kRows; ++r)
        if (built_ && rows_[r - 1].IntervalMs == ms) return r;
    return 0;
}

const ProgramRow& ProgramTable::ProgramForInterval(int ms) const {
    return Row(RowForInterval(ms));
}

const ProgramTable& Programs() {
    static const ProgramTable table = [] {
        ProgramTable t;
        t.Build();
        return t;
    }();
    return table;
}

int TimeDivisor(const QString& unit) {
    if (unit == QLatin1String("s")) return 1000;
    if (unit == QLatin1String("min")) return 60000;
    if (unit == QLatin1String("h")) return 3600000;
    return 1;
}

QChar ProgramLetter(int row) {
    if (row < 1 || row > ProgramTable::kRows) return QLatin1Char('?');
    return QChar(64 + row);
}

QString ProgramName(int row) {
    if (row < 1 || row > ProgramTable::kRows) return {};
    const ProgramRow& p = Programs().Row(row);
    const long long seconds = (long long)p.Duration * TimeDivisor(p.DurationUnit) / 1000;
    QString length;
    if (seconds % 3600 == 0) {
        length = QStringLiteral("%1 h").arg(seconds / 3600);
    } else if (seconds % 60 == 0) {
        length = QStringLiteral("%1 min").arg(seconds / 60);
    } else {
        length = QStringLiteral("%1 s").arg(seconds);
    }
    if (p.Measurements > 1) length = QStringLiteral("%1 × ").arg(p.Measurements) + length;
    return QStringLiteral("Programm ") + ProgramLetter(row) + QStringLiteral(", ") + length;
}

QStringList ProgramChoiceItems() {
    return {QStringLiteral("A - 10 Sekunden"),      QStringLiteral("B -  1 Minute "),
            QStringLiteral("C -  6 Minuten"),       QStringLiteral("D -  1 Stunde"),
            QStringLiteral("E -  6 Stunden"),       QStringLiteral("F - 24 Stunden"),
            QStringLiteral("G - 12 x 10 Sekunden"), QStringLiteral("H - 12 x  1 Minute"),
            QStringLiteral("I - 12 x 10 Minuten")};
}

QStringList ProgramOverviewLines() {
    return {QStringLiteral("    Messdauer     Aufteilung"),
            QString(),
            QStringLiteral(" A  1 x 10 s      1000 x  10 ms"),
            QStringLiteral(" B  1 x  1 min    1000 x  60 ms"),
            QStringLiteral(" C  1 x  6 min    1000 x 360 ms"),
            QStringLiteral(" D  1 x  1 h      6000 x 600 ms"),
            QStringLiteral(" E  1 x  6 h      6000 x  3,6 s"),
            QStringLiteral(" F  1 x 24 h      6000 x 14,4 s"),
            QString(),
            QStringLiteral(" G  12 x 10 s     je 500 x  20 ms"),
            QStringLiteral(" H  12 x  1 min   je 500 x 120 ms"),
            QStringLiteral(" I  12 x 10 min   je 500 x  1,2 s")};
}

}  // namespace kelvarn

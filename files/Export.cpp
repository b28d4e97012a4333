#include "files/Export.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <cmath>

#include "data/ProgramTable.h"
#include "eval/Assessment.h"
#include "eval/MarkedFigures.h"
#include "files/FileErrors.h"
#include "files/PosixFile.h"
#include "files/ProtocolFile.h"
#include "files/SystemPath.h"

namespace kelvarn {

namespace {

const char* const kNewline = "\r\n";

// A field of a separated-values line, quoted when it holds the separator, a quote or a line
// break (quotes doubled inside).
QString Field(const QString& text, QChar separator) {
    if (!text.contains(separator) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void AppendLine(QByteArray& out, const QStringList& fields, QChar separator) {
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& f : fields) quoted << Field(f, separator);
    // A file name's bytes that are not UTF-8 stay as they are, so a script finds the file.
    out += Utf8WithCarriedBytes(quoted.join(separator));
    out += kNewline;
}

// The figures row from "n" on, as the table shows it, without padding.
QStringList FigureCells(const LevelFigures& f, const NumberFormat& fmt) {
    QStringList cells;
    cells << fmt.Count(f.n).trimmed() << fmt.Time(f.duration).trimmed();
    const auto level = [&](const std::optional<double>& v) {
        cells << (v ? fmt.Level(*v).trimmed() : QString());
    };
    level(f.laeq);
    level(f.lmax);
    level(f.lmin);
    for (const auto& l : f.ln) level(l);
    return cells;
}

const QStringList& FigureHeadings() {
    static const QStringList h = {QStringLiteral("LAeq"), QStringLiteral("Lmax"),
                                  QStringLiteral("Lmin"), QStringLiteral("L1"),
                                  QStringLiteral("L5"),   QStringLiteral("L10"),
                                  QStringLiteral("L50"),  QStringLiteral("L90"),
                                  QStringLiteral("L95"),  QStringLiteral("L99")};
    return h;
}

// ----- JSON

QByteArray JsonString(const QString& s) {
    QByteArray out = "\"";
    for (const QChar c : s) {
        switch (c.unicode()) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                // A byte of a file name that is not UTF-8 as the escape of the surrogate that
                // carries it ("\udcff"), as Python's surrogateescape reads it back.
                if (c.unicode() < 0x20 || IsCarriedByte(c.unicode()))
                    out += "\\u" + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
                else
                    out += QString(c).toUtf8();
        }
    }
    return out + '"';
}

// A level rounded to 0.1 dB.
QByteArray JsonLevel(double v) {
    return QByteArray::number(std::round(v * 10.0) / 10.0, 'f', 1);
}

QByteArray JsonLevel(const std::optional<double>& v) {
    return v ? JsonLevel(*v) : "null";
}

QByteArray JsonFigures(const LevelFigures& f) {
    QByteArray out = "{\"n\": " + QByteArray::number(f.n);
    out += ", \"laeq\": " + JsonLevel(f.laeq);
    out += ", \"lmax\": " + JsonLevel(f.lmax);
    out += ", \"lmin\": " + JsonLevel(f.lmin);
    for (size_t i = 0; i < f.ln.size(); ++i)
        out +=
            ", \"l" + QByteArray::number(LevelFigures::kPercents[i]) + "\": " + JsonLevel(f.ln[i]);
    return out + '}';
}

// The start of measurement m (1-based) when the protocol knows it.
QDateTime StartOf(const MeasurementProtocol* protocol, int m) {
    if (!protocol) return {};
    const ProtocolStart* s = protocol->StartOf(m);
    return s ? s->start : QDateTime();
}

QByteArray JsonRecord(const QString& file, const MeasurementRecord& rec,
                      const RecordFigures& figures, bool withLevels,
                      const MeasurementProtocol* protocol = nullptr, const CutFigures& cut = {}) {
    const int row = Programs().RowForInterval(GetInterval(rec));
    QByteArray out = "{\"file\": " + JsonString(file);
    out += ", \"program\": " + (row > 0 ? JsonString(QString(ProgramLetter(row))) : "null");
    out += ", \"interval_ms\": " + QByteArray::number(GetInterval(rec));
    out += ", \"points\": " + QByteArray::number(GetPoints(rec));
    out += ", \"measurements\": [";
    for (size_t m = 0; m < figures.measurements.size(); ++m) {
        if (m > 0) out += ", ";
        out += '{';
        if (withLevels) {
            out += "\"levels\": [";
            const std::vector<double>& levels = figures.levels[m];
            for (size_t i = 0; i < levels.size(); ++i) {
                if (i > 0) out += ", ";
                out += JsonLevel(levels[i]);
            }
            out += "], ";
            const QDateTime start = StartOf(protocol, int(m) + 1);
            if (start.isValid()) {
                out += "\"start\": " + JsonString(start.toString(Qt::ISODate)) + ", \"times\": [";
                const QStringList times =
                    IntervalBeginnings(start, GetInterval(rec), int(levels.size()));
                for (qsizetype i = 0; i < times.size(); ++i) {
                    if (i > 0) out += ", ";
                    out += JsonString(times[i]);
                }
                out += "], ";
            }
        }
        out += "\"figures\": " + JsonFigures(figures.measurements[m]);
        if (m < cut.size() && cut[m])
            out += ", \"figures_without_foreign_noise\": " + JsonFigures(*cut[m]);
        out += '}';
    }
    out += "], \"total\": " + JsonFigures(figures.total);
    if (protocol) {
        // The protocol as its file holds it, on one line.
        out += ", \"protocol\": " +
               QJsonDocument::fromJson(WriteProtocol(*protocol)).toJson(QJsonDocument::Compact);
    }
    return out + '}';
}

}  // namespace

QChar CsvSeparator(const NumberFormat& fmt) {
    return fmt.DecimalPoint() == QLatin1Char(',') ? QLatin1Char(';') : QLatin1Char(',');
}

QStringList IntervalBeginnings(const QDateTime& start, int intervalMs, int n) {
    QStringList out;
    if (!start.isValid()) return out;
    out.reserve(n);
    const QDateTime local = start.toTimeZone(QTimeZone::systemTimeZone());
    for (int k = 0; k < n; ++k) {
        const QDateTime t = local.addMSecs(int64_t(k) * intervalMs);
        out << t.toOffsetFromUtc(t.offsetFromUtc())
                   .toString(t.time().msec() != 0 ? Qt::ISODateWithMs : Qt::ISODate);
    }
    return out;
}

QByteArray ExportCsv(const RecordFigures& figures, const NumberFormat& fmt,
                     const MeasurementProtocol* protocol, int intervalMs, const CutFigures& cut) {
    const QChar sep = CsvSeparator(fmt);
    QByteArray out;
    const size_t M = figures.measurements.size();

    // The time of day of each point, per measurement whose start is known.
    std::vector<QStringList> beginnings(M);
    for (size_t m = 0; m < M; ++m)
        beginnings[m] = IntervalBeginnings(StartOf(protocol, int(m) + 1), intervalMs,
                                           int(figures.levels[m].size()));
    QStringList heading = {QStringLiteral("t/") + figures.unit};
    for (size_t m = 1; m <= M; ++m) {
        heading << QStringLiteral("Messung %1").arg(m);
        if (!beginnings[m - 1].isEmpty())
            heading << (M == 1 ? QStringLiteral("Beginn") : QStringLiteral("Beginn %1").arg(m));
    }
    AppendLine(out, heading, sep);

    // Levels have 256 values only: format each once.
    std::array<QString, 256> levelText;
    for (int v = 0; v < 256; ++v) levelText[size_t(v)] = fmt.Level(SampleToLevel(v)).trimmed();
    // One text for all points, converted once: times and levels never need quoting.
    QString points;
    points.reserve(qsizetype(figures.times.size() * (10 + 6 * M)));
    for (size_t p = 0; p < figures.times.size(); ++p) {
        points += fmt.Time(figures.times[p]).trimmed();
        for (size_t m = 0; m < M; ++m) {
            const std::vector<double>& levels = figures.levels[m];
            points += sep;
            if (p < levels.size()) points += levelText[size_t(LevelToSample(levels[p]))];
            if (!beginnings[m].isEmpty()) {
                points += sep;
                if (p < size_t(beginnings[m].size())) points += beginnings[m][qsizetype(p)];
            }
        }
        points += QLatin1String(kNewline);
    }
    out += points.toUtf8();
    out += kNewline;

    const TableText table = FiguresTableWithCuts(figures, cut, fmt);
    for (int r = 0; r < table.Rows(); ++r) {
        QStringList line;
        for (int c = 0; c < table.Cols(); ++c) line << table.Cell(c, r).trimmed();
        AppendLine(out, line, sep);
    }
    if (protocol && !protocol->markers.empty()) {
        out += kNewline;
        AppendLine(out,
                   {QStringLiteral("Messung"), QStringLiteral("von/s"), QStringLiteral("bis/s"),
                    QStringLiteral("Art"), QStringLiteral("Text")},
                   sep);
        for (const ProtocolMarker& mk : protocol->markers)
            AppendLine(out,
                       {QString::number(mk.measurement), fmt.Time(mk.fromS).trimmed(),
                        fmt.Time(mk.toS).trimmed(), MarkerKindCaption(mk.kind), mk.text},
                       sep);
    }
    return out;
}

QByteArray ExportJson(const QString& file, const MeasurementRecord& rec,
                      const RecordFigures& figures, const MeasurementProtocol* protocol,
                      const CutFigures& cut) {
    return JsonRecord(file, rec, figures, true, protocol, cut) + '\n';
}

CommandResult WriteExportFile(const QString& path, const QByteArray& data) {
    const IoOutcome io = ReplaceFileContents(path, data);
    if (!io.ok()) return FileFailure(path, OsErrorMessage(io.error, path));
    return CommandResult::Success();
}

QByteArray Summary(const std::vector<SummaryEntry>& entries, SummaryFormat format,
                   const NumberFormat& fmt, bool energeticMean) {
    // Repeated measurements are averaged as energies, never as decibels.
    std::vector<double> totals;
    for (const SummaryEntry& e : entries)
        if (e.figures.total.laeq) totals.push_back(*e.figures.total.laeq);
    const std::optional<double> mean = EnergeticMean(totals);

    QByteArray out;
    if (format == SummaryFormat::Json) {
        out = "[";
        for (size_t i = 0; i < entries.size(); ++i) {
            out += i > 0 ? ",\n " : "";
            out += JsonRecord(entries[i].file, entries[i].record, entries[i].figures, false);
        }
        if (energeticMean)
            out += QByteArray(entries.empty() ? "" : ",\n ") + "{\"energetic_mean\": {\"files\": " +
                   QByteArray::number(qsizetype(totals.size())) + ", \"laeq\": " + JsonLevel(mean) +
                   "}}";
        return out + "]\n";
    }
    const QChar sep = format == SummaryFormat::Tsv ? QLatin1Char('\t') : CsvSeparator(fmt);
    AppendLine(out,
               QStringList{QStringLiteral("Datei"), QStringLiteral("Messung"), QStringLiteral("n"),
                           QStringLiteral("Dauer"), QStringLiteral("Einheit")} +
                   FigureHeadings(),
               sep);
    for (const SummaryEntry& e : entries) {
        const auto row = [&](const QString& label, const LevelFigures& f) {
            QStringList cells = FigureCells(f, fmt);
            cells.insert(2, e.figures.unit);
            AppendLine(out, QStringList{e.file, label} + cells, sep);
        };
        for (size_t m = 0; m < e.figures.measurements.size(); ++m)
            row(QString::number(m + 1), e.figures.measurements[m]);
        row(QStringLiteral("Gesamt"), e.figures.total);
    }
    if (energeticMean) {
        QStringList cells(5 + FigureHeadings().size());
        cells[0] = QStringLiteral("Energetischer Mittelwert");
        cells[1] = QStringLiteral("%1 Dateien").arg(totals.size());
        if (mean) cells[5] = fmt.Level(*mean).trimmed();
        AppendLine(out, cells, sep);
    }
    return out;
}

}  // namespace kelvarn

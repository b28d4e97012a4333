#include "files/ProtocolText.h"

#include "eval/Figures.h"

namespace kelvarn {

namespace {

// The report is German whatever the locale: decimal commas, no thousands separators.
const NumberFormat kGerman(QLatin1Char(','));

QString Db(double v) {
    return kGerman.Format("%.1f", v) + QStringLiteral(" dB");
}

QString Seconds(double v) {
    return kGerman.Format("%.1f", v) + QStringLiteral(" s");
}

QString OrNot(const QString& s) {
    return s.isEmpty() ? QStringLiteral("nicht angegeben") : s;
}

}  // namespace

QStringList ProtocolReportLines(const MeasurementRecord& rec, const MeasurementProtocol& p) {
    QStringList lines;
    lines << QStringLiteral("Messort: ") + OrNot(p.site)
          << QStringLiteral("Messende(r): ") + OrNot(p.operator_)
          << QStringLiteral("Messgerät: ") + OrNot(p.instrument)
          << QStringLiteral("Auftrag/Zweck: ") + OrNot(p.purpose)
          << QStringLiteral("Wetter: ") + OrNot(p.weather);

    const RecordFigures figures = ComputeFigures(rec);
    const int interval = GetInterval(rec);
    bool anyStart = false;
    for (size_t m = 0; m < figures.measurements.size(); ++m) {
        const ProtocolStart* s = p.StartOf(int(m) + 1);
        if (!s || !s->start.isValid()) continue;
        anyStart = true;
        ProtocolStart end = *s;
        end.start = s->start.addMSecs(int64_t(figures.measured[m]) * interval);
        QString line = QStringLiteral("Messung %1: Beginn %2, Ende %3")
                           .arg(m + 1)
                           .arg(StartText(*s), StartText(end));
        if (s->source != StartSource::kUnknown)
            line += QStringLiteral(" (") + StartSourceCaption(s->source) + QLatin1Char(')');
        lines << line;
    }
    if (!anyStart) lines << QStringLiteral("Beginn: nicht bekannt");

    const ProtocolCalibration& c = p.calibration;
    if (c.referenceDb || c.beforeDb || c.afterDb) {
        QString cal =
            QStringLiteral("Kalibrierung: Kalibrator ") +
            (c.referenceDb ? Db(*c.referenceDb) : QStringLiteral("-")) +
            QStringLiteral(", vorher ") + (c.beforeDb ? Db(*c.beforeDb) : QStringLiteral("-")) +
            QStringLiteral(", nachher ") + (c.afterDb ? Db(*c.afterDb) : QStringLiteral("-"));
        if (const std::optional<double> d = CalibrationDrift(c))
            cal += QStringLiteral(", Abweichung ") + Db(*d);
        lines << cal;
        if (CalibrationDriftFlagged(c)) lines << QStringLiteral("Kalibrierabweichung über 0,5 dB");
    } else {
        lines << QStringLiteral("Kalibrierung: nicht angegeben");
    }

    if (p.markers.empty()) lines << QStringLiteral("Marken: keine");
    // A page holds some dozens of lines; the file keeps them all.
    constexpr size_t kShown = 30;
    for (size_t i = 0; i < p.markers.size() && i < kShown; ++i) {
        const ProtocolMarker& mk = p.markers[i];
        QString line = QStringLiteral("Marke: Messung %1, %2 bis %3, %4")
                           .arg(mk.measurement)
                           .arg(Seconds(mk.fromS), Seconds(mk.toS), MarkerKindCaption(mk.kind));
        if (mk.kind == MarkerKind::kFremdgeraeusch)
            line += QStringLiteral(" (in den Kennwerten ohne Fremdgeräusch ausgelassen)");
        if (!mk.text.isEmpty()) line += QStringLiteral(": ") + mk.text;
        lines << line;
    }
    if (p.markers.size() > kShown)
        lines << QStringLiteral("und %1 weitere Marken (alle in der Protokolldatei)")
                     .arg(p.markers.size() - kShown);
    return lines;
}

}  // namespace kelvarn

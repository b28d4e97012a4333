#include "document/ResultTexts.h"

#include "document/DocumentView.h"
#include "eval/AssessmentText.h"
#include "eval/Figures.h"

namespace kelvarn {

namespace {

QString Db(double v, const NumberFormat& fmt) {
    return fmt.Format("%.1f", v) + QStringLiteral(" dB");
}

QString Seconds(double v, const NumberFormat& fmt) {
    return fmt.Format("%.1f", v) + QStringLiteral(" s");
}

QString OrNot(const QString& s) {
    return s.isEmpty() ? QStringLiteral("nicht angegeben") : s;
}

}  // namespace

QStringList CalibrationLines(const ProtocolCalibration& c, const NumberFormat& fmt) {
    QStringList lines;
    if (!c.referenceDb && !c.beforeDb && !c.afterDb)
        return {QStringLiteral("Kalibrierung: nicht angegeben")};
    const auto reading = [&](const std::optional<double>& v) {
        return v ? Db(*v, fmt) : QStringLiteral("-");
    };
    QString cal = QStringLiteral("Kalibrierung: Kalibrator ") + reading(c.referenceDb) +
                  QStringLiteral(", vorher ") + reading(c.beforeDb) + QStringLiteral(", nachher ") +
                  reading(c.afterDb);
    if (const std::optional<double> d = CalibrationDrift(c))
        cal += QStringLiteral(", Abweichung ") + Db(*d, fmt);
    lines << cal;
    if (CalibrationDriftFlagged(c)) lines << QStringLiteral("Kalibrierabweichung über 0,5 dB");
    return lines;
}

QStringList CalibrationDriftLines(const ProtocolCalibration& c, const NumberFormat& fmt) {
    QStringList lines;
    if (const std::optional<double> d = CalibrationDrift(c))
        lines << QStringLiteral("Abweichung nachher − vorher: %1 dB").arg(fmt.Format("%.1f", *d));
    if (CalibrationDriftFlagged(c)) lines << QStringLiteral("Kalibrierabweichung über 0,5 dB");
    return lines;
}

QString LeftOutText(const ProtocolMarker& mk, const NumberFormat& fmt) {
    return QStringLiteral("Messung %1: %2–%3 s%4")
        .arg(mk.measurement)
        .arg(fmt.Format("%.1f", mk.fromS), fmt.Format("%.1f", mk.toS),
             mk.text.isEmpty() ? QString() : QStringLiteral(" (") + mk.text + u')');
}

QStringList LeftOutLines(const MeasurementProtocol& p, const NumberFormat& fmt) {
    QStringList lines;
    for (const ProtocolMarker& mk : p.markers)
        if (mk.kind == MarkerKind::kFremdgeraeusch) lines << LeftOutText(mk, fmt);
    if (!lines.isEmpty()) lines.prepend(QStringLiteral("Als Fremdgeräusch ausgelassen:"));
    return lines;
}

QStringList ExposureLines(const Assessment& a, const NumberFormat& fmt) {
    if (!a.exposure)
        return QStringList{QStringLiteral("LEX,8h: keine Tätigkeiten angegeben."),
                           QStringLiteral("  ") + ExposureFormula()} +
               ExposureNotes();
    return ExposureResultLines(*a.exposure, fmt);
}

QStringList RatingLines(const Assessment& a, const AssessmentInput& in, const NumberFormat& fmt) {
    if (!a.rating || !in.taLaerm) {
        const TaLaermInput ta = in.taLaerm.value_or(TaLaermInput{});
        const AreaInfo& area = AreaOf(ta.area);
        return QStringList{
                   QStringLiteral("Gebiet: %1, Immissionsrichtwert %2: %3 dB(A)")
                       .arg(area.name, ta.period == RatingPeriod::Tag ? QStringLiteral("tags")
                                                                      : QStringLiteral("nachts"))
                       .arg(ta.period == RatingPeriod::Tag ? area.dayLimit : area.nightLimit),
                   QStringLiteral("Lr: keine Teilzeiten angegeben."),
                   QStringLiteral("  Lr = 10·lg[(1/Tr)·Σ Tj·10^(0,1·(LAeq,j − Cmet + "
                                  "KT,j + KI,j + KR,j))] (TA Lärm Anhang A.1.4)")} +
               RatingNotes();
    }
    return QStringList{RatingInputLine(*a.rating, *in.taLaerm, fmt)} +
           RatingResultLines(*a.rating, *in.taLaerm, fmt);
}

QStringList ProtocolReportLines(const DocumentView& view, const MeasurementProtocol& p,
                                int intervalMs, const NumberFormat& fmt) {
    QStringList lines;
    lines << QStringLiteral("Messort: ") + OrNot(p.site)
          << QStringLiteral("Messende(r): ") + OrNot(p.operator_)
          << QStringLiteral("Messgerät: ") + OrNot(p.instrument)
          << QStringLiteral("Auftrag/Zweck: ") + OrNot(p.purpose)
          << QStringLiteral("Wetter: ") + OrNot(p.weather);

    const RecordFigures& figures = view.figures;
    bool anyStart = false;
    for (size_t m = 0; m < figures.measurements.size(); ++m) {
        const ProtocolStart* s = p.StartOf(int(m) + 1);
        if (!s || !s->start.isValid()) continue;
        anyStart = true;
        ProtocolStart end = *s;
        end.start = s->start.addMSecs(int64_t(figures.measured[m]) * intervalMs);
        QString line = QStringLiteral("Messung %1: Beginn %2, Ende %3")
                           .arg(m + 1)
                           .arg(StartText(*s), StartText(end));
        if (s->source != StartSource::kUnknown)
            line += QStringLiteral(" (") + StartSourceCaption(s->source) + QLatin1Char(')');
        lines << line;
    }
    if (!anyStart) lines << QStringLiteral("Beginn: nicht bekannt");

    lines << CalibrationLines(p.calibration, fmt);

    if (p.markers.empty()) lines << QStringLiteral("Marken: keine");
    // A page holds some dozens of lines; the file keeps them all.
    constexpr size_t kShown = 30;
    for (size_t i = 0; i < p.markers.size() && i < kShown; ++i) {
        const ProtocolMarker& mk = p.markers[i];
        QString line =
            QStringLiteral("Marke: Messung %1, %2 bis %3, %4")
                .arg(mk.measurement)
                .arg(Seconds(mk.fromS, fmt), Seconds(mk.toS, fmt), MarkerKindCaption(mk.kind));
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

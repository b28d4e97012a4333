#include "document/ProtocolEdits.h"

#include <algorithm>

#include "cell/StartTimes.h"
#include "data/ProgramTable.h"
#include "document/MeasurementDocument.h"
#include "files/ProtocolFile.h"

namespace kelvarn {

namespace {

QString NoMeasurement(int m, const ProtocolShape& shape) {
    return QStringLiteral("Messung %1 gibt es nicht (1 bis %2).").arg(m).arg(shape.Measurements());
}

bool Has(const ProtocolShape& shape, int m) {
    return m >= 1 && m <= shape.Measurements();
}

// Applies a checked change.
EditResult Apply(MeasurementDocument& doc, const std::function<void(MeasurementProtocol&)>& f) {
    doc.EditProtocol(f);
    return {};
}

}  // namespace

EditResult SetStart(MeasurementDocument& doc, int m, const QDateTime& start) {
    const ProtocolShape& shape = doc.View().shape;
    if (!Has(shape, m)) return EditResult::Refused(NoMeasurement(m, shape));
    if (!start.isValid()) return EditResult::Refused(QStringLiteral("Kein gültiger Beginn."));
    return Apply(doc,
                 [&](MeasurementProtocol& p) { p.SetStart(m, start, StartSource::kEingegeben); });
}

EditResult FillSeries(MeasurementDocument& doc, int from, const QTimeZone& zone) {
    const ProtocolShape& shape = doc.View().shape;
    if (!Has(shape, from)) return EditResult::Refused(NoMeasurement(from, shape));
    const ProtocolStart* s = doc.Protocol().StartOf(from);
    if (!s || !s->start.isValid())
        return EditResult::Refused(
            QStringLiteral("Messung %1 hat keinen Beginn, an den sich die folgenden "
                           "anschließen könnten.")
                .arg(from));
    return Apply(doc, [&](MeasurementProtocol& p) {
        FillBackToBack(p, from, shape.Measurements(), shape.seconds[size_t(from - 1)], zone);
    });
}

namespace {

EditResult CheckMarker(const ProtocolShape& shape, int number, const ProtocolMarker& mk) {
    const QString problem = MarkerRangeProblem(mk, shape);
    if (problem.isEmpty()) return {};
    return EditResult::Refused(QStringLiteral("Marke %1: %2.").arg(number).arg(problem));
}

}  // namespace

EditResult AddMarker(MeasurementDocument& doc, const ProtocolMarker& mk) {
    const int number = int(doc.Protocol().markers.size()) + 1;
    if (EditResult r = CheckMarker(doc.View().shape, number, mk); !r.Ok()) return r;
    return Apply(doc, [&](MeasurementProtocol& p) { p.markers.push_back(mk); });
}

EditResult ChangeMarker(MeasurementDocument& doc, int index, const ProtocolMarker& mk) {
    if (index < 0 || index >= int(doc.Protocol().markers.size()))
        return EditResult::Refused(QStringLiteral("Marke %1 gibt es nicht.").arg(index + 1));
    if (EditResult r = CheckMarker(doc.View().shape, index + 1, mk); !r.Ok()) return r;
    return Apply(doc, [&](MeasurementProtocol& p) { p.markers[size_t(index)] = mk; });
}

EditResult RemoveMarker(MeasurementDocument& doc, int index) {
    if (index < 0 || index >= int(doc.Protocol().markers.size()))
        return EditResult::Refused(QStringLiteral("Marke %1 gibt es nicht.").arg(index + 1));
    return Apply(doc, [&](MeasurementProtocol& p) { p.markers.erase(p.markers.begin() + index); });
}

double ChartUnitSeconds(const DocumentView& view) {
    return TimeDivisor(Programs().ProgramForInterval(view.evaluation.I).DurationUnit) / 1000.0;
}

std::optional<ProtocolMarker> MarkerFromChartSpan(const DocumentView& view, double from,
                                                  double to) {
    if (view.shape.Measurements() == 0) return std::nullopt;
    const double unit = ChartUnitSeconds(view);
    ProtocolMarker mk;
    mk.fromS = std::clamp(std::min(from, to) * unit, 0.0, view.shape.seconds[0]);
    mk.toS = std::clamp(std::max(from, to) * unit, 0.0, view.shape.seconds[0]);
    if (!(mk.fromS < mk.toS)) return std::nullopt;
    return mk;
}

EditResult SetCalibration(MeasurementDocument& doc, const ProtocolCalibration& c) {
    return Apply(doc, [&](MeasurementProtocol& p) {
        // What the file kept of the calibration beyond the readings stays.
        const QJsonObject extra = p.calibration.extra;
        p.calibration = c;
        p.calibration.extra = extra;
    });
}

EditResult SetProtocolText(MeasurementDocument& doc, ProtocolField field, const QString& text) {
    return Apply(doc, [&](MeasurementProtocol& p) {
        QString* target = field == ProtocolField::kSite         ? &p.site
                          : field == ProtocolField::kOperator   ? &p.operator_
                          : field == ProtocolField::kInstrument ? &p.instrument
                          : field == ProtocolField::kPurpose    ? &p.purpose
                                                                : &p.weather;
        *target = text;
    });
}

}  // namespace kelvarn

#include "eval/AssessmentSetup.h"

#include "eval/AssessmentInputs.h"
#include "eval/Figures.h"

namespace kelvarn {

namespace {

const QLatin1String kWorkplace("workplace");
const QLatin1String kTaLaerm("ta_laerm");

// The stored inputs; error set where the key holds no object or a bad one.
Parsed<std::vector<ExposureTask>> ReadWorkplace(const MeasurementProtocol& p) {
    const QJsonValue v = p.extra.value(kWorkplace);
    if (!v.isObject()) return {{}, QStringLiteral("workplace: kein Objekt")};
    return ParseWorkplace(v.toObject());
}

Parsed<TaLaermInput> ReadTaLaerm(const MeasurementProtocol& p) {
    const QJsonValue v = p.extra.value(kTaLaerm);
    if (!v.isObject()) return {{}, QStringLiteral("ta_laerm: kein Objekt")};
    return ParseTaLaerm(v.toObject());
}

}  // namespace

AssessmentSetup SetUpAssessment(const MeasurementRecord& rec, const MeasurementProtocol& p,
                                const QTimeZone& zone) {
    return SetUpAssessment(rec, ComputeFigures(rec), p, zone);
}

AssessmentSetup SetUpAssessment(const MeasurementRecord& rec, const RecordFigures& figures,
                                const MeasurementProtocol& p, const QTimeZone& zone) {
    AssessmentSetup out;
    out.input.zone = zone;
    out.input.measurements = AssessedMeasurements(figures, GetInterval(rec) / 1000.0);
    for (AssessedMeasurement& m : out.input.measurements) {
        if (const ProtocolStart* s = p.StartOf(m.number); s && s->start.isValid())
            m.start = s->start;
        for (const ProtocolMarker& mk : p.markers)
            if (mk.measurement == m.number && mk.kind == MarkerKind::kFremdgeraeusch)
                m.leftOut.push_back({mk.fromS, mk.toS});
    }
    // An input that cannot be read is named and left out; the rest is still assessed.
    if (p.extra.contains(kWorkplace)) {
        Parsed<std::vector<ExposureTask>> w = ReadWorkplace(p);
        if (w.error.isEmpty())
            out.input.tasks = std::move(w.value);
        else
            out.problems << w.error;
    }
    if (p.extra.contains(kTaLaerm)) {
        Parsed<TaLaermInput> t = ReadTaLaerm(p);
        if (t.error.isEmpty())
            out.input.taLaerm = std::move(t.value);
        else
            out.problems << t.error;
    }
    return out;
}

std::vector<ExposureTask> WorkplaceTasksOf(const MeasurementProtocol& p) {
    Parsed<std::vector<ExposureTask>> w = ReadWorkplace(p);
    return w.error.isEmpty() ? std::move(w.value) : std::vector<ExposureTask>{};
}

std::optional<TaLaermInput> TaLaermOf(const MeasurementProtocol& p) {
    Parsed<TaLaermInput> t = ReadTaLaerm(p);
    if (!t.error.isEmpty()) return std::nullopt;
    return std::move(t.value);
}

void SetWorkplaceTasks(MeasurementProtocol& p, const std::vector<ExposureTask>& tasks) {
    if (tasks.empty())
        p.extra.remove(kWorkplace);
    else
        p.extra.insert(kWorkplace, WorkplaceJson(tasks));
}

void SetTaLaerm(MeasurementProtocol& p, const std::optional<TaLaermInput>& in) {
    if (!in)
        p.extra.remove(kTaLaerm);
    else
        p.extra.insert(kTaLaerm, TaLaermJson(*in));
}

}  // namespace kelvarn

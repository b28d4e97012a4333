#include "eval/AssessmentSetup.h"

#include "eval/AssessmentInputs.h"
#include "eval/Figures.h"

namespace kelvarn {

namespace {

const QLatin1String kWorkplace("workplace");
const QLatin1String kTaLaerm("ta_laerm");

}  // namespace

AssessmentSetup SetUpAssessment(const MeasurementRecord& rec, const MeasurementProtocol& p,
                                const QTimeZone& zone) {
    AssessmentSetup out;
    out.input.zone = zone;
    out.input.measurements = AssessedMeasurements(ComputeFigures(rec), GetInterval(rec) / 1000.0);
    for (AssessedMeasurement& m : out.input.measurements) {
        if (const ProtocolStart* s = p.StartOf(m.number); s && s->start.isValid())
            m.start = s->start;
        for (const ProtocolMarker& mk : p.markers)
            if (mk.measurement == m.number && mk.kind == MarkerKind::kFremdgeraeusch)
                m.leftOut.push_back({mk.fromS, mk.toS});
    }
    if (p.extra.contains(kWorkplace)) {
        const Parsed<std::vector<ExposureTask>> w =
            ParseWorkplace(p.extra.value(kWorkplace).toObject());
        if (!p.extra.value(kWorkplace).isObject())
            out.problems << QStringLiteral("workplace: kein Objekt");
        else if (!w.error.isEmpty())
            out.problems << w.error;
        else
            out.input.tasks = w.value;
    }
    if (p.extra.contains(kTaLaerm)) {
        const Parsed<TaLaermInput> t = ParseTaLaerm(p.extra.value(kTaLaerm).toObject());
        if (!p.extra.value(kTaLaerm).isObject())
            out.problems << QStringLiteral("ta_laerm: kein Objekt");
        else if (!t.error.isEmpty())
            out.problems << t.error;
        else
            out.input.taLaerm = t.value;
    }
    return out;
}

std::vector<ExposureTask> WorkplaceTasksOf(const MeasurementProtocol& p) {
    const QJsonValue v = p.extra.value(kWorkplace);
    if (!v.isObject()) return {};
    Parsed<std::vector<ExposureTask>> w = ParseWorkplace(v.toObject());
    return w.error.isEmpty() ? std::move(w.value) : std::vector<ExposureTask>{};
}

std::optional<TaLaermInput> TaLaermOf(const MeasurementProtocol& p) {
    const QJsonValue v = p.extra.value(kTaLaerm);
    if (!v.isObject()) return std::nullopt;
    Parsed<TaLaermInput> t = ParseTaLaerm(v.toObject());
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

#include <cmath>

#include "eval/AssessmentSteps.h"

namespace kelvarn {

const Track* TrackOf(const std::vector<Track>& tracks, int n) {
    for (const Track& t : tracks)
        if (t.m->number == n) return &t;
    return nullptr;
}

RangeLevel LevelOfRange(const std::vector<Track>& tracks, const MeasurementRange& r) {
    RangeLevel out;
    const Track* t = TrackOf(tracks, r.measurement);
    if (!t) {
        out.reason = QStringLiteral("keine Messung %1").arg(r.measurement);
        return out;
    }
    if (!t->reason.isEmpty()) {
        out.reason = QStringLiteral("Messung %1: %2").arg(r.measurement).arg(t->reason);
        return out;
    }
    const ResolvedRange rr = Resolve(*t, r);
    if (!rr.reason.isEmpty()) {
        out.reason = rr.reason;
        return out;
    }
    out.level = EnergyIn(*t, rr.from, rr.to).Level();
    if (!out.level.laeq) out.reason = QStringLiteral("keine gemessene Zeit im Bereich");
    return out;
}

// The daily noise exposure level after ISO 9612:2009, task-based strategy (formulas 7 and 10),
// as the workplace noise regulation (LärmVibrationsArbSchV § 2) defines it:
//   LEX,8h = 10 lg sum_m (Te,m / 8 h) 10^(LAeq,m / 10 dB).
// The action values of § 6 are judged on the value rounded to 0.1 dB: the lower one (80 dB(A))
// when it is exceeded, the upper one (85 dB(A)) when it is reached.
ExposureResult AssessExposure(const std::vector<Track>& tracks,
                              const std::vector<ExposureTask>& tasks) {
    ExposureResult out;
    double sum = 0;
    for (size_t i = 0; i < tasks.size(); ++i) {
        const ExposureTask& task = tasks[i];
        ExposureTaskResult r;
        r.teH = task.teH;
        const RangeLevel rl = LevelOfRange(tracks, task.range);
        r.level = rl.level;
        r.reason = rl.reason;
        if (r.reason.isEmpty() && !(std::isfinite(task.teH) && task.teH > 0 && task.teH <= 24))
            r.reason = QStringLiteral("Einwirkzeit Te muss über 0 h und höchstens 24 h sein");
        if (!r.reason.isEmpty() && out.reason.isEmpty())
            out.reason = QStringLiteral("Tätigkeit %1: %2").arg(i + 1).arg(r.reason);
        if (r.level.laeq) sum += task.teH / 8.0 * std::pow(10.0, *r.level.laeq / 10.0);
        out.tasks.push_back(r);
    }
    if (tasks.empty()) out.reason = QStringLiteral("keine Tätigkeiten");
    if (!out.reason.isEmpty()) return out;

    out.lex8h = 10.0 * std::log10(sum);
    out.rounded = RoundHalfAway(*out.lex8h, 1);
    out.lowerAction = *out.rounded > 80.0;
    out.upperAction = *out.rounded >= 85.0;
    out.verdict << (out.lowerAction
                        ? QStringLiteral("Unterer Auslösewert 80 dB(A) überschritten")
                        : QStringLiteral("Unterer Auslösewert 80 dB(A) nicht überschritten"))
                << (out.upperAction ? QStringLiteral("Oberer Auslösewert 85 dB(A) erreicht")
                                    : QStringLiteral("Oberer Auslösewert 85 dB(A) nicht erreicht"));
    return out;
}

}  // namespace kelvarn

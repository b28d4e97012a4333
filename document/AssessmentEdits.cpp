#include "document/AssessmentEdits.h"

#include <algorithm>

#include "document/MeasurementDocument.h"
#include "eval/AssessmentText.h"

namespace kelvarn {

namespace {

// Rating a day takes the 16 hours from 06 to 22 h; a night the loudest full hour.
constexpr double kDayRatingH = 16.0;
constexpr double kNightRatingH = 1.0;
// The working day LEX,8h is normalised to [h].
constexpr double kWorkingDayH = 8.0;
// Ranges are typed to the second over samples of fractions of one: half a second of slack.
constexpr double kRestSlackS = 0.5;

int Measurements(const MeasurementDocument& doc) {
    return int(doc.View().assessmentSetup.input.measurements.size());
}

// A range that holds nothing (from not before to) is kept: the assessment names it beside the
// row, and the user corrects it there.
QString CheckRange(const MeasurementRange& r, int count) {
    if (r.measurement < 1 || r.measurement > count)
        return QStringLiteral("Messung \"%1\" gibt es nicht (1 bis %2)")
            .arg(r.measurement)
            .arg(count);
    return {};
}

// The stored input, its kept keys included, with other settings and parts.
TaLaermInput WithSettings(const MeasurementDocument& doc, const TaLaermSettings& s,
                          std::vector<RatingPart> parts) {
    TaLaermInput in = doc.Protocol().taLaerm.value_or(TaLaermInput{});
    in.area = s.area;
    in.period = s.period;
    in.cMetDb = s.cMetDb;
    in.messabschlag = s.messabschlag;
    in.holiday = s.holiday;
    in.parts = std::move(parts);
    return in;
}

// Stores ta, or nothing where it holds only the defaults: looking at the choices without
// changing them leaves the protocol as it was. Either takes the place of an input of the file
// that could not be read.
void Store(MeasurementDocument& doc, const TaLaermInput& ta) {
    const bool defaults = ta.parts.empty() && SettingsOf(ta) == TaLaermSettings{};
    doc.EditProtocol([&](MeasurementProtocol& p) {
        p.taLaerm = defaults ? std::nullopt : std::optional<TaLaermInput>(ta);
        p.DropUnread(kTaLaermKey);
    });
}

// Stores the tasks; none removes the workplace.
void StoreTasks(MeasurementDocument& doc, const std::vector<ExposureTask>& tasks) {
    doc.EditProtocol([&](MeasurementProtocol& p) {
        if (tasks.empty()) {
            p.workplace.reset();
        } else {
            if (!p.workplace) p.workplace.emplace();
            p.workplace->tasks = tasks;
        }
        p.DropUnread(kWorkplaceKey);
    });
}

// The stored tasks; none where there are none or they could not be read.
std::vector<ExposureTask> StoredTasks(const MeasurementDocument& doc) {
    const std::optional<WorkplaceInput>& w = doc.Protocol().workplace;
    return w ? w->tasks : std::vector<ExposureTask>{};
}

// Whether a part lies wholly in the rest periods where they count (by day, in the areas that
// have them): then KR is ticked for it as it is added or moved. A part that lies there only in
// part is named in note, since KR belongs to a part of its own.
bool RestPeriodOffered(const AssessmentInput& in, const TaLaermInput& ta, const RatingPart& p,
                       int partNumber, QString& note) {
    if (ta.period != RatingPeriod::Tag || !AreaOf(ta.area).restPeriods) return false;
    const int m = p.range.measurement;
    if (m < 1 || m > int(in.measurements.size())) return false;
    const std::optional<RestShare> share =
        RestPeriodShare(in.measurements[size_t(m - 1)], p.range, in.zone, ta.holiday);
    if (!share || share->coveredS <= 0 || share->inRestS <= 0) return false;
    if (share->inRestS >= share->coveredS - kRestSlackS) return true;
    const NumberFormat fmt = NumberFormat::FromLocale();
    note = QStringLiteral(
               "Teilzeit %1 liegt nur zu %2 von %3 h in den Ruhezeiten; für KR eine eigene "
               "Teilzeit anlegen.")
               .arg(partNumber)
               .arg(fmt.Format("%.2f", share->inRestS / 3600.0),
                    fmt.Format("%.2f", share->coveredS / 3600.0));
    return false;
}

const EditResult kNoMeasurement = EditResult::Refused(QStringLiteral("Keine Messung geladen."));

}  // namespace

TaLaermSettings SettingsOf(const TaLaermInput& in) {
    return {in.area, in.period, in.cMetDb, in.messabschlag, in.holiday};
}

double RatingTimeH(RatingPeriod period) {
    return period == RatingPeriod::Tag ? kDayRatingH : kNightRatingH;
}

EditResult AddTask(MeasurementDocument& doc) {
    const int count = Measurements(doc);
    if (count == 0) return kNoMeasurement;
    std::vector<ExposureTask> tasks = StoredTasks(doc);
    ExposureTask task;
    task.range.measurement = std::min(int(tasks.size()) + 1, count);
    double te = 0;
    for (const ExposureTask& other : tasks) te += other.teH;
    task.teH = std::max(kWorkingDayH - te, 0.0);
    tasks.push_back(task);
    StoreTasks(doc, tasks);
    return {};
}

EditResult ChangeTask(MeasurementDocument& doc, int index, const ExposureTask& task) {
    std::vector<ExposureTask> tasks = StoredTasks(doc);
    if (index < 0 || index >= int(tasks.size()))
        return EditResult::Refused(QStringLiteral("Tätigkeit %1 gibt es nicht.").arg(index + 1));
    // A Te the assessment cannot use is kept and named beside the row, as an empty range is.
    const QString problem = CheckRange(task.range, Measurements(doc));
    if (!problem.isEmpty())
        return EditResult::Refused(QStringLiteral("Tätigkeit %1: %2.").arg(index + 1).arg(problem));
    // The keys of the file that this program does not know stay with the task.
    const QJsonObject extra = tasks[size_t(index)].extra;
    tasks[size_t(index)] = task;
    tasks[size_t(index)].extra = extra;
    StoreTasks(doc, tasks);
    return {};
}

EditResult RemoveTask(MeasurementDocument& doc, int index) {
    std::vector<ExposureTask> tasks = StoredTasks(doc);
    if (index < 0 || index >= int(tasks.size()))
        return EditResult::Refused(QStringLiteral("Tätigkeit %1 gibt es nicht.").arg(index + 1));
    tasks.erase(tasks.begin() + index);
    StoreTasks(doc, tasks);
    return {};
}

EditResult AddPart(MeasurementDocument& doc, const TaLaermSettings& settings) {
    const int count = Measurements(doc);
    if (count == 0) return kNoMeasurement;
    const DocumentView& view = doc.View();
    const AssessmentInput& in = view.assessmentSetup.input;
    TaLaermInput ta =
        WithSettings(doc, settings, in.taLaerm ? in.taLaerm->parts : std::vector<RatingPart>{});
    RatingPart part;
    part.range.measurement = std::min(int(ta.parts.size()) + 1, count);
    // The measured time of the measurement as its share of the rating time, at most Tr.
    const double coveredH =
        view.assessment.measurements[size_t(part.range.measurement - 1)].level.coveredS / 3600.0;
    part.tH = std::min(coveredH, RatingTimeH(ta.period));
    EditResult r;
    part.kr = RestPeriodOffered(in, ta, part, int(ta.parts.size()) + 1, r.note);
    ta.parts.push_back(part);
    Store(doc, ta);
    return r;
}

EditResult ChangePart(MeasurementDocument& doc, int index, const RatingPart& changed) {
    std::optional<TaLaermInput> ta = doc.Protocol().taLaerm;
    if (!ta || index < 0 || index >= int(ta->parts.size()))
        return EditResult::Refused(QStringLiteral("Teilzeit %1 gibt es nicht.").arg(index + 1));
    const QString problem = CheckRange(changed.range, Measurements(doc));
    if (!problem.isEmpty())
        return EditResult::Refused(QStringLiteral("Teilzeit %1: %2.").arg(index + 1).arg(problem));
    const RatingPart& old = ta->parts[size_t(index)];
    RatingPart part = changed;
    part.extra = old.extra;  // the keys of the file that this program does not know
    // A part moved to another time is offered KR anew, as one that is added.
    EditResult r;
    if (part.range != old.range)
        part.kr = RestPeriodOffered(doc.View().assessmentSetup.input, *ta, part, index + 1, r.note);
    ta->parts[size_t(index)] = part;
    Store(doc, *ta);
    return r;
}

EditResult RemovePart(MeasurementDocument& doc, int index) {
    std::optional<TaLaermInput> ta = doc.Protocol().taLaerm;
    if (!ta || index < 0 || index >= int(ta->parts.size()))
        return EditResult::Refused(QStringLiteral("Teilzeit %1 gibt es nicht.").arg(index + 1));
    ta->parts.erase(ta->parts.begin() + index);
    Store(doc, *ta);
    return {};
}

EditResult SetTaLaermSettings(MeasurementDocument& doc, const TaLaermSettings& settings) {
    const std::optional<TaLaermInput>& stored = doc.Protocol().taLaerm;
    // Looking at the choices without changing them leaves the protocol as it was, also an input
    // of the file that could not be read: it stays until something is entered anew.
    if (!stored && settings == TaLaermSettings{}) return {};
    Store(doc, WithSettings(doc, settings, stored ? stored->parts : std::vector<RatingPart>{}));
    return {};
}

EditResult TakeLoudestNightHour(MeasurementDocument& doc, const TaLaermSettings& settings) {
    const DocumentView& view = doc.View();
    const Assessment& a = view.assessment;
    if (!a.loudestNightHour)
        return EditResult::Refused(QStringLiteral("Keine lauteste Nachtstunde: ") +
                                   a.nightHourReason + QLatin1Char('.'));
    TaLaermSettings night = settings;
    night.period = RatingPeriod::Nacht;
    const QString start = LocalTimeText(a.loudestNightHour->start);
    Store(doc, WithSettings(
                   doc, night,
                   NightHourParts(view.assessmentSetup.input.measurements, *a.loudestNightHour)));
    return {{}, QStringLiteral("Lauteste Nachtstunde ab %1 als Teilzeit übernommen.").arg(start)};
}

}  // namespace kelvarn

#include "files/AssessmentInputsFile.h"

#include <QJsonArray>
#include <cmath>

#include "eval/Assessment.h"

namespace kelvarn {

namespace {

// The number under key, taken out of o; none when it is absent or null, error set when it is
// no number.
std::optional<double> Number(QJsonObject& o, const char* key, const QString& where,
                             QString& error) {
    const QJsonValue v = o.take(QLatin1String(key));
    if (v.isUndefined() || v.isNull()) return std::nullopt;
    if (!v.isDouble() || !std::isfinite(v.toDouble())) {
        if (error.isEmpty()) error = where + QStringLiteral(": \"%1\" ist keine Zahl").arg(key);
        return std::nullopt;
    }
    return v.toDouble();
}

bool Flag(QJsonObject& o, const char* key, const QString& where, QString& error) {
    const QJsonValue v = o.take(QLatin1String(key));
    if (v.isUndefined() || v.isNull()) return false;
    if (!v.isBool() && error.isEmpty())
        error = where + QStringLiteral(": \"%1\" ist nicht true oder false").arg(key);
    return v.toBool();
}

MeasurementRange RangeOf(QJsonObject& o, const QString& where, QString& error) {
    MeasurementRange r;
    const std::optional<double> m = Number(o, "measurement", where, error);
    if (!m || *m != std::floor(*m) || *m < 1 || *m > 12) {
        if (error.isEmpty())
            error = where + QStringLiteral(": \"measurement\" muss eine Messung 1 bis 12 sein");
    } else {
        r.measurement = int(*m);
    }
    r.fromS = Number(o, "from_s", where, error);
    r.toS = Number(o, "to_s", where, error);
    return r;
}

QJsonValue OrNull(const std::optional<double>& v) {
    return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

// The kept keys of an object with its range; the known keys win over kept ones of their name.
QJsonObject RangeJson(const QJsonObject& extra, const MeasurementRange& r) {
    QJsonObject o = extra;
    o.insert("measurement", r.measurement);
    o.insert("from_s", OrNull(r.fromS));
    o.insert("to_s", OrNull(r.toS));
    return o;
}

}  // namespace

Parsed<WorkplaceInput> ReadWorkplace(const QJsonValue& v) {
    Parsed<WorkplaceInput> out;
    if (!v.isObject()) {
        out.error = QStringLiteral("workplace: kein Objekt");
        return out;
    }
    QJsonObject workplace = v.toObject();
    const QJsonValue tasks = workplace.take(QLatin1String("tasks"));
    out.value.extra = workplace;
    if (tasks.isUndefined() || tasks.isNull()) return out;
    if (!tasks.isArray()) {
        out.error = QStringLiteral("workplace: \"tasks\" ist keine Liste");
        out.value = {};
        return out;
    }
    const QJsonArray a = tasks.toArray();
    for (qsizetype i = 0; i < a.size() && out.error.isEmpty(); ++i) {
        const QString where = QStringLiteral("workplace, Tätigkeit %1").arg(i + 1);
        if (!a[i].isObject()) {
            out.error = where + QStringLiteral(": kein Objekt");
            break;
        }
        QJsonObject o = a[i].toObject();
        ExposureTask t;
        t.range = RangeOf(o, where, out.error);
        t.teH = Number(o, "te_h", where, out.error).value_or(0);
        t.extra = o;
        out.value.tasks.push_back(t);
    }
    if (!out.error.isEmpty()) out.value = {};
    return out;
}

Parsed<TaLaermInput> ReadTaLaerm(const QJsonValue& v) {
    Parsed<TaLaermInput> out;
    const QString where = QStringLiteral("ta_laerm");
    if (!v.isObject()) {
        out.error = where + QStringLiteral(": kein Objekt");
        return out;
    }
    QJsonObject o = v.toObject();
    // An area or period that is no text counts as not given, as it always has.
    const QString area = o.take(QLatin1String("area")).toString(QStringLiteral("wa"));
    if (const auto a = AreaForKey(area))
        out.value.area = *a;
    else
        out.error = where + QStringLiteral(": unbekanntes Gebiet \"%1\"").arg(area);
    const QString period = o.take(QLatin1String("period")).toString(QStringLiteral("tag"));
    if (period == QLatin1String("tag"))
        out.value.period = RatingPeriod::Tag;
    else if (period == QLatin1String("nacht"))
        out.value.period = RatingPeriod::Nacht;
    else if (out.error.isEmpty())
        out.error = where + QStringLiteral(": unbekannter Zeitraum \"%1\"").arg(period);
    out.value.cMetDb = Number(o, "c_met_db", where, out.error).value_or(0);
    out.value.messabschlag = Flag(o, "messabschlag", where, out.error);
    out.value.holiday = Flag(o, "holiday", where, out.error);
    const QJsonValue parts = o.take(QLatin1String("parts"));
    out.value.extra = o;
    if (!parts.isUndefined() && !parts.isNull() && !parts.isArray() && out.error.isEmpty())
        out.error = where + QStringLiteral(": \"parts\" ist keine Liste");
    const QJsonArray a = parts.toArray();
    for (qsizetype i = 0; i < a.size() && out.error.isEmpty(); ++i) {
        const QString w = QStringLiteral("ta_laerm, Teilzeit %1").arg(i + 1);
        if (!a[i].isObject()) {
            out.error = w + QStringLiteral(": kein Objekt");
            break;
        }
        QJsonObject p = a[i].toObject();
        RatingPart part;
        part.range = RangeOf(p, w, out.error);
        part.tH = Number(p, "t_h", w, out.error).value_or(0);
        part.ktDb = Number(p, "kt_db", w, out.error).value_or(0);
        part.kiDb = Number(p, "ki_db", w, out.error).value_or(0);
        part.kr = Flag(p, "kr", w, out.error);
        part.extra = p;
        out.value.parts.push_back(part);
    }
    if (!out.error.isEmpty()) out.value = TaLaermInput{};
    return out;
}

QJsonObject WorkplaceJson(const WorkplaceInput& workplace) {
    QJsonArray a;
    for (const ExposureTask& t : workplace.tasks) {
        QJsonObject o = RangeJson(t.extra, t.range);
        o.insert("te_h", t.teH);
        a.append(o);
    }
    QJsonObject o = workplace.extra;
    o.insert("tasks", a);
    return o;
}

QJsonObject TaLaermJson(const TaLaermInput& in) {
    QJsonArray parts;
    for (const RatingPart& p : in.parts) {
        QJsonObject o = RangeJson(p.extra, p.range);
        o.insert("t_h", p.tH);
        o.insert("kt_db", p.ktDb);
        o.insert("ki_db", p.kiDb);
        o.insert("kr", p.kr);
        parts.append(o);
    }
    QJsonObject o = in.extra;
    o.insert("area", QLatin1String(AreaOf(in.area).key));
    o.insert("period", in.period == RatingPeriod::Tag ? "tag" : "nacht");
    o.insert("c_met_db", in.cMetDb);
    o.insert("messabschlag", in.messabschlag);
    o.insert("holiday", in.holiday);
    o.insert("parts", parts);
    return o;
}

}  // namespace kelvarn

#include "files/ProtocolFile.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSet>
#include <algorithm>
#include <cmath>

#include "data/ProgramTable.h"
#include "eval/RecordBounds.h"
#include "files/AssessmentInputsFile.h"
#include "files/FileErrors.h"
#include "files/MeasurementFile.h"
#include "files/PosixFile.h"
#include "files/SystemPath.h"

namespace kelvarn {

namespace {

const char* const kFormat = "kelvarn-protocol";
constexpr int kVersion = 1;

// A marker may end on the last sample's end; file numbers in decimal may miss it by a hair.
constexpr double kEndSlack = 1e-6;  // [s]

// Seconds in the messages: "120 s", "0,5 s" would be another notation than the file's, so
// they are given as the file holds them.
QString Seconds(double s) {
    return QString::number(s, 'g', 15) + QStringLiteral(" s");
}

// The reader of one file: stops at the first problem and keeps its message.
class Reader {
public:
    explicit Reader(const ProtocolShape& shape) : shape_(shape) {}

    bool Read(const QJsonObject& top, MeasurementProtocol& p) {
        QJsonObject rest = top;
        const QJsonValue format = rest.take(QStringLiteral("format"));
        if (format.toString() != QLatin1String(kFormat))
            return Fail(QStringLiteral("kein Kelvarn-Protokoll (\"format\" ist nicht \"%1\")")
                            .arg(QLatin1String(kFormat)));
        const QJsonValue version = rest.take(QStringLiteral("version"));
        if (!version.isDouble() || version.toDouble() != std::floor(version.toDouble()))
            return Fail(QStringLiteral("\"version\" fehlt oder ist keine ganze Zahl"));
        if (version.toDouble() != kVersion)
            return Fail(QStringLiteral("Version %1 wird nicht unterstützt (nur %2)")
                            .arg(version.toDouble())
                            .arg(kVersion));

        if (!Starts(rest.take(QStringLiteral("measurements")), p)) return false;
        const struct {
            const char* key;
            QString* field;
        } texts[] = {{"site", &p.site},
                     {"operator", &p.operator_},
                     {"instrument", &p.instrument},
                     {"purpose", &p.purpose},
                     {"weather", &p.weather}};
        for (const auto& t : texts)
            if (!Text(rest.take(QLatin1String(t.key)), t.key, *t.field)) return false;
        if (!Calibration(rest.take(QStringLiteral("calibration")), p.calibration)) return false;
        if (!Markers(rest.take(QStringLiteral("markers")), p)) return false;
        Inputs(rest, p);
        p.extra = rest;
        return true;
    }

    QString message;

private:
    bool Fail(const QString& m) {
        message = m;
        return false;
    }

    // Absent and null count as not given.
    static bool Given(const QJsonValue& v) { return !v.isUndefined() && !v.isNull(); }

    bool Text(const QJsonValue& v, const QString& what, QString& out) {
        if (!Given(v)) return true;
        if (!v.isString()) return Fail(QStringLiteral("\"%1\" ist kein Text").arg(what));
        out = v.toString();
        return true;
    }

    bool Number(const QJsonValue& v, const QString& what, std::optional<double>& out) {
        if (!Given(v)) return true;
        if (!v.isDouble()) return Fail(QStringLiteral("%1 ist keine Zahl").arg(what));
        out = v.toDouble();
        return true;
    }

    // "measurement": a whole number from 1 to the record's count.
    bool MeasurementNumber(const QJsonValue& v, const QString& where, int& out) {
        if (!v.isDouble() || v.toDouble() != std::floor(v.toDouble()))
            return Fail(where +
                        QStringLiteral(": \"measurement\" fehlt oder ist keine ganze Zahl"));
        const double m = v.toDouble();
        if (m < 1 || m > shape_.Measurements()) {
            const QString range = shape_.Measurements() == 0
                                      ? QStringLiteral("die Aufnahme enthält keine Messung")
                                      : QStringLiteral("die Aufnahme hat die Messungen 1 bis %1")
                                            .arg(shape_.Measurements());
            return Fail(where + QStringLiteral(": Messung %1 gibt es nicht (%2)")
                                    .arg(QString::number(m, 'g', 15), range));
        }
        out = int(m);
        return true;
    }

    bool Starts(const QJsonValue& v, MeasurementProtocol& p) {
        if (!Given(v)) return true;
        if (!v.isArray()) return Fail(QStringLiteral("\"measurements\" ist keine Liste"));
        QSet<int> seen;
        const QJsonArray list = v.toArray();
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QString where = QStringLiteral("Eintrag %1 unter \"measurements\"").arg(i + 1);
            if (!list[i].isObject()) return Fail(where + QStringLiteral(" ist kein Objekt"));
            QJsonObject o = list[i].toObject();
            ProtocolStart s;
            if (!MeasurementNumber(o.take(QStringLiteral("measurement")), where, s.measurement))
                return false;
            const QString at = QStringLiteral("Messung %1").arg(s.measurement);
            if (seen.contains(s.measurement))
                return Fail(at + QStringLiteral(" steht zweimal unter \"measurements\""));
            seen.insert(s.measurement);
            const QJsonValue start = o.take(QStringLiteral("start"));
            if (Given(start)) {
                s.start = ParseStart(start);
                if (!s.start.isValid())
                    return Fail(at +
                                QStringLiteral(": Beginn %1 ist keine Zeitangabe nach ISO 8601 "
                                               "mit UTC-Versatz (etwa "
                                               "2026-06-10T21:37:12+02:00)")
                                    .arg(Shown(start)));
            }
            const QJsonValue source = o.take(QStringLiteral("start_source"));
            if (Given(source)) {
                const std::optional<StartSource> src = StartSourceFromKey(source.toString());
                if (!source.isString() || !src)
                    return Fail(at + QStringLiteral(": \"start_source\" %1 ist keine der Quellen "
                                                    "pc_start, zeitstart, geschaetzt, eingegeben")
                                         .arg(Shown(source)));
                s.source = *src;
            }
            s.extra = o;
            p.starts.push_back(s);
        }
        std::sort(p.starts.begin(), p.starts.end(),
                  [](const ProtocolStart& a, const ProtocolStart& b) {
                      return a.measurement < b.measurement;
                  });
        return true;
    }

    // A date and time with its offset; an invalid QDateTime for anything else.
    static QDateTime ParseStart(const QJsonValue& v) {
        if (!v.isString()) return {};
        const QString text = v.toString();
        // A date alone would read as midnight, local time.
        if (!text.contains(QLatin1Char('T'))) return {};
        const QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!t.isValid()) return {};
        if (t.timeSpec() != Qt::OffsetFromUTC && t.timeSpec() != Qt::UTC) return {};
        return t.toOffsetFromUtc(t.offsetFromUtc());
    }

    // A value as it stood in the file, for a message; long ones cut.
    static QString Shown(const QJsonValue& v) {
        QString text =
            QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact));
        text = text.mid(1, text.size() - 2);
        if (text.size() > 60) text = text.left(57) + QStringLiteral("...");
        return text;
    }

    bool Calibration(const QJsonValue& v, ProtocolCalibration& c) {
        if (!Given(v)) return true;
        if (!v.isObject()) return Fail(QStringLiteral("\"calibration\" ist kein Objekt"));
        QJsonObject o = v.toObject();
        if (!Number(o.take(QStringLiteral("reference_db")),
                    QStringLiteral("Kalibrierung: \"reference_db\""), c.referenceDb) ||
            !Number(o.take(QStringLiteral("before_db")),
                    QStringLiteral("Kalibrierung: \"before_db\""), c.beforeDb) ||
            !Number(o.take(QStringLiteral("after_db")),
                    QStringLiteral("Kalibrierung: \"after_db\""), c.afterDb))
            return false;
        c.extra = o;
        return true;
    }

    bool Markers(const QJsonValue& v, MeasurementProtocol& p) {
        if (!Given(v)) return true;
        if (!v.isArray()) return Fail(QStringLiteral("\"markers\" ist keine Liste"));
        const QJsonArray list = v.toArray();
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QString where = QStringLiteral("Marke %1").arg(i + 1);
            if (!list[i].isObject()) return Fail(where + QStringLiteral(" ist kein Objekt"));
            QJsonObject o = list[i].toObject();
            ProtocolMarker mk;
            if (!MeasurementNumber(o.take(QStringLiteral("measurement")), where, mk.measurement))
                return false;
            std::optional<double> from, to;
            if (!Number(o.take(QStringLiteral("from_s")), where + QStringLiteral(": \"from_s\""),
                        from) ||
                !Number(o.take(QStringLiteral("to_s")), where + QStringLiteral(": \"to_s\""), to))
                return false;
            if (!from || !to)
                return Fail(where + QStringLiteral(": \"from_s\" und \"to_s\" müssen Zahlen sein"));
            mk.fromS = *from;
            mk.toS = *to;
            if (const QString problem = MarkerRangeProblem(mk, shape_); !problem.isEmpty())
                return Fail(where + QStringLiteral(": ") + problem);
            const QJsonValue kind = o.take(QStringLiteral("kind"));
            const std::optional<MarkerKind> k = MarkerKindFromKey(kind.toString());
            if (!Given(kind)) return Fail(where + QStringLiteral(": \"kind\" fehlt"));
            if (!kind.isString() || !k)
                return Fail(where + QStringLiteral(": \"kind\" %1 ist weder fremdgeraeusch noch "
                                                   "ereignis")
                                        .arg(Shown(kind)));
            mk.kind = *k;
            if (!Text(o.take(QStringLiteral("text")), where + QStringLiteral(": \"text\""),
                      mk.text))
                return false;
            mk.extra = o;
            p.markers.push_back(mk);
        }
        return true;
    }

    // The assessment inputs. One that cannot be read leaves the rest of the protocol readable:
    // it is kept as it stood, and the assessment names its problem and leaves it out.
    static void Inputs(QJsonObject& rest, MeasurementProtocol& p) {
        const QLatin1String workplaceKey(kWorkplaceKey), taLaermKey(kTaLaermKey);
        if (rest.contains(workplaceKey)) {
            const QJsonValue v = rest.take(workplaceKey);
            Parsed<WorkplaceInput> w = ReadWorkplace(v);
            if (w.error.isEmpty())
                p.workplace = std::move(w.value);
            else
                p.unreadInputs.push_back({workplaceKey, v, w.error});
        }
        if (rest.contains(taLaermKey)) {
            const QJsonValue v = rest.take(taLaermKey);
            Parsed<TaLaermInput> t = ReadTaLaerm(v);
            if (t.error.isEmpty())
                p.taLaerm = std::move(t.value);
            else
                p.unreadInputs.push_back({taLaermKey, v, t.error});
        }
    }

    const ProtocolShape& shape_;
};

// ----- writing

// A value in JSON as Qt writes it: strings escaped, numbers in C notation with the fewest
// digits that read back to the same double.
QByteArray Json(const QJsonValue& v) {
    if (v.isObject()) return QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact);
    if (v.isArray()) return QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact);
    const QByteArray wrapped = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

// A number with a point where it has none, so that 94 reads as the level 94.0 it is.
QByteArray Number(double d) {
    QByteArray n = Json(QJsonValue(d));
    if (!n.contains('.') && !n.contains('e') && !n.contains('E')) n += ".0";
    return n;
}

QByteArray Start(const QDateTime& t) {
    const QDateTime withOffset = t.toOffsetFromUtc(t.offsetFromUtc());
    return Json(
        withOffset.toString(withOffset.time().msec() != 0 ? Qt::ISODateWithMs : Qt::ISODate));
}

// One object on one line: the known members in their order, then the kept ones.
QByteArray Object(const std::vector<std::pair<const char*, QByteArray>>& known,
                  const QJsonObject& extra) {
    QByteArray out = "{";
    bool first = true;
    const auto member = [&](const QByteArray& key, const QByteArray& value) {
        if (!first) out += ", ";
        first = false;
        out += key + ": " + value;
    };
    for (const auto& [key, value] : known) member(Json(QString::fromLatin1(key)), value);
    for (auto it = extra.begin(); it != extra.end(); ++it) member(Json(it.key()), Json(it.value()));
    return out + '}';
}

}  // namespace

ProtocolShape ShapeOf(const MeasurementRecord& rec) {
    const RecordBounds b = MeasureRecord(rec);
    ProtocolShape shape;
    const int interval = GetInterval(rec);
    for (int m = 0; m < b.measurements; ++m)
        shape.seconds.push_back(double(int64_t(b.points[size_t(m)]) * interval) / 1000.0);
    return shape;
}

QString MarkerRangeProblem(const ProtocolMarker& mk, const ProtocolShape& shape) {
    if (mk.measurement < 1 || mk.measurement > shape.Measurements())
        return QStringLiteral("Messung %1 gibt es nicht").arg(mk.measurement);
    if (!std::isfinite(mk.fromS) || !std::isfinite(mk.toS))
        return QStringLiteral("von und bis müssen Zahlen sein");
    if (!(mk.fromS < mk.toS))
        return QStringLiteral("von %1 ist nicht kleiner als bis %2")
            .arg(Seconds(mk.fromS), Seconds(mk.toS));
    const double length = shape.seconds[size_t(mk.measurement - 1)];
    if (mk.fromS < 0 || mk.toS > length + kEndSlack)
        return QStringLiteral("%1 bis %2 liegt nicht in Messung %3 (0 bis %4)")
            .arg(Seconds(mk.fromS), Seconds(mk.toS))
            .arg(mk.measurement)
            .arg(Seconds(length));
    return {};
}

QString ProtocolFileName(const QString& measurementPath) {
    QString name = RemarksFileName(measurementPath);
    name.chop(3);
    return name + QStringLiteral("KVP");
}

CommandResult ParseProtocol(const QByteArray& json, const ProtocolShape& shape,
                            MeasurementProtocol& out) {
    if (json.size() > kMaxProtocolBytes)
        return CommandResult::Failure(QStringLiteral("die Datei ist größer als %1 MB")
                                          .arg(kMaxProtocolBytes / (1024 * 1024)));
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return CommandResult::Failure(
            QStringLiteral("kein gültiges JSON (Fehler bei Zeichen %1)").arg(error.offset));
    if (!doc.isObject()) return CommandResult::Failure(QStringLiteral("kein JSON-Objekt"));
    Reader reader(shape);
    MeasurementProtocol p;
    if (!reader.Read(doc.object(), p)) return CommandResult::Failure(reader.message);
    out = std::move(p);
    return CommandResult::Success();
}

QByteArray WriteProtocol(const MeasurementProtocol& p) {
    QByteArray out = "{\"format\": " + Json(QString::fromLatin1(kFormat)) +
                     ", \"version\": " + QByteArray::number(kVersion) + ",\n";
    out += " \"measurements\": [";
    for (size_t i = 0; i < p.starts.size(); ++i) {
        const ProtocolStart& s = p.starts[i];
        std::vector<std::pair<const char*, QByteArray>> known = {
            {"measurement", QByteArray::number(s.measurement)}};
        if (s.start.isValid()) known.emplace_back("start", Start(s.start));
        if (s.source != StartSource::kUnknown)
            known.emplace_back("start_source", Json(StartSourceKey(s.source)));
        out += (i > 0 ? ",\n   " : "\n   ") + Object(known, s.extra);
    }
    out += "],\n";
    const std::pair<const char*, const QString*> texts[] = {{"site", &p.site},
                                                            {"operator", &p.operator_},
                                                            {"instrument", &p.instrument},
                                                            {"purpose", &p.purpose},
                                                            {"weather", &p.weather}};
    for (const auto& [key, value] : texts)
        out += " " + Json(QString::fromLatin1(key)) + ": " + Json(*value) + ",\n";
    std::vector<std::pair<const char*, QByteArray>> calibration;
    const std::pair<const char*, const std::optional<double>*> readings[] = {
        {"reference_db", &p.calibration.referenceDb},
        {"before_db", &p.calibration.beforeDb},
        {"after_db", &p.calibration.afterDb}};
    for (const auto& [key, value] : readings)
        calibration.emplace_back(key, *value ? Number(**value) : QByteArray("null"));
    out += " \"calibration\": " + Object(calibration, p.calibration.extra) + ",\n";
    out += " \"markers\": [";
    for (size_t i = 0; i < p.markers.size(); ++i) {
        const ProtocolMarker& m = p.markers[i];
        out += (i > 0 ? ",\n   " : "\n   ") +
               Object({{"measurement", QByteArray::number(m.measurement)},
                       {"from_s", Number(m.fromS)},
                       {"to_s", Number(m.toS)},
                       {"kind", Json(MarkerKindKey(m.kind))},
                       {"text", Json(m.text)}},
                      m.extra);
    }
    out += "]";
    // The inputs stand among the kept keys in their sorted order, as they always did; one that
    // was entered takes the place of an unread one of its key.
    QJsonObject rest = p.extra;
    for (const UnreadInput& u : p.unreadInputs) rest.insert(u.key, u.json);
    if (p.workplace) rest.insert(QLatin1String(kWorkplaceKey), WorkplaceJson(*p.workplace));
    if (p.taLaerm) rest.insert(QLatin1String(kTaLaermKey), TaLaermJson(*p.taLaerm));
    for (auto it = rest.begin(); it != rest.end(); ++it)
        out += ",\n " + Json(it.key()) + ": " + Json(it.value());
    return out + "}\n";
}

ProtocolLoad ReadProtocolFile(const QString& path, const ProtocolShape& shape,
                              MeasurementProtocol& out) {
    ProtocolLoad load;
    const auto unreadable = [&](const QString& problem) {
        load.state = ProtocolLoad::kUnreadable;
        load.message = QStringLiteral("Das Protokoll \"%1\" kann nicht gelesen werden: %2")
                           .arg(DisplayPath(QFileInfo(path).absoluteFilePath()), problem);
        return load;
    };
    QByteArray data;
    const IoOutcome io = ReadFileBytes(path, kMaxProtocolBytes + 1, data);
    if (io.stage == IoOutcome::kOpen && io.error == ENOENT) {
        out = MeasurementProtocol{};
        return load;
    }
    if (!io.ok()) return unreadable(SystemErrorText(io.error));
    const CommandResult r = ParseProtocol(data, shape, out);
    if (!r.ok) return unreadable(r.message);
    load.state = ProtocolLoad::kRead;
    return load;
}

}  // namespace kelvarn

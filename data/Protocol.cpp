#include "data/Protocol.h"

#include <algorithm>
#include <cmath>

namespace kelvarn {

namespace {

struct SourceName {
    StartSource source;
    const char* key;
    const char* caption;
};

const SourceName kSources[] = {
    {StartSource::kPcStart, "pc_start", "PC-Start"},
    {StartSource::kZeitstart, "zeitstart", "Zeitstart"},
    {StartSource::kGeschaetzt, "geschaetzt", "geschätzt"},
    {StartSource::kEingegeben, "eingegeben", "eingegeben"},
};

}  // namespace

QString StartSourceKey(StartSource s) {
    for (const SourceName& n : kSources)
        if (n.source == s) return QString::fromLatin1(n.key);
    return {};
}

std::optional<StartSource> StartSourceFromKey(const QString& key) {
    for (const SourceName& n : kSources)
        if (key == QLatin1String(n.key)) return n.source;
    return std::nullopt;
}

QString StartSourceCaption(StartSource s) {
    for (const SourceName& n : kSources)
        if (n.source == s) return QString::fromUtf8(n.caption);
    return {};
}

QString MarkerKindKey(MarkerKind k) {
    return k == MarkerKind::kEreignis ? QStringLiteral("ereignis")
                                      : QStringLiteral("fremdgeraeusch");
}

std::optional<MarkerKind> MarkerKindFromKey(const QString& key) {
    if (key == QLatin1String("fremdgeraeusch")) return MarkerKind::kFremdgeraeusch;
    if (key == QLatin1String("ereignis")) return MarkerKind::kEreignis;
    return std::nullopt;
}

QString MarkerKindCaption(MarkerKind k) {
    return k == MarkerKind::kEreignis ? QStringLiteral("Ereignis")
                                      : QStringLiteral("Fremdgeräusch");
}

QString StartText(const ProtocolStart& s) {
    if (!s.start.isValid()) return {};
    const QString text = s.start.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    return s.source == StartSource::kGeschaetzt ? QStringLiteral("spätestens ") + text : text;
}

std::optional<double> CalibrationDrift(const ProtocolCalibration& c) {
    if (!c.beforeDb || !c.afterDb) return std::nullopt;
    return *c.afterDb - *c.beforeDb;
}

bool CalibrationDriftFlagged(const ProtocolCalibration& c) {
    const std::optional<double> d = CalibrationDrift(c);
    if (!d) return false;
    // In tenths of a dB: 93,6 after 94,1 is a drift of exactly 0,5 dB, which the binary
    // difference (-0.50000000000001) would otherwise flag.
    return std::abs(std::round(*d * 10.0)) > std::round(kCalibrationTolerance * 10.0);
}

const ProtocolStart* MeasurementProtocol::StartOf(int m) const {
    for (const ProtocolStart& s : starts)
        if (s.measurement == m) return &s;
    return nullptr;
}

void MeasurementProtocol::SetStart(int m, const QDateTime& start, StartSource source) {
    for (ProtocolStart& s : starts) {
        if (s.measurement == m) {
            s.start = start;
            s.source = source;
            return;
        }
    }
    ProtocolStart s;
    s.measurement = m;
    s.start = start;
    s.source = source;
    const auto at = std::find_if(starts.begin(), starts.end(),
                                 [m](const ProtocolStart& x) { return x.measurement > m; });
    starts.insert(at, s);
}

void MeasurementProtocol::DropUnread(const char* key) {
    std::erase_if(unreadInputs,
                  [key](const UnreadInput& u) { return u.key == QLatin1String(key); });
}

}  // namespace kelvarn

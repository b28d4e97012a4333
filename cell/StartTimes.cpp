#include "cell/StartTimes.h"

#include <QLocale>

#include "link/SettingsFile.h"

namespace kelvarn {

namespace {

const QString kSection = QStringLiteral("Zeitstart");

// The same instant with its UTC offset, as the protocol keeps it.
QDateTime WithOffset(const QDateTime& t) {
    return t.isValid() ? t.toOffsetFromUtc(t.offsetFromUtc()) : QDateTime();
}

// now without its milliseconds: the cell and the clock in the messages count whole seconds.
QDateTime WholeSecond(const QDateTime& now) {
    return now.addMSecs(-now.time().msec());
}

}  // namespace

TimedStart NextTimedStart(const QDateTime& now, const QTime& target) {
    const QDateTime from = WholeSecond(now);
    const int nowS = from.time().msecsSinceStartOfDay() / 1000;
    const int targetS =
        QTime(target.hour(), target.minute(), target.second()).msecsSinceStartOfDay() / 1000;
    TimedStart t;
    t.tomorrow = targetS < nowS;
    t.start = WithOffset(from.addSecs(targetS - nowS + (t.tomorrow ? 86400 : 0)));
    return t;
}

QString TimedStartMessage(const TimedStart& t) {
    QString text = QStringLiteral("Messbeginn am %1 um %2")
                       .arg(t.start.date().toString(QStringLiteral("dd.MM.yyyy")),
                            t.start.time().toString(QStringLiteral("HH:mm:ss")));
    if (t.tomorrow) text += QStringLiteral(" (morgen: die Uhrzeit ist heute schon vorbei)");
    return text;
}

RememberedStart ReadRememberedStart() {
    RememberedStart s;
    bool ok = false;
    const int row = ReadSetting(kSection, QStringLiteral("Programm")).toInt(&ok);
    const QDateTime start =
        QDateTime::fromString(ReadSetting(kSection, QStringLiteral("Beginn")), Qt::ISODate);
    if (!ok || row < 1 || row > 9 || !start.isValid()) return s;
    s.row = row;
    s.start = WithOffset(start);
    return s;
}

bool RememberStart(const RememberedStart& s) {
    return WriteSetting(kSection, QStringLiteral("Programm"), QString::number(s.row)) &&
           WriteSetting(kSection, QStringLiteral("Beginn"),
                        WithOffset(s.start).toString(Qt::ISODate));
}

bool ForgetRememberedStart() {
    // Nothing to forget: the file is not created for it.
    if (ReadSetting(kSection, QStringLiteral("Programm")).isEmpty()) return true;
    return WriteSetting(kSection, QStringLiteral("Programm"), QString()) &&
           WriteSetting(kSection, QStringLiteral("Beginn"), QString());
}

bool RememberedStartApplies(const RememberedStart& s, int row, const QDateTime& readOut) {
    return s.row > 0 && s.row == row && s.start.isValid() && s.start < readOut;
}

std::vector<QDateTime> EstimatedStarts(const QDateTime& readOut, int intervalMs, int points,
                                       const std::vector<int>& measured) {
    int last = int(measured.size()) - 1;
    while (last >= 0 && measured[size_t(last)] == 0) --last;
    if (last < 0 || intervalMs <= 0) return {};
    std::vector<QDateTime> starts(size_t(last) + 1);
    QDateTime start = WholeSecond(readOut).addMSecs(-int64_t(measured[size_t(last)]) * intervalMs);
    for (int m = last; m >= 0; --m) {
        starts[size_t(m)] = WithOffset(start);
        start = start.addMSecs(-int64_t(points) * intervalMs);
    }
    return starts;
}

void FillBackToBack(MeasurementProtocol& p, int from, int count, double seconds,
                    const QTimeZone& zone) {
    const ProtocolStart* first = p.StartOf(from);
    if (!first || !first->start.isValid()) return;
    const QDateTime base = first->start.toTimeZone(zone);
    for (int m = from + 1; m <= count; ++m)
        p.SetStart(m, WithOffset(base.addMSecs(qint64((m - from) * seconds * 1000.0))),
                   StartSource::kEingegeben);
}

QDateTime ParseStartInput(const QString& text, const QTimeZone& zone) {
    const QString t = text.trimmed();
    if (!t.contains(QLatin1Char('T'))) return {};
    const QDateTime parsed = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!parsed.isValid()) return {};
    if (parsed.timeSpec() == Qt::OffsetFromUTC || parsed.timeSpec() == Qt::UTC)
        return WithOffset(parsed);
    const QDateTime local(parsed.date(), parsed.time(), zone);
    // A time the clock skips on the spring day does not exist.
    if (!local.isValid() || local.time() != parsed.time()) return {};
    return WithOffset(local);
}

}  // namespace kelvarn

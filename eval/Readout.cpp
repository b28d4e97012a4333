#include "eval/Readout.h"

#include <QStringList>
#include <cmath>

#include "data/ProgramTable.h"
#include "eval/Overview.h"

namespace kelvarn {

QString ReadoutTime(double t, const ReadoutClock& clock, const NumberFormat& fmt) {
    if (clock.start && clock.start->isValid()) {
        // Whole milliseconds of the program's unit past the start, round the clock.
        const double ms = t * TimeDivisor(clock.unit);
        return clock.start->addMSecs(int(std::llround(std::fmod(ms, 86400000.0))))
            .toString(QStringLiteral("HH:mm:ss"));
    }
    QString text = QStringLiteral("t = ") + fmt.Time(t).trimmed();
    if (!clock.unit.isEmpty()) text += QLatin1Char(' ') + clock.unit;
    return text;
}

QString ReadoutText(const QString& curve, int measurement, std::optional<double> t,
                    const ReadoutClock& clock, double level, const NumberFormat& fmt) {
    QString head = curve;
    if (measurement > 0) {
        const QString which = QStringLiteral("Messung %1").arg(measurement);
        head = curve.isEmpty() ? which : which + QStringLiteral(", ") + curve;
    }
    QStringList parts;
    if (t) parts << ReadoutTime(*t, clock, fmt);
    parts << QStringLiteral("L = ") + fmt.Level(level).trimmed() + QStringLiteral(" dB(A)");
    const QString values = parts.join(QStringLiteral(", "));
    return head.isEmpty() ? values : head + QStringLiteral(": ") + values;
}

OverviewPoint FromOverviewX(int measurement, double x) {
    return {measurement, (x - OverviewX(measurement, 0)) * 10.0};
}

}  // namespace kelvarn

#include "document/ArrivalProtocol.h"

#include "cell/StartTimes.h"
#include "data/ProgramTable.h"
#include "eval/Figures.h"

namespace kelvarn {

MeasurementProtocol ReadOutProtocol(const MeasurementRecord& rec, const QDateTime& now,
                                    const AskTimedStart& ask) {
    MeasurementProtocol p;
    const int row = MatchProgramRow(rec);
    // Only how far each measurement was measured: the view makes the figures afterwards.
    const std::vector<int> measured = MeasuredCounts(rec);
    const RememberedStart remembered = ask ? ReadRememberedStart() : RememberedStart{};
    if (ask && RememberedStartApplies(remembered, row, now)) {
        const QString when = remembered.start.toString(QStringLiteral("dd.MM.yyyy 'um' HH:mm:ss"));
        if (ask(QStringLiteral("Programm %1 wurde für den %2 zeitgesteuert gestartet. "
                               "Diesen Messbeginn übernehmen?")
                    .arg(ProgramLetter(row))
                    .arg(when))) {
            p.SetStart(1, remembered.start, StartSource::kZeitstart);
            if (GetMeasurements(rec) > 1)
                FillBackToBack(p, 1, int(measured.size()),
                               Programs().Row(row).Points * Programs().Row(row).IntervalMs / 1000.0,
                               now.timeZone());
            for (ProtocolStart& s : p.starts) s.source = StartSource::kZeitstart;
            return p;
        }
    }
    const std::vector<QDateTime> starts =
        EstimatedStarts(now, GetInterval(rec), GetPoints(rec), measured);
    for (size_t m = 0; m < starts.size(); ++m)
        p.SetStart(int(m) + 1, starts[m], StartSource::kGeschaetzt);
    return p;
}

MeasurementProtocol TakeOverProtocol(const MeasurementProtocol& before,
                                     const QDateTime& startedAt) {
    MeasurementProtocol p = before;
    p.starts.clear();
    p.markers.clear();
    if (startedAt.isValid())
        p.SetStart(1, startedAt.toOffsetFromUtc(startedAt.offsetFromUtc()), StartSource::kPcStart);
    return p;
}

}  // namespace kelvarn

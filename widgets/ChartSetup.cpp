#include "widgets/ChartSetup.h"

#include "eval/Evaluation.h"
#include "widgets/Chart.h"

namespace kelvarn {

namespace {

const QString kLevelAxis = QStringLiteral("L in dB(A)");

// Measurements are counted: the axis shows whole numbers only, at steps of
// 1, 2, 5, ... as its width allows.
void CountAxis(TChart& c) {
    auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
    ticker->setTickStep(1.0);
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
    c.xAxis->setTicker(ticker);
    // Fixed notation: with the default one, precision 0 writes 12 as "1·10¹".
    c.xAxis->setNumberFormat(QStringLiteral("f"));
    c.xAxis->setNumberPrecision(0);
}

}  // namespace

const std::array<QColor, 12>& BlockColours() {
    static const std::array<QColor, 12> colours = {
        QColor(0x93, 0x22, 0x1C), QColor(0xE1, 0x00, 0x00), QColor(0xDF, 0x75, 0x00),
        QColor(0xD7, 0xCC, 0x00), QColor(0x7D, 0xC1, 0x00), QColor(0x17, 0xFF, 0x1D),
        QColor(0x00, 0xCE, 0xA5), QColor(0x24, 0x8C, 0xFF), QColor(0x00, 0x6D, 0x97),
        QColor(0x7D, 0x03, 0x9C), QColor(0xF2, 0x00, 0x98), QColor(0x66, 0x1A, 0x1C)};
    return colours;
}

void SetUpLiveChart(TChart& c) {
    c.SetBottomAxis(QStringLiteral("t in s"), 0, 60);
    c.SetLeftAxis(QStringLiteral("Pegel in dB(A)"), 0, 110);
    c.AddLine(QStringLiteral("Direkt"), Qt::red);
}

void SetUpLiveDistributionChart(TChart& c) {
    // The live distribution looks as the evaluation's does.
    SetUpDistributionChart(c);
}

void SetUpLevelChart(TChart& c) {
    c.SetBottomAxis(QStringLiteral("min"), 0, 1);
    c.SetLeftAxis(kLevelAxis, 0, 110);
    for (int k = 1; k <= kBlockSeries; ++k) {
        c.AddLine(QStringLiteral("Block %1").arg(k), BlockColours()[size_t(k - 1)]);
        if (k > 1) c.SetSeriesVisible(k - 1, false);
    }
    c.AddLine(QStringLiteral("LeQ"), QColor(0xFF, 0x80, 0x00), 2);
    c.AddLine(QStringLiteral("L01"), QColor(0x00, 0xBB, 0x00), 2);
    c.AddLine(QStringLiteral("L95"), QColor(0xFF, 0x00, 0x00), 2);
}

void SetUpLeqChart(TChart& c) {
    c.SetBottomAxis(QStringLiteral("min"), 0, 1, false);
    c.SetLeftAxis(kLevelAxis, 0, 110);
    c.AddLine(QStringLiteral("L95"), QColor(0xFF, 0x00, 0x00));
    c.AddLine(QStringLiteral("Leq"), QColor(0xFF, 0x80, 0x40), 2);
    c.AddLine(QStringLiteral("L01"), QColor(0x00, 0x80, 0x00));
}

void SetUpDistributionChart(TChart& c) {
    c.SetBottomAxis(kLevelAxis, 0, 110, false);
    c.SetLeftAxis(QStringLiteral("Häufigkeit"), 0, 10, false);
    c.AddBars(QStringLiteral("Verteilung"), QColor(0xFF, 0x00, 0x00), 0.4);
}

void SetUpOverviewChart(TChart& c) {
    c.SetBottomAxis(QStringLiteral("Messungen"), 0, 13);
    CountAxis(c);
    c.SetLeftAxis(kLevelAxis, 0, 110);
    for (int k = 1; k <= kBlockSeries; ++k)
        c.AddLine(QStringLiteral("Block%1").arg(k), BlockColours()[size_t(k - 1)]);
    c.AddLine(QStringLiteral("LeQ"), QColor(0xFF, 0x80, 0x00), 2);
    c.AddLine(QStringLiteral("L01"), QColor(0x00, 0xCA, 0x00), 2);
    c.AddLine(QStringLiteral("L95"), QColor(0xD9, 0x00, 0x00), 2);
}

void SetUpOverviewLeqChart(TChart& c) {
    c.SetBottomAxis(QStringLiteral("Messungen"), 0, 13);
    CountAxis(c);
    c.SetLeftAxis(kLevelAxis, 0, 110);
    c.AddLine(QStringLiteral("LeQ"), QColor(0x00, 0xB3, 0x2D), 2);
    c.AddLine(QStringLiteral("L01"), QColor(0xFF, 0x9D, 0x3C), 2);
    c.AddLine(QStringLiteral("L95"), QColor(0xFF, 0x00, 0x00), 2);
}

void SetUpSmallDistributionChart(TChart& c, int k) {
    c.setProperty("tag", k);
    c.SetTitle(k == 1 ? QStringLiteral("Verteilung in der Übersicht") : QString());
    if (k != 1) c.HideTitle();
    c.SetBottomAxis(QString(), 0, 110);
    c.SetLeftAxis(QStringLiteral("%1").arg(k, 2, 10, QLatin1Char('0')), 0, 10, false);
    c.xAxis->setTickLabels(false);
    c.yAxis->setTickLabels(false);
    c.yAxis->setTicks(false);
    c.yAxis->grid()->setVisible(false);
    c.AddBars(QStringLiteral("Pegel%1").arg(k), BlockColours()[size_t(k - 1)], 0.5);
    c.setMinimumHeight(k == 1 ? 90 : 48);
}

}  // namespace kelvarn

namespace kelvarn {

void SetUpHourlyChart(TChart& c) {
    c.SetBottomAxis(QStringLiteral("Stunde ab (Ortszeit)"), -0.5, 0.5);
    c.SetLeftAxis(kLevelAxis, 0, 110);
    c.AddBars(QStringLiteral("Tag"), QColor(0xDF, 0x75, 0x00), 0.8);
    c.AddBars(QStringLiteral("Nacht"), QColor(0x24, 0x3C, 0x8C), 0.8);
    c.AddLine(QStringLiteral("Immissionsrichtwert"), QColor(0xE1, 0x00, 0x00), 2);
    c.SetLegendVisible(true);
}

void ShowHourlyChart(TChart& c, const HourlyChartData& d) {
    c.SetPoints(0, d.day);
    c.SetPoints(1, d.night);
    c.SetPoints(2, d.limit);
    c.SetSeriesVisible(2, !d.limit.Empty());
    // One label per hour; a long record shows every second, fourth, ... so they do not overlap
    // where the chart shares its width with the hours' table.
    const int n = int(d.labels.size());
    const int step = n > 48 ? 6 : n > 16 ? 4 : n > 8 ? 2 : 1;
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    for (int i = 0; i < n; i += step) ticker->addTick(i, d.labels[size_t(i)]);
    c.xAxis->setTicker(ticker);
    c.SetBottomAxis(QStringLiteral("Stunde ab (Ortszeit)"), -0.5, std::max(0.5, n - 0.5));
    c.QueueReplot();
}

}  // namespace kelvarn

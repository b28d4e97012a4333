#pragma once

#include <qcustomplot.h>

#include <QColor>
#include <QString>
#include <vector>

#include "eval/ViewData.h"

namespace kelvarn {

// A chart of the window: a title, line series (QCPGraph) and bar series
// (QCPBars) addressed by their position, as the evaluation fills them.
class TChart : public QCustomPlot {
    Q_OBJECT
public:
    explicit TChart(const QString& objectName, const QString& title, QWidget* parent = nullptr);

    QCPGraph* AddLine(const QString& name, const QColor& color, int penWidth = 1);
    QCPBars* AddBars(const QString& name, const QColor& color, double width = 0.4);

    int SeriesCount() const { return static_cast<int>(series_.size()); }
    QCPAbstractPlottable* Series(int i) const;  // 0-based
    QString SeriesName(int i) const;
    QColor SeriesColor(int i) const;
    void SetSeriesColor(int i, const QColor& color);
    int PointCount(int i) const;
    // The points in the order they were set.
    SeriesData Points(int i) const;
    void SetPoints(int i, const SeriesData& data);
    void ClearSeries(int i);
    void ClearAll();
    void SetSeriesVisible(int i, bool visible);
    bool SeriesVisible(int i) const;

    void SetTitle(const QString& title);
    QString Title() const;
    // Removes the title row (small charts without a title).
    void HideTitle();

    // The pseudo-three-dimensional view; switching back restores the flat
    // chart exactly.
    void SetDepthView(bool on);
    bool DepthView() const { return depth_; }

    // Axis caption and range; fixed = automatic scaling of both ends off.
    void SetBottomAxis(const QString& caption, double min, double max, bool fixed = true);
    void SetLeftAxis(const QString& caption, double min, double max, bool fixed = true);
    bool BottomAutoScale() const { return bottomAuto_; }
    bool LeftAutoScale() const { return leftAuto_; }
    void SetBottomAutoScale(bool on);
    // Re-applies automatic ranges after new data.
    void Rescale();

    void SetLegendVisible(bool on);
    bool LegendVisible() const;

    // Redraw on the next event loop pass; many updates make one replot.
    void QueueReplot() { replot(QCustomPlot::rpQueuedReplot); }

private:
    std::vector<QCPAbstractPlottable*> series_;
    QCPTextElement* title_ = nullptr;
    bool depth_ = false;
    bool bottomAuto_ = true;
    bool leftAuto_ = true;
};

}  // namespace kelvarn

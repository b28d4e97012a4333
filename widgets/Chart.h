#pragma once

#include <qcustomplot.h>

#include <QColor>
#include <QMargins>
#include <QString>
#include <functional>
#include <vector>

#include "eval/ViewData.h"

namespace kelvarn {

class TChartMarks;
class TChartWalls;

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
    void SetPoints(int i, const SeriesData& points);
    // Appends one point (the live chart adds one per tick); no replot of its
    // own, so a burst of points costs one queued replot.
    void AddPoint(int i, double x, double y);
    void ClearSeries(int i);
    void SetSeriesVisible(int i, bool visible);
    bool SeriesVisible(int i) const;

    // Value labels at the points of series i.
    void SetSeriesMarks(int i, bool on);
    bool SeriesMarks(int i) const;
    // Bar series i with every bar in its own colour from BarPalette(), or
    // all bars in the series colour.
    void SetBarsMultiColour(int i, bool on);
    bool BarsMultiColour(int i) const;
    static const std::vector<QColor>& BarPalette();
    // The layer that draws the value labels of all series.
    const TChartMarks* Marks() const { return marksLayer_; }

    void SetTitle(const QString& title);
    QString Title() const;
    // Removes the title row (small charts without a title).
    void HideTitle();

    // The pseudo-three-dimensional view; switching back restores the flat
    // chart exactly.
    void SetDepthView(bool on);
    bool DepthView() const { return depth_; }
    // Depth geometry while the depth view is on: the depth of the whole
    // chart [px], the screen offset of depth z [px], the depth slice of a
    // series (the first series lies at the back), and the area the series
    // may paint into (the front plane and the back wall).
    int DepthPixels() const { return depthPixels_; }
    static QPointF DepthOffset(double z) { return {z, -z}; }
    bool DepthSlice(const QCPAbstractPlottable* series, double* front, double* back) const;
    QRect DepthClipRect() const;

    // Axis caption and range; fixed = automatic scaling of both ends off.
    void SetBottomAxis(const QString& caption, double min, double max, bool fixed = true);
    void SetLeftAxis(const QString& caption, double min, double max, bool fixed = true);
    bool BottomAutoScale() const { return bottomAuto_; }
    void SetBottomAutoScale(bool on);
    // Re-applies automatic ranges after new data.
    void Rescale();

    void SetLegendVisible(bool on);
    bool LegendVisible() const;

    // The view of the time axis. With time zoom on, the wheel zooms the bottom
    // axis around the pointer, a drag pans it, + and - zoom around the middle,
    // and 0 or a double click return to the default view: the range the
    // evaluation last gave the axis (SetBottomAxis, Rescale). The view stays
    // inside the default; the left axis is never zoomed.
    void SetTimeZoom(bool on);
    bool TimeZoom() const { return timeZoom_; }
    QCPRange DefaultView() const { return homeX_; }
    bool ViewIsDefault() const;
    void ResetView();
    // factor < 1 zooms in, > 1 out, around center (an x value).
    void ZoomView(double factor, double center);

    // The read-out of the point nearest the pointer, shown as a tooltip: a
    // level curve gives its nearest sample, a step (two points of one value)
    // the value at the pointer's time. series and point are 0-based; point is
    // the step's first point for a step.
    struct NearPoint {
        int series = -1;
        int point = -1;
        double key = 0;
        double value = 0;
        bool Found() const { return series >= 0; }
    };
    NearPoint NearestPoint(const QPointF& pixel) const;
    // Series i is a step curve: two points of one value per section.
    void SetSeriesSteps(int i, bool on);
    using ReadoutFormat = std::function<QString(const NearPoint&)>;
    void SetReadout(ReadoutFormat text);
    // The read-out at a pixel of the chart; empty where no curve is near.
    QString ReadoutAt(const QPointF& pixel) const;
    double PointKey(int series, int point) const;

    // Redraw on the next event loop pass; many updates make one replot.
    void QueueReplot() { replot(QCustomPlot::rpQueuedReplot); }

protected:
    // Without zoom the wheel belongs to what holds the chart (a scrolled
    // panel), not to the chart.
    void wheelEvent(QWheelEvent* event) override;
    // A focused chart shows a focus frame, and the menu key opens its menu
    // in its middle.
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    // Runs before every replot and every export: sizes the depth margins and
    // lists the shown series in the legend.
    void updateLayout() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void UpdateDepthMargins();
    void SetDefaultView(const QCPRange& range);
    void KeepViewInside();
    void SyncLegend();

    std::vector<QCPAbstractPlottable*> series_;
    std::vector<bool> marks_;
    std::vector<bool> steps_;
    QCPTextElement* title_ = nullptr;
    TChartMarks* marksLayer_ = nullptr;
    TChartWalls* walls_ = nullptr;
    bool depth_ = false;
    int depthPixels_ = 0;  // [px]
    // What the depth view changes, as it was before: restored on switching off.
    QMargins flatMinimumMargins_;
    bool flatXGrid_ = true;
    bool flatYGrid_ = true;
    bool bottomAuto_ = true;
    bool leftAuto_ = true;
    bool timeZoom_ = false;
    QCPRange homeX_;  // the default view of the bottom axis
    ReadoutFormat readout_;
};

}  // namespace kelvarn

#pragma once

#include <QRectF>
#include <QSize>

class QCustomPlot;
class QCPPainter;

namespace kelvarn {

// Draws a chart in its own colours and fills into target (in the painter's
// device coordinates). The chart is laid out at layoutSize and scaled to
// target. Its fonts are given in points and take their pixel size from the
// painter's device, its pens and gaps are in pixels of the layout: so the
// device should have the screen's resolution, or the text grows with the
// scale. Lines keep their width relative to the chart.
void RenderChart(QCustomPlot& chart, QCPPainter& painter, const QSize& layoutSize,
                 const QRectF& target);

// Moves the chart's legend out of the plot into a row of its own under it, its entries side by
// side, so that it hides no curve. For paper, where the chart is not resized afterwards.
void PlaceLegendBelowPlot(QCustomPlot& chart);

// The size a chart has on screen now; never empty.
QSize OnScreenSize(const QCustomPlot& chart);

}  // namespace kelvarn

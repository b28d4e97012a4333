#pragma once

#include <QRectF>
#include <QSize>

class QCustomPlot;
class QCPPainter;

namespace kelvarn {

// Draws a chart in its own colours and fills into target (in the painter's
// device coordinates). The chart is laid out at layoutSize, in the screen
// pixels its fonts and pens are measured in, and scaled to target; so a
// layout size that matches the target's physical size prints text at the
// size it has on screen. Lines keep their width relative to the chart,
// whatever the resolution of the device.
void RenderChart(QCustomPlot& chart, QCPPainter& painter, const QSize& layoutSize,
                 const QRectF& target);

// The size a chart has on screen now; never empty.
QSize OnScreenSize(const QCustomPlot& chart);

}  // namespace kelvarn

#include "output/ChartRender.h"

#include <qcustomplot.h>

namespace kelvarn {

QSize OnScreenSize(const QCustomPlot& chart) {
    return chart.size().expandedTo(QSize(1, 1));
}

void RenderChart(QCustomPlot& chart, QCPPainter& painter, const QSize& layoutSize,
                 const QRectF& target) {
    const QSize size = layoutSize.expandedTo(QSize(1, 1));
    painter.save();
    painter.setViewport(target.toAlignedRect());
    painter.setWindow(0, 0, size.width(), size.height());
    // Hairlines (pen width 0) would shrink to one device dot on paper.
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNonCosmetic);
    chart.toPainter(&painter, size.width(), size.height());
    painter.restore();
    // Drawing lays the chart out at the drawn size; the next replot puts
    // the window's own layout back for the mouse and the screen.
    chart.replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace kelvarn

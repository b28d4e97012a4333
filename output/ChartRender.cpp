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

void PlaceLegendBelowPlot(QCustomPlot& chart) {
    QCPLegend* legend = chart.legend;
    QCPLayoutGrid* layout = chart.plotLayout();
    // A row with stretchable space either side keeps the entries together in the middle.
    auto* row = new QCPLayoutGrid;
    layout->addElement(layout->rowCount(), 0, row);
    layout->setRowStretchFactor(layout->rowCount() - 1, 0.001);
    row->addElement(0, 0, new QCPLayoutElement(&chart));
    row->addElement(0, 1, legend);  // out of the plot's inset
    row->addElement(0, 2, new QCPLayoutElement(&chart));
    row->setColumnStretchFactors({1, 0.001, 1});
    row->setMargins(QMargins(0, 0, 0, 4));
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setWrap(0);
    legend->setColumnSpacing(12);
    legend->setBorderPen(Qt::NoPen);
    legend->setBrush(Qt::NoBrush);
}

}  // namespace kelvarn

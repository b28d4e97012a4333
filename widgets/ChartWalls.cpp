#include "widgets/ChartWalls.h"

#include "widgets/Chart.h"

namespace kelvarn {

TChartWalls::TChartWalls(TChart* chart, const QString& layerName)
    : QCPLayerable(chart, layerName), chart_(chart) {}

void TChartWalls::applyDefaultAntialiasingHint(QCPPainter* painter) const {
    applyAntialiasingHint(painter, false, QCP::aeOther);
}

void TChartWalls::draw(QCPPainter* painter) {
    if (!chart_->DepthView()) return;
    const QRectF r = chart_->axisRect()->rect();
    const QPointF o = TChart::DepthOffset(chart_->DepthPixels());
    const QPolygonF back(
        {r.topLeft() + o, r.topRight() + o, r.bottomRight() + o, r.bottomLeft() + o});
    const QPolygonF left({r.topLeft(), r.topLeft() + o, r.bottomLeft() + o, r.bottomLeft()});
    const QPolygonF floor(
        {r.bottomLeft(), r.bottomLeft() + o, r.bottomRight() + o, r.bottomRight()});
    painter->setPen(QPen(QColor(0xA0, 0xA0, 0xA0), 0));
    painter->setBrush(QColor(0xF4, 0xF4, 0xF4));
    painter->drawPolygon(back);
    painter->setBrush(QColor(0xE4, 0xE4, 0xE4));
    painter->drawPolygon(left);
    painter->setBrush(QColor(0xD4, 0xD4, 0xD4));
    painter->drawPolygon(floor);

    // The grid of each axis on the back wall, continued along the left wall
    // (levels) and across the floor (keys).
    painter->setBrush(Qt::NoBrush);
    QCPAxis* x = chart_->xAxis;
    painter->setPen(x->grid()->pen());
    for (double tick : x->tickVector()) {
        const double px = x->coordToPixel(tick);
        if (px <= r.left() || px >= r.right()) continue;
        painter->drawLine(QLineF(px + o.x(), r.top() + o.y(), px + o.x(), r.bottom() + o.y()));
        painter->drawLine(QLineF(px, r.bottom(), px + o.x(), r.bottom() + o.y()));
    }
    QCPAxis* y = chart_->yAxis;
    painter->setPen(y->grid()->pen());
    for (double tick : y->tickVector()) {
        const double py = y->coordToPixel(tick);
        if (py <= r.top() || py >= r.bottom()) continue;
        painter->drawLine(QLineF(r.left() + o.x(), py + o.y(), r.right() + o.x(), py + o.y()));
        painter->drawLine(QLineF(r.left(), py, r.left() + o.x(), py + o.y()));
    }
}

}  // namespace kelvarn

#include "widgets/ChartLine.h"

#include <utility>

#include "widgets/Chart.h"

namespace kelvarn {

TChartLine::TChartLine(TChart* chart) : QCPGraph(chart->xAxis, chart->yAxis), chart_(chart) {}

QRect TChartLine::clipRect() const {
    return chart_->DepthView() ? chart_->DepthClipRect() : QCPGraph::clipRect();
}

void TChartLine::draw(QCPPainter* painter) {
    double front = 0, back = 0;
    if (!chart_->DepthView() || !chart_->DepthSlice(this, &front, &back)) {
        QCPGraph::draw(painter);
        return;
    }
    DrawRibbon(painter, front, back);
}

void TChartLine::DrawRibbon(QCPPainter* painter, double front, double back) {
    if (mLineStyle == lsNone || mDataContainer->isEmpty()) return;
    QVector<QPointF> lines;  // [px], thinned out to what the pixels can show
    getLines(&lines, QCPDataRange(0, dataCount()));
    if (lines.size() < 2) return;

    const QPointF f = TChart::DepthOffset(front);
    const QPointF b = TChart::DepthOffset(back);
    const QColor colour = mPen.color();
    const QBrush upperBrush(colour.lighter(160)), underBrush(colour.darker(130));
    // One quadrilateral per segment, from the front edge to the back edge.
    // Seen from above the front, a segment shows its upper face unless it
    // climbs more steeply than the depth direction; then its underside
    // shows. From left to right, so that the nearer faces come last.
    // Unsmoothed fills meet without seams; the smoothed line goes on top.
    painter->setAntialiasing(false);
    painter->setPen(Qt::NoPen);
    int shown = -1;  // the brush set: 1 upper, 0 underside
    for (int i = 0; i + 1 < lines.size(); ++i) {
        QPointF p = lines[i], q = lines[i + 1];
        if (qIsNaN(p.y()) || qIsNaN(q.y()) || qIsNaN(p.x()) || qIsNaN(q.x())) continue;
        if (q.x() < p.x()) std::swap(p, q);
        // Screen y grows downwards: dx + dy >= 0 is flatter than 45 degrees up.
        const int upper = (q.x() - p.x()) + (q.y() - p.y()) >= 0 ? 1 : 0;
        if (upper != shown) {
            painter->setBrush(upper ? upperBrush : underBrush);
            shown = upper;
        }
        const QPointF face[4] = {p + f, q + f, q + b, p + b};
        painter->drawConvexPolygon(face, 4);
    }

    applyDefaultAntialiasingHint(painter);
    QVector<QPointF> edge(lines.size());
    for (int i = 0; i < lines.size(); ++i) edge[i] = lines[i] + f;
    painter->setBrush(Qt::NoBrush);
    painter->setPen(mPen);
    drawPolyline(painter, edge);
}

}  // namespace kelvarn

#include "widgets/ChartLine.h"

#include <QPainterPath>
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
    // shows. From left to right, so that the nearer faces come last; runs of
    // one kind go into one path (all of one winding, so overlaps fill).
    // Unsmoothed fills meet without seams; the smoothed edges go on top.
    painter->setAntialiasing(false);
    painter->setPen(Qt::NoPen);
    QPainterPath run;
    run.setFillRule(Qt::WindingFill);
    bool runUpper = true;
    auto flush = [&] {
        if (run.isEmpty()) return;
        painter->setBrush(runUpper ? upperBrush : underBrush);
        painter->drawPath(run);
        run = QPainterPath();
        run.setFillRule(Qt::WindingFill);
    };
    for (int i = 0; i + 1 < lines.size(); ++i) {
        QPointF p = lines[i], q = lines[i + 1];
        if (qIsNaN(p.y()) || qIsNaN(q.y()) || qIsNaN(p.x()) || qIsNaN(q.x())) continue;
        if (q.x() < p.x()) std::swap(p, q);
        // Screen y grows downwards: dx + dy >= 0 is flatter than 45 degrees up.
        const bool upper = (q.x() - p.x()) + (q.y() - p.y()) >= 0;
        if (upper != runUpper) {
            flush();
            runUpper = upper;
        }
        run.addPolygon(QPolygonF({p + f, q + f, q + b, p + b, p + f}));
    }
    flush();

    applyDefaultAntialiasingHint(painter);
    QVector<QPointF> edge(lines.size());
    for (int i = 0; i < lines.size(); ++i) edge[i] = lines[i] + f;
    painter->setBrush(Qt::NoBrush);
    painter->setPen(mPen);
    drawPolyline(painter, edge);
}

}  // namespace kelvarn

#include "widgets/ChartBars.h"

#include "widgets/Chart.h"

namespace kelvarn {

TChartBars::TChartBars(TChart* chart) : QCPBars(chart->xAxis, chart->yAxis), chart_(chart) {}

QColor TChartBars::BarColour(int index) const {
    if (!multiColour_) return mBrush.color();
    const auto& palette = TChart::BarPalette();
    return palette[size_t(index) % palette.size()];
}

QRect TChartBars::clipRect() const {
    return chart_->DepthView() ? chart_->DepthClipRect() : QCPBars::clipRect();
}

void TChartBars::draw(QCPPainter* painter) {
    double front = 0, back = 0;
    const bool depth = chart_->DepthView() && chart_->DepthSlice(this, &front, &back);
    if (!depth && !multiColour_) {
        QCPBars::draw(painter);
        return;
    }
    if (mDataContainer->isEmpty()) return;
    QCPBarsDataContainer::const_iterator begin, end;
    getVisibleDataBounds(begin, end);
    applyDefaultAntialiasingHint(painter);
    const QPointF f = TChart::DepthOffset(front);
    const QPointF b = TChart::DepthOffset(back);
    // Left to right: a bar hides the side of its left neighbour.
    for (auto it = begin; it != end; ++it) {
        const QColor colour = BarColour(int(it - mDataContainer->constBegin()));
        QPen pen = mPen;
        if (multiColour_) pen.setColor(colour.darker(130));
        painter->setPen(pen);
        const QRectF r = getBarRect(it->key, it->value);
        if (!depth) {
            painter->setBrush(colour);
            painter->drawPolygon(r);
            continue;
        }
        const QRectF face = r.translated(f);
        painter->setBrush(colour);
        painter->drawPolygon(face);
        painter->setBrush(colour.lighter(140));
        painter->drawPolygon(
            QPolygonF({face.topLeft(), face.topRight(), r.topRight() + b, r.topLeft() + b}));
        painter->setBrush(colour.darker(140));
        painter->drawPolygon(QPolygonF(
            {face.topRight(), face.bottomRight(), r.bottomRight() + b, r.topRight() + b}));
    }
}

}  // namespace kelvarn

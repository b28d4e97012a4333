#pragma once

#include <qcustomplot.h>

namespace kelvarn {

class TChart;

// A line series of a TChart. Flat, it is a plain QCPGraph; in the depth
// view it becomes a ribbon in its own depth slice: the faces that look
// upwards lighter than the series colour, the undersides darker, the line
// itself along the front edge.
class TChartLine : public QCPGraph {
    Q_OBJECT
public:
    explicit TChartLine(TChart* chart);

protected:
    QRect clipRect() const override;
    void draw(QCPPainter* painter) override;

private:
    void DrawRibbon(QCPPainter* painter, double front, double back);

    TChart* chart_;
};

}  // namespace kelvarn

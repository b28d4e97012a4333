#pragma once

#include <qcustomplot.h>

namespace kelvarn {

class TChart;

// The back wall, the left wall and the floor of a TChart in the depth view,
// with the grid lines of both axes drawn on them.
class TChartWalls : public QCPLayerable {
    Q_OBJECT
public:
    TChartWalls(TChart* chart, const QString& layerName);

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
    void draw(QCPPainter* painter) override;

private:
    TChart* chart_;
};

}  // namespace kelvarn

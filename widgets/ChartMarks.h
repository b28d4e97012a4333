#pragma once

#include <qcustomplot.h>

#include <vector>

namespace kelvarn {

class TChart;

// The value labels of all series of a TChart whose marks are on, drawn in
// one pass above the series. Only points inside the axis ranges get a label,
// and a label that would overlap one already placed is left out, so a
// series of thousands of points costs little more than the labels that fit.
class TChartMarks : public QCPLayerable {
    Q_OBJECT
public:
    TChartMarks(TChart* chart, const QString& layerName);

    // The boxes of the labels that the last drawing placed [px].
    const std::vector<QRectF>& LastBoxes() const { return lastBoxes_; }

protected:
    QRect clipRect() const override;
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
    void draw(QCPPainter* painter) override;

private:
    TChart* chart_;
    std::vector<QRectF> lastBoxes_;
};

}  // namespace kelvarn

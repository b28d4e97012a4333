#pragma once

#include <qcustomplot.h>

namespace kelvarn {

class TChart;

// A bar series of a TChart. Flat and in one colour it is a plain QCPBars;
// it can give every bar its own colour from TChart::BarPalette(), and in the
// depth view every bar becomes a block with a lighter top and a darker side.
class TChartBars : public QCPBars {
    Q_OBJECT
public:
    explicit TChartBars(TChart* chart);

    void SetMultiColour(bool on) { multiColour_ = on; }
    bool MultiColour() const { return multiColour_; }
    // The fill of the bar at data position index (0-based).
    QColor BarColour(int index) const;

protected:
    QRect clipRect() const override;
    void draw(QCPPainter* painter) override;

private:
    TChart* chart_;
    bool multiColour_ = false;
};

}  // namespace kelvarn

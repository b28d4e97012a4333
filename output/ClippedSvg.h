#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <memory>

namespace kelvarn {

class ClippedSvgEngine;

// An SVG drawing that keeps the painter's clipping. Qt's SVG generator drops
// every clip, so a chart's series would run across its tick labels and axis
// titles. Here the drawing is cut into runs of equal clip, each run is written
// by its own generator, and the runs are joined into one document in which a
// clipped run sits in a group with its clip path. A drawing whose clip leaves
// nothing visible is left out.
class ClippedSvg : public QPaintDevice {
public:
    // A drawing of size pixels at dpi; its view box is the same rectangle.
    ClippedSvg(const QSize& size, int dpi);
    ~ClippedSvg() override;
    ClippedSvg(const ClippedSvg&) = delete;
    ClippedSvg& operator=(const ClippedSvg&) = delete;

    QPaintEngine* paintEngine() const override;

    // The document, once the painter has ended; empty if nothing was painted
    // or a run could not be read back.
    QByteArray Document() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize size_;
    int dpi_;
    std::unique_ptr<ClippedSvgEngine> engine_;
};

}  // namespace kelvarn

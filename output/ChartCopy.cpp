#include "output/ChartCopy.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QMimeData>
#include <QPdfWriter>

#include "output/ChartRender.h"
#include "output/ClipboardSink.h"
#include "output/ClippedSvg.h"

namespace kelvarn {

namespace {

CommandResult Hand(std::unique_ptr<QMimeData> data, ClipboardSink& clipboard) {
    if (!clipboard.Put(std::move(data))) return CommandResult::Failure(kClipboardBusy);
    return CommandResult::Success();
}

}  // namespace

QImage ChartBitmap(QCustomPlot& chart) {
    const QSize size = OnScreenSize(chart);
    return chart.toPixmap(size.width(), size.height(), 1.0).toImage();
}

QByteArray ChartSvg(QCustomPlot& chart) {
    const QSize size = OnScreenSize(chart);
    // Qt's SVG generator alone would drop the clip of the plot area.
    ClippedSvg svg(size, chart.logicalDpiX());
    QCPPainter painter;
    if (!painter.begin(&svg)) return {};
    RenderChart(chart, painter, size, QRectF(QPointF(0, 0), size));
    painter.end();
    return svg.Document();
}

QByteArray ChartPdf(QCustomPlot& chart) {
    const QSize size = OnScreenSize(chart);
    const int dpi = chart.logicalDpiX();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(dpi);
    pdf.setTitle(chart.objectName());
    // One page of exactly the chart's size, no margins.
    const QSizeF points(size.width() * 72.0 / dpi, size.height() * 72.0 / dpi);
    pdf.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QCPPainter painter;
    if (!painter.begin(&pdf)) return {};
    RenderChart(chart, painter, size, QRectF(0, 0, pdf.width(), pdf.height()));
    painter.end();
    return bytes;
}

CommandResult CopyChartBitmap(QCustomPlot& chart, ClipboardSink& clipboard) {
    auto data = std::make_unique<QMimeData>();
    data->setImageData(ChartBitmap(chart));
    return Hand(std::move(data), clipboard);
}

CommandResult CopyChartVector(QCustomPlot& chart, ClipboardSink& clipboard) {
    auto data = std::make_unique<QMimeData>();
    data->setData(kSvgMime, ChartSvg(chart));
    data->setData(kPdfMime, ChartPdf(chart));
    data->setImageData(ChartBitmap(chart));
    return Hand(std::move(data), clipboard);
}

}  // namespace kelvarn

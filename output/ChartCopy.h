#pragma once

#include <QByteArray>
#include <QImage>

#include "files/CommandResult.h"

class QCustomPlot;

namespace kelvarn {

class ClipboardSink;

// "Kopieren als Bitmap": the chart at its on-screen size, in its own colours
// and fills, as an image on the clipboard.
CommandResult CopyChartBitmap(QCustomPlot& chart, ClipboardSink& clipboard);

// "Kopieren als Vektorgrafik" and "Kopieren als Grafik": the chart at its
// on-screen size as a vector drawing. The desktop's clipboard has no
// enhanced metafile, so the drawing goes as SVG ("image/svg+xml") and as
// PDF ("application/pdf"), with an image beside them for programs that take
// neither.
CommandResult CopyChartVector(QCustomPlot& chart, ClipboardSink& clipboard);

// The pieces, each at the chart's on-screen size.
QImage ChartBitmap(QCustomPlot& chart);
QByteArray ChartSvg(QCustomPlot& chart);
QByteArray ChartPdf(QCustomPlot& chart);

inline const QString kSvgMime = QStringLiteral("image/svg+xml");
inline const QString kPdfMime = QStringLiteral("application/pdf");

}  // namespace kelvarn

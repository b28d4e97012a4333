#include "output/ChartPrint.h"

#include <qcustomplot.h>

#include <QPrinter>
#include <QScopeGuard>

#include "output/ChartRender.h"
#include "output/PrintJob.h"
#include "output/PrinterSource.h"

namespace kelvarn {

namespace {

// Where the chart goes on the page and the size it is laid out at there.
struct Placement {
    QRectF target;  // [printer device pixels]
    QSize layout;   // [screen pixels]
};

Placement Place(const QCustomPlot& chart, ChartPaper paper, const QPrinter& printer) {
    const double dpiX = printer.logicalDpiX();
    const double dpiY = printer.logicalDpiY();
    const double marginX = kChartPageMarginMm / 25.4 * dpiX;
    const double marginY = kChartPageMarginMm / 25.4 * dpiY;
    QRectF area(0, 0, printer.width(), printer.height());
    area.adjust(marginX, marginY, -marginX, -marginY);
    if (area.width() < 1 || area.height() < 1)
        area = QRectF(0, 0, printer.width(), printer.height());

    QRectF target = area;
    if (paper == ChartPaper::OwnShape) {
        const QSizeF shape = QSizeF(OnScreenSize(chart)).scaled(area.size(), Qt::KeepAspectRatio);
        target = QRectF(QPointF(0, 0), shape);
        target.moveCenter(area.center());
    }
    // Laid out at the target's physical size, so that its text comes out at
    // the size it has on screen.
    const double screenDpiX = chart.logicalDpiX();
    const double screenDpiY = chart.logicalDpiY();
    const QSize layout(qRound(target.width() * screenDpiX / dpiX),
                       qRound(target.height() * screenDpiY / dpiY));
    return {target, layout};
}

}  // namespace

CommandResult PrintChart(QCustomPlot& chart, ChartPaper paper, PrinterSource& printers) {
    QPrinter* printer = printers.DefaultPrinter();
    if (!printer) return CommandResult::Failure(kNoDefaultPrinter);

    const QPageLayout::Orientation before = printer->pageLayout().orientation();
    const int resolutionBefore = printer->resolution();
    const auto restore = qScopeGuard([&] {
        printer->setPageOrientation(before);
        printer->setResolution(resolutionBefore);
    });
    printer->setPageOrientation(QPageLayout::Landscape);
    printer->setDocName(chart.objectName());
    // The chart's fonts are given in points and take their pixel size from
    // the device they are drawn on, its pens and gaps in screen pixels. At
    // the screen's resolution both keep the proportions they have on screen
    // when the chart is scaled onto the page. The job reaches the print
    // service as a PDF drawing, so this costs no sharpness.
    printer->setResolution(chart.logicalDpiX());

    PrintJob job(*printer);
    if (!job.Begin()) return CommandResult::Failure(job.Failure());
    const Placement place = Place(chart, paper, *printer);
    RenderChart(chart, job.Painter(), place.layout, place.target);
    if (!job.Finish()) return CommandResult::Failure(job.Failure());
    return CommandResult::Success();
}

}  // namespace kelvarn

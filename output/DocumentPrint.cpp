#include "output/DocumentPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPrinter>
#include <QScreen>
#include <QTextDocument>
#include <memory>

#include "output/PrintJob.h"
#include "output/PrinterSource.h"

namespace kelvarn {

namespace {

// The window below its menu bar.
QRect ClientArea(QWidget& window) {
    QRect area = window.rect();
    if (auto* main = qobject_cast<QMainWindow*>(&window)) {
        if (QWidget* menu = main->menuWidget(); menu && menu->isVisibleTo(main))
            area.setTop(menu->geometry().bottom() + 1);
    }
    return area;
}

// The resolution text is laid out in when no device is given [dpi].
double LayoutDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

}  // namespace

CommandResult PrintWindowImage(QWidget& window, PrinterSource& printers) {
    QPrinter* printer = printers.DefaultPrinter();
    if (!printer) return CommandResult::Failure(kNoDefaultPrinter);
    // A name left by an earlier chart print would misname this job.
    printer->setDocName(QString());

    const QPixmap image = window.grab(ClientArea(window));
    PrintJob job(*printer);
    if (!job.Begin()) return CommandResult::Failure(job.Failure());
    const QSizeF onScreen = image.deviceIndependentSize();
    QSizeF size(onScreen.width() * printer->logicalDpiX() / window.logicalDpiX(),
                onScreen.height() * printer->logicalDpiY() / window.logicalDpiY());
    // A window larger than the page is shrunk to fit rather than cut off.
    const QSizeF page(printer->width(), printer->height());
    if (size.width() > page.width() || size.height() > page.height())
        size = size.scaled(page, Qt::KeepAspectRatio);
    job.Painter().setRenderHint(QPainter::SmoothPixmapTransform);
    job.Painter().drawPixmap(QRectF(QPointF(0, 0), size), image, QRectF(image.rect()));
    if (!job.Finish()) return CommandResult::Failure(job.Failure());
    return CommandResult::Success();
}

CommandResult PrintDescription(const QTextDocument& text, PrinterSource& printers) {
    QPrinter* printer = printers.DefaultPrinter();
    if (!printer) return CommandResult::Failure(kNoDefaultPrinter);
    printer->setDocName(kDescriptionJob);

    PrintJob job(*printer);
    if (!job.Begin()) return CommandResult::Failure(job.Failure());

    // A copy is paginated, so the field on screen keeps its own layout.
    const std::unique_ptr<QTextDocument> doc(text.clone());
    const double dpi = LayoutDpi();
    const double scaleX = printer->logicalDpiX() / dpi;
    const double scaleY = printer->logicalDpiY() / dpi;
    const QSizeF page(printer->width() / scaleX, printer->height() / scaleY);  // [layout px]
    doc->setPageSize(page);

    QCPPainter& painter = job.Painter();
    painter.scale(scaleX, scaleY);
    const int pages = doc->pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !job.NewPage()) return CommandResult::Failure(job.Failure());
        const QRectF view(0, i * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);  // paper is white
        doc->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    if (!job.Finish()) return CommandResult::Failure(job.Failure());
    return CommandResult::Success();
}

}  // namespace kelvarn

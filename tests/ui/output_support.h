#pragma once

// Shared pieces of the copy and print tests: a printer that writes a PDF
// file, a clipboard that refuses, and what poppler's tools read from a PDF.

#include <QImage>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <memory>

#include "output/ClipboardSink.h"
#include "output/PrinterSource.h"

namespace kelvarn::testing {

// The default printer as a test sees it: a PDF file, A4, portrait at start.
class PdfPrinters : public PrinterSource {
public:
    explicit PdfPrinters(const QString& file) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
    }
    QPrinter* DefaultPrinter() override { return installed ? &printer : nullptr; }

    QPrinter printer{QPrinter::HighResolution};
    bool installed = true;
};

// A clipboard held open by another program.
class BusyClipboard : public ClipboardSink {
public:
    bool Put(std::unique_ptr<QMimeData>) override {
        ++refused;
        return false;
    }
    int refused = 0;
};

inline QString RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(20000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// What pdfinfo says about a PDF file.
struct PdfFacts {
    int pages = 0;
    QSizeF pageSize;  // [pt] of the first page
    QString title;
    bool landscape() const { return pageSize.width() > pageSize.height(); }
};

inline PdfFacts ReadPdf(const QString& file) {
    PdfFacts facts;
    const QString info = RunTool(QStringLiteral("pdfinfo"), {file});
    for (const QString& line : info.split(QLatin1Char('\n'))) {
        const QString value = line.section(QLatin1Char(':'), 1).trimmed();
        if (line.startsWith(QLatin1String("Pages:"))) facts.pages = value.toInt();
        if (line.startsWith(QLatin1String("Title:"))) facts.title = value;
        if (line.startsWith(QLatin1String("Page size:"))) {
            const auto m = QRegularExpression(QStringLiteral("([\\d.]+) x ([\\d.]+)")).match(value);
            if (m.hasMatch())
                facts.pageSize = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
        }
    }
    return facts;
}

// Where pdftotext finds a word on page 1 [pt from the page's top left];
// empty when it is not there.
inline QRectF WordBox(const QString& file, const QString& word) {
    const QString html =
        RunTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                 QStringLiteral("-l"), QStringLiteral("1"), file, QStringLiteral("-")});
    const QRegularExpression re(
        QStringLiteral(
            "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">") +
        QRegularExpression::escape(word) + QStringLiteral("</word>"));
    const auto m = re.match(html);
    if (!m.hasMatch()) return {};
    return QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                  QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
}

// The text pdftotext finds in a PDF file.
inline QString PdfText(const QString& file) {
    return RunTool(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), file, QStringLiteral("-")});
}

// The part of page 1 that is not white, in points from the page's top left.
inline QRectF InkedArea(const QString& pdf, const QString& dir) {
    const int dpi = 36;
    const QString stem = dir + QStringLiteral("/page");
    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"),
             QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-f"),
             QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), pdf, stem});
    const QImage page(stem + QStringLiteral(".png"));
    if (page.isNull()) return {};
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 200) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0) return {};
    const double pt = 72.0 / dpi;
    return QRectF(left * pt, top * pt, (right - left + 1) * pt, (bottom - top + 1) * pt);
}

}  // namespace kelvarn::testing

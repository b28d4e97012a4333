#include "output/Report.h"

#include <qcustomplot.h>

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextDocument>
#include <memory>
#include <vector>

#include "app/ChartSetup.h"
#include "eval/Evaluation.h"
#include "eval/Figures.h"
#include "files/Export.h"
#include "files/MeasurementFile.h"
#include "files/ProtocolText.h"
#include "output/ChartRender.h"
#include "output/PrintJob.h"
#include "widgets/Chart.h"

namespace kelvarn {

namespace {

constexpr double kPx = kReportDpi / 25.4;  // [px per mm]
const QSizeF kPage(210 * kPx, 297 * kPx);  // A4 portrait [px]
constexpr double kMargin = 18 * kPx;
constexpr double kFooter = 8 * kPx;  // band above the bottom margin for the page number
constexpr double kGap = 4 * kPx;     // between blocks

QRectF ContentArea() {
    return QRectF(kMargin, kMargin, kPage.width() - 2 * kMargin,
                  kPage.height() - 2 * kMargin - kFooter);
}

QFont Font(double points, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// One piece of the report. A splittable block (the description) may continue on the next
// page; paint draws the part from offset on into area.
struct Block {
    double height = 0;
    bool splittable = false;
    std::function<void(QCPPainter&, const QRectF& area, double offset)> paint;
};

struct Placement {
    int page = 0;
    QRectF area;
    double offset = 0;
    const Block* block = nullptr;
};

// Where every block goes: a block that does not fit on a page that already holds something
// starts a new page; a splittable one fills the page and goes on.
std::vector<Placement> Layout(const std::vector<Block>& blocks) {
    const QRectF content = ContentArea();
    std::vector<Placement> out;
    int page = 0;
    double y = content.top();
    for (const Block& b : blocks) {
        double left = b.height;
        double offset = 0;
        while (true) {
            const double room = content.bottom() - y;
            if (left <= room || (!b.splittable && y == content.top())) {
                out.push_back({page, QRectF(content.left(), y, content.width(), left), offset, &b});
                y += left + kGap;
                break;
            }
            if (b.splittable && room > 20 * kPx) {
                out.push_back({page, QRectF(content.left(), y, content.width(), room), offset, &b});
                offset += room;
                left -= room;
            }
            ++page;
            y = content.top();
        }
    }
    return out;
}

Block TextBlock(QPaintDevice* device, const QString& text, const QFont& font, double width) {
    const QFontMetricsF m(font, device);
    const double h =
        m.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap | Qt::AlignLeft, text).height();
    return {h, false, [text, font](QCPPainter& p, const QRectF& area, double) {
                p.setFont(font);
                p.setPen(Qt::black);
                p.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
            }};
}

// The charts of the window, filled as the evaluation fills them.
std::unique_ptr<TChart> LevelChart(const Evaluation& ev) {
    if (ev.twelve) {
        auto c = std::make_unique<TChart>(QStringLiteral("Chart3"),
                                          QStringLiteral("Pegel in der Übersicht"));
        SetUpOverviewChart(*c);
        for (int i = 0; i < kBlockSeries; ++i) c->SetPoints(i, ev.chart3[size_t(i)]);
        return c;
    }
    auto c =
        std::make_unique<TChart>(QStringLiteral("Chart1"), QStringLiteral("Schallpegeldiagramm"));
    SetUpLevelChart(*c);
    c->SetBottomAxis(ev.chart1AxisTitle, 0, ev.chart1AxisMax);
    for (int i = 0; i < kBlockSeries; ++i) {
        c->SetPoints(i, ev.chart1[size_t(i)]);
        if (i > 0) c->SetSeriesVisible(i, ev.chart1BlocksVisible);
    }
    return c;
}

std::unique_ptr<TChart> LeqChart(const Evaluation& ev) {
    std::unique_ptr<TChart> c;
    if (ev.twelve) {
        c = std::make_unique<TChart>(QStringLiteral("Chart12Leq"),
                                     QStringLiteral("Äquivalenzen in der Übersicht"));
        SetUpOverviewLeqChart(*c);
        for (int i = 0; i < kLeqCurves; ++i) c->SetPoints(i, ev.chart12Leq[size_t(i)]);
    } else {
        c = std::make_unique<TChart>(QStringLiteral("Chart6"),
                                     QStringLiteral("Äquivalenzpegeldiagramm"));
        SetUpLeqChart(*c);
        for (int i = 0; i < kLeqCurves; ++i) c->SetPoints(i, ev.chart6[size_t(i)]);
        c->Rescale();
    }
    // On paper the three curves are told apart by the legend alone.
    c->SetLegendVisible(true);
    return c;
}

std::unique_ptr<TChart> DistributionChart(const Evaluation& ev) {
    auto c = std::make_unique<TChart>(QStringLiteral("Chart2"), QStringLiteral("Verteilung"));
    SetUpDistributionChart(*c);
    c->SetPoints(0, ev.chart2);
    c->Rescale();
    return c;
}

Block ChartBlock(TChart* chart, double heightMm) {
    return {heightMm * kPx, false, [chart](QCPPainter& p, const QRectF& area, double) {
                RenderChart(*chart, p, area.size().toSize(), area);
            }};
}

// Left edge and width of column c of the figures table [px]: the measurement, the count and
// the duration are wider than the levels.
QRectF ColumnOf(const QRectF& area, int c, int cols) {
    const double fixed[3] = {16 * kPx, 13 * kPx, 18 * kPx};
    const double level = (area.width() - fixed[0] - fixed[1] - fixed[2]) / std::max(1, cols - 3);
    double x = area.left();
    for (int k = 0; k < c; ++k) x += k < 3 ? fixed[k] : level;
    return QRectF(x, area.top(), c < 3 ? fixed[c] : level, area.height());
}

Block TableBlock(const TableText& t) {
    const QFont font = Font(8);
    const QFont bold = Font(8, true);
    const double rowHeight = 5.5 * kPx;
    return {rowHeight * t.Rows(), false,
            [t, font, bold, rowHeight](QCPPainter& p, const QRectF& area, double) {
                p.setPen(QPen(Qt::gray, 0.5));
                for (int r = 0; r <= t.Rows(); ++r) {
                    const double y = area.top() + r * rowHeight;
                    p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
                }
                p.setPen(Qt::black);
                for (int r = 0; r < t.Rows(); ++r) {
                    p.setFont(r == 0 || t.Cell(0, r) == QLatin1String("Gesamt") ? bold : font);
                    for (int c = 0; c < t.Cols(); ++c) {
                        const QRectF column = ColumnOf(area, c, t.Cols());
                        const QRectF cell(column.left() + 2, area.top() + r * rowHeight,
                                          column.width() - 4, rowHeight);
                        p.drawText(cell,
                                   Qt::AlignVCenter | (c == 0 ? Qt::AlignLeft : Qt::AlignRight),
                                   t.Cell(c, r).trimmed());
                    }
                }
            }};
}

Block DescriptionBlock(QPaintDevice* device, const QTextDocument& description, double width) {
    std::shared_ptr<QTextDocument> doc(description.clone());
    doc->documentLayout()->setPaintDevice(device);
    doc->setTextWidth(width);
    doc->setDocumentMargin(0);
    return {doc->size().height(), true, [doc](QCPPainter& p, const QRectF& area, double offset) {
                p.save();
                p.setClipRect(area);
                p.translate(area.left(), area.top() - offset);
                QAbstractTextDocumentLayout::PaintContext context;
                context.clip = QRectF(0, offset, area.width(), area.height());
                context.palette.setColor(QPalette::Text, Qt::black);  // paper is white
                doc->documentLayout()->draw(&p, context);
                p.restore();
            }};
}

void PaintFooter(QCPPainter& p, const QString& fileName, int page, int pages) {
    const QRectF band(kMargin, kPage.height() - kMargin - kFooter * 0.6,
                      kPage.width() - 2 * kMargin, kFooter * 0.6);
    p.setFont(Font(8));
    p.setPen(Qt::darkGray);
    p.drawLine(band.topLeft(), band.topRight());
    p.drawText(band, Qt::AlignLeft | Qt::AlignBottom, fileName);
    p.drawText(band, Qt::AlignRight | Qt::AlignBottom,
               QStringLiteral("Seite %1 von %2").arg(page).arg(pages));
}

}  // namespace

int PaintReport(QCPPainter& painter, const MeasurementRecord& rec, const ReportContent& content,
                const std::function<bool()>& newPage) {
    // The report is German whatever the system's locale: decimal commas.
    EvalOptions opt;
    opt.fmt = NumberFormat(QLatin1Char(','));
    const Evaluation ev = EvaluateRecord(rec, opt);
    const RecordFigures figures = ComputeFigures(rec);
    const std::unique_ptr<TChart> level = LevelChart(ev);
    const std::unique_ptr<TChart> leq = LeqChart(ev);
    const std::unique_ptr<TChart> distribution = DistributionChart(ev);

    QPaintDevice* device = painter.device();
    const double width = ContentArea().width();
    const QString date =
        content.fileDate.isValid()
            ? QLocale(QLocale::German, QLocale::Germany)
                  .toString(content.fileDate, QStringLiteral("dd.MM.yyyy, HH:mm 'Uhr'"))
            : QStringLiteral("nicht gespeichert");

    std::vector<Block> blocks;
    blocks.push_back(TextBlock(device, QStringLiteral("Messbericht"), Font(18, true), width));
    blocks.push_back(
        TextBlock(device, QStringLiteral("Datei: ") + content.fileName, Font(10, true), width));
    blocks.push_back(TextBlock(device, InformationLine(content.fileName, rec), Font(9), width));
    blocks.push_back(TextBlock(device, QStringLiteral("Dateidatum: ") + date, Font(9), width));
    if (!ev.damageNotice.isEmpty())
        blocks.push_back(TextBlock(device, ev.damageNotice.trimmed(), Font(9, true), width));
    if (content.description && !content.description->isEmpty()) {
        blocks.push_back(TextBlock(device, QStringLiteral("Beschreibung"), Font(11, true), width));
        blocks.push_back(DescriptionBlock(device, *content.description, width));
    }
    // The protocol where one was kept, and always the note that the cell's results are
    // indicative.
    if (content.protocol && !content.protocol->IsEmpty()) {
        blocks.push_back(TextBlock(device, QStringLiteral("Messprotokoll"), Font(11, true), width));
        blocks.push_back(
            TextBlock(device, ProtocolReportLines(rec, *content.protocol).join(QLatin1Char('\n')),
                      Font(9), width));
    }
    blocks.push_back(TextBlock(device, QString::fromUtf8(kIndicativeNote), Font(8, true), width));
    blocks.push_back(ChartBlock(level.get(), 88));
    blocks.push_back(ChartBlock(leq.get(), 78));
    blocks.push_back(ChartBlock(distribution.get(), 85));
    blocks.push_back(TextBlock(device, QStringLiteral("Kennwerte"), Font(11, true), width));
    blocks.push_back(TableBlock(FiguresTable(figures, opt.fmt, ShowsTotal(figures))));

    const std::vector<Placement> placed = Layout(blocks);
    const int pages = placed.empty() ? 1 : placed.back().page + 1;
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !newPage()) return page;
        for (const Placement& pl : placed)
            if (pl.page == page) pl.block->paint(painter, pl.area, pl.offset);
        PaintFooter(painter, content.fileName, page + 1, pages);
    }
    return pages;
}

QByteArray ReportPdf(const MeasurementRecord& rec, const ReportContent& content) {
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kReportDpi);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setTitle(QStringLiteral("Messbericht ") + content.fileName);
        writer.setCreator(QStringLiteral("Kelvarn"));
        QCPPainter painter;
        if (!painter.begin(&writer)) return {};
        PaintReport(painter, rec, content, [&writer] { return writer.newPage(); });
        painter.end();
    }
    return pdf;
}

CommandResult WriteReportPdf(const QString& path, const MeasurementRecord& rec,
                             const ReportContent& content) {
    const QByteArray pdf = ReportPdf(rec, content);
    if (pdf.isEmpty())
        return CommandResult::Failure(QStringLiteral("Der Bericht kann nicht erstellt werden"));
    const CommandResult r = WriteExportFile(path, pdf);
    return r.ok ? CommandResult::Success() : CommandResult::Failure(r.message);
}

CommandResult PrintReport(QPrinter& printer, const MeasurementRecord& rec,
                          const ReportContent& content) {
    printer.setResolution(kReportDpi);
    printer.setFullPage(true);  // the report keeps its own margins, measured from the paper's edge
    printer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    printer.setDocName(QStringLiteral("Messbericht ") + content.fileName);
    PrintJob job(printer);
    if (!job.Begin()) return CommandResult::Failure(job.Failure());
    PaintReport(job.Painter(), rec, content, [&job] { return job.NewPage(); });
    if (!job.Failure().isEmpty()) return CommandResult::Failure(job.Failure());
    if (!job.Finish()) return CommandResult::Failure(job.Failure());
    return CommandResult::Success();
}

}  // namespace kelvarn

#include "output/Report.h"

#include <qcustomplot.h>

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextDocument>
#include <memory>
#include <vector>

#include "data/ProgramTable.h"
#include "document/ResultTexts.h"
#include "eval/AssessmentSetup.h"
#include "eval/AssessmentText.h"
#include "eval/AssessmentView.h"
#include "eval/Evaluation.h"
#include "eval/Figures.h"
#include "files/Export.h"
#include "files/MeasurementFile.h"
#include "output/ChartRender.h"
#include "output/PrintJob.h"
#include "widgets/Chart.h"
#include "widgets/ChartSetup.h"

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
// page; paint draws the part from offset on into area. A heading keeps with the next block: it
// goes to the next page with it rather than stand alone at a page's foot.
struct Block {
    double height = 0;
    bool splittable = false;
    std::function<void(QCPPainter&, const QRectF& area, double offset)> paint;
    bool keepWithNext = false;
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
    constexpr double kMinSplit = 20 * kPx;  // the least of a split block worth starting on a page
    std::vector<Placement> out;
    int page = 0;
    double y = content.top();
    for (size_t i = 0; i < blocks.size(); ++i) {
        const Block& b = blocks[i];
        if (b.keepWithNext && i + 1 < blocks.size() && y > content.top()) {
            const Block& next = blocks[i + 1];
            const double needed =
                b.height + kGap +
                (next.splittable ? std::min(next.height, kMinSplit) : next.height);
            if (needed > content.bottom() - y && needed <= content.height()) {
                ++page;
                y = content.top();
            }
        }
        double left = b.height;
        double offset = 0;
        while (true) {
            const double room = content.bottom() - y;
            if (left <= room || (!b.splittable && y == content.top())) {
                out.push_back({page, QRectF(content.left(), y, content.width(), left), offset, &b});
                y += left + kGap;
                break;
            }
            if (b.splittable && room > kMinSplit) {
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

double TextHeight(QPaintDevice* device, const QString& text, const QFont& font, double width) {
    const QFontMetricsF m(font, device);
    return m.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap | Qt::AlignLeft, text)
        .height();
}

Block TextBlock(QPaintDevice* device, const QString& text, const QFont& font, double width) {
    return {TextHeight(device, text, font, width), false,
            [text, font](QCPPainter& p, const QRectF& area, double) {
                p.setFont(font);
                p.setPen(Qt::black);
                p.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
            }};
}

Block Heading(QPaintDevice* device, const QString& text, double width) {
    Block b = TextBlock(device, text, Font(11, true), width);
    b.keepWithNext = true;
    return b;
}

// The overview charts count measurements: one tick for each, none at the empty ends.
void TickEveryMeasurement(TChart& chart) {
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    for (int k = 1; k <= kBlockSeries; ++k) ticker->addTick(k, QString::number(k));
    chart.xAxis->setTicker(ticker);
}

// The charts of the window, filled as the evaluation fills them.
std::unique_ptr<TChart> LevelChart(const Evaluation& ev) {
    if (ev.twelve) {
        auto c = std::make_unique<TChart>(QStringLiteral("Chart3"),
                                          QStringLiteral("Pegel in der Übersicht"));
        SetUpOverviewChart(*c);
        for (int i = 0; i < kBlockSeries; ++i) c->SetPoints(i, ev.overviewSeries[size_t(i)]);
        TickEveryMeasurement(*c);
        return c;
    }
    auto c =
        std::make_unique<TChart>(QStringLiteral("Chart1"), QStringLiteral("Schallpegeldiagramm"));
    SetUpLevelChart(*c);
    c->SetBottomAxis(ev.levelAxisTitle, 0, ev.levelAxisMax);
    for (int i = 0; i < kBlockSeries; ++i) {
        c->SetPoints(i, ev.levelSeries[size_t(i)]);
        if (i > 0) c->SetSeriesVisible(i, ev.levelBlocksVisible);
    }
    return c;
}

std::unique_ptr<TChart> LeqChart(const Evaluation& ev) {
    std::unique_ptr<TChart> c;
    if (ev.twelve) {
        c = std::make_unique<TChart>(QStringLiteral("Chart12Leq"),
                                     QStringLiteral("Äquivalenzen in der Übersicht"));
        SetUpOverviewLeqChart(*c);
        for (int i = 0; i < kLeqCurves; ++i) c->SetPoints(i, ev.overviewLeqSeries[size_t(i)]);
        TickEveryMeasurement(*c);
    } else {
        c = std::make_unique<TChart>(QStringLiteral("Chart6"),
                                     QStringLiteral("Äquivalenzpegeldiagramm"));
        SetUpLeqChart(*c);
        for (int i = 0; i < kLeqCurves; ++i) c->SetPoints(i, ev.leqSeries[size_t(i)]);
        c->xAxis->setLabel(ev.leqAxisTitle);
        c->Rescale();
    }
    // On paper the three curves are told apart by the legend alone; under the plot it hides none
    // of them.
    c->SetLegendVisible(true);
    PlaceLegendBelowPlot(*c);
    return c;
}

std::unique_ptr<TChart> DistributionChart(const Evaluation& ev) {
    auto c = std::make_unique<TChart>(QStringLiteral("Chart2"), QStringLiteral("Verteilung"));
    SetUpDistributionChart(*c);
    c->SetPoints(0, ev.distributionBars);
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
QRectF ColumnOf(const QRectF& area, int c, int cols, double first) {
    const double fixed[3] = {first, 13 * kPx, 18 * kPx};
    const double level = (area.width() - fixed[0] - fixed[1] - fixed[2]) / std::max(1, cols - 3);
    double x = area.left();
    for (int k = 0; k < c; ++k) x += k < 3 ? fixed[k] : level;
    return QRectF(x, area.top(), c < 3 ? fixed[c] : level, area.height());
}

// The figures table's headings with their units: "LAeq/dB(A)" over two lines, as the level
// columns are narrow; "Dauer/h" has its unit already.
QString HeadingWithUnit(const TableText& t, int c) {
    const QString heading = t.Cell(c, 0).trimmed();
    return c < 3 ? heading : heading + QStringLiteral("/\ndB(A)");
}

Block TableBlock(const TableText& t) {
    const QFont font = Font(8);
    const QFont bold = Font(8, true);
    const double rowHeight = 5.5 * kPx;
    const double headingHeight = 9 * kPx;
    const double height = headingHeight + rowHeight * std::max(0, t.Rows() - 1);
    // The first column as wide as its longest name ("1 ohne Fremdgeräusch"), at least 16 mm.
    double first = 16 * kPx;
    const QFontMetricsF metrics(bold);
    for (int r = 0; r < t.Rows(); ++r)
        first = std::max(first, metrics.horizontalAdvance(t.Cell(0, r).trimmed()) + 6);
    return {height, false,
            [t, font, bold, rowHeight, headingHeight, first](QCPPainter& p, const QRectF& area,
                                                             double) {
                auto top = [&](int r) {
                    return area.top() + (r == 0 ? 0 : headingHeight + (r - 1) * rowHeight);
                };
                p.setPen(QPen(Qt::gray, 0.5));
                for (int r = 0; r <= t.Rows(); ++r)
                    p.drawLine(QPointF(area.left(), top(r)), QPointF(area.right(), top(r)));
                p.setPen(Qt::black);
                for (int r = 0; r < t.Rows(); ++r) {
                    p.setFont(r == 0 || t.Cell(0, r) == QLatin1String("Gesamt") ? bold : font);
                    const double h = r == 0 ? headingHeight : rowHeight;
                    for (int c = 0; c < t.Cols(); ++c) {
                        const QRectF column = ColumnOf(area, c, t.Cols(), first);
                        const QRectF cell(column.left() + 2, top(r) + (r == 0 ? 1 : 0),
                                          column.width() - 4, h - (r == 0 ? 2 : 0));
                        const Qt::Alignment side = c == 0 ? Qt::AlignLeft : Qt::AlignRight;
                        if (r == 0) {
                            p.drawText(cell, Qt::AlignBottom | side, HeadingWithUnit(t, c));
                        } else {
                            p.drawText(cell, Qt::AlignVCenter | side, t.Cell(c, r).trimmed());
                        }
                    }
                }
            }};
}

// A table of texts whose columns share the width by weight; a cell's text wraps, and a row is
// as high as its highest cell. The heading row is bold.
Block GridBlock(QPaintDevice* device, const TableText& t, const std::vector<double>& weights,
                double width) {
    const QFont font = Font(7.5);
    const QFont bold = Font(7.5, true);
    double total = 0;
    for (int c = 0; c < t.Cols(); ++c) total += c < int(weights.size()) ? weights[size_t(c)] : 1;
    std::vector<double> widths;
    for (int c = 0; c < t.Cols(); ++c)
        widths.push_back(width * (c < int(weights.size()) ? weights[size_t(c)] : 1) / total);
    constexpr double kPad = 1.5;  // [px] around a cell's text
    std::vector<double> heights;
    for (int r = 0; r < t.Rows(); ++r) {
        double h = 0;
        for (int c = 0; c < t.Cols(); ++c)
            h = std::max(h, TextHeight(device, t.Cell(c, r).trimmed(), r == 0 ? bold : font,
                                       widths[size_t(c)] - 2 * kPad));
        heights.push_back(h + 2 * kPad);
    }
    double height = 0;
    for (double h : heights) height += h;
    return {height, false,
            [t, font, bold, widths, heights](QCPPainter& p, const QRectF& area, double) {
                double y = area.top();
                for (int r = 0; r < t.Rows(); ++r) {
                    p.setPen(QPen(Qt::gray, 0.5));
                    p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
                    p.setPen(Qt::black);
                    p.setFont(r == 0 ? bold : font);
                    double x = area.left();
                    for (int c = 0; c < t.Cols(); ++c) {
                        const QRectF cell(x + kPad, y + kPad, widths[size_t(c)] - 2 * kPad,
                                          heights[size_t(r)] - 2 * kPad);
                        p.drawText(cell, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                                   t.Cell(c, r).trimmed());
                        x += widths[size_t(c)];
                    }
                    y += heights[size_t(r)];
                }
                p.setPen(QPen(Qt::gray, 0.5));
                p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
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
    p.drawText(band, Qt::AlignHCenter | Qt::AlignBottom,
               QStringLiteral("Kelvarn " KELVARN_VERSION));
    p.drawText(band, Qt::AlignRight | Qt::AlignBottom,
               QStringLiteral("Seite %1 von %2").arg(page).arg(pages));
}

QImage ReadLogo(const QString& path, QString* problem = nullptr) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull() && problem)
        *problem = QStringLiteral("Das Logo für den Berichtskopf kann nicht gelesen werden (") +
                   reader.errorString() + QStringLiteral("): ") + path;
    return image;
}

// The firm's name and address at the left, its logo at the right, a rule under both.
Block HeadBlock(QPaintDevice* device, const ReportHead& head, const QImage& logo, double width) {
    const QFont name = Font(12, true);
    const QFont address = Font(9);
    const QSizeF logoBox(60 * kPx, 22 * kPx);
    const QSizeF logoSize =
        logo.isNull() ? QSizeF() : QSizeF(logo.size()).scaled(logoBox, Qt::KeepAspectRatio);
    const double textWidth = width - (logo.isNull() ? 0 : logoSize.width() + kGap);
    const QString lines = head.address.join(QLatin1Char('\n'));
    double textHeight = 0;
    if (!head.company.isEmpty()) textHeight += TextHeight(device, head.company, name, textWidth);
    if (!lines.isEmpty()) textHeight += TextHeight(device, lines, address, textWidth);
    const double rule = 3 * kPx;
    const double height = std::max(textHeight, logoSize.height()) + rule;
    return {height, false,
            [head, lines, logo, logoSize, name, address, textWidth, rule, device](
                QCPPainter& p, const QRectF& area, double) {
                double y = area.top();
                p.setPen(Qt::black);
                if (!head.company.isEmpty()) {
                    const double h = TextHeight(device, head.company, name, textWidth);
                    p.setFont(name);
                    p.drawText(QRectF(area.left(), y, textWidth, h),
                               Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, head.company);
                    y += h;
                }
                if (!lines.isEmpty()) {
                    p.setFont(address);
                    p.drawText(QRectF(area.left(), y, textWidth, area.bottom() - y),
                               Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, lines);
                }
                if (!logo.isNull())
                    p.drawImage(
                        QRectF(QPointF(area.right() - logoSize.width(), area.top()), logoSize),
                        logo);
                p.setPen(QPen(Qt::darkGray, 0.5));
                const double ruleY = area.bottom() - rule / 2;
                p.drawLine(QPointF(area.left(), ruleY), QPointF(area.right(), ruleY));
            }};
}

// Room to sign by hand, a line, and under it what goes there.
Block SignatureBlock(double width) {
    const double room = 18 * kPx;
    const double caption = 6 * kPx;
    return {room + caption, false,
            [width, room, caption](QCPPainter& p, const QRectF& area, double) {
                const double lineWidth = std::min(width, 80 * kPx);
                const double y = area.top() + room;
                p.setPen(QPen(Qt::black, 0.7));
                p.drawLine(QPointF(area.left(), y), QPointF(area.left() + lineWidth, y));
                p.setFont(Font(8));
                p.drawText(QRectF(area.left(), y + 1, lineWidth, caption),
                           Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Datum, Unterschrift"));
            }};
}

// "Programm G, 12 × 10 s, je Messung 500 Messwerte im Abstand von 20 ms".
QString ProgramLine(const MeasurementRecord& rec) {
    const int interval = GetInterval(rec);
    const int row = Programs().RowForInterval(interval);
    const QLocale german(QLocale::German, QLocale::Germany);
    const QString spacing = interval < 1000
                                ? QStringLiteral("%1 ms").arg(interval)
                                : german.toString(interval / 1000.0, 'g', 6) + QStringLiteral(" s");
    const QString program = row > 0 ? ProgramName(row) : QStringLiteral("Unbekanntes Messprogramm");
    const int measurements = GetMeasurements(rec);
    return program + (measurements > 1 ? QStringLiteral(", je Messung ") : QStringLiteral(", ")) +
           QString::number(GetPoints(rec)) + QStringLiteral(" Messwerte im Abstand von ") + spacing;
}

// What the report holds, section by section, in its order. A further section is one more
// function called here.
class ReportSections {
public:
    ReportSections(QPaintDevice* device, const MeasurementRecord& rec, const ReportContent& content)
        : device_(device), rec_(rec), content_(content), width_(ContentArea().width()) {
        // The report is German whatever the system's locale: decimal commas. Its tables are
        // written from the view's numbers in that format.
        fmt_ = NumberFormat(QLatin1Char(','));
        if (!content.view) {
            ViewOptions options;
            options.eval.fmt = fmt_;
            options.zone = content.zone;
            ownView_ = MakeView(rec, content.protocol ? *content.protocol : MeasurementProtocol{},
                                options);
        }
    }

    std::vector<Block> Blocks() {
        Head();
        Measurement();
        Description();
        Protocol();
        Charts();
        Figures();
        Assessment();
        Signature();
        return std::move(blocks_);
    }

private:
    void Add(Block b) { blocks_.push_back(std::move(b)); }

    void Head() {
        const ReportHead& head = content_.head;
        if (!head.logoFile.isEmpty()) logo_ = ReadLogo(head.logoFile);
        if (!head.company.isEmpty() || !head.address.isEmpty() || !logo_.isNull())
            Add(HeadBlock(device_, head, logo_, width_));
    }

    void Measurement() {
        const QString date =
            content_.fileDate.isValid()
                ? QLocale(QLocale::German, QLocale::Germany)
                      .toString(content_.fileDate, QStringLiteral("dd.MM.yyyy, HH:mm 'Uhr'"))
                : QStringLiteral("nicht gespeichert");
        Add(TextBlock(device_, QStringLiteral("Messbericht"), Font(18, true), width_));
        Add(TextBlock(device_, QStringLiteral("Datei: ") + content_.fileName, Font(10, true),
                      width_));
        Add(TextBlock(device_, ProgramLine(rec_), Font(9), width_));
        Add(TextBlock(device_, QStringLiteral("Dateidatum: ") + date, Font(9), width_));
        if (!Ev().damageNotice.isEmpty())
            Add(TextBlock(device_, Ev().damageNotice.trimmed(), Font(9, true), width_));
    }

    void Description() {
        if (!content_.description || content_.description->isEmpty()) return;
        Add(Heading(device_, QStringLiteral("Beschreibung"), width_));
        Add(DescriptionBlock(device_, *content_.description, width_));
    }

    // The protocol where one was kept, and always the note that the cell's results are
    // indicative.
    void Protocol() {
        if (content_.protocol && !content_.protocol->IsEmpty()) {
            Add(Heading(device_, QStringLiteral("Messprotokoll"), width_));
            Add(TextBlock(device_,
                          ProtocolReportLines(View(), *content_.protocol, GetInterval(rec_), fmt_)
                              .join(QLatin1Char('\n')),
                          Font(9), width_));
        }
        Add(TextBlock(device_, IndicativeNote(), Font(8, true), width_));
    }

    void Charts() {
        // The charts show the times the window shows, also when zoomed in.
        charts_.push_back(LevelChart(Ev()));
        if (content_.levelView)
            charts_.back()->xAxis->setRange(content_.levelView->first, content_.levelView->second);
        Add(ChartBlock(charts_.back().get(), 88));
        charts_.push_back(LeqChart(Ev()));
        if (content_.leqView)
            charts_.back()->xAxis->setRange(content_.leqView->first, content_.leqView->second);
        Add(ChartBlock(charts_.back().get(), 84));
        charts_.push_back(DistributionChart(Ev()));
        Add(ChartBlock(charts_.back().get(), 85));
    }

    void Figures() {
        Add(Heading(device_, QStringLiteral("Kennwerte"), width_));
        Add(TableBlock(View().FiguresTableIn(fmt_)));
        Add(TextBlock(device_, PercentileNotesText(), Font(8), width_));
    }

    // The assessment with its tables, its hourly chart, each result with its formula and
    // inputs, and what was assumed. Only where there is something to assess by time of day or
    // by input: without a start time and without inputs it would repeat the figures.
    void Assessment() {
        const MeasurementProtocol none;
        const MeasurementProtocol& protocol = content_.protocol ? *content_.protocol : none;
        const AssessmentSetup& setup = View().assessmentSetup;
        const AssessmentInput& in = setup.input;
        if (!View().AssessesByTime()) return;
        const kelvarn::Assessment& a = View().assessment;
        const NumberFormat& fmt = fmt_;
        auto text = [this](const QStringList& lines, double points = 8.5) {
            Add(TextBlock(device_, lines.join(QLatin1Char('\n')), Font(points), width_));
        };

        Add(Heading(device_, QStringLiteral("Beurteilung"), width_));
        text({SampleNote(),
              QStringLiteral("Ortszeit: Zeitzone %1.").arg(QString::fromUtf8(in.zone.id()))});
        for (const QString& problem : setup.problems)
            text(
                {QStringLiteral("Nicht lesbare Angabe im Protokoll, nicht beurteilt: ") + problem});
        Add(GridBlock(device_, MeasurementLevelTable(a, fmt), {1.5, 3, 3, 1.4, 1.6, 1.4, 2.6},
                      width_));
        if (const QStringList leftOut = LeftOutLines(protocol, fmt); !leftOut.isEmpty())
            text(leftOut);

        if (a.hours) {
            Add(Heading(device_, QStringLiteral("Stunden (Ortszeit)"), width_));
            std::optional<int> limit;
            if (in.taLaerm) {
                const AreaInfo& area = AreaOf(in.taLaerm->area);
                limit = in.taLaerm->period == RatingPeriod::Tag ? area.dayLimit : area.nightLimit;
            }
            auto chart = std::make_unique<TChart>(QStringLiteral("ChartStunden"),
                                                  QStringLiteral("Stundenpegel"));
            SetUpHourlyChart(*chart);
            ShowHourlyChart(*chart, HourlyChart(a, limit));
            PlaceLegendBelowPlot(*chart);  // over the plot it would hide the bars
            charts_.push_back(std::move(chart));
            Add(ChartBlock(charts_.back().get(), 70));
            Add(GridBlock(device_, HourTable(a, fmt), {3, 1, 1, 1}, width_));
        }
        Add(Heading(device_, QStringLiteral("Zeiträume, Lden, lauteste Nachtstunde"), width_));
        Add(GridBlock(device_, PeriodTable(a, fmt), {2.2, 1, 1, 3}, width_));
        // Directive 2002/49/EC, Annex I.
        text({QStringLiteral("Lden = 10·lg[(12·10^(Lday/10) + 4·10^((Levening+5)/10) + "
                             "8·10^((Lnight+10)/10))/24], Tag 06–18, Abend 18–22, Nacht 22–06 "
                             "Uhr; das gesetzliche Lden ist ein Jahreswert, dieses gilt nur für "
                             "die gemessene Zeit."),
              QStringLiteral("Lauteste Nachtstunde: die volle gemessene Stunde mit dem höchsten "
                             "LAeq unter denen, die zwischen 22 und 5 Uhr beginnen.")});

        if (a.exposure) {
            Add(Heading(device_, QStringLiteral("Arbeitsplatz (LEX,8h)"), width_));
            Add(GridBlock(device_, ExposureTable(a, in, fmt), {0.6, 3, 1, 1, 1, 3}, width_));
            text(ExposureResultLines(*a.exposure, fmt));
        }
        if (a.rating && in.taLaerm) {
            Add(Heading(device_, QStringLiteral("TA Lärm (Beurteilungspegel Lr)"), width_));
            text({RatingInputLine(*a.rating, *in.taLaerm, fmt)});
            Add(GridBlock(device_, RatingTable(a, in, fmt),
                          {0.6, 2.6, 0.8, 1, 1, 0.8, 0.8, 0.8, 2.4}, width_));
            text(RatingResultLines(*a.rating, *in.taLaerm, fmt));
        }
    }

    void Signature() {
        if (!content_.head.signature) return;
        Add(SignatureBlock(width_));
    }

    QPaintDevice* device_;
    const MeasurementRecord& rec_;
    const ReportContent& content_;
    const double width_;
    const DocumentView& View() const { return content_.view ? *content_.view : ownView_; }
    const Evaluation& Ev() const { return View().evaluation; }

    NumberFormat fmt_;
    DocumentView ownView_;
    QImage logo_;
    std::vector<Block> blocks_;
    // The charts the blocks draw; they live as long as the sections.
    std::vector<std::unique_ptr<TChart>> charts_;
};

}  // namespace

int PaintReport(QCPPainter& painter, const MeasurementRecord& rec, const ReportContent& content,
                const std::function<bool()>& newPage) {
    ReportSections sections(painter.device(), rec, content);
    const std::vector<Block> blocks = sections.Blocks();
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

QString ReportContentProblem(const ReportContent& content) {
    QString problem;
    if (!content.head.logoFile.isEmpty()) ReadLogo(content.head.logoFile, &problem);
    return problem;
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
    const QString problem = ReportContentProblem(content);
    if (!problem.isEmpty()) return CommandResult::Failure(problem);
    const QByteArray pdf = ReportPdf(rec, content);
    if (pdf.isEmpty())
        return FileFailure(path, QStringLiteral("Der Bericht kann nicht erstellt werden"));
    return WriteExportFile(path, pdf);
}

CommandResult PrintReport(QPrinter& printer, const MeasurementRecord& rec,
                          const ReportContent& content) {
    const QString problem = ReportContentProblem(content);
    if (!problem.isEmpty()) return CommandResult::Failure(problem);
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

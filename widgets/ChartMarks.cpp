#include "widgets/ChartMarks.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "eval/ViewData.h"
#include "widgets/Chart.h"

namespace kelvarn {

namespace {

const char* const kLabelFormat = "%.1f";
constexpr double kStem = 4;     // [px] from the point to its label
constexpr double kPadding = 3;  // [px] around the text
constexpr double kSpacing = 2;  // [px] kept free between two labels

struct Label {
    QRectF box;
    QPointF at;
    double value;
    QColor colour;
};

// The labels placed so far, filed by the column of their left edge; a new
// label only needs to be tested against its own and the neighbouring columns.
class Placed {
public:
    Placed(double left, double width, double columnWidth)
        : left_(left),
          columnWidth_(columnWidth),
          columns_(size_t(std::max(1.0, std::ceil(width / columnWidth) + 2))) {}

    bool Free(const QRectF& box) const {
        const int first = Column(box.left()) - 1;
        const int last = Column(box.right());
        for (int c = std::max(first, 0); c <= last && c < int(columns_.size()); ++c)
            for (const QRectF& other : columns_[size_t(c)])
                if (other.intersects(box)) return false;
        return true;
    }
    void Add(const QRectF& box) {
        const int c = std::clamp(Column(box.left()), 0, int(columns_.size()) - 1);
        columns_[size_t(c)].push_back(box);
    }

private:
    int Column(double x) const { return int(std::floor((x - left_) / columnWidth_)); }

    double left_;
    double columnWidth_;
    std::vector<std::vector<QRectF>> columns_;
};

}  // namespace

TChartMarks::TChartMarks(TChart* chart, const QString& layerName)
    : QCPLayerable(chart, layerName), chart_(chart) {}

QRect TChartMarks::clipRect() const {
    return chart_->DepthView() ? chart_->DepthClipRect() : chart_->axisRect()->rect();
}

void TChartMarks::applyDefaultAntialiasingHint(QCPPainter* painter) const {
    applyAntialiasingHint(painter, mAntialiased, QCP::aeOther);
}

void TChartMarks::draw(QCPPainter* painter) {
    lastBoxes_.clear();
    bool any = false;
    for (int s = 0; s < chart_->SeriesCount(); ++s)
        any = any || (chart_->SeriesMarks(s) && chart_->Series(s)->visible());
    if (!any) return;

    const NumberFormat number = NumberFormat::FromLocale();
    QFont font(chart_->font().family());
    font.setPixelSize(10);
    const QFontMetricsF metrics(font);
    // Every label gets the width of the widest value the axis can show, so
    // a label's place is known before its text is made.
    const QCPRange range = chart_->yAxis->range();
    const double widest = std::max(std::abs(range.lower), std::abs(range.upper));
    QString sample = number.Format(kLabelFormat, widest);
    for (QChar& c : sample)
        if (c.isDigit()) c = QLatin1Char('8');
    if (range.lower < 0) sample.prepend(QLatin1Char('-'));
    const double w = std::ceil(metrics.horizontalAdvance(sample) + 2 * kPadding);
    const double h = std::ceil(metrics.height() + 2);

    const QRectF clip = clipRect();
    Placed placed(clip.left(), clip.width(), w);
    std::vector<Label> labels;
    for (int s = 0; s < chart_->SeriesCount(); ++s) {
        QCPAbstractPlottable* series = chart_->Series(s);
        if (!chart_->SeriesMarks(s) || !series->visible()) continue;
        QCPPlottableInterface1D* data = series->interface1D();
        if (!data || data->dataCount() == 0) continue;
        QPointF shift;
        double front = 0, back = 0;
        if (chart_->DepthSlice(series, &front, &back)) shift = TChart::DepthOffset(front);
        const QCPRange keys = series->keyAxis()->range();
        const int begin = data->findBegin(keys.lower, false);
        const int end = data->findEnd(keys.upper, false);
        QRectF last;
        for (int i = begin; i < end; ++i) {
            const QPointF at = data->dataPixelPosition(i) + shift;
            if (!clip.contains(at)) continue;
            QRectF box(at.x() - w / 2, at.y() - kStem - h, w, h);
            if (box.top() < clip.top()) box.moveTop(at.y() + kStem);
            if (box.left() < clip.left()) box.moveLeft(clip.left());
            if (box.right() > clip.right()) box.moveRight(clip.right());
            // Dense points mostly collide with their own previous label.
            const QRectF keep = box.adjusted(-kSpacing, -kSpacing, kSpacing, kSpacing);
            if (keep.intersects(last) || !placed.Free(keep)) continue;
            placed.Add(keep);
            last = keep;
            labels.push_back({box, at, data->dataMainValue(i), series->pen().color()});
        }
    }

    applyDefaultAntialiasingHint(painter);
    painter->setFont(font);
    for (const Label& l : labels) {
        painter->setPen(QPen(l.colour, 0));
        const double y = l.box.top() > l.at.y() ? l.box.top() : l.box.bottom();
        painter->drawLine(
            QLineF(l.at, QPointF(std::clamp(l.at.x(), l.box.left(), l.box.right()), y)));
    }
    painter->setBrush(QColor(0xFF, 0xFF, 0xE1));
    for (const Label& l : labels) {
        painter->setPen(QPen(QColor(0x80, 0x80, 0x80), 0));
        painter->drawRect(l.box);
        painter->setPen(Qt::black);
        painter->drawText(l.box, Qt::AlignCenter, number.Format(kLabelFormat, l.value));
    }
    for (const Label& l : labels) lastBoxes_.push_back(l.box);
}

}  // namespace kelvarn

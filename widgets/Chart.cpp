#include "widgets/Chart.h"

#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "widgets/ChartBars.h"
#include "widgets/ChartLine.h"
#include "widgets/ChartMarks.h"
#include "widgets/ChartWalls.h"

namespace kelvarn {

namespace {

// Depth of the depth view as a share of the smaller side of the chart.
constexpr double kDepthShare = 0.07;
constexpr int kDepthMin = 6;   // [px]
constexpr int kDepthMax = 36;  // [px]

// The narrowest view as a share of the default: 1/5000 shows about one
// sample interval per pixel of a 6000-point curve.
constexpr double kNarrowestView = 1.0 / 5000;
// How far from a curve the pointer still reads it out [px].
constexpr double kReadoutReach = 24;
constexpr double kKeyZoom = 0.5;  // + halves the view, - doubles it

}  // namespace

TChart::TChart(const QString& objectName, const QString& title, QWidget* parent)
    : QCustomPlot(parent) {
    setObjectName(objectName);
    setBackground(Qt::white);
    setLocale(QLocale());  // tick labels with the user's decimal separator
    plotLayout()->insertRow(0);
    title_ = new QCPTextElement(this, title, QFont(font().family(), 10, QFont::Bold));
    title_->setObjectName(objectName + QStringLiteral("Title"));
    plotLayout()->addElement(0, 0, title_);
    legend->setVisible(false);
    legend->setFont(QFont(font().family(), 8));
    xAxis->setTickLabelFont(QFont(font().family(), 8));
    yAxis->setTickLabelFont(QFont(font().family(), 8));
    setMinimumSize(120, 80);
    // Reached by Tab, so copy and print work from the keyboard; told apart
    // by a screen reader by its title.
    setFocusPolicy(Qt::StrongFocus);
    // What the chart leaves alone (the wheel without zoom, a context menu
    // where it has none) goes on to the widget that holds it.
    setAttribute(Qt::WA_NoMousePropagation, false);
    setAccessibleName(title);
    // Walls under the grid, value labels over the series and under the axes.
    addLayer(QStringLiteral("walls"), layer(QStringLiteral("background")), limAbove);
    addLayer(QStringLiteral("marks"), layer(QStringLiteral("main")), limAbove);
    walls_ = new TChartWalls(this, QStringLiteral("walls"));
    walls_->setVisible(false);
    marksLayer_ = new TChartMarks(this, QStringLiteral("marks"));
}

QCPGraph* TChart::AddLine(const QString& name, const QColor& color, int penWidth) {
    auto* g = new TChartLine(this);
    g->setName(name);
    QPen pen(color);
    pen.setWidth(penWidth);
    g->setPen(pen);
    g->setLineStyle(QCPGraph::lsLine);
    g->setScatterStyle(QCPScatterStyle::ssNone);
    series_.push_back(g);
    marks_.push_back(false);
    steps_.push_back(false);
    return g;
}

QCPBars* TChart::AddBars(const QString& name, const QColor& color, double width) {
    auto* bars = new TChartBars(this);
    bars->setName(name);
    bars->setWidth(width);
    bars->setPen(QPen(color.darker(130)));
    bars->setBrush(color);
    series_.push_back(bars);
    marks_.push_back(false);
    steps_.push_back(false);
    return bars;
}

QCPAbstractPlottable* TChart::Series(int i) const {
    if (i < 0 || i >= SeriesCount()) return nullptr;
    return series_[size_t(i)];
}

QString TChart::SeriesName(int i) const {
    auto* s = Series(i);
    return s ? s->name() : QString();
}

QColor TChart::SeriesColor(int i) const {
    auto* s = Series(i);
    if (!s) return {};
    if (qobject_cast<QCPBars*>(s)) return s->brush().color();
    return s->pen().color();
}

void TChart::SetSeriesColor(int i, const QColor& color) {
    auto* s = Series(i);
    if (!s) return;
    QPen pen = s->pen();
    if (auto* bars = qobject_cast<QCPBars*>(s)) {
        bars->setBrush(color);
        pen.setColor(color.darker(130));
    } else {
        pen.setColor(color);
    }
    s->setPen(pen);
}

int TChart::PointCount(int i) const {
    auto* s = Series(i);
    return s ? s->interface1D()->dataCount() : 0;
}

SeriesData TChart::Points(int i) const {
    SeriesData out;
    auto* s = Series(i);
    if (!s) return out;
    out.name = s->name();
    auto* d = s->interface1D();
    for (int k = 0; k < d->dataCount(); ++k) out.Add(d->dataMainKey(k), d->dataMainValue(k));
    return out;
}

void TChart::SetPoints(int i, const SeriesData& points) {
    auto* s = Series(i);
    if (!s) return;
    const QVector<double> x(points.x.begin(), points.x.end());
    const QVector<double> y(points.y.begin(), points.y.end());
    if (auto* g = qobject_cast<QCPGraph*>(s)) {
        // Points come in drawing order; equal keys (steps) must keep it.
        g->setData(x, y, true);
    } else if (auto* b = qobject_cast<QCPBars*>(s)) {
        b->setData(x, y, true);
    }
}

void TChart::AddPoint(int i, double x, double y) {
    auto* s = Series(i);
    if (auto* g = qobject_cast<QCPGraph*>(s)) {
        g->addData(x, y);
    } else if (auto* b = qobject_cast<QCPBars*>(s)) {
        b->addData(x, y);
    }
}

void TChart::ClearSeries(int i) {
    SetPoints(i, SeriesData{});
}

void TChart::SetSeriesVisible(int i, bool visible) {
    if (auto* s = Series(i)) s->setVisible(visible);
}

bool TChart::SeriesVisible(int i) const {
    auto* s = Series(i);
    return s && s->visible();
}

void TChart::SetSeriesMarks(int i, bool on) {
    if (Series(i)) marks_[size_t(i)] = on;
}

bool TChart::SeriesMarks(int i) const {
    return Series(i) && marks_[size_t(i)];
}

void TChart::SetBarsMultiColour(int i, bool on) {
    if (auto* bars = qobject_cast<TChartBars*>(Series(i))) bars->SetMultiColour(on);
}

bool TChart::BarsMultiColour(int i) const {
    auto* bars = qobject_cast<TChartBars*>(Series(i));
    return bars && bars->MultiColour();
}

const std::vector<QColor>& TChart::BarPalette() {
    // Strong colours that stay apart from each other on white; no white and
    // no black (a block's lighter top and darker side need room).
    static const std::vector<QColor> palette = {
        QColor(0xFF, 0x00, 0x00), QColor(0x00, 0x80, 0x00), QColor(0xFF, 0xFF, 0x00),
        QColor(0x00, 0x00, 0xFF), QColor(0x80, 0x80, 0x80), QColor(0xFF, 0x00, 0xFF),
        QColor(0x00, 0x80, 0x80), QColor(0x00, 0x00, 0x80), QColor(0x80, 0x00, 0x00),
        QColor(0x00, 0xFF, 0x00), QColor(0x80, 0x80, 0x00), QColor(0x80, 0x00, 0x80),
        QColor(0xC0, 0xC0, 0xC0), QColor(0x00, 0xFF, 0xFF)};
    return palette;
}

void TChart::SetTitle(const QString& title) {
    title_->setText(title);
    if (!title.isEmpty()) setAccessibleName(title);
}

QString TChart::Title() const {
    return title_->text();
}

void TChart::HideTitle() {
    if (plotLayout()->elementAt(0) == title_) {
        plotLayout()->take(title_);
        plotLayout()->simplify();
        title_->setVisible(false);
    }
}

void TChart::SetDepthView(bool on) {
    if (on == depth_) return;
    if (on) {
        // Keep what the depth view changes, to give it back unchanged.
        flatMinimumMargins_ = axisRect()->minimumMargins();
        flatXGrid_ = xAxis->grid()->visible();
        flatYGrid_ = yAxis->grid()->visible();
        // The grid moves onto the walls.
        xAxis->grid()->setVisible(false);
        yAxis->grid()->setVisible(false);
        depth_ = true;
        UpdateDepthMargins();
        walls_->setVisible(true);
    } else {
        depth_ = false;
        depthPixels_ = 0;
        walls_->setVisible(false);
        axisRect()->setMinimumMargins(flatMinimumMargins_);
        xAxis->grid()->setVisible(flatXGrid_);
        yAxis->grid()->setVisible(flatYGrid_);
    }
}

void TChart::UpdateDepthMargins() {
    // The axis rect is the front plane; the back wall needs room above it
    // and to its right.
    const QRect vp = viewport();
    const double side = std::min(vp.width(), vp.height());
    depthPixels_ = std::clamp(int(std::lround(side * kDepthShare)), kDepthMin, kDepthMax);
    axisRect()->setMinimumMargins(flatMinimumMargins_ + QMargins(0, depthPixels_, depthPixels_, 0));
}

bool TChart::DepthSlice(const QCPAbstractPlottable* series, double* front, double* back) const {
    if (!depth_) return false;
    // Only series that show something take a slice; the first lies at the
    // back, so the drawing order paints the front over the back.
    int count = 0, index = -1;
    for (auto* s : series_) {
        if (!s->visible() || s->interface1D()->dataCount() == 0) continue;
        if (s == series) index = count;
        ++count;
    }
    if (index < 0) return false;
    const double slice = double(depthPixels_) / count;
    const int fromFront = count - 1 - index;
    *front = fromFront * slice;
    *back = (fromFront + 1) * slice;
    return true;
}

QRect TChart::DepthClipRect() const {
    return axisRect()->rect().adjusted(0, -depthPixels_, depthPixels_, 0);
}

void TChart::wheelEvent(QWheelEvent* event) {
    if (!interactions().testFlag(QCP::iRangeZoom)) {
        event->ignore();
        return;
    }
    QCustomPlot::wheelEvent(event);
}

void TChart::paintEvent(QPaintEvent* event) {
    QCustomPlot::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Highlight));
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}

void TChart::focusInEvent(QFocusEvent* event) {
    QCustomPlot::focusInEvent(event);
    update();
}

void TChart::focusOutEvent(QFocusEvent* event) {
    QCustomPlot::focusOutEvent(event);
    update();
}

QVariant TChart::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle) return QRect(rect().center(), QSize(1, 1));
    return QCustomPlot::inputMethodQuery(query);
}

void TChart::updateLayout() {
    if (depth_) UpdateDepthMargins();
    SyncLegend();
    QCustomPlot::updateLayout();
}

void TChart::SyncLegend() {
    // The legend names the series that are shown, in their order.
    if (!legend->visible()) return;
    std::vector<QCPAbstractPlottable*> shown;
    for (auto* s : series_)
        if (s->visible()) shown.push_back(s);
    bool same = legend->itemCount() == int(shown.size());
    for (int k = 0; same && k < legend->itemCount(); ++k) {
        auto* item = qobject_cast<QCPPlottableLegendItem*>(legend->item(k));
        same = item && item->plottable() == shown[size_t(k)];
    }
    if (same) return;
    legend->clearItems();
    for (auto* s : shown) s->addToLegend(legend);
}

void TChart::SetBottomAxis(const QString& caption, double min, double max, bool fixed) {
    xAxis->setLabel(caption);
    bottomAuto_ = !fixed;
    SetDefaultView(QCPRange(min, max));
}

void TChart::SetLeftAxis(const QString& caption, double min, double max, bool fixed) {
    yAxis->setLabel(caption);
    leftAuto_ = !fixed;
    yAxis->setRange(min, max);
}

void TChart::SetBottomAutoScale(bool on) {
    bottomAuto_ = on;
    Rescale();
}

void TChart::Rescale() {
    bool found = false;
    QCPRange keys, values;
    for (auto* s : series_) {
        if (!s->visible() || s->interface1D()->dataCount() == 0) continue;
        bool ok = false;
        QCPRange k = s->getKeyRange(ok);
        if (!ok) continue;
        QCPRange v = s->getValueRange(ok);
        if (auto* b = qobject_cast<QCPBars*>(s)) {
            k.lower -= b->width();
            k.upper += b->width();
            v.lower = std::min(v.lower, 0.0);
        }
        if (!found) {
            keys = k;
            values = v;
            found = true;
        } else {
            keys.expand(k);
            values.expand(v);
        }
    }
    if (!found) return;
    if (bottomAuto_)
        SetDefaultView(keys.lower == keys.upper ? QCPRange(keys.lower - 1, keys.upper + 1) : keys);
    if (leftAuto_) {
        values.upper +=
            (values.upper - values.lower) * 0.05 + (values.upper == values.lower ? 1 : 0);
        yAxis->setRange(values);
    }
}

void TChart::SetLegendVisible(bool on) {
    legend->setVisible(on);
}

bool TChart::LegendVisible() const {
    return legend->visible();
}

// ----- the view of the time axis

void TChart::SetDefaultView(const QCPRange& range) {
    homeX_ = range;
    xAxis->setRange(range);
}

void TChart::SetTimeZoom(bool on) {
    timeZoom_ = on;
    setInteraction(QCP::iRangeZoom, on);
    setInteraction(QCP::iRangeDrag, on);
    axisRect()->setRangeZoom(Qt::Horizontal);
    axisRect()->setRangeDrag(Qt::Horizontal);
    axisRect()->setRangeZoomAxes(xAxis, nullptr);
    axisRect()->setRangeDragAxes(xAxis, nullptr);
    if (on) {
        connect(xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
                &TChart::KeepViewInside, Qt::UniqueConnection);
    }
}

bool TChart::ViewIsDefault() const {
    return xAxis->range() == homeX_;
}

void TChart::ResetView() {
    xAxis->setRange(homeX_);
}

void TChart::ZoomView(double factor, double center) {
    xAxis->scaleRange(factor, center);
}

void TChart::KeepViewInside() {
    // The view never leaves the default range, and never narrows below a
    // sliver of it, however far the wheel is turned or the curve dragged.
    if (!timeZoom_ || !(homeX_.size() > 0)) return;
    const QCPRange r = xAxis->range();
    const double width = std::clamp(r.size(), homeX_.size() * kNarrowestView, homeX_.size());
    double lower = width == r.size() ? r.lower : r.center() - width / 2;
    lower = std::clamp(lower, homeX_.lower, homeX_.upper - width);
    if (lower != r.lower || width != r.size()) xAxis->setRange(lower, lower + width);
}

void TChart::keyPressEvent(QKeyEvent* event) {
    if (timeZoom_) {
        const double middle = xAxis->range().center();
        switch (event->key()) {
            case Qt::Key_Plus: ZoomView(kKeyZoom, middle); break;
            case Qt::Key_Minus: ZoomView(1 / kKeyZoom, middle); break;
            case Qt::Key_0: ResetView(); break;
            default: QCustomPlot::keyPressEvent(event); return;
        }
        replot();
        event->accept();
        return;
    }
    QCustomPlot::keyPressEvent(event);
}

void TChart::mouseDoubleClickEvent(QMouseEvent* event) {
    QCustomPlot::mouseDoubleClickEvent(event);
    if (!timeZoom_) return;
    ResetView();
    replot();
}

void TChart::mouseMoveEvent(QMouseEvent* event) {
    QCustomPlot::mouseMoveEvent(event);
    if (!readout_ || event->buttons() != Qt::NoButton) return;
    const QString text = ReadoutAt(event->position());
    if (text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
    }
}

void TChart::leaveEvent(QEvent* event) {
    QCustomPlot::leaveEvent(event);
    if (readout_) QToolTip::hideText();
}

void TChart::SetSeriesSteps(int i, bool on) {
    if (Series(i)) steps_[size_t(i)] = on;
}

void TChart::SetReadout(ReadoutFormat text) {
    readout_ = std::move(text);
    setMouseTracking(bool(readout_));
}

QString TChart::ReadoutAt(const QPointF& pixel) const {
    if (!readout_) return {};
    const NearPoint p = NearestPoint(pixel);
    return p.Found() ? readout_(p) : QString();
}

double TChart::PointKey(int series, int point) const {
    auto* s = Series(series);
    if (!s || point < 0 || point >= s->interface1D()->dataCount()) return 0;
    return s->interface1D()->dataMainKey(point);
}

TChart::NearPoint TChart::NearestPoint(const QPointF& pixel) const {
    NearPoint best;
    if (!axisRect()->rect().contains(pixel.toPoint())) return best;
    double bestDistance = kReadoutReach;
    const double keyLo = xAxis->pixelToCoord(pixel.x() - kReadoutReach);
    const double keyHi = xAxis->pixelToCoord(pixel.x() + kReadoutReach);
    auto at = [this](double key, double value) {
        return QPointF(xAxis->coordToPixel(key), yAxis->coordToPixel(value));
    };
    for (int i = 0; i < SeriesCount(); ++i) {
        auto* g = qobject_cast<QCPGraph*>(series_[size_t(i)]);
        if (!g || !g->visible() || g->data()->isEmpty()) continue;
        const auto points = g->data();
        // The points around the pointer's time, and one on each side: a long
        // step passes the pointer without a point near it.
        const auto begin = points->constBegin();
        const int first = int(points->findBegin(std::min(keyLo, keyHi), true) - begin);
        const int end = int(points->findEnd(std::max(keyLo, keyHi), true) - begin);
        if (end - first == 1) {
            const auto& a = *(begin + first);
            const double d = QLineF(at(a.key, a.value), pixel).length();
            if (d < bestDistance) {
                bestDistance = d;
                best = {i, first, a.key, a.value};
            }
            continue;
        }
        for (int k = first; k + 1 < end; ++k) {
            const auto& a = *(begin + k);
            const auto& b = *(begin + k + 1);
            const QPointF pa = at(a.key, a.value);
            const QPointF ab = at(b.key, b.value) - pa;
            // Distance from the pointer to the line from a to b.
            const double len2 = QPointF::dotProduct(ab, ab);
            const double u =
                len2 > 0 ? std::clamp(QPointF::dotProduct(pixel - pa, ab) / len2, 0.0, 1.0) : 0.0;
            const double d = QLineF(pa + u * ab, pixel).length();
            if (d >= bestDistance) continue;
            bestDistance = d;
            if (steps_[size_t(i)] && a.value == b.value && a.key != b.key) {
                // A step: its value at the pointer's time.
                const double key = std::clamp(xAxis->pixelToCoord(pixel.x()),
                                              std::min(a.key, b.key), std::max(a.key, b.key));
                best = {i, k, key, a.value};
            } else if (u <= 0.5) {
                best = {i, k, a.key, a.value};
            } else {
                best = {i, k + 1, b.key, b.value};
            }
        }
    }
    return best;
}

}  // namespace kelvarn

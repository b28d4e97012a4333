#include "widgets/Chart.h"

namespace kelvarn {

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
}

QCPGraph* TChart::AddLine(const QString& name, const QColor& color, int penWidth) {
    QCPGraph* g = addGraph();
    g->setName(name);
    QPen pen(color);
    pen.setWidth(penWidth);
    g->setPen(pen);
    g->setLineStyle(QCPGraph::lsLine);
    g->setScatterStyle(QCPScatterStyle::ssNone);
    series_.push_back(g);
    return g;
}

QCPBars* TChart::AddBars(const QString& name, const QColor& color, double width) {
    auto* bars = new QCPBars(xAxis, yAxis);
    bars->setName(name);
    bars->setWidth(width);
    bars->setPen(QPen(color.darker(130)));
    bars->setBrush(color);
    series_.push_back(bars);
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

void TChart::SetPoints(int i, const SeriesData& data) {
    auto* s = Series(i);
    if (!s) return;
    const QVector<double> x(data.x.begin(), data.x.end());
    const QVector<double> y(data.y.begin(), data.y.end());
    if (auto* g = qobject_cast<QCPGraph*>(s)) {
        // Points come in drawing order; equal keys (steps) must keep it.
        g->setData(x, y, true);
    } else if (auto* b = qobject_cast<QCPBars*>(s)) {
        b->setData(x, y, true);
    }
}

void TChart::ClearSeries(int i) { SetPoints(i, SeriesData{}); }

void TChart::ClearAll() {
    for (int i = 0; i < SeriesCount(); ++i) ClearSeries(i);
}

void TChart::SetSeriesVisible(int i, bool visible) {
    if (auto* s = Series(i)) s->setVisible(visible);
}

bool TChart::SeriesVisible(int i) const {
    auto* s = Series(i);
    return s && s->visible();
}

void TChart::SetTitle(const QString& title) { title_->setText(title); }

QString TChart::Title() const { return title_->text(); }

void TChart::HideTitle() {
    if (plotLayout()->elementAt(0) == title_) {
        plotLayout()->take(title_);
        plotLayout()->simplify();
        title_->setVisible(false);
    }
}

void TChart::SetDepthView(bool on) { depth_ = on; }

void TChart::SetBottomAxis(const QString& caption, double min, double max, bool fixed) {
    xAxis->setLabel(caption);
    bottomAuto_ = !fixed;
    xAxis->setRange(min, max);
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
    if (bottomAuto_) xAxis->setRange(keys.lower == keys.upper ? QCPRange(keys.lower - 1, keys.upper + 1) : keys);
    if (leftAuto_) {
        values.upper += (values.upper - values.lower) * 0.05 + (values.upper == values.lower ? 1 : 0);
        yAxis->setRange(values);
    }
}

void TChart::SetLegendVisible(bool on) { legend->setVisible(on); }

bool TChart::LegendVisible() const { return legend->visible(); }

}  // namespace kelvarn

#include "output/ClippedSvg.h"

#include <QBuffer>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

namespace kelvarn {

namespace {

// A clip in device coordinates. A rectangle stays a rectangle as long as the
// transformation keeps it one, so the usual clips become plain <rect>s.
struct DeviceClip {
    bool on = false;
    bool isRect = true;
    QRectF rect;
    QPainterPath path;  // when !isRect

    bool operator==(const DeviceClip& other) const {
        if (on != other.on) return false;
        if (!on) return true;
        if (isRect != other.isRect) return false;
        return isRect ? rect == other.rect : path == other.path;
    }
    bool LeavesNothing() const {
        return on && (isRect ? rect.isEmpty() : path.isEmpty() || path.boundingRect().isEmpty());
    }
    QPainterPath AsPath() const {
        if (!isRect) return path;
        QPainterPath p;
        p.addRect(rect);
        return p;
    }
};

// A clip given in the painter's coordinates, mapped to the device.
DeviceClip ClipOf(const QPainterPath& logical, const QTransform& transform) {
    DeviceClip clip;
    clip.on = true;
    if (logical.isEmpty()) return clip;  // an empty rectangle: nothing shows
    QPainterPath box;
    box.addRect(logical.boundingRect());
    if (transform.type() <= QTransform::TxScale && logical == box) {
        clip.rect = transform.mapRect(logical.boundingRect());
    } else {
        clip.isRect = false;
        clip.path = transform.map(logical);
    }
    return clip;
}

DeviceClip ClipOf(const QRegion& logical, const QTransform& transform) {
    QPainterPath path;
    if (logical.rectCount() == 1)
        path.addRect(QRectF(logical.boundingRect()));
    else
        path.addRegion(logical);
    return ClipOf(path, transform);
}

DeviceClip Combined(const DeviceClip& now, const DeviceClip& next, Qt::ClipOperation op) {
    if (op == Qt::NoClip) return {};
    if (op == Qt::ReplaceClip || !now.on) return next;
    DeviceClip clip = next;
    if (now.isRect && next.isRect) {
        clip.rect = now.rect.intersected(next.rect);
    } else {
        clip.isRect = false;
        clip.path = now.AsPath().intersected(next.AsPath());
    }
    return clip;
}

QString Number(qreal v) {
    return QString::number(v, 'g', 12);
}

QString PathData(const QPainterPath& path) {
    QString d;
    const int n = path.elementCount();
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.type == QPainterPath::MoveToElement || e.type == QPainterPath::LineToElement) {
            d += QLatin1Char(e.type == QPainterPath::MoveToElement ? 'M' : 'L') + Number(e.x) +
                 QLatin1Char(' ') + Number(e.y) + QLatin1Char(' ');
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < n) {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element end = path.elementAt(i + 2);
            d += QLatin1Char('C') + Number(e.x) + QLatin1Char(' ') + Number(e.y) +
                 QLatin1Char(' ') + Number(c2.x) + QLatin1Char(' ') + Number(c2.y) +
                 QLatin1Char(' ') + Number(end.x) + QLatin1Char(' ') + Number(end.y) +
                 QLatin1Char(' ');
            i += 2;
        }
    }
    return d.trimmed();
}

void WriteClipPath(QXmlStreamWriter& w, const QString& id, const DeviceClip& clip) {
    w.writeStartElement(QStringLiteral("clipPath"));
    w.writeAttribute(QStringLiteral("id"), id);
    if (clip.isRect) {
        w.writeEmptyElement(QStringLiteral("rect"));
        w.writeAttribute(QStringLiteral("x"), Number(clip.rect.x()));
        w.writeAttribute(QStringLiteral("y"), Number(clip.rect.y()));
        w.writeAttribute(QStringLiteral("width"), Number(clip.rect.width()));
        w.writeAttribute(QStringLiteral("height"), Number(clip.rect.height()));
    } else {
        w.writeEmptyElement(QStringLiteral("path"));
        w.writeAttribute(QStringLiteral("d"), PathData(clip.path));
        w.writeAttribute(QStringLiteral("clip-rule"), clip.path.fillRule() == Qt::OddEvenFill
                                                          ? QStringLiteral("evenodd")
                                                          : QStringLiteral("nonzero"));
    }
    w.writeEndElement();
}

// The root's attributes and the document's title and description, as the
// first run has them.
struct Head {
    QXmlStreamAttributes root;
    QString title;
    QString desc;
};

bool ReadHead(const QByteArray& svg, Head* head) {
    QXmlStreamReader r(svg);
    r.setNamespaceProcessing(false);
    if (!r.readNextStartElement()) return false;
    head->root = r.attributes();
    while (r.readNextStartElement()) {
        if (r.qualifiedName() == u"title")
            head->title = r.readElementText();
        else if (r.qualifiedName() == u"desc")
            head->desc = r.readElementText();
        else
            break;
    }
    return !r.hasError();
}

// Every run names its gradients and patterns from one on; the prefix keeps
// the names of the runs apart.
QString Renamed(const QXmlStreamAttribute& a, const QString& prefix) {
    QString v = a.value().toString();
    const QStringView name = a.qualifiedName();
    if (name == u"id") return prefix + v;
    if (name == u"xlink:href" || name == u"href") {
        if (v.startsWith(QLatin1Char('#'))) v.insert(1, prefix);
        return v;
    }
    v.replace(QLatin1String("url(#"), QLatin1String("url(#") + prefix);
    return v;
}

// Copies what a run drew (the root's content without title and description).
bool CopyBody(const QByteArray& svg, const QString& prefix, QXmlStreamWriter& w) {
    QXmlStreamReader r(svg);
    r.setNamespaceProcessing(false);
    int depth = 0;
    while (!r.atEnd()) {
        switch (r.readNext()) {
            case QXmlStreamReader::StartElement:
                if (++depth == 1) break;
                if (depth == 2 && (r.qualifiedName() == u"title" || r.qualifiedName() == u"desc")) {
                    r.skipCurrentElement();
                    --depth;
                    break;
                }
                w.writeStartElement(r.qualifiedName().toString());
                for (const QXmlStreamAttribute& a : r.attributes())
                    w.writeAttribute(a.qualifiedName().toString(), Renamed(a, prefix));
                break;
            case QXmlStreamReader::EndElement:
                if (depth-- > 1) w.writeEndElement();
                break;
            case QXmlStreamReader::Characters:
                if (depth >= 1) w.writeCharacters(r.text().toString());
                break;
            default: break;
        }
    }
    return !r.hasError();
}

QPaintEngine::PaintEngineFeatures FeaturesOf(const QPaintEngine& engine) {
    QPaintEngine::PaintEngineFeatures features;
    for (int bit = 0; bit < 32; ++bit) {
        const auto feature = QPaintEngine::PaintEngineFeature(1u << bit);
        if (engine.hasFeature(feature)) features |= feature;
    }
    return features;
}

}  // namespace

// Takes the painter's drawing and hands it on to the run of its clip, in the
// painter's state. It claims the features of Qt's SVG engine, so the painter
// hands over the same primitives it would give that engine directly.
class ClippedSvgEngine : public QPaintEngine {
public:
    ClippedSvgEngine(const QSize& size, int dpi) : size_(size), dpi_(dpi) {}

    bool begin(QPaintDevice*) override;
    bool end() override;
    void updateState(const QPaintEngineState& state) override;
    Type type() const override { return QPaintEngine::SVG; }

    using QPaintEngine::drawEllipse;
    using QPaintEngine::drawLines;
    using QPaintEngine::drawPoints;
    using QPaintEngine::drawPolygon;
    using QPaintEngine::drawRects;

    void drawRects(const QRectF* rects, int count) override {
        if (QPainter* p = Target()) p->drawRects(rects, count);
    }
    void drawLines(const QLineF* lines, int count) override {
        if (QPainter* p = Target()) p->drawLines(lines, count);
    }
    void drawEllipse(const QRectF& rect) override {
        if (QPainter* p = Target()) p->drawEllipse(rect);
    }
    void drawPath(const QPainterPath& path) override {
        if (QPainter* p = Target()) p->drawPath(path);
    }
    void drawPoints(const QPointF* points, int count) override {
        if (QPainter* p = Target()) p->drawPoints(points, count);
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        QPainter* p = Target();
        if (!p) return;
        switch (mode) {
            case OddEvenMode: p->drawPolygon(points, count, Qt::OddEvenFill); break;
            case WindingMode: p->drawPolygon(points, count, Qt::WindingFill); break;
            case ConvexMode: p->drawConvexPolygon(points, count); break;
            case PolylineMode: p->drawPolyline(points, count); break;
        }
    }
    void drawPixmap(const QRectF& rect, const QPixmap& pixmap, const QRectF& source) override {
        if (QPainter* p = Target()) p->drawPixmap(rect, pixmap, source);
    }
    void drawTiledPixmap(const QRectF& rect, const QPixmap& pixmap,
                         const QPointF& offset) override {
        if (QPainter* p = Target()) p->drawTiledPixmap(rect, pixmap, offset);
    }
    void drawImage(const QRectF& rect, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags flags) override {
        if (QPainter* p = Target()) p->drawImage(rect, image, source, flags);
    }
    void drawTextItem(const QPointF& at, const QTextItem& item) override {
        if (QPainter* p = Target()) p->drawTextItem(at, item);
    }

    QByteArray Document() const;

private:
    struct Run {
        explicit Run(const DeviceClip& c) : clip(c), buffer(&bytes) {}
        DeviceClip clip;
        QByteArray bytes;
        QBuffer buffer;
        QSvgGenerator svg;
        QPainter painter;
        bool drawn = false;
    };

    bool StartRun(const DeviceClip& clip);
    QPainter* Target();
    void Apply(QPainter& p);

    QSize size_;
    int dpi_;
    std::vector<std::unique_ptr<Run>> runs_;
    bool failed_ = false;

    // The painter's state as it was handed over.
    QPen pen_;
    QBrush brush_;
    QPointF brushOrigin_;
    QFont font_;
    QBrush background_;
    Qt::BGMode backgroundMode_ = Qt::TransparentMode;
    QTransform transform_;
    QPainter::RenderHints hints_;
    QPainter::CompositionMode composition_ = QPainter::CompositionMode_SourceOver;
    qreal opacity_ = 1.0;
    DeviceClip clip_;
    bool clipEnabled_ = false;
    // What changed since the current run last drew, and what was ever set
    // (a new run starts from the painter's defaults).
    DirtyFlags dirty_;
    DirtyFlags everSet_;
};

bool ClippedSvgEngine::begin(QPaintDevice*) {
    runs_.clear();
    failed_ = false;
    clip_ = {};
    clipEnabled_ = false;
    dirty_ = {};
    everSet_ = {};
    if (!StartRun({})) return false;
    gccaps = FeaturesOf(*runs_.back()->painter.paintEngine());
    return true;
}

bool ClippedSvgEngine::end() {
    if (!runs_.empty() && runs_.back()->painter.isActive()) runs_.back()->painter.end();
    return !failed_;
}

bool ClippedSvgEngine::StartRun(const DeviceClip& clip) {
    auto run = std::make_unique<Run>(clip);
    run->buffer.open(QIODevice::WriteOnly);
    run->svg.setOutputDevice(&run->buffer);
    run->svg.setSize(size_);
    run->svg.setViewBox(QRect(QPoint(0, 0), size_));
    run->svg.setResolution(dpi_);
    if (!run->painter.begin(&run->svg)) return false;
    runs_.push_back(std::move(run));
    dirty_ = everSet_;
    return true;
}

void ClippedSvgEngine::updateState(const QPaintEngineState& changed) {
    const DirtyFlags flags = changed.state();
    if (flags & DirtyPen) pen_ = changed.pen();
    if (flags & DirtyBrush) brush_ = changed.brush();
    if (flags & DirtyBrushOrigin) brushOrigin_ = changed.brushOrigin();
    if (flags & DirtyFont) font_ = changed.font();
    if (flags & DirtyBackground) background_ = changed.backgroundBrush();
    if (flags & DirtyBackgroundMode) backgroundMode_ = changed.backgroundMode();
    if (flags & DirtyHints) hints_ = changed.renderHints();
    if (flags & DirtyCompositionMode) composition_ = changed.compositionMode();
    if (flags & DirtyOpacity) opacity_ = changed.opacity();
    // A clip is given in the coordinates of the transformation that comes
    // with it.
    if (flags & DirtyTransform) transform_ = changed.transform();
    if (flags & DirtyClipPath)
        clip_ = Combined(clip_, ClipOf(changed.clipPath(), transform_), changed.clipOperation());
    if (flags & DirtyClipRegion)
        clip_ = Combined(clip_, ClipOf(changed.clipRegion(), transform_), changed.clipOperation());
    if (flags & DirtyClipEnabled) clipEnabled_ = changed.isClipEnabled();
    dirty_ |= flags;
    everSet_ |= flags;
}

QPainter* ClippedSvgEngine::Target() {
    const DeviceClip clip = clipEnabled_ ? clip_ : DeviceClip{};
    if (failed_ || runs_.empty() || clip.LeavesNothing()) return nullptr;
    if (!(runs_.back()->clip == clip)) {
        if (runs_.back()->drawn) {
            runs_.back()->painter.end();
            if (!StartRun(clip)) {
                failed_ = true;
                return nullptr;
            }
        } else {
            runs_.back()->clip = clip;
        }
    }
    Run& run = *runs_.back();
    Apply(run.painter);
    run.drawn = true;
    return &run.painter;
}

void ClippedSvgEngine::Apply(QPainter& p) {
    const DirtyFlags d = dirty_;
    dirty_ = {};
    if (d & DirtyPen) p.setPen(pen_);
    if (d & DirtyBrush) p.setBrush(brush_);
    if (d & DirtyBrushOrigin) p.setBrushOrigin(brushOrigin_);
    if (d & DirtyFont) p.setFont(font_);
    if (d & DirtyBackground) p.setBackground(background_);
    if (d & DirtyBackgroundMode) p.setBackgroundMode(backgroundMode_);
    if (d & DirtyHints) {
        p.setRenderHints(~hints_, false);
        p.setRenderHints(hints_, true);
    }
    if ((d & DirtyCompositionMode) && p.compositionMode() != composition_)
        p.setCompositionMode(composition_);
    if (d & DirtyOpacity) p.setOpacity(opacity_);
    if (d & DirtyTransform) p.setTransform(transform_);
}

QByteArray ClippedSvgEngine::Document() const {
    if (failed_ || runs_.empty() || runs_.back()->painter.isActive()) return {};
    Head head;
    if (!ReadHead(runs_.front()->bytes, &head)) return {};

    // One clip path for each clip that some run draws in.
    std::vector<DeviceClip> clips;
    std::vector<int> clipOfRun(runs_.size(), -1);
    for (size_t i = 0; i < runs_.size(); ++i) {
        const DeviceClip& clip = runs_[i]->clip;
        if (!runs_[i]->drawn || !clip.on) continue;
        auto known = std::find(clips.begin(), clips.end(), clip);
        clipOfRun[i] = int(known - clips.begin());
        if (known == clips.end()) clips.push_back(clip);
    }
    auto clipId = [](int k) { return QStringLiteral("clip%1").arg(k + 1); };

    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument(QStringLiteral("1.0"), false);
    w.writeStartElement(QStringLiteral("svg"));
    for (const QXmlStreamAttribute& a : head.root) {
        // Clip paths are not in SVG Tiny, which the generator declares.
        if (a.qualifiedName() == u"baseProfile") continue;
        w.writeAttribute(a.qualifiedName().toString(), a.qualifiedName() == u"version"
                                                           ? QStringLiteral("1.1")
                                                           : a.value().toString());
    }
    w.writeCharacters(QStringLiteral("\n"));
    if (!head.title.isEmpty()) w.writeTextElement(QStringLiteral("title"), head.title);
    if (!head.desc.isEmpty()) w.writeTextElement(QStringLiteral("desc"), head.desc);
    if (!clips.empty()) {
        w.writeStartElement(QStringLiteral("defs"));
        for (size_t k = 0; k < clips.size(); ++k) WriteClipPath(w, clipId(int(k)), clips[k]);
        w.writeEndElement();
    }
    for (size_t i = 0; i < runs_.size(); ++i) {
        if (!runs_[i]->drawn) continue;
        const bool clipped = clipOfRun[i] >= 0;
        if (clipped) {
            w.writeStartElement(QStringLiteral("g"));
            w.writeAttribute(QStringLiteral("clip-path"),
                             QStringLiteral("url(#%1)").arg(clipId(clipOfRun[i])));
        }
        if (!CopyBody(runs_[i]->bytes, QStringLiteral("r%1-").arg(i + 1), w)) return {};
        if (clipped) w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument();
    if (w.hasError()) return {};
    return out;
}

ClippedSvg::ClippedSvg(const QSize& size, int dpi)
    : size_(size.expandedTo(QSize(1, 1))),
      dpi_(dpi > 0 ? dpi : 96),
      engine_(std::make_unique<ClippedSvgEngine>(size_, dpi_)) {}

ClippedSvg::~ClippedSvg() = default;

QPaintEngine* ClippedSvg::paintEngine() const {
    return engine_.get();
}

QByteArray ClippedSvg::Document() const {
    return engine_->Document();
}

int ClippedSvg::metric(PaintDeviceMetric metric) const {
    // As Qt's SVG generator answers, so text is laid out as it would be there.
    switch (metric) {
        case PdmWidth: return size_.width();
        case PdmHeight: return size_.height();
        case PdmWidthMM: return qRound(size_.width() * 25.4 / dpi_);
        case PdmHeightMM: return qRound(size_.height() * 25.4 / dpi_);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return dpi_;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return qRound(devicePixelRatioFScale());
        default: return QPaintDevice::metric(metric);
    }
}

}  // namespace kelvarn

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLinearGradient>
#include <QMap>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QXmlStreamReader>
#include <cmath>
#include <functional>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "output/ChartCopy.h"
#include "output/ClippedSvg.h"
#include "widgets/Chart.h"

using namespace kelvarn;

namespace {

// What an SVG document draws, as far as clipping goes.
struct SvgScan {
    struct Shape {
        QString stroke;  // as inherited from the enclosing groups
        QString clip;    // id of the clip path of the nearest clipped group
    };
    QString error;
    QList<Shape> shapes;
    QMap<QString, QString> clipKinds;  // clip path id -> element that outlines it
    QMap<QString, QRectF> clipRects;   // clip path id -> its rectangle
    QStringList ids;
    QStringList references;  // every url(#...) and href="#..."
};

SvgScan Scan(const QByteArray& svg) {
    static const QRegularExpression url(QStringLiteral("url\\(#([^)]+)\\)"));
    static const QSet<QString> shapes = {"path", "polyline", "polygon", "rect",
                                         "line", "ellipse",  "circle",  "text"};
    SvgScan scan;
    QXmlStreamReader xml(svg);
    QList<SvgScan::Shape> inherited{SvgScan::Shape{}};
    QString clipPath;  // inside this clip path's outline
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement()) {
            inherited.removeLast();
            if (xml.name() == u"clipPath") clipPath.clear();
        }
        if (!xml.isStartElement()) continue;
        const QXmlStreamAttributes a = xml.attributes();
        SvgScan::Shape here = inherited.last();
        if (a.hasAttribute("stroke")) here.stroke = a.value("stroke").toString();
        for (const QXmlStreamAttribute& attribute : a) {
            const QString value = attribute.value().toString();
            if (attribute.name() == u"id") scan.ids << value;
            if (attribute.name() == u"href" && value.startsWith('#'))
                scan.references << value.mid(1);
            for (const auto& m : url.globalMatch(value)) {
                scan.references << m.captured(1);
                if (attribute.name() == u"clip-path") here.clip = m.captured(1);
            }
        }
        inherited << here;
        const QString name = xml.name().toString();
        if (name == u"clipPath") {
            clipPath = a.value("id").toString();
        } else if (!clipPath.isEmpty()) {
            scan.clipKinds[clipPath] = name;
            if (name == u"rect")
                scan.clipRects[clipPath] =
                    QRectF(a.value("x").toDouble(), a.value("y").toDouble(),
                           a.value("width").toDouble(), a.value("height").toDouble());
        } else if (shapes.contains(name)) {
            scan.shapes << here;
        }
    }
    if (xml.hasError()) scan.error = xml.errorString();
    return scan;
}

bool Near(const QRectF& a, const QRectF& b, double tolerance) {
    return std::abs(a.left() - b.left()) <= tolerance && std::abs(a.top() - b.top()) <= tolerance &&
           std::abs(a.right() - b.right()) <= tolerance &&
           std::abs(a.bottom() - b.bottom()) <= tolerance;
}

}  // namespace

TEST(ClippedSvgTest, EachDrawingKeepsItsClipInDeviceCoordinates) {
    struct Case {
        const char* colour;
        std::function<void(QPainter&)> clip;
        QString outline;  // "" unclipped, "none" nothing drawn, else the clip's element
        QRectF rect;      // the clip rectangle in device pixels
    };
    const Case cases[] = {
        {"#010101", [](QPainter&) {}, "", {}},
        {"#020202",
         [](QPainter& p) {
             p.scale(2, 2);
             p.setClipRect(QRect(10, 10, 30, 20));
         },
         "rect", QRectF(20, 20, 60, 40)},
        {"#030303",
         [](QPainter& p) {
             p.setClipRect(QRectF(0, 0, 150, 80));
             p.setClipRect(QRectF(100, 50, 100, 50), Qt::IntersectClip);
         },
         "rect", QRectF(100, 50, 50, 30)},
        {"#040404",
         [](QPainter& p) {
             p.setClipRect(QRect(0, 0, 50, 50));
             p.setClipping(false);
         },
         "",
         {}},
        {"#050505",
         [](QPainter& p) {
             p.setClipRect(QRect(0, 0, 10, 10));
             p.setClipRect(QRect(50, 50, 10, 10), Qt::IntersectClip);
         },
         "none",
         {}},
        {"#060606",
         [](QPainter& p) {
             p.translate(100, 50);
             p.rotate(30);
             p.setClipRect(QRect(-20, -20, 40, 40));
         },
         "path",
         {}},
    };
    ClippedSvg svg(QSize(200, 100), 96);
    QPainter painter(&svg);
    painter.fillRect(QRect(0, 0, 200, 100), Qt::white);
    for (const Case& c : cases) {
        painter.save();
        c.clip(painter);
        // Every run has a gradient of its own, named alike by its generator.
        QLinearGradient gradient(0, 0, 200, 0);
        gradient.setColorAt(0, Qt::yellow);
        gradient.setColorAt(1, QColor(c.colour));
        painter.setBrush(gradient);
        painter.setPen(QPen(QColor(c.colour), 3));
        painter.drawRect(QRectF(5, 5, 190, 90));
        painter.restore();
    }
    painter.end();
    const QByteArray document = svg.Document();

    const SvgScan scan = Scan(document);
    ASSERT_TRUE(scan.error.isEmpty()) << scan.error.toStdString();
    EXPECT_TRUE(QSvgRenderer(document).isValid());
    EXPECT_EQ(QSet<QString>(scan.ids.begin(), scan.ids.end()).size(), scan.ids.size())
        << scan.ids.join(' ').toStdString();
    for (const QString& id : scan.references)
        EXPECT_TRUE(scan.ids.contains(id)) << id.toStdString();
    for (const Case& c : cases) {
        int drawn = 0;
        for (const SvgScan::Shape& shape : scan.shapes) {
            if (shape.stroke != QLatin1String(c.colour)) continue;
            ++drawn;
            EXPECT_EQ(scan.clipKinds.value(shape.clip), c.outline) << c.colour;
            if (c.outline == u"rect") {
                EXPECT_TRUE(Near(scan.clipRects.value(shape.clip), c.rect, 1e-6)) << c.colour;
            }
        }
        EXPECT_EQ(drawn > 0, c.outline != u"none") << c.colour;
    }
}

TEST(ClippedSvgChartTest, LevelsOutsideTheAxisRangesStayInsideThePlotArea) {
    FakeSeams seams;
    TForm1 form{&seams};
    form.show();
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet4);
    form.Controls().PageControl2->setCurrentWidget(form.Controls().TabSheet6);
    QApplication::processEvents();
    TChart* chart = form.Controls().Chart1;
    // Levels from below 0 dB(A) to above the axis, times beyond both ends.
    SeriesData data;
    for (int i = 0; i <= 80; ++i) data.Add(i * 0.1, -40 + (i * 37) % 180);
    chart->SetPoints(0, data);
    chart->SetSeriesColor(0, QColor(200, 30, 120));
    chart->SetBottomAxis("t/min", 1, 6);
    chart->SetLeftAxis("L/dB(A)", 0, 100);
    chart->replot();
    ASSERT_GT(chart->width(), 100);
    const QRectF plot = chart->axisRect()->rect();

    QAction* copy = form.findChild<QAction*>("KopierenalsVektorgrafik1");
    ASSERT_NE(copy, nullptr);
    copy->trigger();
    const QByteArray svg = QApplication::clipboard()->mimeData()->data(kSvgMime);

    const SvgScan scan = Scan(svg);
    ASSERT_TRUE(scan.error.isEmpty()) << scan.error.toStdString();
    EXPECT_TRUE(QSvgRenderer(svg).isValid());
    int drawn = 0;
    for (const SvgScan::Shape& shape : scan.shapes) {
        if (shape.stroke != QColor(200, 30, 120).name()) continue;
        ++drawn;
        ASSERT_TRUE(scan.clipRects.contains(shape.clip)) << "series drawn without the plot's clip";
        EXPECT_TRUE(Near(scan.clipRects.value(shape.clip), plot, 1.0))
            << "clip " << scan.clipRects.value(shape.clip).width() << "x"
            << scan.clipRects.value(shape.clip).height() << " on a plot area of " << plot.width()
            << "x" << plot.height();
    }
    EXPECT_GT(drawn, 0);
}

// Renders the program's SVG icon into the PNG sizes that desktops look up,
// at build time, so the PNGs always match the drawing.
//   kelvarn-render-icon ICON.svg OUT-DIR SIZE...   writes OUT-DIR/SIZExSIZE/kelvarn.png

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: kelvarn-render-icon ICON.svg OUT-DIR SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) {
        std::fprintf(stderr, "kelvarn-render-icon: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    for (const QString& arg : args.mid(3)) {
        bool ok = false;
        const int size = arg.toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            std::fprintf(stderr, "kelvarn-render-icon: bad size %s\n", qPrintable(arg));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        const QString dir = QStringLiteral("%1/%2x%2").arg(args[2]).arg(size);
        const QString out = dir + QStringLiteral("/kelvarn.png");
        if (!QDir().mkpath(dir) || !image.save(out, "PNG")) {
            std::fprintf(stderr, "kelvarn-render-icon: cannot write %s\n", qPrintable(out));
            return 1;
        }
    }
    return 0;
}

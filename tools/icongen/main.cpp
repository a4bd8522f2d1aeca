// icongen: renders the application's SVG icon into the PNG sizes of the hicolor theme.
//
//   icongen <icon.svg> <output dir> <icon name> <size>...
//
// writes <output dir>/<size>x<size>/apps/<icon name>.png for every size. The PNGs are
// made at build time from the one SVG so the two can never drift apart.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

namespace {

// A render that produced nothing (unsupported SVG feature, wrong file) must fail the
// build instead of installing transparent squares.
bool hasVisiblePixels(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        err << "usage: icongen <icon.svg> <output dir> <icon name> <size>...\n";
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        err << "icongen: cannot read " << args.at(1) << "\n";
        return 1;
    }
    const QString outDir = args.at(2);
    const QString name = args.at(3);
    for (int i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            err << "icongen: bad size " << args.at(i) << "\n";
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            renderer.render(&painter, QRectF(0, 0, size, size));
        }
        if (!hasVisiblePixels(image)) {
            err << "icongen: " << args.at(1) << " rendered empty at " << size << "px\n";
            return 1;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        if (!QDir().mkpath(dir)) {
            err << "icongen: cannot create " << dir << "\n";
            return 1;
        }
        const QString file = QStringLiteral("%1/%2.png").arg(dir, name);
        if (!image.convertToFormat(QImage::Format_ARGB32).save(file, "PNG")) {
            err << "icongen: cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}

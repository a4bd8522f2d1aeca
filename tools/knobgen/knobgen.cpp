// Paints the five knob images shown on the device panel: turn left, turn right, press,
// and the two turn arrows with a filled bar inside (used where a turn doubles as press).
// Usage: knobgen <output directory>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <QtMath>

namespace {

const QColor kArrowGrey(178, 178, 178);

QImage blankImage(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QPointF pointOnCircle(const QPointF& centre, double radius, double degrees)
{
    // Degrees counter-clockwise from the positive x axis, y growing downward on screen.
    const double rad = qDegreesToRadians(degrees);
    return QPointF(centre.x() + radius * std::cos(rad), centre.y() - radius * std::sin(rad));
}

// A thick circular arc ending in an arrow head. `clockwise` chooses the turning sense the
// head points to.
QImage turnArrow(bool clockwise, bool withBar)
{
    const int w = 114;
    const int h = 97;
    QImage image = blankImage(w, h);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);

    // A wide ring leaves the middle free for the caption the button draws on top.
    const QPointF centre(w / 2.0, h / 2.0 + 2.0);
    const double radius = 36.0;
    const double thickness = 10.0;

    // Arc from the lower side round over the top; the gap at the head side leaves room for
    // the arrow head.
    const double startDeg = clockwise ? 215.0 : -35.0;
    const double spanDeg = clockwise ? -215.0 : 215.0;
    QPen arcPen(kArrowGrey, thickness, Qt::SolidLine, Qt::RoundCap);
    p.setPen(arcPen);
    p.setBrush(Qt::NoBrush);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    p.drawArc(box, qRound(startDeg * 16), qRound(spanDeg * 16));

    // Arrow head at the end of the arc, pointing along the direction of travel.
    const double endDeg = startDeg + spanDeg;
    const QPointF tip0 = pointOnCircle(centre, radius, endDeg);
    const double travel = clockwise ? -1.0 : 1.0; // direction of increasing angle
    // Tangent along the travel direction (screen coordinates).
    const double rad = qDegreesToRadians(endDeg);
    const QPointF tangent(-std::sin(rad) * travel, -std::cos(rad) * travel);
    const QPointF normal(std::cos(rad), -std::sin(rad));
    const double headLength = 26.0;
    const double headHalf = 17.0;
    const QPointF tip = tip0 + tangent * headLength * 0.75;
    const QPointF back = tip0 - tangent * headLength * 0.25;
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(back + normal * headHalf);
    head.lineTo(back - normal * headHalf);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kArrowGrey);
    p.drawPath(head);

    if (withBar) {
        // The press marker: a filled bar low inside the ring, under the caption.
        p.setPen(Qt::NoPen);
        p.setBrush(kArrowGrey);
        p.drawRoundedRect(QRectF(centre.x() - 16.0, centre.y() + 12.0, 32.0, 9.0), 2.0, 2.0);
    }
    return image;
}

// A downward arrow pressing onto a bar: the knob's push action. The arrow is drawn as an
// outline so that the caption drawn over its middle stays readable.
QImage pressArrow()
{
    const int size = 150;
    QImage image = blankImage(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);

    const double cx = size / 2.0;
    QPainterPath arrow;
    arrow.moveTo(cx - 16.0, 16.0);
    arrow.lineTo(cx + 16.0, 16.0);
    arrow.lineTo(cx + 16.0, 62.0);
    arrow.lineTo(cx + 42.0, 62.0);
    arrow.lineTo(cx, 108.0);
    arrow.lineTo(cx - 42.0, 62.0);
    arrow.lineTo(cx - 16.0, 62.0);
    arrow.closeSubpath();
    p.setPen(QPen(kArrowGrey, 7.0, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arrow);

    // The bar the arrow presses onto.
    p.setPen(Qt::NoPen);
    p.setBrush(kArrowGrey);
    p.drawRoundedRect(QRectF(cx - 50.0, 120.0, 100.0, 13.0), 4.0, 4.0);
    return image;
}

bool save(const QImage& image, const QDir& dir, const QString& name)
{
    const QString path = dir.filePath(QStringLiteral("KN_") + name);
    if (!image.save(path, "PNG")) {
        QTextStream(stderr) << "cannot write " << path << "\n";
        return false;
    }
    QTextStream(stdout) << path << " " << image.width() << "x" << image.height() << "\n";
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        QTextStream(stderr) << "usage: knobgen <output directory>\n";
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        QTextStream(stderr) << "cannot create " << dir.path() << "\n";
        return 1;
    }
    bool ok = true;
    ok &= save(turnArrow(false, false), dir, QStringLiteral("LEFT114x97.png"));
    ok &= save(turnArrow(true, false), dir, QStringLiteral("RIGHT114x97.png"));
    ok &= save(pressArrow(), dir, QStringLiteral("IN150x150.png"));
    ok &= save(turnArrow(false, true), dir, QStringLiteral("PressLEFT114x97.png"));
    ok &= save(turnArrow(true, true), dir, QStringLiteral("PressRIGHT114x97.png"));
    return ok ? 0 : 1;
}

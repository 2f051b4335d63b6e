#include "shell/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <vector>

namespace {
constexpr double Grid = 32;

// One filled shape of the drawing, with an optional outline.
struct Shape {
    enum class Kind { RoundedRect, Circle, Polygon };
    Kind kind;
    QColor fill;
    QColor outline; // invalid: none
    double outlineWidth = 0;
    QPolygonF points; // RoundedRect: top left, bottom right; Circle: centre, a point on it
};

const std::vector<Shape> &drawing()
{
    static const std::vector<Shape> shapes{
        // The picture: sky, sun and a hill in a frame.
        {Shape::Kind::RoundedRect, QColor(110, 180, 240), QColor(40, 40, 60), 1.5,
         QPolygonF{{2, 2}, {26, 22}}},
        {Shape::Kind::Circle, QColor(255, 210, 60), QColor(), 0, QPolygonF{{19, 8}, {22, 8}}},
        {Shape::Kind::Polygon, QColor(60, 150, 70), QColor(), 0,
         QPolygonF{{3, 21}, {11, 11}, {17, 17}, {20, 14}, {25, 21}}},
        // The arrow that fetches it.
        {Shape::Kind::Polygon, QColor(220, 60, 40), QColor(Qt::white), 1,
         QPolygonF{{23, 15}, {28, 15}, {28, 22}, {31, 22}, {25.5, 30}, {20, 22}, {23, 22}}},
    };
    return shapes;
}

constexpr double CornerRadius = 2;

QString number(double value)
{
    return QString::number(value, 'g', 4);
}
} // namespace

QImage appIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / Grid, size / Grid);
    for (const Shape &shape : drawing()) {
        painter.setBrush(shape.fill);
        painter.setPen(shape.outline.isValid() ? QPen(shape.outline, shape.outlineWidth)
                                               : QPen(Qt::NoPen));
        switch (shape.kind) {
        case Shape::Kind::RoundedRect:
            painter.drawRoundedRect(QRectF(shape.points[0], shape.points[1]), CornerRadius,
                                    CornerRadius);
            break;
        case Shape::Kind::Circle:
            painter.drawEllipse(shape.points[0], shape.points[1].x() - shape.points[0].x(),
                                shape.points[1].x() - shape.points[0].x());
            break;
        case Shape::Kind::Polygon:
            painter.drawPolygon(shape.points);
            break;
        }
    }
    return image;
}

QByteArray appIconSvg()
{
    QString svg = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" "
                                 "height=\"256\" viewBox=\"0 0 32 32\">\n");
    for (const Shape &shape : drawing()) {
        QString paint = QStringLiteral("fill=\"%1\"").arg(shape.fill.name());
        paint += shape.outline.isValid()
                     ? QStringLiteral(" stroke=\"%1\" stroke-width=\"%2\"")
                           .arg(shape.outline.name(), number(shape.outlineWidth))
                     : QStringLiteral(" stroke=\"none\"");
        const QPointF &a = shape.points[0];
        switch (shape.kind) {
        case Shape::Kind::RoundedRect: {
            const QPointF &b = shape.points[1];
            svg += QStringLiteral(
                       "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" %6/>\n")
                       .arg(number(a.x()), number(a.y()), number(b.x() - a.x()),
                            number(b.y() - a.y()), number(CornerRadius), paint);
            break;
        }
        case Shape::Kind::Circle:
            svg +=
                QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" %4/>\n")
                    .arg(number(a.x()), number(a.y()), number(shape.points[1].x() - a.x()), paint);
            break;
        case Shape::Kind::Polygon: {
            QStringList points;
            for (const QPointF &point : shape.points)
                points.append(number(point.x()) + u',' + number(point.y()));
            svg += QStringLiteral("  <polygon points=\"%1\" %2/>\n").arg(points.join(u' '), paint);
            break;
        }
        }
    }
    return (svg + QStringLiteral("</svg>\n")).toUtf8();
}

QIcon appIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(appIconImage(size)));
    return icon;
}

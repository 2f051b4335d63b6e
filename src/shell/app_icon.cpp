#include "shell/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    // The picture: sky, sun and a hill in a frame.
    painter.setPen(QPen(QColor(40, 40, 60), 1.5));
    painter.setBrush(QColor(110, 180, 240));
    painter.drawRoundedRect(QRectF(2, 2, 24, 20), 2, 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 210, 60));
    painter.drawEllipse(QPointF(19, 8), 3, 3);
    QPainterPath hill;
    hill.moveTo(3, 21);
    hill.lineTo(11, 11);
    hill.lineTo(17, 17);
    hill.lineTo(20, 14);
    hill.lineTo(25, 21);
    hill.closeSubpath();
    painter.setBrush(QColor(60, 150, 70));
    painter.drawPath(hill);

    // The arrow that fetches it.
    painter.setBrush(QColor(220, 60, 40));
    painter.setPen(QPen(Qt::white, 1));
    QPainterPath arrow;
    arrow.moveTo(23, 15);
    arrow.lineTo(28, 15);
    arrow.lineTo(28, 22);
    arrow.lineTo(31, 22);
    arrow.lineTo(25.5, 30);
    arrow.lineTo(20, 22);
    arrow.lineTo(23, 22);
    arrow.closeSubpath();
    painter.drawPath(arrow);
    return pixmap;
}
} // namespace

QIcon appIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(drawIcon(size));
    return icon;
}

#include "viewer/picture_surface.h"

#include <QPaintEvent>
#include <QPainter>

PictureSurface::PictureSurface(QWidget *parent) : QWidget(parent)
{
}

void PictureSurface::setRendering(QImage rendering)
{
    rendering_ = std::move(rendering);
    // An opaque rendering paints every pixel, so nothing behind it needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent, !rendering_.isNull() && !rendering_.hasAlphaChannel());
    update();
}

void PictureSurface::paintEvent(QPaintEvent *event)
{
    ++paints_;
    if (rendering_.isNull())
        return;
    QPainter painter(this);
    const QRect exposed = event->rect() & rendering_.rect();
    painter.drawImage(exposed.topLeft(), rendering_, exposed);
}

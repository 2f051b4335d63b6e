#include "viewer/picture_transforms.h"

#include <QTransform>

QImage transformed(const QImage &picture, Transform transform)
{
    if (picture.isNull())
        return picture;
    switch (transform) {
    case Transform::FlipHorizontal:
        return picture.mirrored(true, false);
    case Transform::FlipVertical:
        return picture.mirrored(false, true);
    case Transform::RotateLeft:
        return picture.transformed(QTransform().rotate(-90));
    case Transform::RotateRight:
        return picture.transformed(QTransform().rotate(90));
    }
    return picture;
}

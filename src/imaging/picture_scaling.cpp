#include "imaging/picture_scaling.h"

#include "imaging/picture_reader.h"

#include <QPainter>

#include <cmath>

QImage decodePicture(const QString &path, qint64 maxPixels)
{
    PictureReader reader(path, maxPixels);
    if (!reader.sizeAllowed())
        return {};
    return reader.read({});
}

PictureSize readPictureSize(const QString &path)
{
    const QSize size = PictureReader(path, MaxPicturePixels).size();
    if (!size.isValid())
        return {};
    return {size.width(), size.height()};
}

qint64 roundHalfEven(double value)
{
    const double down = std::floor(value);
    const double rest = value - down;
    auto result = static_cast<qint64>(down);
    if (rest > 0.5 || (rest == 0.5 && (result & 1) != 0))
        ++result;
    return result;
}

QRect fitRect(QSize picture, QSize box)
{
    if (picture.isEmpty() || box.isEmpty())
        return {};
    const double imageRatio = double(picture.width()) / picture.height();
    const double boxRatio = double(box.width()) / box.height();
    double dw = box.height() * imageRatio;
    double dh = box.height();
    if (boxRatio < imageRatio) {
        dw = box.width();
        dh = box.width() / imageRatio;
    }
    const qint64 w = roundHalfEven(dw);
    const qint64 h = roundHalfEven(dh);
    const qint64 x = roundHalfEven((box.width() - w) / 2.0);
    const qint64 y = roundHalfEven((box.height() - h) / 2.0);
    return QRect(int(x), int(y), int(w), int(h));
}

PictureSize PictureLoader::LoadPictureSize(const QString &path, qint32 &width, qint32 &height)
{
    LoadedImage = decodePicture(path, maxPixels_);
    if (LoadedImage.isNull())
        return {0, 0};
    if (width == -1 || height == -1) {
        width = LoadedImage.width();
        height = LoadedImage.height();
    }
    return {width, height};
}

QImage PictureLoader::ResizePicture(qint32 width, qint32 height, const QColor &background, bool fit)
{
    QImage picture;
    picture.swap(LoadedImage);
    if (width <= 0 || height <= 0 || qint64(width) * height > maxPixels_)
        return {};
    // The usual call asks for the picture at its own size: it already lies over white.
    if (!fit && picture.size() == QSize(width, height) && background == Qt::white)
        return picture;
    QImage canvas(width, height, QImage::Format_RGB32);
    if (canvas.isNull())
        return {};
    canvas.fill(background);
    if (!picture.isNull()) {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRect target = fit ? fitRect(picture.size(), canvas.size()) : canvas.rect();
        painter.drawImage(target, picture);
    }
    return canvas;
}

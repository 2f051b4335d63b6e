#include "imaging/picture_reader.h"

#include <QPainter>

namespace {

// Decoders count their allocation in mebibytes; four bytes a pixel, rounded up.
int allocationLimitMiB(qint64 maxPixels)
{
    constexpr qint64 MiB = 1 << 20;
    return int((maxPixels * 4 + MiB - 1) / MiB) + 1;
}

QImage flattenOverWhite(const QImage &image)
{
    if (image.isNull())
        return image;
    if (!image.hasAlphaChannel())
        return image.format() == QImage::Format_RGB32 ? image
                                                      : image.convertToFormat(QImage::Format_RGB32);
    QImage canvas(image.size(), QImage::Format_RGB32);
    if (canvas.isNull())
        return canvas;
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.drawImage(0, 0, image);
    return canvas;
}

} // namespace

PictureReader::PictureReader(const QString &path, qint64 maxPixels)
    : reader_(path), maxPixels_(maxPixels)
{
    reader_.setDecideFormatFromContent(true);
    reader_.setAllocationLimit(allocationLimitMiB(maxPixels));
    size_ = reader_.size();
}

bool PictureReader::sizeAllowed() const
{
    if (!size_.isValid())
        return reader_.canRead(); // no size in the header: the allocation limit still holds
    return !size_.isEmpty() && qint64(size_.width()) * size_.height() <= maxPixels_;
}

QImage PictureReader::read(QSize scaled)
{
    if (scaled.isValid() && !scaled.isEmpty() && scaled != size_)
        reader_.setScaledSize(scaled);
    return flattenOverWhite(reader_.read());
}

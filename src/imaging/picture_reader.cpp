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
    const bool reduce = scaled.isValid() && !scaled.isEmpty() && scaled != size_;
    // Only the JPEG decoder reduces while decoding (at 1/2, 1/4 or 1/8); the others decode in
    // full and would leave the scaling to the reader, which scales before the picture is
    // flattened and turns a two-colour palette black. Those are flattened first, then scaled.
    if (reduce && reader_.format() == "jpeg")
        reader_.setScaledSize(scaled);
    QImage image = flattenOverWhite(reader_.read());
    if (reduce && !image.isNull() && image.size() != scaled)
        image = image.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

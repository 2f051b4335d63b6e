#pragma once

#include <QImage>
#include <QImageReader>
#include <QSize>
#include <QString>

// One decode of one file, for this library's own use: the format comes from the content, the
// size from the header, and the decoder may allocate no more than the pixel limit allows.
class PictureReader {
public:
    PictureReader(const QString &path, qint64 maxPixels);

    // The picture's own size as its header gives it; invalid when the file is unreadable.
    QSize size() const { return size_; }
    // The header names a size that is not empty and within the pixel limit.
    bool sizeAllowed() const;
    // Decodes at scaled (or at the picture's own size when scaled is invalid), flattened over
    // white. Null on failure.
    QImage read(QSize scaled);

private:
    QImageReader reader_;
    qint64 maxPixels_;
    QSize size_;
};

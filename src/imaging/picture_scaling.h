#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

// Turns a picture file of any format the decoder reads into an image the windows can show:
// decoded at its own size and flattened over a solid background. The format is taken from the
// file's content, never from its name.

// A picture with more pixels than this is not decoded: it comes out as 0 x 0, as an unreadable
// file does. The decoder's allocation limit is derived from it, so a file whose header lies
// about its size cannot make the decoder allocate more either.
inline constexpr qint64 MaxPicturePixels = 100'000'000;

struct PictureSize {
    qint32 Width = 0;
    qint32 Height = 0;
    friend bool operator==(const PictureSize &, const PictureSize &) = default;
};

// Decodes the file at its own size over white (transparent parts become white). Returns a
// null image for a file that cannot be decoded or that holds more than maxPixels pixels.
QImage decodePicture(const QString &path, qint64 maxPixels = MaxPicturePixels);
// The picture's own size as its header gives it, without decoding; {0, 0} when unreadable.
PictureSize readPictureSize(const QString &path);

// The nearest whole number, halves to even (2.5 gives 2, 3.5 gives 4).
qint64 roundHalfEven(double value);

// Where a picture of the given size lands when it is fitted into box keeping its proportions
// and centred; sizes and offsets are rounded halves to even. Empty when either size is empty.
QRect fitRect(QSize picture, QSize box);

// The two steps a window takes per picture shown:
//   PictureLoader loader;
//   qint32 width = -1, height = -1;
//   PictureSize size = loader.LoadPictureSize(path, width, height);
//   QImage picture = loader.ResizePicture(size.Width, size.Height, Qt::white, false);
class PictureLoader {
public:
    explicit PictureLoader(qint64 maxPixels = MaxPicturePixels) : maxPixels_(maxPixels) {}

    // Decodes the file and keeps it for ResizePicture. On failure returns {0, 0} and leaves
    // width and height alone. Otherwise, when width or height is -1, both become the picture's
    // own size; other values are kept. Returns {width, height}.
    PictureSize LoadPictureSize(const QString &path, qint32 &width, qint32 &height);

    // A canvas of exactly width x height filled with background, with the picture loaded last
    // drawn on it with smooth filtering: stretched over the whole canvas, or with fit kept in
    // proportion and centred (a smaller picture is enlarged). Releases the loaded picture; with
    // none, the canvas stays plain. A size of zero or less gives a null image.
    QImage ResizePicture(qint32 width, qint32 height, const QColor &background, bool fit);

private:
    qint64 maxPixels_;
    QImage LoadedImage;
};

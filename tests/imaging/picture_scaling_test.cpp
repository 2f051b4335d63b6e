#include "imaging/picture_scaling.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString savePicture(const QTemporaryDir &dir, const char *name, const QImage &image,
                    const char *format)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(image.save(path, format));
    return path;
}

QImage filled(int w, int h, QColor colour, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(colour);
    return image;
}

} // namespace

TEST(FitRect, KeepsProportionsCentresAndRoundsHalvesToEven)
{
    struct Case {
        QSize picture, box;
        QRect expected;
    };
    const Case cases[] = {
        {{200, 100}, {80, 80}, {0, 20, 80, 40}},
        {{100, 200}, {80, 80}, {20, 0, 40, 80}},
        {{10, 10}, {80, 80}, {0, 0, 80, 80}}, // a smaller picture is enlarged
        {{3, 1}, {80, 80}, {0, 26, 80, 27}},  // 26.67 -> 27 high, (80 - 27) / 2 = 26.5 -> 26
        {{5, 1}, {80, 80}, {0, 32, 80, 16}},
        {{0, 0}, {80, 80}, {}}, // nothing to fit never divides by zero
        {{200, 100}, {80, 0}, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(fitRect(c.picture, c.box), c.expected)
            << c.picture.width() << "x" << c.picture.height();
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
    EXPECT_EQ(roundHalfEven(2.5001), 3);
}

TEST(PictureLoader, DecodesAtOwnSizeOverWhiteWhateverTheName)
{
    QTemporaryDir dir;
    QImage half = filled(200, 100, Qt::transparent, QImage::Format_ARGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            half.setPixelColor(x, y, Qt::red);
    const QString png = savePicture(dir, "png-with-jpeg-extension.jpg", half, "PNG");

    PictureLoader loader;
    qint32 width = -1, height = -1;
    const PictureSize size = loader.LoadPictureSize(png, width, height);
    EXPECT_EQ(size, (PictureSize{200, 100}));
    EXPECT_EQ(width, 200);
    const QImage picture = loader.ResizePicture(size.Width, size.Height, Qt::white, false);
    ASSERT_EQ(picture.size(), QSize(200, 100));
    EXPECT_EQ(picture.pixelColor(50, 50), QColor(Qt::red));
    EXPECT_EQ(picture.pixelColor(150, 50), QColor(Qt::white)); // was transparent

    // A size the caller gives is kept; the picture is stretched over it.
    width = 50;
    height = 10;
    EXPECT_EQ(loader.LoadPictureSize(png, width, height), (PictureSize{50, 10}));
    EXPECT_EQ(loader.ResizePicture(50, 10, Qt::white, false).size(), QSize(50, 10));
}

TEST(PictureLoader, FitModeCentresOverTheBackground)
{
    QTemporaryDir dir;
    const QString path = savePicture(dir, "wide.bmp", filled(200, 100, Qt::blue), "BMP");
    PictureLoader loader;
    qint32 width = -1, height = -1;
    loader.LoadPictureSize(path, width, height);
    const QImage picture = loader.ResizePicture(80, 80, Qt::green, true);
    ASSERT_EQ(picture.size(), QSize(80, 80));
    EXPECT_EQ(picture.pixelColor(40, 10), QColor(Qt::green)); // margin above the 80 x 40 band
    EXPECT_EQ(picture.pixelColor(40, 40), QColor(Qt::blue));
    EXPECT_EQ(picture.pixelColor(40, 70), QColor(Qt::green));
}

TEST(PictureLoader, UnreadableOrTooLargeGivesZeroAndKeepsTheCallersValues)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.png"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a picture");
    file.close();
    const QString big = savePicture(dir, "big.png", filled(100, 50, Qt::black), "PNG");

    struct Case {
        QString path;
        qint64 maxPixels;
        PictureSize expected;
    };
    const Case cases[] = {
        {text, MaxPicturePixels, {0, 0}},
        {dir.filePath(QStringLiteral("missing.jpg")), MaxPicturePixels, {0, 0}},
        {big, 100 * 50 - 1, {0, 0}}, // one pixel over the limit
        {big, 100 * 50, {100, 50}},  // exactly at it
    };
    for (const Case &c : cases) {
        PictureLoader loader(c.maxPixels);
        qint32 width = -1, height = -1;
        EXPECT_EQ(loader.LoadPictureSize(c.path, width, height), c.expected)
            << c.path.toStdString();
        if (c.expected.Width == 0) {
            EXPECT_EQ(width, -1);
            EXPECT_TRUE(loader.ResizePicture(0, 0, Qt::white, false).isNull());
            EXPECT_TRUE(decodePicture(c.path, c.maxPixels).isNull());
        }
    }
    EXPECT_EQ(readPictureSize(big), (PictureSize{100, 50}));
    EXPECT_EQ(readPictureSize(text), (PictureSize{0, 0}));
}

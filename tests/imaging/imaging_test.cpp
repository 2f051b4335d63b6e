#include "imaging/picture_scaling.h"
#include "imaging/thumbnails.h"
#include "platform/event_pump.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

namespace {
// Saves a picture of one colour, its left half in another when given, or an empty file when
// format is null.
QString save(const QTemporaryDir &dir, const char *name, QSize size, QColor colour,
             const char *format = "BMP", QColor leftHalf = {})
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    if (leftHalf.isValid())
        QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), leftHalf);
    EXPECT_TRUE(format ? image.save(path, format) : QFile(path).open(QIODevice::WriteOnly));
    return path;
}
} // namespace

// png.jpg is a PNG, red on its left half and transparent on its right; it is fitted into an
// 80 x 80 canvas over green.
TEST(PictureLoader, DecodesOverWhiteWhateverTheNameAndRefusesWhatItCannot)
{
    QTemporaryDir dir;
    const QString png = save(dir, "png.jpg", {200, 100}, Qt::transparent, "PNG", Qt::red);
    const std::tuple<QString, qint64, qint32, PictureSize> cases[] = {
        {png, 200 * 100, -1, {200, 100}}, // exactly at the pixel limit
        {png, 200 * 100, 50, {50, 5}},    // the caller's size is kept
        {png, 200 * 100 - 1, -1, {0, 0}},
        {save(dir, "empty.png", {}, {}, nullptr), MaxPicturePixels, 7, {0, 0}},
    };
    for (const auto &[path, maxPixels, width, expected] : cases) {
        PictureLoader loader(maxPixels);
        qint32 w = width, h = 5;
        EXPECT_EQ(loader.LoadPictureSize(path, w, h), expected) << maxPixels << " " << width;
        EXPECT_EQ(w, expected.Width ? expected.Width : width) << "kept on failure";
        const QImage shown = loader.ResizePicture(80, 80, Qt::green, true);
        EXPECT_EQ(shown.pixelColor(40, 10), QColor(Qt::green)) << "above the 80 x 40 band";
        EXPECT_EQ(shown.pixelColor(20, 40), expected.Width ? QColor(Qt::red) : QColor(Qt::green));
        EXPECT_EQ(shown.pixelColor(60, 40), expected.Width ? QColor(Qt::white) : QColor(Qt::green));
    }
    EXPECT_EQ(fitRect({3, 1}, {80, 80}), QRect(0, 26, 80, 27)); // 26.67 -> 27, 26.5 -> 26
    EXPECT_TRUE(PictureLoader().ResizePicture(0, 10, Qt::white, false).isNull());
}

// A large JPEG decodes reduced, an unreadable file as nothing; a file is decoded again only
// when it changed, and the cache keeps no more than its capacity.
TEST(ThumbnailCache, DecodesReducedAndOnlyWhatChanged)
{
    // A thumbnail fits into 80 x 80 without enlarging, the reduced side rounded halves to even.
    const std::pair<PictureSize, QSize> cases[] = {
        {{81, 81}, {80, 80}}, {{80, 80}, {80, 80}}, {{80, 81}, {79, 80}}, {{81, 80}, {80, 79}},
        {{160, 5}, {80, 2}},  {{160, 7}, {80, 4}},  {{0, 0}, {0, 0}}};
    for (const auto &[picture, expected] : cases)
        EXPECT_EQ(thumbnailSize(picture), expected) << picture.Width << "x" << picture.Height;
    QTemporaryDir dir;
    const QString a = save(dir, "a.bmp", {20, 10}, Qt::red);
    const QString b = save(dir, "b.jpg", {2000, 500}, Qt::blue, "JPEG");
    const QString c = save(dir, "c.gif", {}, {}, nullptr);
    QtEventPump events;
    ThumbnailCache cache(2, 2);
    cache.prefetch({a, b});
    EXPECT_EQ(cache.get(a, events).picture, (PictureSize{20, 10}));
    const Thumbnail wide = cache.get(b, events);
    EXPECT_EQ(wide.picture, (PictureSize{2000, 500}));
    ASSERT_EQ(wide.image.size(), QSize(80, 20));
    EXPECT_GT(wide.image.pixelColor(40, 10).blue(), 240);
    cache.prefetch({a, b});
    cache.get(a, events);
    EXPECT_EQ(cache.decodes(), 2) << "an unchanged file is not decoded again";

    save(dir, "a.bmp", {20, 10}, Qt::blue); // as many bytes, a second later
    QFile replaced(a);
    ASSERT_TRUE(replaced.open(QIODevice::ReadWrite) &&
                replaced.setFileTime(QDateTime::currentDateTime().addSecs(1),
                                     QFileDevice::FileModificationTime));
    replaced.close();
    EXPECT_EQ(cache.get(a, events).image.pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_TRUE(cache.get(c, events).image.isNull()); // pushes b out
    cache.get(b, events);
    EXPECT_EQ(cache.decodes(), 5);

    // A palette of two colours survives the reduction.
    QImage twoColours(200, 100, QImage::Format_Mono);
    twoColours.setColorTable({qRgb(255, 0, 0), qRgb(255, 255, 255)});
    twoColours.fill(0);
    const QString png = save(dir, "two.png", {}, {}, nullptr);
    ASSERT_TRUE(twoColours.save(png, "PNG"));
    EXPECT_EQ(decodeThumbnail(png).image.pixelColor(40, 20), QColor(Qt::red));
}

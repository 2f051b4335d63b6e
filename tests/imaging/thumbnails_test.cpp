#include "imaging/thumbnails.h"

#include "platform/event_pump.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString savePicture(const QTemporaryDir &dir, const QString &name, QSize size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path, format));
    return path;
}

} // namespace

TEST(ThumbnailSize, FitsIntoEightyWithoutEnlargingHalvesToEven)
{
    struct Case {
        PictureSize picture;
        QSize expected;
    };
    const Case cases[] = {
        {{400, 100}, {80, 20}}, {{100, 400}, {20, 80}}, {{60, 30}, {60, 30}}, {{81, 81}, {80, 80}},
        {{80, 80}, {80, 80}},   {{80, 81}, {79, 80}},   {{160, 5}, {80, 2}}, // 2.5 -> 2
        {{160, 7}, {80, 4}},                                                 // 3.5 -> 4
        {{1000, 1}, {80, 0}},   {{0, 0}, {0, 0}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(thumbnailSize(c.picture), c.expected)
            << c.picture.Width << "x" << c.picture.Height;
}

TEST(DecodeThumbnail, GivesOwnSizeAndAReducedPicture)
{
    QTemporaryDir dir;
    const QString jpeg = savePicture(dir, QStringLiteral("wide.jpg"), {400, 100}, "JPEG");
    const QString png = savePicture(dir, QStringLiteral("png-named.jpeg"), {30, 60}, "PNG");
    const QString text = dir.filePath(QStringLiteral("broken.gif"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("GIF89a and then nothing");
    file.close();

    struct Case {
        QString path;
        PictureSize picture;
        QSize image;
    };
    const Case cases[] = {
        {jpeg, {400, 100}, {80, 20}},
        {png, {30, 60}, {30, 60}},
        {text, {0, 0}, {0, 0}}, // a null image
    };
    for (const Case &c : cases) {
        const Thumbnail thumbnail = decodeThumbnail(c.path);
        EXPECT_EQ(thumbnail.picture, c.picture) << c.path.toStdString();
        EXPECT_EQ(thumbnail.image.size(), c.image);
    }
}

TEST(ThumbnailCache, DecodesAFileOnlyWhenItChanged)
{
    for (int threads : {0, 2}) {
        QTemporaryDir dir;
        const QString a = savePicture(dir, QStringLiteral("a.png"), {200, 100}, "PNG");
        const QString b = savePicture(dir, QStringLiteral("b.png"), {50, 50}, "PNG");
        QtEventPump events;
        ThumbnailCache cache(10, threads);

        cache.prefetch({a, b});
        EXPECT_EQ(cache.get(a, events).picture, (PictureSize{200, 100})) << threads;
        EXPECT_EQ(cache.get(b, events).picture, (PictureSize{50, 50}));
        EXPECT_EQ(cache.decodes(), 2);

        cache.prefetch({a, b});
        cache.get(a, events);
        cache.get(b, events);
        EXPECT_EQ(cache.decodes(), 2) << "an unchanged file is not decoded again";

        savePicture(dir, QStringLiteral("a.png"), {100, 300}, "PNG"); // replaced: another size
        EXPECT_EQ(cache.get(a, events).picture, (PictureSize{100, 300}));
        EXPECT_EQ(cache.decodes(), 3);
    }
}

TEST(ThumbnailCache, KeepsOnlyItsCapacity)
{
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < 3; ++i)
        paths << savePicture(dir, QStringLiteral("p%1.bmp").arg(i), {10 + i, 10}, "BMP");
    ScriptedEventPump events;
    ThumbnailCache cache(2, 0);
    for (const QString &path : paths)
        cache.get(path, events);
    cache.get(paths.at(0), events); // pushed out by the third
    EXPECT_EQ(cache.decodes(), 4);
    cache.get(paths.at(2), events);
    EXPECT_EQ(cache.decodes(), 4);
}

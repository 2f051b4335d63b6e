#include "viewer/picture_cache.h"

#include "imaging/picture_scaling.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
class PictureCacheTest : public ::testing::Test {
protected:
    QString write(const QString &name, QSize size)
    {
        const QString path = folder.filePath(name);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::red);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    QTemporaryDir folder;
    PictureCache cache{[](const QString &path) { return decodePicture(path); }};
};
} // namespace

TEST_F(PictureCacheTest, NeighboursDecodedAheadAreNotDecodedAgain)
{
    const QString a = write(QStringLiteral("a.png"), {10, 10});
    const QString b = write(QStringLiteral("b.png"), {20, 10});
    const QString c = write(QStringLiteral("c.png"), {30, 10});
    EXPECT_EQ(cache.picture(a).size(), QSize(10, 10));
    cache.keepAround(a, {b, c});
    EXPECT_EQ(cache.picture(b).size(), QSize(20, 10)); // waits for the worker if need be
    EXPECT_EQ(cache.picture(c).size(), QSize(30, 10));
    EXPECT_EQ(cache.decodeCount(), 3);
    EXPECT_EQ(cache.heldCount(), 3);
}

TEST_F(PictureCacheTest, AtMostThreeHeldAndTheOthersDropped)
{
    QStringList paths;
    for (int i = 0; i < 5; ++i)
        paths.append(write(QString::number(i) + QStringLiteral(".png"), {8, 8}));
    for (int i = 0; i < 5; ++i) {
        cache.picture(paths[i]);
        cache.keepAround(paths[i], {paths[(i + 1) % 5], paths[(i + 4) % 5]});
        EXPECT_LE(cache.heldCount(), PictureCache::MaxHeld);
    }
    cache.keepAround(paths[0], {});
    EXPECT_EQ(cache.heldCount(), 1);
    cache.forget(paths[0]);
    EXPECT_EQ(cache.heldCount(), 0);
}

TEST_F(PictureCacheTest, FileChangedSinceItsDecodeIsDecodedAgain)
{
    const QString a = write(QStringLiteral("a.png"), {10, 10});
    cache.picture(a);
    write(QStringLiteral("a.png"), {40, 30});
    // Same size on disk or not, a new modification time marks the change.
    QFile file(a);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                 QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(cache.picture(a).size(), QSize(40, 30));
    EXPECT_EQ(cache.decodeCount(), 2);
    EXPECT_EQ(cache.picture(a).size(), QSize(40, 30));
    EXPECT_EQ(cache.decodeCount(), 2);
}

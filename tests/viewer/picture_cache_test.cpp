#include "viewer/picture_cache.h"

#include "imaging/picture_scaling.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

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
    // Decodes on the test's own thread: pictures the worker did not have ready.
    std::atomic_int decodedHere = 0;
    PictureCache cache{[this](const QString &path) {
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            ++decodedHere;
        return decodePicture(path);
    }};
};
} // namespace

TEST_F(PictureCacheTest, NeighboursAreDecodedAheadAndAtMostThreeHeld)
{
    QStringList paths;
    for (int i = 0; i < 5; ++i)
        paths.append(write(QString::number(i) + QStringLiteral(".png"), {10 + i, 10}));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cache.picture(paths[i]).width(), 10 + i); // waits for the worker if need be
        cache.keepAround(paths[i], {paths[(i + 1) % 5], paths[(i + 4) % 5]});
        EXPECT_LE(cache.heldCount(), PictureCache::MaxHeld);
    }
    EXPECT_EQ(decodedHere, 1) << "only the first picture waits for a decode of its own";
    cache.keepAround(paths[0], {});
    EXPECT_EQ(cache.heldCount(), 1);
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

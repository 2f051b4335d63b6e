#include "viewer/picture_cache.h"

#include "imaging/picture_scaling.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {
QString writePicture(const QTemporaryDir &folder, int number, QSize size)
{
    const QString path = folder.filePath(QString::number(number) + QStringLiteral(".png"));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    EXPECT_TRUE(image.save(path, "PNG"));
    return path;
}
} // namespace

TEST(PictureCache, NeighboursAreDecodedAheadAndAtMostThreeHeld)
{
    QTemporaryDir folder;
    std::atomic_int decodedHere = 0; // pictures the worker did not have ready
    PictureCache cache([&decodedHere](const QString &path) {
        decodedHere += QThread::currentThread() == QCoreApplication::instance()->thread();
        return decodePicture(path);
    });
    QStringList paths;
    for (int i = 0; i < 5; ++i)
        paths.append(writePicture(folder, i, {10 + i, 10}));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cache.picture(paths[i]).width(), 10 + i); // waits for the worker if need be
        cache.keepAround(paths[i], {paths[(i + 1) % 5], paths[(i + 4) % 5]});
        EXPECT_EQ(cache.heldCount(), PictureCache::MaxHeld);
    }
    EXPECT_EQ(decodedHere, 1) << "only the first picture waits for a decode of its own";
}

TEST(PictureCache, FileChangedSinceItsDecodeIsDecodedAgain)
{
    QTemporaryDir folder;
    PictureCache cache([](const QString &path) { return decodePicture(path); });
    const QString path = writePicture(folder, 0, {10, 10});
    cache.picture(path);
    writePicture(folder, 0, {40, 30});
    QFile file(path); // a new modification time marks the change, whatever the size
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                 QFileDevice::FileModificationTime));
    file.close();
    for (int look = 0; look < 2; ++look) {
        EXPECT_EQ(cache.picture(path).size(), QSize(40, 30));
        EXPECT_EQ(cache.decodeCount(), 2);
    }
}

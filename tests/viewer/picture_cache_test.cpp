#include "viewer/picture_cache.h"

#include "imaging/picture_scaling.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

TEST(PictureCache, NeighboursAreDecodedAheadAtMostThreeHeldAndAChangedFileDecodedAgain)
{
    QTemporaryDir folder;
    const auto write = [&folder](int number, QSize size) {
        const QString path = folder.filePath(QStringLiteral("%1.png").arg(number));
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::red);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    };
    std::atomic_int decodedHere = 0; // pictures the worker did not have ready
    PictureCache cache([&decodedHere](const QString &path) {
        decodedHere += QThread::currentThread() == QCoreApplication::instance()->thread();
        return decodePicture(path);
    });
    QStringList paths;
    for (int i = 0; i < 5; ++i)
        paths.append(write(i, {10 + i, 10}));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cache.picture(paths[i]).width(), 10 + i); // waits for the worker if need be
        cache.keepAround(paths[i], {paths[(i + 1) % 5], paths[(i + 4) % 5]});
        EXPECT_EQ(cache.heldCount(), PictureCache::MaxHeld);
    }
    EXPECT_EQ(decodedHere, 1) << "only the first picture waits for a decode of its own";

    write(4, {40, 30}); // held; a new modification time marks the change, whatever the size
    QFile file(paths[4]);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                 QFileDevice::FileModificationTime));
    EXPECT_EQ(cache.picture(paths[4]).size(), QSize(40, 30));
    cache.picture(paths[4]);
    EXPECT_EQ(decodedHere, 2) << "decoded once more, then held";
}

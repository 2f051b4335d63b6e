#include "viewer/picture_cache.h"

#include "imaging/picture_scaling.h"
#include "support/program_folder.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

using PictureCacheTest = ProgramFolder;

TEST_F(PictureCacheTest, NeighboursAreDecodedAheadAtMostThreeHeldAndAChangedFileDecodedAgain)
{
    std::atomic_int decodedHere = 0; // pictures the worker did not have ready
    PictureCache cache([&decodedHere](const QString &path) {
        decodedHere += QThread::currentThread() == QCoreApplication::instance()->thread();
        return decodePicture(path);
    });
    QStringList paths;
    for (int i = 0; i < 5; ++i)
        paths.append(savePicture(QStringLiteral("%1.png").arg(i), {10 + i, 10}));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cache.picture(paths[i]).width(), 10 + i); // waits for the worker if need be
        cache.keepAround(paths[i], {paths[(i + 1) % 5], paths[(i + 4) % 5]});
        EXPECT_EQ(cache.heldCount(), PictureCache::MaxHeld);
    }
    EXPECT_EQ(decodedHere, 1) << "only the first picture waits for a decode of its own";

    // Held; a new modification time marks the change, whatever the size.
    savePicture(QStringLiteral("4.png"), {40, 30});
    QFile file(paths[4]);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                 QFileDevice::FileModificationTime));
    EXPECT_EQ(cache.picture(paths[4]).size(), QSize(40, 30));
    cache.picture(paths[4]);
    EXPECT_EQ(decodedHere, 2) << "decoded once more, then held";
}

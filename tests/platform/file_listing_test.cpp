#include "platform/file_listing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

namespace {
void touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}
} // namespace

TEST(FileListing, MatchesThePatternWithoutRegardToCaseAndSortsByNameIgnoringCase)
{
    QTemporaryDir dir;
    for (const char *name :
         {"spanish.lan", "German.LAN", "english.lan", "Zed.lan", "notes.txt", "lan", "a.lan.bak"})
        touch(dir.filePath(QString::fromLatin1(name)));
    QDir().mkdir(dir.filePath(QStringLiteral("folder.lan")));

    const QStringList names = DirFileListing().list(dir.path(), QStringLiteral("*.lan"));
    EXPECT_EQ(names, (QStringList{QStringLiteral("english.lan"), QStringLiteral("German.LAN"),
                                  QStringLiteral("spanish.lan"), QStringLiteral("Zed.lan")}));
}

TEST(FileListing, SeveralPatternsSeparatedBySemicolons)
{
    QTemporaryDir dir;
    for (const char *name : {"b.PNG", "a.jpg", "c.gif", "d.txt"})
        touch(dir.filePath(QString::fromLatin1(name)));
    const QStringList names =
        DirFileListing().list(dir.path(), QStringLiteral("*.jpeg;*.jpg;*.bmp;*.gif;*.png"));
    EXPECT_EQ(names, (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.PNG"),
                                  QStringLiteral("c.gif")}));
}

TEST(FileListing, MissingFolderGivesNothing)
{
    EXPECT_TRUE(DirFileListing()
                    .list(QStringLiteral("/nonexistent/zovarode"), QStringLiteral("*.lan"))
                    .isEmpty());
}

TEST(CachedFileListing, ListsAgainOnlyWhenTheFolderChangedOrChangedTooRecently)
{
    struct Counting final : FileListing {
        QStringList list(const QString &folder, const QString &pattern) const override
        {
            ++calls;
            return DirFileListing().list(folder, pattern);
        }
        mutable int calls = 0;
    } inner;
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("a.jpg")));
    const auto settle = [&] {
        std::filesystem::last_write_time(dir.path().toStdString(),
                                         std::filesystem::file_time_type::clock::now() -
                                             std::chrono::hours(1));
    };
    CachedFileListing listing(inner);
    const QString pattern = QStringLiteral("*.jpg");

    settle();
    listing.list(dir.path(), pattern);
    EXPECT_EQ(listing.list(dir.path(), pattern), QStringList{QStringLiteral("a.jpg")});
    EXPECT_EQ(inner.calls, 1) << "a settled, unchanged folder is listed once";

    touch(dir.filePath(QStringLiteral("b.jpg")));
    EXPECT_EQ(listing.list(dir.path(), pattern).size(), 2);
    listing.list(dir.path(), pattern);
    EXPECT_EQ(inner.calls, 3) << "a folder changed just now is listed every time";

    settle();
    listing.list(dir.path(), pattern);
    listing.list(dir.path(), QStringLiteral("*.png"));
    EXPECT_EQ(inner.calls, 5) << "another pattern is another listing";
}

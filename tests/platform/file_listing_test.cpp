#include "platform/file_listing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

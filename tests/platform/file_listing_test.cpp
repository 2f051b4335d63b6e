#include "platform/file_listing.h"

#include "platform/event_pump.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
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

// Sets the folder's modification time an hour back, so that its listing may be kept.
void settle(const QTemporaryDir &dir)
{
    std::filesystem::last_write_time(dir.path().toStdString(),
                                     std::filesystem::file_time_type::clock::now() -
                                         std::chrono::hours(1));
}
} // namespace

TEST(DirFileListing, MatchesPlainFilesByAnyPatternIgnoringCaseAndSortsIgnoringCase)
{
    QTemporaryDir dir;
    for (const char *name : {"spanish.lan", "German.LAN", "english.lan", "Zed.lan", "b.PNG",
                             "notes.txt", "lan", "a.lan.bak"})
        touch(dir.filePath(QString::fromLatin1(name)));
    QDir().mkdir(dir.filePath(QStringLiteral("folder.lan")));

    EXPECT_EQ(DirFileListing().list(dir.path(), QStringLiteral("*.lan;*.png")),
              QStringList({QStringLiteral("b.PNG"), QStringLiteral("english.lan"),
                           QStringLiteral("German.LAN"), QStringLiteral("spanish.lan"),
                           QStringLiteral("Zed.lan")}));
    EXPECT_TRUE(DirFileListing()
                    .list(dir.filePath(QStringLiteral("gone")), QStringLiteral("*.lan"))
                    .isEmpty());
}

TEST(FolderListing, ListsInTheBackgroundAndAgainOnlyWhenTheFolderChanged)
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("a.jpg")));
    settle(dir);
    const DirFileListing inner;
    FolderListing listing(inner);
    int changed = 0;
    QObject::connect(&listing, &FolderListing::changed, [&] { ++changed; });
    QtEventPump events;
    const QString jpg = QStringLiteral("*.jpg");

    EXPECT_FALSE(listing.latest(dir.path(), jpg)) << "nothing before the first listing is done";
    EXPECT_EQ(listing.current(dir.path(), jpg, events), QStringList{QStringLiteral("a.jpg")});
    EXPECT_EQ(listing.latest(dir.path(), jpg), QStringList{QStringLiteral("a.jpg")});
    EXPECT_EQ(listing.current(dir.path(), jpg, events), QStringList{QStringLiteral("a.jpg")});
    const int settled = listing.listings();

    touch(dir.filePath(QStringLiteral("b.jpg")));
    EXPECT_EQ(listing.latest(dir.path(), jpg), QStringList{QStringLiteral("a.jpg")})
        << "the last one until done";
    for (QDeadlineTimer limit(5000); changed == 0 && !limit.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(listing.current(dir.path(), jpg, events),
              QStringList({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
    EXPECT_EQ(listing.listings(), settled + 2) << "a folder changed just now is listed again";

    ASSERT_TRUE(dir.remove());
    EXPECT_TRUE(listing.current(dir.path(), jpg, events).isEmpty()) << "a vanished folder";
    EXPECT_EQ(changed, 1) << "only a listing nobody waited for is announced";
}

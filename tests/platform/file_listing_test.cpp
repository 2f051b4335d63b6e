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
QStringList names(const char *joined)
{
    return QString::fromLatin1(joined).split(u' ', Qt::SkipEmptyParts);
}

void touch(const QTemporaryDir &dir, const char *names)
{
    for (const QString &name : ::names(names))
        ASSERT_TRUE(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
}
} // namespace

TEST(DirFileListing, MatchesPlainFilesByAnyPatternIgnoringCaseAndSortsIgnoringCase)
{
    QTemporaryDir dir;
    touch(dir, "spanish.lan German.LAN english.lan English.lan b.PNG notes.txt lan a.lan.bak");
    QDir().mkdir(dir.filePath(QStringLiteral("folder.lan")));
    EXPECT_EQ(DirFileListing().list(dir.path(), QStringLiteral("*.lan;*.png")),
              names("b.PNG English.lan english.lan German.LAN spanish.lan"));
}

TEST(FolderListing, ListsInTheBackgroundAndAgainOnlyWhenTheFolderChanged)
{
    QTemporaryDir dir;
    touch(dir, "a.jpg");
    // An hour old: a listing of the folder may be kept.
    std::filesystem::last_write_time(dir.path().toStdString(),
                                     std::filesystem::file_time_type::clock::now() -
                                         std::chrono::hours(1));
    const DirFileListing inner;
    FolderListing listing(inner);
    int changed = 0;
    QObject::connect(&listing, &FolderListing::changed, [&] { ++changed; });
    QtEventPump events;
    const QString jpg = QStringLiteral("*.jpg");

    EXPECT_FALSE(listing.latest(dir.path(), jpg)) << "nothing before the first listing is done";
    EXPECT_EQ(listing.current(dir.path(), jpg, events), names("a.jpg"));
    EXPECT_EQ(listing.current(dir.path(), jpg, events), names("a.jpg"));
    const int settled = listing.listings();

    touch(dir, "b.jpg");
    EXPECT_EQ(listing.latest(dir.path(), jpg), names("a.jpg")) << "the last one until done";
    for (QDeadlineTimer limit(5000); changed == 0 && !limit.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(listing.current(dir.path(), jpg, events), names("a.jpg b.jpg"));
    EXPECT_EQ(listing.listings(), settled + 2) << "a folder changed just now is listed again";

    ASSERT_TRUE(dir.remove());
    EXPECT_TRUE(listing.current(dir.path(), jpg, events).isEmpty()) << "a vanished folder";
    EXPECT_EQ(changed, 1) << "only a listing nobody waited for is announced";
}

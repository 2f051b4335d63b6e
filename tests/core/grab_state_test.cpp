#include "core/grab_state.h"

#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"

#include <gtest/gtest.h>

namespace {
class GrabStateTest : public ::testing::Test {
protected:
    void SetUp() override { texts.set(85, QStringLiteral("Folder blocked")); }

    GrabState state;
    MainWindowStatus status;
    LanguageText texts;
};
} // namespace

TEST(FolderOf, KeepsEverythingUpToTheLastSlash)
{
    EXPECT_EQ(FolderOf(QStringLiteral("http://h/a/b/p.jpg")), QStringLiteral("http://h/a/b/"));
    EXPECT_EQ(FolderOf(QStringLiteral("http://h/a/")), QStringLiteral("http://h/a/"));
    EXPECT_EQ(FolderOf(QStringLiteral("http://host")), QStringLiteral("http://"));
    EXPECT_EQ(FolderOf(QStringLiteral("noslash")), QString());
}

TEST_F(GrabStateTest, SixthFailureBlocksTheFolderOnceAndShowsTheStatus)
{
    status.MainWindowOpen = true;
    for (int i = 1; i <= 5; ++i)
        state.RecordFailure(QStringLiteral("http://h/pics/%1.jpg").arg(i), status, texts);
    state.RecordFailure(QStringLiteral("http://h/other/x.jpg"), status, texts);
    EXPECT_TRUE(state.BlockedFolders.isEmpty());
    EXPECT_FALSE(state.isBlocked(QStringLiteral("http://h/pics/")));
    EXPECT_EQ(status.panelText(1), QString());

    state.RecordFailure(QStringLiteral("http://h/pics/6.jpg"), status, texts);
    EXPECT_EQ(state.BlockedFolders, QStringList{QStringLiteral("http://h/pics/")});
    EXPECT_TRUE(state.isBlocked(QStringLiteral("http://h/pics/")));
    EXPECT_EQ(status.panelText(1), QStringLiteral("Folder blocked"));

    state.RecordFailure(QStringLiteral("http://h/pics/7.jpg"), status, texts);
    EXPECT_EQ(state.BlockedFolders.size(), 1) << "a seventh failure blocks nothing new";
    ASSERT_EQ(state.FolderFailures.size(), 2u);
    EXPECT_EQ(state.FolderFailures[0].Folder, QStringLiteral("http://h/pics/"));
    EXPECT_EQ(state.FolderFailures[0].Count, 7);
    EXPECT_EQ(state.FolderFailures[1].Folder, QStringLiteral("http://h/other/"));
    EXPECT_EQ(state.FolderFailures[1].Count, 1);
}

TEST_F(GrabStateTest, BlockingWhileTheMainWindowIsClosedShowsNothing)
{
    for (int i = 0; i < 6; ++i)
        state.RecordFailure(QStringLiteral("http://h/x.gif"), status, texts);
    EXPECT_TRUE(state.isBlocked(QStringLiteral("http://h/")));
    EXPECT_EQ(status.panelText(1), QString());
}

TEST_F(GrabStateTest, SeedCrawlLeavesOnlyTheStartAddressWhateverCameBefore)
{
    Settings settings;
    settings.FileFromNum = 17;
    state.LinkList.append({QStringLiteral("http://old/"), 2});
    state.LinkList.append({QStringLiteral("http://old/2"), 3});
    state.LinkList.Next = 2;
    state.ExpandList.append({QStringLiteral("http://x/"), 9});
    state.ResourceList.append(QStringLiteral("http://old/a.jpg"));
    state.ResourceList.Next = 1;
    state.PagesCounted = 5;
    state.PicturesSaved = 4;
    for (int i = 0; i < 6; ++i)
        state.RecordFailure(QStringLiteral("http://old/f.jpg"), status, texts);

    state.SeedCrawl(QStringLiteral("http://start/"), settings);
    EXPECT_EQ(state.LinkList.count(), 1);
    EXPECT_EQ(state.LinkList.Next, 0);
    EXPECT_EQ(state.LinkList.at(0), (PageEntry{QStringLiteral("http://start/"), 0}));
    EXPECT_TRUE(state.LinkList.contains(QStringLiteral("http://start/")));
    EXPECT_FALSE(state.LinkList.contains(QStringLiteral("http://old/")));
    EXPECT_TRUE(state.ExpandList.isEmpty());
    EXPECT_EQ(state.ExpandList.Next, 0);
    EXPECT_TRUE(state.ResourceList.isEmpty());
    EXPECT_EQ(state.ResourceList.Next, 0);
    EXPECT_FALSE(state.ResourceList.contains(QStringLiteral("http://old/a.jpg")));
    EXPECT_TRUE(state.FolderFailures.empty());
    EXPECT_TRUE(state.BlockedFolders.isEmpty());
    EXPECT_FALSE(state.isBlocked(QStringLiteral("http://old/")));
    EXPECT_EQ(state.PagesCounted, 0);
    EXPECT_EQ(state.PicturesSaved, 0);
    for (qint32 counter : state.FileCounter)
        EXPECT_EQ(counter, 17);

    // Failure records start afresh: a folder blocked before needs six new failures.
    for (int i = 0; i < 5; ++i)
        state.RecordFailure(QStringLiteral("http://old/f.jpg"), status, texts);
    EXPECT_FALSE(state.isBlocked(QStringLiteral("http://old/")));
}

TEST(RequestKey, NamesTheListAndCarriesTheAddress)
{
    const QString address = QStringLiteral("http://h/p.html");
    EXPECT_EQ(RequestKey(RequestKind::Link, address, 0), QStringLiteral("M0http://h/p.html"));
    EXPECT_EQ(RequestKey(RequestKind::Expand, address, 9), QStringLiteral("X9http://h/p.html"));
    EXPECT_EQ(RequestKey(RequestKind::Picture, address), QStringLiteral("RRhttp://h/p.html"));
    EXPECT_EQ(RequestKey(RequestKind::Upgrade, address), QStringLiteral("U0http://h/p.html"));
    for (RequestKind kind :
         {RequestKind::Link, RequestKind::Expand, RequestKind::Picture, RequestKind::Upgrade})
        EXPECT_EQ(requestAddress(RequestKey(kind, address, 3)), address);
    EXPECT_TRUE(isPictureRequest(RequestKey(RequestKind::Picture, address)));
    EXPECT_FALSE(isPictureRequest(RequestKey(RequestKind::Upgrade, address)));
    EXPECT_FALSE(isPictureRequest(RequestKey(RequestKind::Link, address)));
    EXPECT_FALSE(isPictureRequest(QStringLiteral("rrhttp://h/")))
        << "keys compare case-sensitively";
}

TEST(AddressList, IndexAgreesWithTheEntries)
{
    PictureList list;
    list.append(QStringLiteral("a"));
    list.append(QStringLiteral("b"));
    EXPECT_TRUE(list.contains(QStringLiteral("b")));
    EXPECT_FALSE(list.contains(QStringLiteral("B")));
    EXPECT_EQ(list.waiting(), 2);
    list.Next = 1;
    EXPECT_EQ(list.waiting(), 1);
    EXPECT_TRUE(list.contains(QStringLiteral("a"))) << "handed-out entries still count";
}

TEST(GrabState, AllHandedOutOnlyWhenEveryListIsDone)
{
    GrabState state;
    EXPECT_TRUE(state.allHandedOut());
    state.LinkList.append({QStringLiteral("http://h/"), 0});
    state.ExpandList.append({QStringLiteral("http://h/x"), 9});
    state.ResourceList.append(QStringLiteral("http://h/a.jpg"));
    state.LinkList.Next = 1;
    state.ExpandList.Next = 1;
    EXPECT_FALSE(state.allHandedOut()) << "a picture is still queued";
    state.ResourceList.Next = 1;
    EXPECT_TRUE(state.allHandedOut());
}

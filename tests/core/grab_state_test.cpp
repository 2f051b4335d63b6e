#include "core/grab_state.h"

#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
class GrabStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        texts.set(85, u"Folder blocked"_s);
        status.MainWindowOpen = true;
    }
    void fail(const QString &address, int times)
    {
        for (int i = 0; i < times; ++i)
            state.RecordFailure(address, status, texts);
    }
    // The failure records and the blocked folders, in order.
    std::string failures() const
    {
        QStringList records;
        for (const FolderFailure &failure : state.FolderFailures)
            records.append(failure.Folder + u' ' + QString::number(failure.Count));
        return QString(records.join(u", ") + u" blocked: "_s + state.BlockedFolders.join(u", "))
            .toStdString();
    }

    GrabState state;
    MainWindowStatus status;
    LanguageText texts;
};
} // namespace

TEST(FolderOf, KeepsEverythingUpToTheLastSlash)
{
    EXPECT_EQ(FolderOf(u"http://h/a/b/p.jpg"_s), u"http://h/a/b/"_s);
    EXPECT_EQ(FolderOf(u"http://h/a/"_s), u"http://h/a/"_s);
    EXPECT_EQ(FolderOf(u"http://host"_s), u"http://"_s);
    EXPECT_EQ(FolderOf(u"noslash"_s), QString());
}

TEST_F(GrabStateTest, SixthFailureOfAFolderBlocksItOnce)
{
    fail(u"http://h/pics/1.jpg"_s, 5);
    fail(u"http://h/other/x.jpg"_s, 1);
    EXPECT_EQ(failures(), "http://h/pics/ 5, http://h/other/ 1 blocked: ");
    EXPECT_FALSE(state.isBlocked(u"http://h/pics/"_s));
    EXPECT_EQ(status.panelText(1), QString());

    fail(u"http://h/pics/6.jpg"_s, 1);
    EXPECT_EQ(failures(), "http://h/pics/ 6, http://h/other/ 1 blocked: http://h/pics/");
    EXPECT_TRUE(state.isBlocked(u"http://h/pics/"_s));
    EXPECT_EQ(status.panelText(1), u"Folder blocked"_s);

    status.showStatus(1, QString());
    fail(u"http://h/pics/7.jpg"_s, 1);
    EXPECT_EQ(failures(), "http://h/pics/ 7, http://h/other/ 1 blocked: http://h/pics/");
    EXPECT_EQ(status.panelText(1), QString()) << "a folder is blocked once";
}

TEST_F(GrabStateTest, SeedCrawlLeavesOnlyTheStartAddressWhateverCameBefore)
{
    Settings settings;
    settings.FileFromNum = 17;
    for (PageList *list : {&state.LinkList, &state.ExpandList}) {
        list->append({u"http://old/"_s, 2});
        list->Next = 1;
    }
    state.ResourceList.append(u"http://old/a.jpg"_s);
    state.ResourceList.Next = 1;
    state.PagesCounted = 5;
    state.PicturesSaved = 4;
    state.ResultPageOffsets = {{20}, 1};
    fail(u"http://old/f.jpg"_s, 6);

    state.SeedCrawl(u"http://start/"_s, settings);
    EXPECT_EQ(state.LinkList.entries(), (std::vector<PageEntry>{{u"http://start/"_s, 0}}));
    EXPECT_TRUE(state.LinkList.contains(u"http://start/"_s));
    EXPECT_FALSE(state.LinkList.contains(u"http://old/"_s));
    EXPECT_TRUE(state.ExpandList.isEmpty());
    EXPECT_FALSE(state.ExpandList.contains(u"http://old/"_s));
    EXPECT_TRUE(state.ResourceList.isEmpty());
    EXPECT_FALSE(state.ResourceList.contains(u"http://old/a.jpg"_s));
    for (const qint32 next : {state.LinkList.Next, state.ExpandList.Next, state.ResourceList.Next})
        EXPECT_EQ(next, 0);
    EXPECT_TRUE(state.ResultPageOffsets.Offsets.isEmpty());
    EXPECT_EQ(state.ResultPageOffsets.IndexedLinks, 0);
    EXPECT_EQ(state.PagesCounted + state.PicturesSaved, 0);
    EXPECT_EQ(state.FileCounter, (std::array<qint32, 4>{17, 17, 17, 17}));
    EXPECT_EQ(failures(), " blocked: ");
    EXPECT_FALSE(state.isBlocked(u"http://old/"_s));
    // Failure records start afresh: a folder blocked before needs six new failures.
    fail(u"http://old/f.jpg"_s, 5);
    EXPECT_FALSE(state.isBlocked(u"http://old/"_s));
}

TEST(RequestKey, NamesTheListAndCarriesTheAddress)
{
    const QString address = u"http://h/p.html"_s;
    const std::tuple<RequestKind, qint16, QString, bool> cases[] = {
        {RequestKind::Link, 0, u"M0http://h/p.html"_s, false},
        {RequestKind::Expand, 9, u"X9http://h/p.html"_s, false},
        {RequestKind::Picture, 3, u"RRhttp://h/p.html"_s, true},
        {RequestKind::Upgrade, 3, u"U0http://h/p.html"_s, false},
    };
    for (const auto &[kind, depth, expected, picture] : cases) {
        const QString key = RequestKey(kind, address, depth);
        EXPECT_EQ(key, expected);
        EXPECT_EQ(requestAddress(key), address);
        EXPECT_EQ(isPictureRequest(key), picture);
    }
    EXPECT_FALSE(isPictureRequest(u"rrhttp://h/"_s)) << "keys compare case-sensitively";
}

TEST(GrabState, AllHandedOutOnlyWhenEveryListIsDone)
{
    GrabState state;
    EXPECT_TRUE(state.allHandedOut());
    state.LinkList.append({u"http://h/"_s, 0});
    state.ExpandList.append({u"http://h/x"_s, 9});
    state.ResourceList.append(u"http://h/a.jpg"_s);
    qint32 *const nexts[] = {&state.LinkList.Next, &state.ExpandList.Next,
                             &state.ResourceList.Next};
    for (qint32 *pending : nexts) {
        for (qint32 *next : nexts)
            *next = next == pending ? 0 : 1;
        EXPECT_FALSE(state.allHandedOut());
    }
    *nexts[2] = 1;
    EXPECT_TRUE(state.allHandedOut());
    EXPECT_EQ(state.ResourceList.waiting(), 0);
    EXPECT_TRUE(state.ResourceList.contains(u"http://h/a.jpg"_s)) << "handed-out entries count";
}

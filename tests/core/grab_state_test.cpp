#include "core/grab_state.h"

#include "core/text_ids.h"
#include "support/crawl_state.h"

using namespace Qt::StringLiterals;

TEST_F(CrawlTest, TheSixthFailureOfAFolderBlocksItAndSeedCrawlStartsAfresh)
{
    const auto fail = [this](const char16_t *address, int times) {
        for (int i = 0; i < times; ++i)
            grab.RecordFailure(QString::fromUtf16(address), status, texts);
        return grab.isBlocked(u"http://h/a/"_s);
    };
    EXPECT_FALSE(fail(u"http://h/a/1.jpg", 5) || fail(u"http://h/b/", 1));
    EXPECT_TRUE(fail(u"http://h/a/2.jpg", 1));
    EXPECT_EQ(status.panelText(1), texts[TextId::FolderBlocked]);

    settings.FileFromNum = 17;
    grab.ExpandList.append({u"http://h/x"_s, 2});
    grab.ResourceList.append(u"http://h/a.jpg"_s);
    grab.LinkList.Next = grab.ExpandList.Next = grab.ResourceList.Next = 1;
    grab.PagesCounted = grab.PicturesSaved = grab.PicturesNotWritten = 4;
    grab.ResultPageOffsets = {{20}, 1};
    grab.SeedCrawl(u"http://start/"_s, settings);
    EXPECT_EQ(listed(grab.LinkList) + listed(grab.ExpandList) + listed(grab.ResourceList),
              "http://start/");
    EXPECT_EQ(grab.LinkList.Next + grab.ExpandList.Next + grab.ResourceList.Next, 0);
    EXPECT_TRUE(grab.ResultPageOffsets.Offsets.isEmpty());
    EXPECT_EQ(grab.PagesCounted + grab.PicturesSaved + grab.PicturesNotWritten, 0);
    EXPECT_EQ(grab.FileCounter, (std::array<qint32, 4>{17, 17, 17, 17}));
    EXPECT_FALSE(fail(u"http://h/a/4.jpg", 5)) << "a folder blocked before needs six anew";
}

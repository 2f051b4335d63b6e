#include "grab/search_start.h"

#include "support/crawl_state.h"

using namespace Qt::StringLiterals;

TEST(SearchStart, AWebsiteOrAKeywordWithItsStartAddressAndProjectFile)
{
    for (const auto &[typed, expected] :
         {std::pair{u"e.com/a.b"_s, u"http://www.e.com/a.b /z/e_com_a_b.txt"_s},
          {u"WWW.e.com/"_s, u"http://WWW.e.com/ /z/http:__WWW_e_com_.txt"_s},
          {u"HTTPS://intranet"_s, u"https://www.intranet /z/intranet.txt"_s},
          {u"127.0.0.1:80/s"_s, u"http://127.0.0.1:80/s /z/http:__127_0_0_1:80_s.txt"_s},
          {u"http://LocalHost"_s, u"http://LocalHost /z/http:__LocalHost.txt"_s},
          {u"http://[::1]:81/"_s, u"http://[::1]:81/ /z/http:__[::1]:81_.txt"_s},
          {u"red car"_s, u"B?q=red+car&S /z/red_car.txt"_s},
          {u"a/b\\c\td"_s, u"B?q=a/b\\c\td&S /z/a_b_c_d.txt"_s}}) {
        const SearchStart s = startOfSearch(typed, u"/z"_s, u"B?q="_s, u"&S"_s);
        EXPECT_EQ(s.StartAddress + u' ' + s.ProjectFilePath, expected);
        EXPECT_EQ(s.KeywordSearchMode, s.SiteRoot.isEmpty());
        EXPECT_EQ(s.SearchText, s.KeywordSearchMode ? typed : s.StartAddress);
    }
}

TEST_F(CrawlTest, PrepareGrabSetsTheModeAndOnlyTheFlagOfThatMode)
{
    grab.ResultPageSeen = true;
    prepareGrab(grab, startOfSearch(u"red car"_s, u"/z"_s, u"B?q="_s, QString()), settings);
    EXPECT_TRUE(grab.KeywordSearchMode && !grab.ResultPageSeen);
    EXPECT_EQ(grab.SiteRoot + grab.ProjectFilePath, u"/z/red_car.txt"_s);
    EXPECT_EQ(listed(grab.LinkList), "B?q=red+car");
    grab.ResultPageSeen = true;
    prepareGrab(grab, startOfSearch(u"e.com/a"_s, u"/z"_s, {}, {}), settings);
    EXPECT_TRUE(!grab.KeywordSearchMode && grab.ResultPageSeen);
    EXPECT_EQ(grab.SiteRoot, u"http://www.e.com"_s);
}

#include "grab/search_start.h"

#include "support/crawl_state.h"

using namespace Qt::StringLiterals;

// A website keeps its site root, a keyword search starts with no result page seen (the
// keywords come first, while there is no site root yet).
TEST_F(CrawlTest, AWebsiteOrAKeywordWithItsStartAddressAndProjectFile)
{
    for (const auto &[typed, expected] :
         {std::pair{u"red car"_s, u"B?q=red+car&S /z/red_car.txt"_s},
          {u"a/b\\c\td"_s, u"B?q=a/b\\c\td&S /z/a_b_c_d.txt"_s},
          {u"e.com/a.b"_s, u"http://www.e.com/a.b /z/e_com_a_b.txt"_s},
          {u"HTTPS://intranet"_s, u"https://www.intranet /z/intranet.txt"_s},
          {u"127.0.0.1:80/s"_s, u"http://127.0.0.1:80/s /z/http:__127_0_0_1:80_s.txt"_s},
          {u"http://LocalHost"_s, u"http://LocalHost /z/http:__LocalHost.txt"_s}}) {
        const SearchStart s = startOfSearch(typed, u"/z"_s, u"B?q="_s, u"&S"_s);
        grab.ResultPageSeen = true;
        prepareGrab(grab, s, settings);
        EXPECT_EQ(listed(grab.LinkList) + ' ' + grab.ProjectFilePath.toStdString(),
                  expected.toStdString());
        EXPECT_EQ(grab.SiteRoot.isEmpty(), s.KeywordSearchMode);
        EXPECT_NE(grab.ResultPageSeen, s.KeywordSearchMode);
        EXPECT_EQ(s.SearchText, s.KeywordSearchMode ? typed : s.StartAddress);
    }
}

#include "grab/search_start.h"

#include "core/grab_state.h"
#include "core/settings.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
SearchStart start(const QString &text)
{
    return startOfSearch(text, u"/opt/z"_s, u"B?q="_s, u"&S"_s);
}
} // namespace

TEST(SearchStart, WebsiteOrKeywordWithItsAddressSiteRootAndProjectFile)
{
    const struct {
        QString typed, address, siteRoot, project; // no site root: a keyword
    } table[] = {
        {u"example.com/a/b.html"_s, u"http://www.example.com/a/b.html"_s,
         u"http://www.example.com"_s, u"example_com_a_b_html"_s},
        {u"WWW.example.com/"_s, u"http://WWW.example.com/"_s, u"http://WWW.example.com"_s,
         u"http:__WWW_example_com_"_s},
        // A scheme in any case makes a website even without a dot; https is kept.
        {u"HTTP://Intranet/pics"_s, u"http://www.Intranet/pics"_s, u"http://www.Intranet"_s,
         u"Intranet_pics"_s},
        {u"HTTPS://intranet"_s, u"https://www.intranet"_s, u"https://www.intranet"_s,
         u"intranet"_s},
        // A machine named by its address, or the local machine, has no "www." twin.
        {u"127.0.0.1:8080/s/"_s, u"http://127.0.0.1:8080/s/"_s, u"http://127.0.0.1:8080"_s,
         u"http:__127_0_0_1:8080_s_"_s},
        {u"http://LocalHost:80"_s, u"http://LocalHost:80"_s, u"http://LocalHost:80"_s,
         u"http:__LocalHost:80"_s},
        {u"http://[::1]:81/"_s, u"http://[::1]:81/"_s, u"http://[::1]:81"_s, u"http:__[::1]:81_"_s},
        // Keywords: words joined by "+" in the address, and a file name kept in the folder.
        {u"red car"_s, u"B?q=red+car&S"_s, QString(), u"red_car"_s},
        {u"a/b\\c\td"_s, u"B?q=a/b\\c\td&S"_s, QString(), u"a_b_c_d"_s},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.typed.toStdString());
        const SearchStart s = start(row.typed);
        const bool keyword = row.siteRoot.isEmpty();
        EXPECT_EQ(s.KeywordSearchMode, keyword);
        EXPECT_EQ(s.StartAddress, row.address);
        EXPECT_EQ(s.SearchText, keyword ? row.typed : row.address);
        EXPECT_EQ(s.SiteRoot, row.siteRoot);
        EXPECT_EQ(s.ProjectFilePath, u"/opt/z/"_s + row.project + u".txt"_s);
    }
}

TEST(SearchStart, PrepareGrabSetsTheModeOnlyTheFlagOfThatModeAndSeedsTheLists)
{
    Settings settings;
    GrabState grab;
    grab.SiteRoot = u"untouched"_s;
    grab.ResultPageSeen = true;
    prepareGrab(grab, start(u"red car"_s), settings);
    EXPECT_TRUE(grab.KeywordSearchMode);
    EXPECT_FALSE(grab.ResultPageSeen);
    EXPECT_EQ(grab.SiteRoot, u"untouched"_s);
    EXPECT_EQ(grab.ProjectFilePath, u"/opt/z/red_car.txt"_s);
    EXPECT_EQ(grab.LinkList.at(0).Address, u"B?q=red+car&S"_s);

    grab.ResultPageSeen = true;
    prepareGrab(grab, start(u"example.com"_s), settings);
    EXPECT_FALSE(grab.KeywordSearchMode);
    EXPECT_TRUE(grab.ResultPageSeen);
    EXPECT_EQ(grab.SiteRoot, u"http://www.example.com"_s);
    EXPECT_EQ(grab.LinkList.count(), 1);
}

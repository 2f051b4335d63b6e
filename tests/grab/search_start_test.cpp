#include "grab/search_start.h"

#include "core/grab_state.h"
#include "core/settings.h"

#include <gtest/gtest.h>

namespace {
const QString Folder = QStringLiteral("/opt/zovarode");
const QString Base = QStringLiteral("https://www.google.com/images?hl=en&newwindow=1&safe=off&q=");
const QString Suffix = QStringLiteral("&start=0&sa=N");

SearchStart start(const QString &text)
{
    return startOfSearch(text, Folder, Base, Suffix);
}
} // namespace

TEST(SearchStart, WebsiteAddressesGainSchemeAndWww)
{
    const struct {
        const char *typed;
        const char *address;
        const char *siteRoot;
        const char *project;
    } table[] = {
        {"example.com", "http://www.example.com", "http://www.example.com", "example_com"},
        {"HTTP://Example.com/a/b.html", "http://www.Example.com/a/b.html", "http://www.Example.com",
         "Example_com_a_b_html"},
        {"WWW.example.com/", "http://WWW.example.com/", "http://WWW.example.com",
         "http:__WWW_example_com_"},
        {"http://www.example.com/pics/", "http://www.example.com/pics/", "http://www.example.com",
         "example_com_pics_"},
        // https is kept as the scheme it is.
        {"https://example.com/x", "https://www.example.com/x", "https://www.example.com",
         "example_com_x"},
        {"HTTPS://www.example.com", "https://www.example.com", "https://www.example.com",
         "example_com"},
        // A machine named by its address, or the local machine, has no "www." twin.
        {"127.0.0.1:8080/site/", "http://127.0.0.1:8080/site/", "http://127.0.0.1:8080",
         "http:__127_0_0_1:8080_site_"},
        {"http://localhost:8080", "http://localhost:8080", "http://localhost:8080",
         "http:__localhost:8080"},
        {"http://[::1]:81/", "http://[::1]:81/", "http://[::1]:81", "http:__[::1]:81_"},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.typed);
        const SearchStart s = start(QString::fromUtf8(row.typed));
        EXPECT_FALSE(s.KeywordSearchMode);
        EXPECT_EQ(s.SearchText, QString::fromUtf8(row.address));
        EXPECT_EQ(s.StartAddress, QString::fromUtf8(row.address));
        EXPECT_EQ(s.SiteRoot, QString::fromUtf8(row.siteRoot));
        EXPECT_EQ(s.ProjectFilePath, Folder + u'/' + QString::fromUtf8(row.project) + u".txt");
    }
}

TEST(SearchStart, SchemeAloneMakesAWebsiteEvenWithoutADot)
{
    const SearchStart s = start(QStringLiteral("http://intranet/pics"));
    EXPECT_FALSE(s.KeywordSearchMode);
    EXPECT_EQ(s.StartAddress, QStringLiteral("http://www.intranet/pics"));
}

TEST(SearchStart, KeywordJoinsWordsWithPlusAndNamesTheFileWithUnderscores)
{
    const SearchStart s = start(QStringLiteral("red car"));
    EXPECT_TRUE(s.KeywordSearchMode);
    EXPECT_EQ(s.SearchText, QStringLiteral("red car"));
    EXPECT_EQ(s.StartAddress, Base + QStringLiteral("red+car") + Suffix);
    EXPECT_EQ(s.ProjectFilePath, Folder + QStringLiteral("/red_car.txt"));
    EXPECT_TRUE(s.SiteRoot.isEmpty());
    EXPECT_FALSE(start(QStringLiteral("v1.2 release")).KeywordSearchMode)
        << "a keyword with a dot is a website";
}

TEST(SearchStart, ProjectFileNeverLeavesTheProgramFolder)
{
    const SearchStart s = start(QStringLiteral("a/b\\c\td"));
    EXPECT_EQ(s.ProjectFilePath, Folder + QStringLiteral("/a_b_c_d.txt"));
    EXPECT_EQ(safeFileName(QStringLiteral("..\\..\x01x")), QStringLiteral(".._.._x"));
}

TEST(SearchStart, PrepareGrabSetsTheModeAndSeedsTheLists)
{
    Settings settings;
    settings.FileFromNum = 3;
    GrabState grab;
    grab.ResultPageSeen = true;
    grab.ResourceList.append(QStringLiteral("http://old/a.jpg"));

    prepareGrab(grab, start(QStringLiteral("red car")), settings);
    EXPECT_TRUE(grab.KeywordSearchMode);
    EXPECT_FALSE(grab.ResultPageSeen);
    EXPECT_EQ(grab.ProjectFilePath, Folder + QStringLiteral("/red_car.txt"));
    EXPECT_EQ(grab.LinkList.count(), 1);
    EXPECT_EQ(grab.LinkList.at(0).Address, Base + QStringLiteral("red+car") + Suffix);
    EXPECT_TRUE(grab.ResourceList.isEmpty());
    EXPECT_EQ(grab.FileCounter[0], 3);

    prepareGrab(grab, start(QStringLiteral("https://example.com/x")), settings);
    EXPECT_FALSE(grab.KeywordSearchMode);
    EXPECT_EQ(grab.SiteRoot, QStringLiteral("https://www.example.com"));
    EXPECT_EQ(grab.LinkList.at(0).Address, QStringLiteral("https://www.example.com/x"));
}

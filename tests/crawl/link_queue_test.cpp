#include "crawl/link_queue.h"

#include "support/crawl_state.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QString Site = u"http://www.site.com/"_s;

class LinkQueueTest : public ::testing::Test, public CrawlState {
protected:
    void SetUp() override
    {
        texts.set(70, u"Pages:"_s);
        grab.SeedCrawl(Site, settings);
        grab.SiteRoot = u"http://www.site.com"_s;
        grab.KeywordSearchMode = false;
    }
};

std::string str(const char16_t *text)
{
    return QString::fromUtf16(text).toStdString();
}
} // namespace

TEST(ResolveLink, EveryKindOfLink)
{
    const struct {
        const char16_t *base, *link, *expected;
    } cases[] = {
        {u"http://h/a/b/page.html", u"x.html", u"http://h/a/b/x.html"},
        {u"http://h/a/b/page.html", u"/x.html", u"http://h/x.html"},
        // Every leading "../" means the site's root, however many there are.
        {u"http://h/a/b/page.html", u"../../x.jpg", u"http://h/x.jpg"},
        {u"http://h/a/b/page.html", u"../", u""},
        {u"http://h/a/b/page.html", u"../#top", u"http://h/a/b/page.html/#top"},
        {u"http://h/a/b/page.html", u"JavaScript:go()", u""},
        {u"http://h/a/b/page.html", u"MAILTO:me@h", u""},
        {u"http://h/a/b/page.html", u"", u""},
        // Only the scheme is normalised: the host keeps its case and a bare host
        // gets a "/".
        {u"http://h/a/b/page.html", u"HTTP://Other.Example", u"http://Other.Example/"},
        {u"http://h/a/b/page.html", u"HTTPS://S/Path/../X.HTML?q=1",
         u"https://S/Path/../X.HTML?q=1"},
        {u"http://h", u"x.html", u"http://h/x.html"},
        {u"https://s/a/p.html", u"/x.html", u"https://s/x.html"},
        // Folders named "hosted" keep relative links one level below them.
        {u"http://h/HOSTED/u/v/p.html", u"x.jpg", u"http://h/HOSTED/x.jpg"},
        {u"http://h/hosted/u/p.html", u"../x.jpg", u"http://h/x.jpg"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ResolveLink(QString::fromUtf16(c.base), QString::fromUtf16(c.link)).toStdString(),
                  str(c.expected))
            << str(c.base) << " + " << str(c.link);
    }
}

TEST(SiteRootOf, SchemeAndHostAndTheCallersVariable)
{
    const struct {
        const char16_t *address, *root, *afterwards;
    } cases[] = {
        {u"http://Host.Example/a/b.html", u"http://Host.Example", u"http://Host.Example/a/b.html"},
        {u"HTTP://Host/a", u"http://Host", u"HTTP://Host/a"},
        {u"HTTPS://Host", u"https://Host", u"HTTPS://Host"},
        {u"www.site.com/a", u"http://www.site.com", u"http://www.site.com/a"},
        {u"https://", u"https://", u"https://"},
        {u"", u"http://", u"http://"},
    };
    for (const auto &c : cases) {
        QString address = QString::fromUtf16(c.address);
        EXPECT_EQ(SiteRootOf(address).toStdString(), str(c.root)) << str(c.address);
        EXPECT_EQ(address.toStdString(), str(c.afterwards)) << str(c.address);
    }
    EXPECT_EQ(PathWithSlash(u"http://h/p.html"_s), u"http://h/p.html/"_s);
    EXPECT_EQ(PathWithSlash(QString()), QString());
}

TEST(ResultPageOffset, StartValueRoundedDownToTensWhenAnotherParameterFollows)
{
    // clang-format off
    const std::pair<const char16_t *, qint64> cases[] = {
        {u"http://g/i?q=x&start=20&sa=N", 20}, {u"http://g/i?q=x&START=29&", 20},
        {u"http://g/i?q=x&start=9&sa=N", 0},   {u"http://g/i?q=x&start=40", 0},
        {u"http://g/i?q=x&start=&sa=N", 0},    {u"http://g/i?q=x&start=12x&sa=N", 10},
        {u"http://g/i?start=20&sa=N", 0},      {u"http://g/i?q=x&start=-25&", -20},
        {u"http://g/i?q=x&start=99999999999&", 99999999990},
    };
    // clang-format on
    for (const auto &[address, offset] : cases)
        EXPECT_EQ(ResultPageOffset(QString::fromUtf16(address)), offset) << str(address);
}

TEST(LowerCaseHelpers, ChangeOnlyCapitalsAndKeepPositions)
{
    EXPECT_EQ(lowerCase(u"@AZ[`az{\u00C0"_s), u"@az[`az{\u00E0"_s);
    EXPECT_EQ(indexOfLower(u"xHREF"_s, "href"_L1), 1);
    EXPECT_EQ(indexOfLower(u"HREF href"_s, "href"_L1, 1), 5);
    EXPECT_EQ(indexOfLower(u"HREF"_s, "href"_L1, -3), 0);
    EXPECT_EQ(indexOfLower(u"HRE"_s, "href"_L1), -1);
    EXPECT_TRUE(startsWithLower(u"HTTP://"_s, "http://"_L1));
    EXPECT_FALSE(startsWithLower(u"HTTP:/"_s, "http://"_L1));
}

TEST_F(LinkQueueTest, PageListsRefuseFragmentsMicrosoftAndEntriesOfEitherList)
{
    MakeLinkExpand(context, Site, 9);
    for (const QString &page : {u"a.html"_s, u"b.html#part"_s, u"MicroSoft/x.html"_s,
                                u"x.html?from=MICROSOFT"_s, u"a.html"_s, u""_s, u"d.html"_s})
        MakeLink(context, Site + page, 3);
    for (const QString &page : {u"a.html"_s, u""_s, u"e.html#x"_s, u"microsoft.html"_s, u"e.html"_s,
                                u"e.html"_s, u"d.html"_s})
        MakeLinkExpand(context, Site + page, 2);
    MakeLink(context, Site + u"e.html"_s, 0);

    EXPECT_EQ(listed(grab.LinkList), "http://www.site.com/ http://www.site.com/a.html "
                                     "http://www.site.com/d.html");
    EXPECT_EQ(listed(grab.ExpandList), "http://www.site.com/ http://www.site.com/e.html")
        << "the first entry of ExpandList is not compared with LinkList";
    EXPECT_EQ(grab.LinkList.at(1).Depth, 3);
    EXPECT_EQ(grab.ExpandList.at(0).Depth, 9);
    EXPECT_EQ(grab.ExpandList.at(1).Depth, 2);
    EXPECT_EQ(pump.yields, 16) << "each admission lets events run once";
}

TEST_F(LinkQueueTest, StayOnSameSiteComparesHostsInAnyCaseAndScheme)
{
    settings.StayOnSameSite = true;
    for (const QString &link : {u"http://other.com/a.html"_s, u"HTTP://WWW.Site.COM/c.html"_s,
                                u"https://www.site.com/d.html"_s, u"www.site.com/e.html"_s,
                                u"http://www.site.com.evil/f.html"_s})
        MakeLink(context, link, 0);
    MakeLinkExpand(context, u"http://other.com/b.html"_s, 0);
    SaveResource(context, u"http://other.com/pic.jpg"_s);
    EXPECT_EQ(listed(grab.LinkList), "http://www.site.com/ HTTP://WWW.Site.COM/c.html "
                                     "https://www.site.com/d.html http://www.site.com/e.html")
        << "a link without a scheme is stored with the one the filter put in "
           "front";
    EXPECT_TRUE(grab.ExpandList.isEmpty());
    EXPECT_EQ(listed(grab.ResourceList), "http://other.com/pic.jpg");

    grab.KeywordSearchMode = true;
    MakeLink(context, u"http://other.com/a.html"_s, 0);
    grab.KeywordSearchMode = false;
    settings.StayOnSameSite = false;
    MakeLinkExpand(context, u"http://other.com/b.html"_s, 0);
    EXPECT_EQ(grab.LinkList.at(4).Address, u"http://other.com/a.html"_s);
    EXPECT_EQ(listed(grab.ExpandList), "http://other.com/b.html");
}

TEST_F(LinkQueueTest, ResultPagesAreToldApartByOffsetAndCounted)
{
    status.MainWindowOpen = true;
    grab.SeedCrawl(u"http://g/i?q=cat&start=0&sa=N"_s, settings);
    grab.KeywordSearchMode = true;
    for (const QString &link :
         {u"http://g/i?q=cat&start=0&sa=N&x=1"_s, u"http://g/i?q=cat&start=20&sa=N"_s,
          u"http://g/i?q=dog&start=20&sa=N"_s, u"http://g/i?q=cat&start=40&sa=N"_s,
          u"http://g/i?q=cat&start=45&sa=N"_s, u"http://g/Microsoft?q=cat&start=60&sa=N"_s})
        AddResultPage(context, link, 2);
    EXPECT_EQ(listed(grab.LinkList),
              "http://g/i?q=cat&start=0&sa=N http://g/i?q=cat&start=0&sa=N&x=1 "
              "http://g/i?q=cat&start=20&sa=N http://g/i?q=cat&start=40&sa=N")
        << "the start address at index 0 is not compared";
    EXPECT_EQ(grab.LinkList.at(3).Depth, 2);
    EXPECT_EQ(grab.PagesCounted, 3);
    EXPECT_EQ(status.panelText(3), u"Pages: 3"_s);
    EXPECT_EQ(pump.yields, 6);

    // Entries that came by another road count as well.
    MakeLink(context, u"http://g/other?x&start=80&"_s, 0);
    AddResultPage(context, u"http://g/i?q=cat&start=80&sa=N"_s, 0);
    EXPECT_EQ(grab.LinkList.count(), 5);
    EXPECT_EQ(grab.PagesCounted, 3);
}

TEST_F(LinkQueueTest, SaveResourceDropsThumbnailsAndCutsToEmbeddedAddresses)
{
    for (const QString &address :
         {u"http://h/SMALL/a.jpg"_s, u"http://h/pics/btn.gif"_s, u"http://h/pics/ThumbNail.jpg"_s,
          u"http://h/Default.png"_s, u"http://h/view.php?img=http://pics.h/big.jpg"_s,
          // The search for a further address skips as many characters as the cut
          // removed.
          u"http://h/r?u=http://a/x&v=http://b/y.jpg"_s,
          u"http://h/r?u=http://a/pp&v=http://b/qqq&w=http://c/z.jpg"_s,
          u"http://h/get?f=ftp://files.h/p.jpg"_s, u"http://h/x/sftp.jpg"_s, u"http://h/a.jpg"_s,
          u"http://h/a.jpg"_s, QString()})
        SaveResource(context, address);
    EXPECT_EQ(listed(grab.ResourceList),
              "http://pics.h/big.jpg http://a/x&v=http://b/y.jpg "
              "http://c/z.jpg ftp://files.h/p.jpg ftp.jpg http://h/a.jpg");
}

TEST_F(LinkQueueTest, ChecksRunAfterTheYieldAndBeforeTheAppend)
{
    // Whatever another admission queued while events ran is seen by the duplicate
    // check.
    const QString page = Site + u"p.html"_s;
    pump.onYield = [&] { grab.LinkList.append({page, 0}); };
    MakeLink(context, page, 0);
    EXPECT_EQ(grab.LinkList.count(), 2);

    pump.onYield = [&] { grab.ResourceList.append(u"http://h/p.jpg"_s); };
    SaveResource(context, u"http://h/p.jpg"_s);
    EXPECT_EQ(grab.ResourceList.count(), 1);

    pump.onYield = [&] { grab.LinkList.append({u"http://g/?&start=10&"_s, 0}); };
    AddResultPage(context, u"http://g/?q&start=10&"_s, 0);
    EXPECT_EQ(grab.LinkList.count(), 3);
}

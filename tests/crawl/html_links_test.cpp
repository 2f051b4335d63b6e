#include "crawl/html_links.h"

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "crawl/crawl_context.h"
#include "crawl/link_queue.h"
#include "platform/event_pump.h"
#include "support/crawl_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
// Records what a parser hands over, in order, as "Routine address depth".
class RecordingSink final : public LinkSink {
public:
    void MakeLink(const QString &link, qint16 depth) override { add("MakeLink", link, depth); }
    void MakeLinkExpand(const QString &link, qint16 depth) override
    {
        add("MakeLinkExpand", link, depth);
    }
    void AddResultPage(const QString &link, qint16 depth) override
    {
        add("AddResultPage", link, depth);
    }
    void SaveResource(const QString &address) override
    {
        calls.push_back("SaveResource " + address.toStdString());
    }

    std::vector<std::string> calls;

private:
    void add(const char *routine, const QString &link, qint16 depth)
    {
        calls.push_back(std::string(routine) + ' ' + link.toStdString() + ' ' +
                        std::to_string(depth));
    }
};

using Calls = std::vector<std::string>;

class HtmlLinksTest : public ::testing::Test, public CrawlState {
protected:
    void SetUp() override
    {
        texts.set(70, u"Pages:"_s);
        grab.SeedCrawl(u"http://h/"_s, settings);
        grab.KeywordSearchMode = false;
    }

    Calls crawl(const QString &html, const QString &key = u"M0http://h/dir/page.html"_s)
    {
        sink.calls.clear();
        finished = ParseURLHtml(context, sink, html, key);
        return sink.calls;
    }
    Calls search(const QString &html, const QString &key = u"M0http://g/images?q=x"_s)
    {
        sink.calls.clear();
        finished = ParseGoogleHtml(context, sink, html, key);
        return sink.calls;
    }

    RecordingSink sink;
    bool finished = false;
};

struct AttributeCase {
    const char16_t *tagText;
    const char *name;
    const char16_t *value;
};
} // namespace

TEST(GetAttributeValue, QuotesBlanksEntitiesAndLongerNames)
{
    const AttributeCase cases[] = {
        {u"img src=a.jpg", "src=", u"a.jpg"},
        {u"img src=\"a.jpg\" alt=x", "src=", u"a.jpg"},
        {u"img src='a.jpg' alt=x", "src=", u"a.jpg"},
        {u"img src=\"'a.jpg'\"", "src=", u"a.jpg"},
        {u"img SRC=\"Pics/A.JPG\"", "src=", u"Pics/A.JPG"},
        {u"img src=\"my pic.jpg\"", "src=", u"my"},
        {u"img src = \"a.jpg\"", "src=", u""},
        {u"img src= a.jpg", "src=", u""},
        {u"img alt=x", "src=", u""},
        {u"img src=", "src=", u""},
        {u"img src=\"\"", "src=", u""},
        {u"img src=\"a.jpg", "src=", u"a.jpg"},
        {u"img lowsrc=low.gif src=high.jpg", "src=", u"low.gif"},
        {u"a href=\"x.php?a=1&amp;b=2\"", "href=", u"x.php?a=1&b=2"},
        {u"a href=x.php?a=1&aamp;mp;b", "href=", u"x.php?a=1&amp;b"},
        {u"a href=x.html\r\nclass=y", "href=", u"x.html"},
        {u"a href=x.html\nclass=y", "href=", u"x.html\nclass=y"},
        {u"a title=\"href=no\" href=yes", "href=", u"no\""},
    };
    for (const AttributeCase &c : cases) {
        const QString tagText = QString::fromUtf16(c.tagText);
        EXPECT_EQ(GetAttributeValue(tagText, QLatin1StringView(c.name)).toStdString(),
                  QString::fromUtf16(c.value).toStdString())
            << tagText.toStdString();
    }
}

TEST_F(HtmlLinksTest, DepthNineYieldsNothing)
{
    const QString html = u"<img src=a.jpg><a href=b.html>b</a>"_s;
    EXPECT_EQ(crawl(html, u"X9http://h/"_s), Calls{});
    EXPECT_FALSE(finished);
    EXPECT_EQ(grab.PagesCounted, 1) << "the page is counted before the depth is looked at";
    EXPECT_EQ(search(html, u"X9http://h/"_s), Calls{});
    EXPECT_FALSE(finished);
    EXPECT_EQ(pump.yields, 0);
}

TEST_F(HtmlLinksTest, CountsThePageAndShowsTheCount)
{
    status.MainWindowOpen = true;
    crawl(u"no tags at all"_s);
    EXPECT_TRUE(finished);
    crawl(u"<p>"_s);
    EXPECT_EQ(grab.PagesCounted, 2);
    EXPECT_EQ(status.panelText(3), u"Pages: 2"_s);
    search(u"<p>"_s);
    EXPECT_EQ(grab.PagesCounted, 2) << "result pages are counted when they are queued";
}

TEST_F(HtmlLinksTest, CrawlQueuesFramesLinksAndPictures)
{
    EXPECT_EQ(crawl(u"<html><FRAME SRC=\"menu.html\"><img src=\"/p/one.GIF\" alt=x>"
                    u"<img src=no.php><img src=\"javascript:x.jpg\">"
                    u"<a href=\"../up.html\">Up</a><A HREF=\"Next.HTML\">Next</A>"
                    u"<a href=\"mailto:me@h\">mail</a><a href=\"#top\">top</a>"_s),
              (Calls{"MakeLink http://h/dir/menu.html 0", "SaveResource http://h/p/one.GIF",
                     "MakeLink http://h/up.html 0", "MakeLink http://h/dir/Next.HTML 0",
                     "MakeLink http://h/dir/page.html/#top 0"}));
    EXPECT_TRUE(finished);
}

TEST_F(HtmlLinksTest, OnlyATagNameFollowedByABlankCounts)
{
    EXPECT_EQ(crawl(u"<img\nsrc=a.jpg><img\tsrc=b.jpg><imgsrc=c.jpg><img&nbsp;src=d.jpg>"
                    u"<  img src=e.jpg  ><IMG&NBSP;SRC=f.jpg><image src=g.jpg>"_s),
              (Calls{"SaveResource http://h/dir/d.jpg", "SaveResource http://h/dir/e.jpg",
                     "SaveResource http://h/dir/f.jpg"}));
}

TEST_F(HtmlLinksTest, AnchorWithoutClosingTagEndsThePage)
{
    EXPECT_EQ(crawl(u"<img src=a.jpg><a href=x.html>x<img src=b.jpg>"_s),
              Calls{"SaveResource http://h/dir/a.jpg"});
    EXPECT_TRUE(finished) << "ending at an open anchor is not a stop";
    EXPECT_EQ(search(u"<a href=x.html>x<img src=b.jpg>"_s), Calls{});
    EXPECT_TRUE(finished);
}

TEST_F(HtmlLinksTest, AnchorAroundAPictureQueuesBothAndMeetsTheImageAgain)
{
    const QString html = u"<a href=\"album.html\"><img src=\"pic.jpg\"></a>"_s;
    EXPECT_EQ(crawl(html), (Calls{"SaveResource http://h/dir/pic.jpg",
                                  "MakeLinkExpand http://h/dir/album.html 0",
                                  "SaveResource http://h/dir/pic.jpg"}));

    LinkQueue queue(context);
    ParseURLHtml(context, queue, html, u"M0http://h/dir/page.html"_s);
    EXPECT_EQ(grab.ResourceList.count(), 1);
    EXPECT_EQ(grab.ResourceList.at(0), u"http://h/dir/pic.jpg"_s);
    ASSERT_EQ(grab.ExpandList.count(), 1);
    EXPECT_EQ(grab.ExpandList.at(0), (PageEntry{u"http://h/dir/album.html"_s, 0}));
}

// "<img\t..." is a thumbnail of its anchor but no picture of the scan's own, so these cases
// show what the anchor handler alone queues.
TEST_F(HtmlLinksTest, AnchorEndingsDecideWhatIsQueued)
{
    EXPECT_EQ(crawl(u"<a href=\"doc.PDF\"><img\tsrc=t.jpg></a>"_s), Calls{});
    EXPECT_EQ(crawl(u"<a href=\"big.jpg\"><img\tsrc=t.jpg></a>"_s),
              Calls{"SaveResource http://h/dir/big.jpg"})
        << "a link to a picture is queued as a picture and its thumbnail is not";
    settings.GIF_Download = false;
    EXPECT_EQ(crawl(u"<a href=\"anim.gif\"><img\tsrc=t.jpg></a>"_s), Calls{});
    EXPECT_EQ(crawl(u"<a href=\"page.html\"><img\tsrc=t.gif></a>"_s),
              Calls{"MakeLink http://h/dir/page.html 0"})
        << "a thumbnail of a disabled format is no thumbnail";
    EXPECT_EQ(crawl(u"<a href=\"page.html\"><img\tsrc=t.gif><img\tsrc=u.png><img\tsrc=v.jpg>"
                    u"</a>"_s),
              (Calls{"SaveResource http://h/dir/u.png", "MakeLinkExpand http://h/dir/page.html 0"}))
        << "only the first thumbnail of an enabled format counts";
    EXPECT_EQ(crawl(u"<a href=\"mailto:x.jpg\">m</a><a href=\"\"><img\tsrc=t.jpg></a>"_s),
              Calls{"SaveResource http://h/dir/t.jpg"})
        << "an address that resolves to nothing is never queued";
}

TEST_F(HtmlLinksTest, ThumbnailsAreReadWithoutEntitiesAndCarriageReturns)
{
    EXPECT_EQ(crawl(u"<a href=p.html><&nbsp;img\tsrc=a.jpg></a>"_s),
              (Calls{"SaveResource http://h/dir/a.jpg", "MakeLinkExpand http://h/dir/p.html 0"}));
    EXPECT_EQ(crawl(u"<a href=p.html><i\rmg\tsrc=b&nbsp;.jpg></a>"_s),
              (Calls{"SaveResource http://h/dir/b.jpg", "MakeLinkExpand http://h/dir/p.html 0"}));
    EXPECT_EQ(crawl(u"<a href=p.html><img\tsrc=c.jpg</a>"_s),
              Calls{"MakeLink http://h/dir/p.html 0"})
        << "a tag cut short by the closing tag is no thumbnail";
}

TEST_F(HtmlLinksTest, AnchorsThatAreNeverClosedShareTheNextClosingTag)
{
    EXPECT_EQ(crawl(u"<a href=1.html>one<a href=2.html>two<img\tsrc=t.jpg></a>"
                    u"<a href=3.html>three</a>"_s),
              (Calls{"SaveResource http://h/dir/t.jpg", "MakeLinkExpand http://h/dir/1.html 0",
                     "SaveResource http://h/dir/t.jpg", "MakeLinkExpand http://h/dir/2.html 0",
                     "MakeLink http://h/dir/3.html 0"}));
    EXPECT_EQ(crawl(u"<a href=1.html><img\tsrc=t.jpg><a href=2.html>two</a>"_s),
              (Calls{"SaveResource http://h/dir/t.jpg", "MakeLinkExpand http://h/dir/1.html 0",
                     "MakeLink http://h/dir/2.html 0"}));
}

TEST_F(HtmlLinksTest, ExpandPagesLeadThreeLevelsDeep)
{
    const QString html = u"<frame src=f.html><a href=a.html><img\tsrc=t.jpg></a>"
                         u"<img src=p.jpg>"_s;
    EXPECT_EQ(crawl(html, u"X0http://h/"_s),
              (Calls{"MakeLinkExpand http://h/f.html 1", "SaveResource http://h/t.jpg",
                     "MakeLinkExpand http://h/a.html 1", "SaveResource http://h/p.jpg"}));
    EXPECT_EQ(crawl(html, u"X2http://h/"_s),
              (Calls{"MakeLinkExpand http://h/f.html 3", "SaveResource http://h/t.jpg",
                     "MakeLinkExpand http://h/a.html 3", "SaveResource http://h/p.jpg"}));
    EXPECT_EQ(crawl(html, u"X3http://h/"_s),
              (Calls{"SaveResource http://h/t.jpg", "SaveResource http://h/p.jpg"}))
        << "links of a depth-3 page are dropped, its pictures are not";
    EXPECT_EQ(crawl(html, u"Mxhttp://h/"_s),
              (Calls{"MakeLink http://h/f.html 0", "SaveResource http://h/t.jpg",
                     "MakeLinkExpand http://h/a.html 0", "SaveResource http://h/p.jpg"}))
        << "a depth that is not a digit reads as 0";
}

TEST_F(HtmlLinksTest, ResultPagesAreAnchorsWithNumbers)
{
    grab.KeywordSearchMode = true;
    EXPECT_EQ(search(u"<frame src=f.html><a href=\"/intro\">Intro</a><a href=\"/more\">More</a>"
                     u"<a href=\"/images?start=20\">2</a><a href=\"/images?start=30\"><b>3</b></a>"
                     u"<a href=\"/images?start=90\">&nbsp;10&nbsp;\r\n</a>"
                     u"<a href=\"/x\">1 2</a><a href=\"/y\">2a</a><a href=\"/z\"><b>1</b>2</a>"
                     u"<a href=\"/n\">Next</a><img src=\"http://t/pic.jpg\">"_s),
              (Calls{"MakeLinkExpand http://g/intro 9", "AddResultPage http://g/images?start=20 0",
                     "AddResultPage http://g/images?start=30 0",
                     "AddResultPage http://g/images?start=90 0", "AddResultPage http://g/z 0",
                     "SaveResource http://t/pic.jpg"}));
    EXPECT_TRUE(grab.ResultPageSeen);
}

TEST_F(HtmlLinksTest, FirstAnchorOfTheGrabMayAlreadyBeAPageNumber)
{
    EXPECT_EQ(search(u"<a href=\"javascript:x\">1</a><a href=/p2> 2 </a><a href=/more>x</a>"_s),
              Calls{"AddResultPage http://g/p2 0"});
    EXPECT_TRUE(grab.ResultPageSeen);
}

TEST_F(HtmlLinksTest, NestedResultAnchorsSeeTheirOwnVisibleText)
{
    grab.ResultPageSeen = true;
    EXPECT_EQ(search(u"<a href=/a>x<a href=/b>5<i>6</i> </a>"
                     u"<a href=/c>7<a href=/d> <a href=/e>8</a>"_s),
              (Calls{"AddResultPage http://g/b 0", "AddResultPage http://g/d 0",
                     "AddResultPage http://g/e 0"}));
}

TEST_F(HtmlLinksTest, StopRequestedWhileEventsRunEndsTheParse)
{
    pump.onYield = [this] {
        if (!sink.calls.empty())
            grab.StopRequested = true;
    };
    EXPECT_EQ(crawl(u"<img src=a.jpg><img src=b.jpg><img src=c.jpg>"_s),
              Calls{"SaveResource http://h/dir/a.jpg"});
    EXPECT_FALSE(finished);
}

TEST_F(HtmlLinksTest, PagesOfTheRealQueueGoThroughItsFilters)
{
    settings.StayOnSameSite = true;
    grab.SiteRoot = u"http://h"_s;
    const QString html = u"<a href=\"http://other/x.html\">o</a><a href=y.html>y</a>"
                         u"<a href=y.html>again</a><img src=\"http://other/p.png\">"
                         u"<img src=thumbs/q.png>"_s;
    EXPECT_TRUE(ParseURLHtml(context, html, u"M0http://h/"_s));
    ASSERT_EQ(grab.LinkList.count(), 2);
    EXPECT_EQ(grab.LinkList.at(1).Address, u"http://h/y.html"_s);
    ASSERT_EQ(grab.ResourceList.count(), 1);
    EXPECT_EQ(grab.ResourceList.at(0), u"http://other/p.png"_s);
}

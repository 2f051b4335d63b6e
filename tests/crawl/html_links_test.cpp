#include "crawl/html_links.h"

#include "crawl/link_queue.h"
#include "support/crawl_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
using Calls = std::vector<std::string>;

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

    Calls calls;

private:
    void add(const char *routine, const QString &link, qint16 depth)
    {
        calls.push_back(std::string(routine) + ' ' + link.toStdString() + ' ' +
                        std::to_string(depth));
    }
};

// A page, the key it was fetched under, what its parser hands over and whether the scan
// reached the end of the page.
struct ParseCase {
    const char16_t *html;
    Calls expected;
    const char16_t *key = u"M0http://h/dir/page.html";
    bool finished = true;
};

class HtmlLinksTest : public ::testing::Test, public CrawlState {
protected:
    void SetUp() override
    {
        texts.set(70, u"Pages:"_s);
        grab.SeedCrawl(u"http://h/"_s, settings);
    }

    using Parser = bool (*)(CrawlContext &, LinkSink &, QString, QString);
    void check(Parser parse, const ParseCase &c)
    {
        RecordingSink sink;
        const QString html = QString::fromUtf16(c.html);
        EXPECT_EQ(parse(context, sink, html, QString::fromUtf16(c.key)), c.finished)
            << html.toStdString();
        EXPECT_EQ(sink.calls, c.expected) << html.toStdString();
    }
};
} // namespace

TEST(GetAttributeValue, QuotesBlanksEntitiesAndLongerNames)
{
    const struct {
        const char16_t *tagText;
        const char *name;
        const char16_t *value;
    } cases[] = {
        {u"img src=a.jpg", "src=", u"a.jpg"},
        {u"img src=\"a.jpg\" alt=x", "src=", u"a.jpg"},
        {u"img src='a.jpg' alt=x", "src=", u"a.jpg"},
        {u"img src=\"'a.jpg'\"", "src=", u"a.jpg"},
        {u"img SRC=\"Pics/A.JPG\"", "src=", u"Pics/A.JPG"},
        {u"img src=\"my pic.jpg\"", "src=", u"my"},
        {u"img src = \"a.jpg\"", "src=", u""},
        {u"img src= a.jpg", "src=", u""},
        {u"img alt=x", "src=", u""},
        {u"img src=\"a.jpg", "src=", u"a.jpg"},
        {u"img lowsrc=low.gif src=high.jpg", "src=", u"low.gif"},
        {u"a href=x.php?a=1&aamp;mp;b", "href=", u"x.php?a=1&amp;b"},
        {u"a href=x.html\r\nclass=y", "href=", u"x.html"},
        {u"a href=x.html\nclass=y", "href=", u"x.html\nclass=y"},
        {u"a title=\"href=no\" href=yes", "href=", u"no\""},
    };
    for (const auto &c : cases) {
        const QString tagText = QString::fromUtf16(c.tagText);
        EXPECT_EQ(GetAttributeValue(tagText, QLatin1StringView(c.name)).toStdString(),
                  QString::fromUtf16(c.value).toStdString())
            << tagText.toStdString();
    }
}

// "<img\t..." is a thumbnail of its anchor but no picture of the scan's own, so the cases
// that use it show what the anchor handler alone queues. GIF pictures are switched off.
TEST_F(HtmlLinksTest, WebsitePages)
{
    settings.GIF_Download = false;
    const ParseCase cases[] = {
        {u"<html><FRAME SRC=\"menu.html\"><img src=\"/p/one.PNG\" alt=x><img src=no.php>"
         u"<img src=\"javascript:x.jpg\"><a href=\"../up.html\">Up</a><A HREF=\"Next.HTML\">N</A>"
         u"<a href=\"mailto:me@h\">mail</a><a href=\"#top\">top</a>",
         {"MakeLink http://h/dir/menu.html 0", "SaveResource http://h/p/one.PNG",
          "MakeLink http://h/up.html 0", "MakeLink http://h/dir/Next.HTML 0",
          "MakeLink http://h/dir/page.html/#top 0"}},
        {u"<img\nsrc=a.jpg><img\tsrc=b.jpg><imgsrc=c.jpg><img&nbsp;src=d.jpg>"
         u"<  img src=e.jpg  ><IMG&NBSP;SRC=f.jpg><image src=g.jpg>",
         {"SaveResource http://h/dir/d.jpg", "SaveResource http://h/dir/e.jpg",
          "SaveResource http://h/dir/f.jpg"}},
        // An anchor without a "</a" after it ends the scan; a bare "<a>" is an anchor too.
        {u"<img src=a.jpg><a href=x.html>x<img src=b.jpg>", {"SaveResource http://h/dir/a.jpg"}},
        {u"<a><img src=z.jpg>", {}},
        // The picture of an anchor is queued, and again when the scan meets its own tag.
        {u"<a href=\"album.html\"><img src=\"pic.jpg\"></a>",
         {"SaveResource http://h/dir/pic.jpg", "MakeLinkExpand http://h/dir/album.html 0",
          "SaveResource http://h/dir/pic.jpg"}},
        {u"<a href=\"doc.PDF\"><img\tsrc=t.jpg></a><a href=m.mpeg><img\tsrc=t.jpg></a>", {}},
        {u"<a href=\"big.JPEG\"><img\tsrc=t.jpg></a>", {"SaveResource http://h/dir/big.JPEG"}},
        {u"<a href=\"anim.gif\"><img\tsrc=t.jpg></a>", {}},
        // Only the first thumbnail of an enabled format counts.
        {u"<a href=q.html><img\tsrc=t.gif></a><a href=p.html><img\tsrc=t.gif><img\tsrc=u.png>"
         u"<img\tsrc=v.jpg></a>",
         {"MakeLink http://h/dir/q.html 0", "SaveResource http://h/dir/u.png",
          "MakeLinkExpand http://h/dir/p.html 0"}},
        {u"<a href=\"mailto:x.jpg\">m</a><a href=\"\"><img\tsrc=t.jpg></a>",
         {"SaveResource http://h/dir/t.jpg"}},
        // Thumbnails are read without "&nbsp;" and carriage returns.
        {u"<a href=p.html><&nbsp;img\tsrc=a.jpg></a>",
         {"SaveResource http://h/dir/a.jpg", "MakeLinkExpand http://h/dir/p.html 0"}},
        {u"<a href=p.html><i\rmg\tsrc=b&nbsp;.jpg></a>",
         {"SaveResource http://h/dir/b.jpg", "MakeLinkExpand http://h/dir/p.html 0"}},
        {u"<a href=p.html><img\tsrc=c.jpg</a>", {"MakeLink http://h/dir/p.html 0"}},
        // Anchors that are never closed share the next "</a".
        {u"<a href=1.html>one<a href=2.html>two<img\tsrc=t.jpg></a><a href=3.html>3</a>",
         {"SaveResource http://h/dir/t.jpg", "MakeLinkExpand http://h/dir/1.html 0",
          "SaveResource http://h/dir/t.jpg", "MakeLinkExpand http://h/dir/2.html 0",
          "MakeLink http://h/dir/3.html 0"}},
        {u"<a href=1.html><img\tsrc=t.jpg><a href=2.html>two</a>",
         {"SaveResource http://h/dir/t.jpg", "MakeLinkExpand http://h/dir/1.html 0",
          "MakeLink http://h/dir/2.html 0"}},
        // Expand pages lead three levels deeper; links of a depth-3 page are dropped.
        {u"<frame src=f.html><a href=a.html><img\tsrc=t.jpg></a>",
         {"MakeLinkExpand http://h/f.html 1", "SaveResource http://h/t.jpg",
          "MakeLinkExpand http://h/a.html 1"},
         u"X0http://h/"},
        {u"<frame src=f.html><a href=a.html><img\tsrc=t.jpg></a>",
         {"MakeLinkExpand http://h/f.html 3", "SaveResource http://h/t.jpg",
          "MakeLinkExpand http://h/a.html 3"},
         u"X2http://h/"},
        {u"<frame src=f.html><a href=a.html><img\tsrc=t.jpg></a><img src=p.jpg>",
         {"SaveResource http://h/t.jpg", "SaveResource http://h/p.jpg"},
         u"X3http://h/"},
        // A depth that is not a digit reads as 0.
        {u"<frame src=f.html>", {"MakeLinkExpand http://h/f.html 1"}, u"X/http://h/"},
        {u"<frame src=f.html>", {"MakeLinkExpand http://h/f.html 1"}, u"X:http://h/"},
        {u"<img src=a.jpg><a href=b.html>b</a>", {}, u"X9http://h/", false},
    };
    for (const ParseCase &c : cases)
        check(ParseURLHtml, c);
}

TEST_F(HtmlLinksTest, EachPictureSettingEnablesItsOwnEnding)
{
    bool Settings::*const switches[] = {&Settings::GIF_Download, &Settings::JPG_Download,
                                        &Settings::JPEG_Download, &Settings::BMP_Download,
                                        &Settings::PNG_Download};
    const std::string pictures[] = {"a.gif", "b.JPG", "c.jpeg", "d.bmp", "e.png"};
    for (size_t off = 0; off < std::size(switches); ++off) {
        settings = Settings();
        settings.*switches[off] = false;
        ParseCase c{u"<img src=a.gif><img src=b.JPG><img src=c.jpeg><img src=d.bmp>"
                    u"<img src=e.png><img src=f.tif>",
                    {}};
        for (size_t on = 0; on < std::size(pictures); ++on) {
            if (on != off)
                c.expected.push_back("SaveResource http://h/dir/" + pictures[on]);
        }
        check(ParseURLHtml, c);
    }
}

TEST_F(HtmlLinksTest, ResultPages)
{
    const struct {
        bool seenBefore, seenAfter;
        ParseCase parse;
    } cases[] = {
        // The first anchor with an address is fetched at depth 9; numbers are result pages.
        {false,
         true,
         {u"<frame src=f.html><a href=\"/intro\">Intro</a><a href=\"/more\">More</a>"
          u"<a href=\"/i?start=20\">2</a><a href=\"/i?start=30\"><b>3</b></a>"
          u"<a href=\"/i?start=90\">&nbsp;10&nbsp;\r\n</a><a href=\"/x\">1 2</a>"
          u"<a href=\"/y\">2a</a><a href=\"/z\"><b>1</b>2</a><img src=\"http://t/pic.jpg\">",
          {"MakeLinkExpand http://h/intro 9", "AddResultPage http://h/i?start=20 0",
           "AddResultPage http://h/i?start=30 0", "AddResultPage http://h/i?start=90 0",
           "AddResultPage http://h/z 0", "SaveResource http://t/pic.jpg"}}},
        {false,
         true,
         {u"<a href=\"javascript:x\">1</a><a href=/p2> 2 </a><a href=/more>x</a>",
          {"AddResultPage http://h/p2 0"}}},
        {true,
         true,
         {u"<a href=/a>x<a href=/b>5<i>6</i> </a><a href=/c>7<a href=/d> <a href=/e>8</a>",
          {"AddResultPage http://h/b 0", "AddResultPage http://h/d 0",
           "AddResultPage http://h/e 0"}}},
        {true,
         true,
         {u"<a href=/e></a><a href=/f>\t7\n</a><a href=/g>  </a>", {"AddResultPage http://h/f 0"}}},
        {false,
         false,
         {u"<img src=a.jpg><a href=/x>1<img src=b.jpg>",
          {"SaveResource http://t/a.jpg"},
          u"M0http://t/"}},
        {false, false, {u"<img src=a.jpg><a href=/b>b</a>", {}, u"X9http://h/", false}},
    };
    for (const auto &c : cases) {
        grab.ResultPageSeen = c.seenBefore;
        check(ParseGoogleHtml, c.parse);
        EXPECT_EQ(grab.ResultPageSeen, c.seenAfter)
            << QString::fromUtf16(c.parse.html).toStdString();
    }
}

TEST_F(HtmlLinksTest, WebsitePagesAreCountedEvenWhenNotParsed)
{
    status.MainWindowOpen = true;
    RecordingSink sink;
    ParseURLHtml(context, sink, u"<p>"_s, u"M0http://h/"_s);
    ParseURLHtml(context, sink, u"<a href=x>"_s, u"X9http://h/"_s);
    EXPECT_EQ(grab.PagesCounted, 2);
    EXPECT_EQ(status.panelText(3), u"Pages: 2"_s);
    EXPECT_EQ(pump.yields, 1) << "a page that is not parsed lets no events run";
    ParseGoogleHtml(context, sink, u"<p>"_s, u"M0http://g/"_s);
    EXPECT_EQ(grab.PagesCounted, 2) << "result pages are counted when they are queued";
}

TEST_F(HtmlLinksTest, StopRequestedWhileEventsRunEndsTheParse)
{
    RecordingSink sink;
    pump.onYield = [&] { grab.StopRequested = !sink.calls.empty(); };
    EXPECT_FALSE(
        ParseURLHtml(context, sink, u"<img src=a.jpg><img src=b.jpg>"_s, u"M0http://h/"_s));
    EXPECT_EQ(sink.calls, Calls{"SaveResource http://h/a.jpg"});
}

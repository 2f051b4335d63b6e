#include "crawl/html_links.h"

#include "crawl/link_queue.h"
#include "support/crawl_state.h"

#include <gtest/gtest.h>

#include <string>

using namespace Qt::StringLiterals;

namespace {
// Records what a parser hands over, in order, as "L" (MakeLink), "E" (MakeLinkExpand), "R"
// (AddResultPage) or "S" (SaveResource) with the address after "http://h/" and the depth.
class RecordingSink final : public LinkSink {
public:
    void MakeLink(const QString &link, qint16 depth) override { add("L", link, depth); }
    void MakeLinkExpand(const QString &link, qint16 depth) override { add("E", link, depth); }
    void AddResultPage(const QString &link, qint16 depth) override { add("R", link, depth); }
    void SaveResource(const QString &address) override { add("S", address, -1); }

    std::string calls;

private:
    void add(const char *routine, QString address, qint16 depth)
    {
        address.remove(u"http://h/"_s);
        calls += (calls.empty() ? "" : ", ") + std::string(routine) + ' ' + address.toStdString() +
                 (depth < 0 ? std::string() : ' ' + std::to_string(depth));
    }
};

// A page, what its parser hands over, the key it was fetched under and whether the scan
// reached the end of the page.
struct ParseCase {
    const char16_t *html;
    const char *calls;
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
        EXPECT_EQ(sink.calls, c.calls) << html.toStdString();
    }
};
} // namespace

TEST(GetAttributeValue, QuotesBlanksEntitiesAndLongerNames)
{
    // clang-format off
    const std::pair<const char16_t *, const char16_t *> cases[] = {
        {u"img src=a.jpg", u"a.jpg"},                  {u"img src=\"a.jpg\" alt=x", u"a.jpg"},
        {u"img src='a.jpg' alt=x", u"a.jpg"},          {u"img src=\"'a.jpg'\"", u"a.jpg"},
        {u"img SRC=\"Pics/A.JPG\"", u"Pics/A.JPG"},    {u"img src=\"my pic.jpg\"", u"my"},
        {u"img src = \"a.jpg\"", u""},                 {u"img alt=x", u""},
        {u"img src=\"a.jpg", u"a.jpg"},                {u"img lowsrc=low.gif src=b.jpg", u"low.gif"},
        {u"img src=x?a=1&aamp;mp;b", u"x?a=1&amp;b"},  {u"img src=x.jpg\r\nalt=y", u"x.jpg"},
        {u"img src=x.jpg\nalt=y", u"x.jpg\nalt=y"},    {u"img alt=\"src=no\" src=yes", u"no\""},
    };
    // clang-format on
    for (const auto &[tagText, value] : cases) {
        EXPECT_EQ(GetAttributeValue(QString::fromUtf16(tagText), "src="_L1).toStdString(),
                  QString::fromUtf16(value).toStdString());
    }
    EXPECT_EQ(GetAttributeValue(u"A HREF=x.html src=y.jpg"_s, "href="_L1), u"x.html"_s);
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
         "L dir/menu.html 0, S p/one.PNG, L up.html 0, L dir/Next.HTML 0, L dir/page.html/#top 0"},
        {u"<img\nsrc=a.jpg><img\tsrc=b.jpg><imgsrc=c.jpg><img&nbsp;src=d.jpg>"
         u"<  img src=e.jpg  ><IMG&NBSP;SRC=f.jpg><image src=g.jpg>",
         "S dir/d.jpg, S dir/e.jpg, S dir/f.jpg"},
        // An anchor without a "</a" after it ends the scan; a bare "<a>" is an anchor too.
        {u"<img src=a.jpg><a href=x.html>x<img src=b.jpg>", "S dir/a.jpg"},
        {u"<a><img src=z.jpg>", ""},
        // The picture of an anchor is queued, and again when the scan meets its own tag.
        {u"<a href=\"album.html\"><img src=\"pic.jpg\"></a>",
         "S dir/pic.jpg, E dir/album.html 0, S dir/pic.jpg"},
        // Never-followed files, links to pictures (of enabled formats only) and links that
        // lead nowhere.
        {u"<a href=\"doc.PDF\"><img\tsrc=t.jpg></a><a href=m.mpeg><img\tsrc=t.jpg></a>"
         u"<a href=\"big.JPEG\"><img\tsrc=t.jpg></a><a href=\"anim.gif\"><img\tsrc=t.jpg></a>"
         u"<a href=\"mailto:x.jpg\">m</a><a href=\"\"><img\tsrc=u.jpg></a>",
         "S dir/big.JPEG, S dir/u.jpg"},
        // Only the first thumbnail of an enabled format counts.
        {u"<a href=q.html><img\tsrc=t.gif></a><a href=p.html><img\tsrc=t.gif><img\tsrc=u.png>"
         u"<img\tsrc=v.jpg></a>",
         "L dir/q.html 0, S dir/u.png, E dir/p.html 0"},
        // Thumbnails are read without "&nbsp;" and carriage returns, and must end in the anchor.
        {u"<a href=p.html><&nbsp;img\tsrc=a.jpg></a><a href=q.html><i\rmg\tsrc=b&nbsp;.jpg></a>",
         "S dir/a.jpg, E dir/p.html 0, S dir/b.jpg, E dir/q.html 0"},
        {u"<a href=p.html><img\tsrc=c.jpg</a>", "L dir/p.html 0"},
        // Anchors that are never closed share the next "</a".
        {u"<a href=1.html>one<a href=2.html>two<img\tsrc=t.jpg></a><a href=3.html>3</a>",
         "S dir/t.jpg, E dir/1.html 0, S dir/t.jpg, E dir/2.html 0, L dir/3.html 0"},
        {u"<a href=1.html><img\tsrc=t.jpg><a href=2.html>two</a>",
         "S dir/t.jpg, E dir/1.html 0, L dir/2.html 0"},
        // Expand pages lead three levels deeper; links of a depth-3 page are dropped. A depth
        // that is not a digit reads as 0.
        {u"<frame src=f.html><a href=a.html><img\tsrc=t.jpg></a>",
         "E f.html 1, S t.jpg, E a.html 1", u"X0http://h/"},
        {u"<frame src=f.html><a href=a.html><img\tsrc=t.jpg></a>",
         "E f.html 3, S t.jpg, E a.html 3", u"X2http://h/"},
        {u"<frame src=f.html><a href=a.html><img\tsrc=t.jpg></a><img src=p.jpg>",
         "S t.jpg, S p.jpg", u"X3http://h/"},
        {u"<frame src=f.html>", "E f.html 1", u"X:http://h/"},
        {u"<img src=a.jpg><a href=b.html>b</a>", "", u"X9http://h/", false},
    };
    for (const ParseCase &c : cases)
        check(ParseURLHtml, c);
}

TEST_F(HtmlLinksTest, EachPictureSettingEnablesItsOwnEnding)
{
    bool Settings::*const switches[] = {&Settings::GIF_Download, &Settings::JPG_Download,
                                        &Settings::JPEG_Download, &Settings::BMP_Download,
                                        &Settings::PNG_Download};
    const char *pictures[] = {"S a.gif", "S b.JPG", "S c.jpeg", "S d.bmp", "S e.png"};
    for (size_t off = 0; off < std::size(switches); ++off) {
        settings = Settings();
        settings.*switches[off] = false;
        std::string expected;
        for (size_t on = 0; on < std::size(pictures); ++on)
            expected += on == off ? "" : (expected.empty() ? "" : ", ") + std::string(pictures[on]);
        check(ParseURLHtml, {u"<img src=a.gif><img src=b.JPG><img src=c.jpeg><img src=d.bmp>"
                             u"<img src=e.png><img src=f.tif>",
                             expected.c_str(), u"M0http://h/"});
    }
}

TEST_F(HtmlLinksTest, ResultPages)
{
    // clang-format off
    const struct {
        bool seenBefore, seenAfter;
        ParseCase parse;
    } cases[] = {
        // The first anchor with an address is fetched at depth 9; numbers are result pages.
        {false, true, {u"<frame src=f.html><a href=\"/intro\">Intro</a><a href=\"/more\">More</a>"
                       u"<a href=\"/i?s=20\">2</a><a href=\"/i?s=30\"><b>3</b></a><a href=/i?s=90>"
                       u"&nbsp;10&nbsp;\r\n</a><a href=/x>1 2</a><a href=/y>2a</a>"
                       u"<a href=/z><b>1</b>2</a><img src=/p.jpg>",
                       "E intro 9, R i?s=20 0, R i?s=30 0, R i?s=90 0, R z 0, S p.jpg"}},
        {false, true, {u"<a href=\"javascript:x\">1</a><a href=/p2> 2 </a><a href=/m>x</a>", "R p2 0"}},
        {true, true, {u"<a href=/a>x<a href=/b>5<i>6</i> </a><a href=/c>7<a href=/d> <a href=/e>8</a>",
                      "R b 0, R d 0, R e 0"}},
        {true, true, {u"<a href=/e></a><a href=/f>\t7\n</a><a href=/g>  </a>", "R f 0"}},
        {false, false, {u"<img src=a.jpg><a href=/x>1<img src=b.jpg>", "S a.jpg", u"M0http://h/"}},
        {false, false, {u"<img src=a.jpg><a href=/b>b</a>", "", u"X9http://h/", false}},
    };
    // clang-format on
    for (const auto &c : cases) {
        grab.ResultPageSeen = c.seenBefore;
        check(ParseGoogleHtml, c.parse);
        EXPECT_EQ(grab.ResultPageSeen, c.seenAfter) << c.parse.calls;
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
    ParseGoogleHtml(context, sink, u"<p>"_s, u"M0http://h/"_s);
    EXPECT_EQ(grab.PagesCounted, 2) << "result pages are counted when they are queued";
}

TEST_F(HtmlLinksTest, StopRequestedWhileEventsRunEndsTheParse)
{
    RecordingSink sink;
    pump.onYield = [&] { grab.StopRequested = !sink.calls.empty(); };
    EXPECT_FALSE(
        ParseURLHtml(context, sink, u"<img src=a.jpg><img src=b.jpg>"_s, u"M0http://h/"_s));
    EXPECT_EQ(sink.calls, "S a.jpg");
}

#include "crawl/html_links.h"

#include "crawl/link_queue.h"
#include "support/crawl_state.h"

using namespace Qt::StringLiterals;

namespace {
// A crawl whose parsers hand what they find to the test, recorded as "L" (MakeLink), "E"
// (MakeLinkExpand), "R" (AddResultPage) or "S" (SaveResource) with the address after
// "http://h/" and the depth.
struct HtmlLinksTest : CrawlTest, LinkSink {
    void MakeLink(const QString &link, qint16 depth) override { add(u"L "_s + link, depth); }
    void MakeLinkExpand(const QString &link, qint16 depth) override { add(u"E "_s + link, depth); }
    void AddResultPage(const QString &link, qint16 depth) override { add(u"R "_s + link, depth); }
    void SaveResource(const QString &address) override { add(u"S "_s + address, -1); }
    void add(QString call, qint16 depth)
    {
        calls.append(call.remove(u"http://h/"_s) + (depth < 0 ? u""_s : u" %1"_s.arg(depth)));
    }
    std::string parse(bool (*parser)(CrawlContext &, LinkSink &, QString, QString),
                      const char16_t *key, const QString &html)
    {
        calls.clear();
        parser(context, *this, html, QString::fromUtf16(key));
        return calls.join(u", ").toStdString();
    }
    QStringList calls;
};
} // namespace

// "<img\t..." is a thumbnail of its anchor but no picture of the scan's own, so it shows what
// the anchor handler alone queues. GIF and BMP pictures are switched off.
TEST_F(HtmlLinksTest, WebsitePagesAndTheirAttributeValues)
{
    // A value in quotes up to a blank, without "amp;".
    for (const auto &[tag, value] : {std::pair{u"img SRC=\"P/A.JPG\" alt=x", u"P/A.JPG"},
                                     {u"img src='a.jpg' alt=x", u"a.jpg"},
                                     {u"img src=\"'a b.jpg'\"", u"a"},
                                     {u"img src = \"a.jpg\"", u""},
                                     {u"img lowsrc=low.gif src=b.jpg", u"low.gif"},
                                     {u"img src=x?a&aamp;mp;b\r\nalt", u"x?a&amp;b"}})
        EXPECT_EQ(GetAttributeValue(QString::fromUtf16(tag), "src="_L1), QString::fromUtf16(value));
    settings.GIF_Download = settings.BMP_Download = false;
    EXPECT_EQ(parse(ParseURLHtml, u"M0http://h/d/p.html",
                    u"<FRAME SRC=\"f.html\"><img src=\"/o.PNG\"><img src=no.php><imgsrc=c.jpg>"
                    u"<img src=a.gif><img src=a.bmp><img&nbsp;src=d.jpg><A HREF=\"n\">N</A>"
                    u"<a href=\"doc.PDF\"><img\tsrc=t.jpg></a><a href=big.JPEG><img\tsrc=t.jpg>"
                    u"</a><a href=g.gif><img\tsrc=t.jpg></a><a href=a><img src=\"pic.jpg\"></a>"
                    u"<a href=b><img\tsrc=t.gif><i\rmg\tsrc=b&nbsp;.png></a><a href=c>"
                    u"<img\tsrc=c.jpg</a><a href=1>1<a href=2>2<img\tsrc=t.jpg></a><img src=x.jpg>"
                    u"<a href=z>"_s),
              "L d/f.html 0, S o.PNG, S d/d.jpg, L d/n 0, S d/big.JPEG, S d/pic.jpg, E d/a 0, "
              "S d/pic.jpg, S d/b.png, E d/b 0, L d/c 0, S d/t.jpg, E d/1 0, S d/t.jpg, E d/2 0, "
              "S d/x.jpg");
    // Expand pages lead one level deeper down to depth 3; no digit reads as depth 0.
    const QString page = u"<frame src=f><a href=a><img\tsrc=t.jpg></a>"_s;
    EXPECT_EQ(parse(ParseURLHtml, u"X2http://h/", page), "E f 3, S t.jpg, E a 3");
    EXPECT_EQ(parse(ParseURLHtml, u"X3http://h/", page), "S t.jpg");
}

TEST_F(HtmlLinksTest, ResultPages)
{
    // The first other link of the grab is fetched at depth 9; numbers are result pages.
    EXPECT_EQ(parse(ParseGoogleHtml, u"M0http://h/",
                    u"<frame src=f><a href=javascript:x>1</a><a href=/i>I</a><a href=/m>M</a>"
                    u"<a href=/3><b>3</b></a><a href=/9>&nbsp;10&nbsp;\r\n</a><a href=/x>1 2"
                    u"</a><a href=/y>2a</a><a href=/z><b>1</b>2</a><a href=/e></a><a href=/f>"
                    u"\t7\n</a><a href=/g>  </a><img src=/p.jpg><a href=/a>x<a href=/b>5<i>6"
                    u"</i> </a><a href=/c>7<a href=/d> <a href=/k>8</a><a href=/u>1"_s),
              "E i 9, R 3 0, R 9 0, R z 0, R f 0, S p.jpg, R b 0, R d 0, R k 0");
    EXPECT_TRUE(grab.ResultPageSeen);
    grab.ResultPageSeen = false; // a page number counts as the first other link
    EXPECT_EQ(parse(ParseGoogleHtml, u"M0http://h/", u"<a href=/3>3</a><a href=/i>I</a>"_s),
              "R 3 0");
    EXPECT_EQ(parse(ParseGoogleHtml, u"X9http://h/", u"<img src=a.jpg>"_s), "");
}

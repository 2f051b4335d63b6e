#include "crawl/link_queue.h"

#include "core/text_ids.h"
#include "support/crawl_state.h"

using namespace Qt::StringLiterals;

TEST(LinkQueue, LinksResolveAgainstThePageAndItsSite)
{
    const std::tuple<QString, QString, QString> cases[] = {
        {u"http://h/a/b/p"_s, u"x.html"_s, u"http://h/a/b/x.html"_s},
        {u"https://h/a/p"_s, u"/x"_s, u"https://h/x"_s},
        {u"http://h/a/b/p"_s, u"../../x"_s, u"http://h/x"_s}, // every "../" leads to the root
        {u"http://h/a/b/p"_s, u"../"_s, u""_s},
        {u"http://h/a/p"_s, u"JavaScript:go()"_s, u""_s},
        {u"http://h/a/p"_s, u"HTTP://Other.Example"_s, u"http://Other.Example/"_s},
        {u"http://h"_s, u"x"_s, u"http://h/x"_s},
        {u"http://h/HOSTED/u/v/p"_s, u"x"_s, u"http://h/HOSTED/x"_s}};
    for (const auto &[base, link, resolved] : cases)
        EXPECT_EQ(ResolveLink(base, link), resolved) << base.toStdString();
    EXPECT_EQ(lowerCase(u"@AZ[`az{\u00C0"_s), u"@az[`az{\u00E0"_s);
    for (const auto &[address, offset] : {std::pair{u"http://g/i?q&START=29&", 20},
                                          {u"http://g/i?q&start=10&s", 10},
                                          {u"http://g/i?q&start=9&s", 0},
                                          {u"http://g/i?q&start=20", 0},
                                          {u"http://g/i?start=20&s", 0},
                                          {u"http://g/i?q&start=-25&", -20}})
        EXPECT_EQ(ResultPageOffset(QString::fromUtf16(address)), offset) << offset;
}

TEST_F(CrawlTest, EachListTakesOnlyWhatItsFiltersPassAndWhatItDoesNotHoldYet)
{
    grab.KeywordSearchMode = false;
    MakeLinkExpand(context, u"http://h/"_s, 9);
    for (const QString &page : {u"a"_s, u"b#part"_s, u"x?MicroSoft"_s, u"a"_s})
        MakeLink(context, u"http://h/"_s + page, 3);
    for (const QString &page : {u"a"_s, u"e#x"_s, u"microsoft"_s, u"e"_s, u"e"_s})
        MakeLinkExpand(context, u"http://h/"_s + page, 2);
    MakeLink(context, u"http://h/e"_s, 0);
    EXPECT_EQ(listed(grab.LinkList), "http://h/ http://h/a");
    EXPECT_EQ(listed(grab.ExpandList), "http://h/ http://h/e") << "the first entry is not compared";

    settings.StayOnSameSite = true;
    grab.SiteRoot = u"http://h"_s;
    for (const QString &link : {u"http://o/a"_s, u"HTTPS://H/c"_s, u"h/d"_s, u"http://h.o/f"_s})
        MakeLink(context, link, 0);
    MakeLinkExpand(context, u"http://o/b"_s, 0);
    EXPECT_EQ(listed(grab.LinkList), "http://h/ http://h/a HTTPS://H/c http://h/d");
    grab.KeywordSearchMode = true;
    MakeLink(context, u"http://o/a"_s, 0);
    EXPECT_EQ(grab.LinkList.count(), 5) << "a keyword search goes anywhere";

    // Result pages are told apart by their offset, and counted.
    grab.SeedCrawl(u"http://g/?q&start=0&"_s, settings);
    for (const QString &link : {u"http://g/?q&start=0&x"_s, u"http://g/?q&start=20&"_s,
                                u"http://g/?dog&start=29&"_s, u"http://microsoft/?q&start=60&"_s})
        AddResultPage(context, link, 2);
    EXPECT_EQ(listed(grab.LinkList),
              "http://g/?q&start=0& http://g/?q&start=0&x http://g/?q&start=20&")
        << "the start address at index 0 is not compared";
    EXPECT_EQ(status.panelText(3), texts[TextId::PagesCountedWord] + u" 2"_s);

    // Pictures: thumbnails are dropped, an address that carries another is cut to it.
    // Each search for a further address starts as far in as the cut removed.
    for (const QString &address :
         {u"http://h/SMALL/a.jpg"_s, u"http://h/btn.gif"_s, u"http://h/ThumbNail.jpg"_s,
          u"http://h/Default.png"_s, u"http://h/r?u=http://a/pp&v=http://b/qqq&w=http://c/z.jpg"_s,
          u"http://h/r?u=http://a/x&v=http://b/y.jpg"_s, u"http://h/g?f=ftp://f/p.jpg"_s,
          u"http://o/pic.jpg"_s, u"http://o/pic.jpg"_s})
        SaveResource(context, address);
    EXPECT_EQ(listed(grab.ResourceList),
              "http://c/z.jpg http://a/x&v=http://b/y.jpg ftp://f/p.jpg http://o/pic.jpg");
}

#include "crawl/link_queue.h"

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "crawl/crawl_context.h"
#include "platform/event_pump.h"
#include "support/crawl_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
class LinkQueueTest : public ::testing::Test, public CrawlState {
protected:
    void SetUp() override
    {
        texts.set(70, u"Pages:"_s);
        grab.SeedCrawl(u"http://www.site.com/"_s, settings);
        grab.SiteRoot = u"http://www.site.com"_s;
        grab.KeywordSearchMode = false;
    }

    std::vector<std::string> links() const { return addresses(grab.LinkList); }
    std::vector<std::string> expands() const { return addresses(grab.ExpandList); }
    std::vector<std::string> pictures() const
    {
        std::vector<std::string> out;
        for (const QString &address : grab.ResourceList.entries())
            out.push_back(address.toStdString());
        return out;
    }
    static std::vector<std::string> addresses(const PageList &list)
    {
        std::vector<std::string> out;
        for (const PageEntry &entry : list.entries())
            out.push_back(entry.Address.toStdString());
        return out;
    }
};

struct Resolution {
    const char16_t *base;
    const char16_t *link;
    const char16_t *expected;
};
} // namespace

TEST(ResolveLink, EveryKindOfLinkAgainstAPageInAFolder)
{
    const Resolution cases[] = {
        {u"http://h/a/b/page.html", u"x.html", u"http://h/a/b/x.html"},
        {u"http://h/a/b/page.html", u"/x.html", u"http://h/x.html"},
        {u"http://h/a/b/page.html", u"../x.html", u"http://h/x.html"},
        {u"http://h/a/b/page.html", u"../../x.jpg", u"http://h/x.jpg"},
        {u"http://h/a/b/page.html", u"../", u""},
        {u"http://h/a/b/page.html", u"#top", u"http://h/a/b/page.html/#top"},
        {u"http://h/a/b/page.html", u"../#top", u"http://h/a/b/page.html/#top"},
        {u"http://h/a/b/page.html", u"javascript:go()", u""},
        {u"http://h/a/b/page.html", u"JavaScript:go()", u""},
        {u"http://h/a/b/page.html", u"mailto:me@h", u""},
        {u"http://h/a/b/page.html", u"MAILTO:me@h", u""},
        {u"http://h/a/b/page.html", u"", u""},
        // Only the scheme is normalised: the host keeps its case and a bare host gets a "/".
        {u"http://h/a/b/page.html", u"HTTP://Other.Example", u"http://Other.Example/"},
        {u"http://h/a/b/page.html", u"HTTP://Other/Path/../X.HTML?q=1",
         u"http://Other/Path/../X.HTML?q=1"},
        {u"http://h/a/b/page.html", u"../http://other/x", u"http://other/x"},
        // Secure addresses keep their scheme, in lower case.
        {u"http://h/a/b/page.html", u"HTTPS://Secure.Example", u"https://Secure.Example/"},
        {u"http://h/a/b/page.html", u"https://s/p/x.jpg", u"https://s/p/x.jpg"},
        // Any other scheme reads as a relative link; so does a protocol-relative one.
        {u"http://h/a/b/page.html", u"ftp://f/x.jpg", u"http://h/a/b/ftp://f/x.jpg"},
        {u"http://h/a/b/page.html", u"//cdn/x.jpg", u"http://h//cdn/x.jpg"},
        {u"http://h/a/b/page.html", u"./x.html?a=1", u"http://h/a/b/./x.html?a=1"},
        // A bare site root as the base.
        {u"http://h", u"x.html", u"http://h/x.html"},
        {u"http://h", u"../x.html", u"http://h/x.html"},
        {u"https://s", u"x.html", u"https://s/x.html"},
        {u"https://s/a/p.html", u"/x.html", u"https://s/x.html"},
        {u"https://s/a/p.html", u"../x.html", u"https://s/x.html"},
        {u"https://s/a/p.html", u"x.html", u"https://s/a/x.html"},
        // Folders named "hosted" keep links one level below them.
        {u"http://h/hosted/u/p.html", u"x.jpg", u"http://h/hosted/x.jpg"},
        {u"http://h/HOSTED/u/v/p.html", u"x.jpg", u"http://h/HOSTED/x.jpg"},
        {u"http://h/hosted/u/p.html", u"../x.jpg", u"http://h/x.jpg"},
    };
    for (const Resolution &c : cases) {
        const QString base = QString::fromUtf16(c.base);
        EXPECT_EQ(ResolveLink(base, QString::fromUtf16(c.link)).toStdString(),
                  QString::fromUtf16(c.expected).toStdString())
            << "base " << base.toStdString() << ", link "
            << QString::fromUtf16(c.link).toStdString();
    }
}

TEST(SiteRootOf, SchemeAndHostAndTheCallersVariable)
{
    QString address = u"http://Host.Example/a/b.html"_s;
    EXPECT_EQ(SiteRootOf(address), u"http://Host.Example"_s);
    EXPECT_EQ(address, u"http://Host.Example/a/b.html"_s);

    address = u"HTTP://Host/a"_s;
    EXPECT_EQ(SiteRootOf(address), u"http://Host"_s);
    EXPECT_EQ(address, u"HTTP://Host/a"_s) << "a scheme in capitals is kept in the variable";

    address = u"www.site.com/a"_s;
    EXPECT_EQ(SiteRootOf(address), u"http://www.site.com"_s);
    EXPECT_EQ(address, u"http://www.site.com/a"_s) << "the scheme is put in front";

    address = u"https://secure.example/x"_s;
    EXPECT_EQ(SiteRootOf(address), u"https://secure.example"_s);
    EXPECT_EQ(address, u"https://secure.example/x"_s);

    address = u"http://"_s;
    EXPECT_EQ(SiteRootOf(address), u"http://"_s);
    address.clear();
    EXPECT_EQ(SiteRootOf(address), u"http://"_s);
    EXPECT_EQ(address, u"http://"_s);

    EXPECT_EQ(PathWithSlash(u"http://h/p.html"_s), u"http://h/p.html/"_s);
    EXPECT_EQ(PathWithSlash(QString()), QString());
}

TEST(ResultPageOffset, StartValueRoundedDownToTens)
{
    const std::pair<const char16_t *, qint64> cases[] = {
        {u"http://g/images?q=x&start=20&sa=N", 20},
        {u"http://g/images?q=x&start=25&sa=N", 20},
        {u"http://g/images?q=x&START=30&sa=N", 30},
        {u"http://g/images?q=x&start=7&sa=N", 0},
        {u"http://g/images?q=x&start=40", 0},
        {u"http://g/images?q=x", 0},
        {u"http://g/images?q=x&start=&sa=N", 0},
        {u"http://g/images?q=x&start=abc&sa=N", 0},
        {u"http://g/images?q=x&start=12x&sa=N", 10},
        {u"http://g/images?start=20&sa=N", 0},
        // Offsets that do not fit 16 bits are compared whole instead of failing.
        {u"http://g/images?q=x&start=99999999999&sa=N", 99999999990},
    };
    for (const auto &[address, offset] : cases)
        EXPECT_EQ(ResultPageOffset(QString::fromUtf16(address)), offset)
            << QString::fromUtf16(address).toStdString();
}

TEST(LowerCaseHelpers, KeepPositions)
{
    const QString text = u"ÀBC<A HREF>\u0130"_s;
    const QString lower = lowerCase(text);
    EXPECT_EQ(lower.size(), text.size()) << "a letter whose lower case is longer stays as it is";
    EXPECT_EQ(lower.first(11), u"àbc<a href>"_s);
    EXPECT_EQ(indexOfLower(text, "href"_L1), 6);
    EXPECT_EQ(indexOfLower(text, "href"_L1, 7), -1);
    EXPECT_TRUE(startsWithLower(u"HTTP://x"_s, "http://"_L1));
    EXPECT_FALSE(startsWithLower(u"HTTP:/"_s, "http://"_L1));
}

TEST_F(LinkQueueTest, MakeLinkFiltersAndKeepsOrder)
{
    MakeLink(context, u"http://www.site.com/a.html"_s, 0);
    MakeLink(context, u"http://www.site.com/b.html#part"_s, 0);
    MakeLink(context, u"http://www.site.com/MicroSoft/x.html"_s, 0);
    MakeLink(context, u"http://www.site.com/x.html?from=MICROSOFT"_s, 0);
    MakeLink(context, u"http://www.site.com/a.html"_s, 0);
    MakeLink(context, u"http://www.site.com/"_s, 0);
    MakeLink(context, u"http://www.site.com/c.html"_s, 3);
    EXPECT_EQ(links(),
              (std::vector<std::string>{"http://www.site.com/", "http://www.site.com/a.html",
                                        "http://www.site.com/c.html"}));
    EXPECT_EQ(grab.LinkList.at(2).Depth, 3);

    grab.ExpandList.append({u"http://www.site.com/e.html"_s, 0});
    MakeLink(context, u"http://www.site.com/e.html"_s, 0);
    EXPECT_EQ(grab.LinkList.count(), 3) << "a page in ExpandList is not queued again";
    EXPECT_EQ(pump.yields, 8);
}

TEST_F(LinkQueueTest, StayOnSameSiteComparesHostsInAnyCaseAndScheme)
{
    settings.StayOnSameSite = true;
    MakeLink(context, u"http://other.com/a.html"_s, 0);
    MakeLinkExpand(context, u"http://other.com/b.html"_s, 0);
    MakeLink(context, u"HTTP://WWW.Site.COM/c.html"_s, 0);
    MakeLink(context, u"https://www.site.com/d.html"_s, 0);
    MakeLink(context, u"www.site.com/e.html"_s, 0);
    MakeLink(context, u"http://www.site.com.evil/f.html"_s, 0);
    EXPECT_EQ(links(), (std::vector<std::string>{
                           "http://www.site.com/", "HTTP://WWW.Site.COM/c.html",
                           "https://www.site.com/d.html", "http://www.site.com/e.html"}))
        << "a link without a scheme is stored with the one the filter put in front";
    EXPECT_TRUE(grab.ExpandList.isEmpty());

    SaveResource(context, u"http://other.com/pic.jpg"_s);
    EXPECT_EQ(pictures(), std::vector<std::string>{"http://other.com/pic.jpg"});

    // In a keyword search, and without the setting, other sites are welcome.
    grab.KeywordSearchMode = true;
    MakeLink(context, u"http://other.com/a.html"_s, 0);
    grab.KeywordSearchMode = false;
    settings.StayOnSameSite = false;
    MakeLinkExpand(context, u"http://other.com/b.html"_s, 0);
    EXPECT_EQ(grab.LinkList.count(), 5);
    EXPECT_EQ(expands(), std::vector<std::string>{"http://other.com/b.html"});
    EXPECT_EQ(links().back(), "http://other.com/a.html");
}

TEST_F(LinkQueueTest, MakeLinkExpandStoresItsFirstEntryUnconditionally)
{
    MakeLinkExpand(context, u"http://www.site.com/"_s, 9);
    EXPECT_EQ(expands(), std::vector<std::string>{"http://www.site.com/"})
        << "the first entry is not compared with LinkList";
    EXPECT_EQ(grab.ExpandList.at(0).Depth, 9);

    MakeLink(context, u"http://www.site.com/a.html"_s, 0);
    MakeLinkExpand(context, u"http://www.site.com/a.html"_s, 1);
    MakeLinkExpand(context, u"http://www.site.com/"_s, 1);
    MakeLinkExpand(context, u"http://www.site.com/b.html#x"_s, 1);
    MakeLinkExpand(context, u"http://www.site.com/microsoft.html"_s, 1);
    MakeLinkExpand(context, u"http://www.site.com/c.html"_s, 2);
    MakeLinkExpand(context, u"http://www.site.com/c.html"_s, 3);
    EXPECT_EQ(expands(),
              (std::vector<std::string>{"http://www.site.com/", "http://www.site.com/c.html"}));
    EXPECT_EQ(grab.ExpandList.at(1).Depth, 2);
    MakeLink(context, u"http://www.site.com/c.html"_s, 0);
    EXPECT_EQ(grab.LinkList.count(), 2) << "nor is a page of ExpandList queued in LinkList";
}

TEST_F(LinkQueueTest, AddResultPageTellsPagesApartByOffsetOnly)
{
    status.MainWindowOpen = true;
    grab.SeedCrawl(u"http://g/images?q=cat&start=0&sa=N"_s, settings);
    grab.KeywordSearchMode = true;

    AddResultPage(context, u"http://g/images?q=cat&start=0&sa=N&x=1"_s, 0);
    EXPECT_EQ(grab.LinkList.count(), 2) << "the start address at index 0 is not compared";
    AddResultPage(context, u"http://g/images?q=cat&start=20&sa=N"_s, 0);
    AddResultPage(context, u"http://g/images?q=dog&start=20&sa=N"_s, 0);
    AddResultPage(context, u"http://g/images?q=cat&start=40&sa=N"_s, 0);
    AddResultPage(context, u"http://g/images?q=cat&start=45&sa=N"_s, 0);
    AddResultPage(context, u"http://g/Microsoft?q=cat&start=60&sa=N"_s, 0);
    EXPECT_EQ(links(), (std::vector<std::string>{"http://g/images?q=cat&start=0&sa=N",
                                                 "http://g/images?q=cat&start=0&sa=N&x=1",
                                                 "http://g/images?q=cat&start=20&sa=N",
                                                 "http://g/images?q=cat&start=40&sa=N"}));
    EXPECT_EQ(grab.PagesCounted, 3);
    EXPECT_EQ(status.panelText(3), u"Pages: 3"_s);

    // Entries that came by another road count as well.
    MakeLink(context, u"http://g/other?x&start=80&"_s, 0);
    AddResultPage(context, u"http://g/images?q=cat&start=80&sa=N"_s, 0);
    EXPECT_EQ(grab.LinkList.count(), 5);

    // A new grab forgets the offsets of the old one.
    grab.SeedCrawl(u"http://g/images?q=cow&start=0&sa=N"_s, settings);
    AddResultPage(context, u"http://g/images?q=cow&start=20&sa=N"_s, 0);
    AddResultPage(context, u"http://g/images?q=cow&start=20&sa=N"_s, 0);
    EXPECT_EQ(links(), (std::vector<std::string>{"http://g/images?q=cow&start=0&sa=N",
                                                 "http://g/images?q=cow&start=20&sa=N"}));
}

TEST_F(LinkQueueTest, SaveResourceDropsThumbnailsAndCutsToEmbeddedAddresses)
{
    const std::pair<const char16_t *, const char16_t *> cases[] = {
        {u"http://h/small/a.jpg", nullptr},
        {u"http://h/pics/btn.gif", nullptr},
        {u"http://h/pics/ThumbNail.jpg", nullptr},
        {u"http://h/DEFAULT.png", nullptr},
        {u"http://h/a/TN.jpg", nullptr},
        {u"http://h/view.php?img=http://pics.h/big.jpg", u"http://pics.h/big.jpg"},
        // The search for a further address skips as many characters as the cut removed.
        {u"http://h/r?u=http://a/x&v=http://b/y.jpg", u"http://a/x&v=http://b/y.jpg"},
        {u"http://h/r?u=http://a/a-long-path/x&v=http://b/y.jpg", u"http://b/y.jpg"},
        {u"http://h/get?f=ftp://files.h/p.jpg", u"ftp://files.h/p.jpg"},
        {u"http://h/x/sftp.jpg", u"ftp.jpg"},
        {u"http://h/a.jpg", u"http://h/a.jpg"},
        {u"http://h/a.jpg", nullptr},
        {u"", nullptr},
    };
    std::vector<std::string> expected;
    for (const auto &[address, stored] : cases) {
        SaveResource(context, QString::fromUtf16(address));
        if (stored)
            expected.push_back(QString::fromUtf16(stored).toStdString());
        EXPECT_EQ(pictures(), expected) << "after " << QString::fromUtf16(address).toStdString();
    }
}

TEST_F(LinkQueueTest, ChecksRunAfterTheYieldAndBeforeTheAppend)
{
    // Whatever another admission queued while events ran is seen by the duplicate check.
    const QString page = u"http://www.site.com/p.html"_s;
    pump.onYield = [&] { grab.LinkList.append({page, 0}); };
    MakeLink(context, page, 0);
    EXPECT_EQ(grab.LinkList.count(), 2);

    pump.onYield = [&] { grab.ResourceList.append(u"http://h/p.jpg"_s); };
    SaveResource(context, u"http://h/p.jpg"_s);
    EXPECT_EQ(grab.ResourceList.count(), 1);

    // A new grab that starts while events run receives the link.
    pump.onYield = [&] { grab.SeedCrawl(u"http://new.com/"_s, settings); };
    grab.KeywordSearchMode = true;
    AddResultPage(context, u"http://new.com/?&start=10&"_s, 0);
    EXPECT_EQ(links(), (std::vector<std::string>{"http://new.com/", "http://new.com/?&start=10&"}));
}

// The hash indexes must give the answers, and the lists the order, of the plain scans of
// the lists that they replace.
TEST_F(LinkQueueTest, IndexesAgreeWithLinearScans)
{
    grab.KeywordSearchMode = true;
    std::vector<QString> linkModel{grab.LinkList.at(0).Address};
    std::vector<QString> expandModel;
    std::vector<QString> pictureModel;
    auto inModel = [](const std::vector<QString> &model, const QString &address) {
        return std::find(model.begin(), model.end(), address) != model.end();
    };

    std::mt19937 random(7);
    auto address = [&random](const char *kind) -> QString {
        return u"http://h/"_s + QLatin1StringView(kind) + u"?x&start="_s +
               QString::number(random() % 60) + u"&n="_s + QString::number(random() % 4);
    };
    for (int step = 0; step < 3000; ++step) {
        switch (random() % 4) {
        case 0: {
            const QString link = address("page");
            if (!inModel(linkModel, link) && !inModel(expandModel, link))
                linkModel.push_back(link);
            MakeLink(context, link, 0);
            break;
        }
        case 1: {
            const QString link = address("page");
            if (expandModel.empty() || (!inModel(expandModel, link) && !inModel(linkModel, link)))
                expandModel.push_back(link);
            MakeLinkExpand(context, link, 1);
            break;
        }
        case 2: {
            const QString link = address("result");
            bool seen = false;
            for (size_t i = 1; i < linkModel.size(); ++i)
                seen = seen || ResultPageOffset(linkModel[i]) == ResultPageOffset(link);
            if (!seen)
                linkModel.push_back(link);
            AddResultPage(context, link, 0);
            break;
        }
        default: {
            const QString picture = address("pic");
            if (!inModel(pictureModel, picture))
                pictureModel.push_back(picture);
            SaveResource(context, picture);
            break;
        }
        }
    }
    auto strings = [](const std::vector<QString> &model) {
        std::vector<std::string> out;
        for (const QString &entry : model)
            out.push_back(entry.toStdString());
        return out;
    };
    EXPECT_EQ(links(), strings(linkModel));
    EXPECT_EQ(expands(), strings(expandModel));
    EXPECT_EQ(pictures(), strings(pictureModel));
}

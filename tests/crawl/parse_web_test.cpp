#include "crawl/parse_web.h"

#include "crawl/version_check.h"
#include "platform/download_service.h"
#include "support/crawl_state.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
using namespace DownloadStatus;

// Records what the engine asks for; the test sends the notifications itself.
class FakeDownloadService final : public DownloadService {
public:
    bool beginDownload(const QString &, const QString &key) override
    {
        started.append(key);
        return acceptAddresses;
    }
    void cancelDownload(const QString &) override {}
    void cancelAllDownloads() override { ++cancelAlls; }

    void notify(const QString &key, int status, const QString &text = {})
    {
        Q_EMIT progress(key, status, text);
    }
    void complete(const QString &key, int status, const QByteArray &bytes = {},
                  qint64 announced = 0)
    {
        Q_EMIT completed(key, status, bytes, announced,
                         status == Failed ? DownloadFailure::NetworkError : DownloadFailure::None);
    }

    bool acceptAddresses = true;
    QStringList started;
    int cancelAlls = 0;
};

class RecordingOffer final : public UpgradeOffer {
public:
    void offerUpgrade() override { ++offers; }
    int offers = 0;
};

QByteArray padded(QByteArray header, qsizetype size = 64)
{
    header.append(size - header.size(), 'j');
    return header;
}

// One engine on a fresh grab, with the driver's side of the counting done by begin().
struct EngineWorld : CrawlState {
    EngineWorld()
    {
        numberTexts();
        settings.Download_File_Folder = folder.path();
        status.MainWindowOpen = true;
        grab.SeedCrawl(u"http://site/"_s, settings);
        engine.ResetDeadTime = [this] { ++deadTimeResets; };
    }

    void begin(const QString &key)
    {
        engine.BeginDownload(requestAddress(key), key);
        ++(isPictureRequest(key) ? grab.PicturesInFlight : grab.PagesInFlight);
    }
    qsizetype savedFiles() const { return QDir(folder.path()).entryList(QDir::Files).size(); }
    QString panel1() const { return status.panelText(1); }

    QTemporaryDir folder;
    FakeDownloadService service;
    RecordingOffer offer;
    ocxParseWeb engine{context, service, &offer};
    int deadTimeResets = 0;
};

class ParseWebTest : public ::testing::Test {
protected:
    EngineWorld world;
    GrabState &grab = world.grab;
    FakeDownloadService &service = world.service;
    ocxParseWeb &engine = world.engine;
};

const QStringList onlyIndexZero{QString()};
} // namespace

TEST_F(ParseWebTest, RefusedRequestsLeaveTheCountsAndPendingRequestsAsTheyWere)
{
    for (int i = 0; i < 6; ++i)
        grab.RecordFailure(u"http://site/blocked/x.jpg"_s, world.status, world.texts);
    const struct {
        const char *why;
        QString key;
        bool stop, accepted, reachesService;
    } refusals[] = {
        {"blocked folder", u"RRhttp://site/blocked/x.jpg"_s, false, true, false},
        {"blocked page folder", u"M0http://site/blocked/p.html"_s, false, true, false},
        {"stop requested", u"RRhttp://site/ok.jpg"_s, true, true, false},
        {"stop requested, page", u"X1http://site/ok.html"_s, true, true, false},
        {"refused by the service", u"RRnot an address"_s, false, false, true},
    };
    grab.PagesInFlight = 3;
    grab.PicturesInFlight = 5;
    world.status.showStatus(1, u"before"_s);
    for (const auto &refusal : refusals) {
        grab.StopRequested = refusal.stop;
        service.acceptAddresses = refusal.accepted;
        service.started.clear();
        world.begin(refusal.key);
        EXPECT_EQ(grab.PagesInFlight, 3) << refusal.why;
        EXPECT_EQ(grab.PicturesInFlight, 5) << refusal.why;
        EXPECT_EQ(engine.PendingRequests, onlyIndexZero) << refusal.why;
        EXPECT_EQ(service.started.size(), refusal.reachesService ? 1 : 0) << refusal.why;
        EXPECT_EQ(world.panel1(), u"before"_s) << refusal.why;
    }

    grab.StopRequested = false;
    service.acceptAddresses = true;
    world.begin(u"RRhttp://site/blocked/sub/x.jpg"_s);
    EXPECT_EQ(grab.PicturesInFlight, 6) << "a folder below a blocked one is its own folder";
    EXPECT_EQ(engine.PendingRequests,
              (QStringList{QString(), u"RRhttp://site/blocked/sub/x.jpg"_s}));
    EXPECT_EQ(world.panel1(), u"text79"_s);
}

TEST_F(ParseWebTest, FinishedDownloadsArePicturesByTheirFirstByteAndPagesOtherwise)
{
    const QByteArray jpeg = padded(QByteArray("\xFF\xD8\xFF\xE0", 4), 4000);
    const struct {
        QByteArray bytes;
        qint64 announced;
        bool stored, parsed;
    } cases[] = {
        {jpeg, 0, true, false},
        {jpeg, 4000, true, false},
        {jpeg, 3999, false, false},
        {jpeg, 4001, false, false},
        {padded("GIF89a"), 0, true, false},
        {padded("BM"), 0, true, false},
        {padded(QByteArray("\x89PNG\r\n\x1a\n", 8)), 0, true, false},
        // Looks like a picture by its first byte, is none, and is not parsed either.
        {"Bad <a href=\"http://site/b.html\">b</a>", 0, false, false},
        {"<a href=\"http://site/p.html\">p</a>", 0, false, true},
    };
    qsizetype files = 0;
    qint32 parsed = 0;
    for (const auto &c : cases) {
        const QString key = u"M0http://site/"_s + QString::number(world.deadTimeResets);
        world.begin(key);
        world.status.showStatus(1, u"before"_s);
        service.complete(key, Finished, c.bytes, c.announced);
        files += c.stored ? 1 : 0;
        parsed += c.parsed ? 1 : 0;
        const std::string what = c.bytes.left(4).toHex().toStdString();
        EXPECT_EQ(world.savedFiles(), files) << what << " announced " << c.announced;
        EXPECT_EQ(grab.ExpandList.count(), parsed) << what;
        EXPECT_EQ(grab.PagesInFlight, 0) << what;
        EXPECT_EQ(engine.PendingRequests, onlyIndexZero) << what;
        EXPECT_EQ(world.panel1(), u"text83"_s) << what;
    }
    EXPECT_EQ(world.deadTimeResets, static_cast<int>(std::size(cases)));
    EXPECT_TRUE(grab.FolderFailures.empty()) << "a short picture is no failure of its folder";
}

TEST_F(ParseWebTest, FailuresCountAgainstTheFolderUnlessStopping)
{
    const QString failing = u"RRhttp://site/f/a.jpg"_s;
    world.begin(failing);
    service.complete(failing, Failed);
    ASSERT_EQ(grab.FolderFailures.size(), 1u);
    EXPECT_EQ(grab.FolderFailures[0].Folder, u"http://site/f/"_s);
    EXPECT_EQ(grab.PicturesInFlight, 0);
    EXPECT_EQ(engine.PendingRequests, onlyIndexZero);

    // While stopping, completions are neither stored, parsed nor held against their folder,
    // but reset the dead time and count out; their keys wait for the cancel.
    const QString picture = u"RRhttp://site/a.jpg"_s;
    const QString page = u"M0http://site/p.html"_s;
    const QString failure = u"RRhttp://site/g/b.jpg"_s;
    const QString notice = u"RRhttp://site/g/c.jpg"_s;
    for (const QString &key : {picture, page, failure, notice})
        world.begin(key);
    grab.StopRequested = true;
    world.status.showStatus(1, u"before"_s);
    service.complete(picture, Finished, padded("GIF89a"), 0);
    service.complete(page, Finished, "<a href=\"q.html\">q</a>", 0);
    service.complete(failure, Failed);
    service.notify(notice, Failed);
    EXPECT_EQ(world.savedFiles(), 0);
    EXPECT_EQ(grab.ExpandList.count() + grab.LinkList.count(), 1);
    EXPECT_EQ(grab.FolderFailures.size(), 1u);
    EXPECT_EQ(world.deadTimeResets, 2);
    EXPECT_EQ(grab.PicturesInFlight, 0);
    EXPECT_EQ(grab.PagesInFlight, 0);
    EXPECT_EQ(engine.PendingRequests, (QStringList{QString(), picture, page}));
    EXPECT_EQ(world.panel1(), u"before"_s);
}

TEST(ParseWebDispatch, EachPageGoesToTheParserOfItsRow)
{
    enum class Parser { Url, UrlExpand, Google, Upgrade, None };
    // A picture and two anchors: a page and a result page number.
    const QByteArray page = "9.99\r\n<a href=\"http://site/next.html\">next</a>"
                            "<a href=\"http://site/r?q=x&start=20&sa=N\">2</a>"
                            "<img src=\"http://site/p.jpg\">";
    const QByteArray bigPage = page + QByteArray(ocxParseWeb::BigPageBytes + 1 - page.size(), ' ');
    const QByteArray largestSmall = bigPage.chopped(1);

    const struct {
        bool bigPageParsing;
        const QByteArray &bytes;
        bool keyword;
        const char *kind;
        Parser parser;
    } rows[] = {
        {false, page, true, "U0", Parser::Upgrade},
        {false, page, true, "M0", Parser::Google},
        {false, bigPage, true, "M0", Parser::Google},
        {false, page, false, "U0", Parser::Url},
        {false, page, false, "M0", Parser::Url},
        {false, bigPage, false, "X0", Parser::UrlExpand},
        {true, page, true, "U0", Parser::Google},
        {true, largestSmall, true, "M0", Parser::Google},
        {true, page, false, "X0", Parser::UrlExpand},
        {true, largestSmall, false, "M0", Parser::Url},
        {true, page, false, "U0", Parser::None},
        {true, page, false, "RR", Parser::None},
        {true, bigPage, true, "M0", Parser::None},
        {true, bigPage, false, "M0", Parser::None},
    };
    for (const auto &row : rows) {
        EngineWorld world;
        GrabState &grab = world.grab;
        grab.KeywordSearchMode = row.keyword;
        grab.BigPageParsing = row.bigPageParsing;
        bool flagDuringParse = false;
        world.pump.onYield = [&] { flagDuringParse = flagDuringParse || grab.BigPageParsing; };
        const QString key = QLatin1String(row.kind) + u"http://site/page.html"_s;
        world.begin(key);
        world.service.complete(key, Finished, row.bytes, 0);

        const std::string what = std::string(row.bigPageParsing ? "parsing a big page, " : "") +
                                 std::to_string(row.bytes.size()) + " bytes, " +
                                 (row.keyword ? "keyword, " : "website, ") + row.kind;
        const bool parsed = row.parser != Parser::None && row.parser != Parser::Upgrade;
        const int links = row.parser == Parser::Url ? 2 : row.parser == Parser::Google ? 1 : 0;
        const int expands = row.parser == Parser::UrlExpand ? 2
                            : row.parser == Parser::Google  ? 1
                                                            : 0;
        EXPECT_EQ(grab.LinkList.count() - 1, links) << what;
        EXPECT_EQ(grab.ExpandList.count(), expands) << what;
        if (expands > 0) {
            EXPECT_EQ(grab.ExpandList.at(0).Depth, row.parser == Parser::Google ? 9 : 1) << what;
        }
        EXPECT_EQ(grab.ResourceList.count(), parsed ? 1 : 0) << what;
        EXPECT_EQ(grab.PagesCounted, parsed ? 1 : 0) << what;
        EXPECT_EQ(world.offer.offers, row.parser == Parser::Upgrade ? 1 : 0) << what;
        EXPECT_EQ(grab.PagesInFlight, 0) << what;
        // The engine raises the flag around a big page of its own and leaves another's alone.
        EXPECT_EQ(grab.BigPageParsing, row.bigPageParsing) << what;
        EXPECT_EQ(flagDuringParse, parsed && (row.bigPageParsing || &row.bytes == &bigPage))
            << what;
    }
}

TEST_F(ParseWebTest, WhileOneBigPageIsParsedAnotherIsDroppedAndSmallOnesAreParsed)
{
    grab.KeywordSearchMode = false;
    const auto big = [](const char *link) -> QByteArray {
        return QByteArray("<a href=\"http://site/") + link + "\">a</a>" +
               QByteArray(ocxParseWeb::BigPageBytes, ' ');
    };
    const QString first = u"M0http://site/1.html"_s;
    const QString second = u"M0http://site/2.html"_s;
    const QString third = u"M0http://site/3.html"_s;
    for (const QString &key : {first, second, third})
        world.begin(key);
    world.pump.onYield = [&] {
        // Further completions arrive while the first big page is being parsed.
        if (grab.BigPageParsing && grab.PagesInFlight == 3) {
            service.complete(second, Finished, big("second.html"), 0);
            service.complete(third, Finished, "<a href=\"http://site/small.html\">d</a>", 0);
        }
    };
    service.complete(first, Finished, big("first.html"), 0);

    EXPECT_EQ(listed(grab.LinkList), "http://site/ http://site/small.html http://site/first.html");
    EXPECT_FALSE(grab.BigPageParsing);
    EXPECT_EQ(grab.PagesInFlight, 0);
}

TEST_F(ParseWebTest, FailureReportedAsProgressAndCompletionCountsOutOnce)
{
    const QString key = u"RRhttp://site/f/a.jpg"_s;
    const QString other = u"RRhttp://site/f/b.jpg"_s;
    world.begin(key);
    world.begin(other);

    service.notify(key, Failed);
    EXPECT_EQ(grab.PicturesInFlight, 1);
    EXPECT_EQ(engine.PendingRequests, (QStringList{QString(), other}));
    EXPECT_EQ(world.panel1(), u"text82"_s);
    service.complete(key, Failed);
    EXPECT_EQ(grab.PicturesInFlight, 1) << "the same failure is not counted out again";
    ASSERT_EQ(grab.FolderFailures.size(), 1u);
    EXPECT_EQ(grab.FolderFailures[0].Count, 1) << "one failure of the folder, not zero or two";

    // A failure after the request was cancelled changes nothing.
    engine.CancelAllDownload();
    service.complete(other, Failed);
    EXPECT_EQ(grab.PicturesInFlight, 0);
    EXPECT_EQ(grab.FolderFailures[0].Count, 1);
}

TEST_F(ParseWebTest, NoticesThatDoNotEndTheRequest)
{
    world.settings.StayOnSameSite = true;
    grab.KeywordSearchMode = false;
    grab.SiteRoot = u"http://site"_s;
    const QString key = u"RRhttp://site/old.jpg"_s;
    world.begin(key);

    for (const QString &target :
         {u"http://site/new.jpg"_s, u"http://elsewhere/new.jpg"_s, u"http://site/page.html#part"_s})
        service.notify(key, Redirecting, target);
    EXPECT_EQ(listed(grab.LinkList), "http://site/ http://site/new.jpg")
        << "the other site and the fragment are filtered";
    EXPECT_EQ(world.panel1(), u"text81"_s);
    service.notify(key, FirstData, u"http://site/new.jpg"_s);
    EXPECT_EQ(world.panel1(), u"text80"_s);

    grab.StopRequested = true;
    world.status.showStatus(1, u"before"_s);
    service.notify(key, Redirecting, u"http://site/later.jpg"_s);
    service.notify(key, FirstData, u"http://site/new.jpg"_s);
    service.complete(key, FirstData, padded("GIF89a"), 0);
    EXPECT_EQ(grab.LinkList.count(), 2);
    EXPECT_EQ(world.panel1(), u"before"_s) << "silent while stopping";
    EXPECT_EQ(grab.PicturesInFlight, 1);
    EXPECT_EQ(engine.PendingRequests, (QStringList{QString(), key}));
    EXPECT_EQ(world.deadTimeResets, 0);
}

TEST_F(ParseWebTest, NewVersionIsOfferedOnlyWhenNewer)
{
    const QString key = u"U0http://maker/VezurodUdevizEruvoz/Upgrade.htm"_s;
    world.begin(key);
    service.complete(key, Finished, "3.70\r\n", 0);
    EXPECT_EQ(world.offer.offers, 0);
    world.begin(key);
    service.complete(key, Finished, "3.80\r\nnotes", 0);
    EXPECT_EQ(world.offer.offers, 1);
    EXPECT_EQ(grab.PagesInFlight, 0);
}

TEST_F(ParseWebTest, CancelAllDropsEveryRequestAndLaterNoticesChangeNoCount)
{
    world.begin(u"RRhttp://site/a.jpg"_s);
    world.begin(u"M0http://site/p.html"_s);
    EXPECT_TRUE(engine.CancelAllDownload());
    EXPECT_EQ(service.cancelAlls, 1);
    EXPECT_EQ(engine.PendingRequests, onlyIndexZero);
    EXPECT_EQ(grab.PagesInFlight, 0);
    EXPECT_EQ(grab.PicturesInFlight, 0);
    EXPECT_EQ(world.panel1(), u"text84"_s);

    service.notify(u"RRhttp://site/a.jpg"_s, Failed);
    service.complete(u"M0http://site/p.html"_s, Finished, "<p>", 0);
    EXPECT_EQ(grab.PagesInFlight, 0);
    EXPECT_EQ(grab.PicturesInFlight, 0);
}

TEST(ParseWebLifetime, AnEngineDestroyedWithRequestsInFlightCancelsThem)
{
    EngineWorld world;
    {
        ocxParseWeb idle(world.context, world.service, nullptr);
    }
    EXPECT_EQ(world.service.cancelAlls, 0);
    {
        ocxParseWeb engine(world.context, world.service, nullptr);
        engine.BeginDownload(u"http://site/a.jpg"_s, u"RRhttp://site/a.jpg"_s);
    }
    EXPECT_EQ(world.service.cancelAlls, 1);
}

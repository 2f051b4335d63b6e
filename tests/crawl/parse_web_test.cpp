#include "crawl/parse_web.h"

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "crawl/crawl_context.h"
#include "crawl/version_check.h"
#include "platform/download_service.h"
#include "platform/event_pump.h"
#include "support/crawl_state.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

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
    void cancelDownload(const QString &key) override { cancelled.append(key); }
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
    QStringList cancelled;
    int cancelAlls = 0;
};

class RecordingOffer final : public UpgradeOffer {
public:
    void offerUpgrade() override { ++offers; }
    int offers = 0;
};

QByteArray jpegOfSize(qsizetype size)
{
    QByteArray bytes("\xFF\xD8\xFF\xE0", 4);
    bytes.append(size - bytes.size(), 'j');
    return bytes;
}

// One engine on a fresh grab, with the driver's side of the counting done by begin().
struct EngineWorld : CrawlState {
    EngineWorld()
    {
        for (int i = 0; i < LanguageText::Count; ++i)
            texts.set(i, QStringLiteral("text%1").arg(i));
        settings.Download_File_Folder = folder.path();
        status.MainWindowOpen = true;
        grab.SeedCrawl(QStringLiteral("http://site/"), settings);
        engine.ResetDeadTime = [this] { ++deadTimeResets; };
    }

    // What the driver does: hand the request to the engine, then count it in.
    void begin(const QString &key)
    {
        engine.BeginDownload(requestAddress(key), key);
        if (isPictureRequest(key))
            ++grab.PicturesInFlight;
        else
            ++grab.PagesInFlight;
    }
    QStringList savedFiles() const { return QDir(folder.path()).entryList(QDir::Files); }

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
        grab.RecordFailure(QStringLiteral("http://site/blocked/%1.jpg").arg(i), world.status,
                           world.texts);
    ASSERT_TRUE(grab.isBlocked(QStringLiteral("http://site/blocked/")));

    const struct {
        const char *why;
        QString key;
        bool stop;
        bool accepted;
        bool reachesService;
    } refusals[] = {
        {"blocked folder", QStringLiteral("RRhttp://site/blocked/x.jpg"), false, true, false},
        {"blocked page folder", QStringLiteral("M0http://site/blocked/p.html"), false, true, false},
        {"stop requested", QStringLiteral("RRhttp://site/ok.jpg"), true, true, false},
        {"stop requested, page", QStringLiteral("X1http://site/ok.html"), true, true, false},
        {"invalid address", QStringLiteral("RRnot an address"), false, false, true},
    };
    grab.PagesInFlight = 3;
    grab.PicturesInFlight = 5;
    for (const auto &refusal : refusals) {
        grab.StopRequested = refusal.stop;
        service.acceptAddresses = refusal.accepted;
        service.started.clear();
        world.begin(refusal.key);
        EXPECT_EQ(grab.PagesInFlight, 3) << refusal.why;
        EXPECT_EQ(grab.PicturesInFlight, 5) << refusal.why;
        EXPECT_EQ(engine.PendingRequests, onlyIndexZero) << refusal.why;
        EXPECT_EQ(service.started.size(), refusal.reachesService ? 1 : 0) << refusal.why;
    }

    grab.StopRequested = false;
    service.acceptAddresses = true;
    world.begin(QStringLiteral("RRhttp://site/ok.jpg"));
    EXPECT_EQ(grab.PicturesInFlight, 6);
    EXPECT_EQ(engine.PendingRequests,
              (QStringList{QString(), QStringLiteral("RRhttp://site/ok.jpg")}));
    EXPECT_EQ(world.status.panelText(1), QStringLiteral("text79"));
}

TEST_F(ParseWebTest, SixthFailureBlocksTheFolderAndItsSeventhPictureIsRefused)
{
    const auto key = [](int i) { return QStringLiteral("RRhttp://site/f/%1.jpg").arg(i); };
    for (int i = 1; i <= 8; ++i)
        world.begin(key(i));
    ASSERT_EQ(grab.PicturesInFlight, 8);

    for (int i = 1; i <= 5; ++i)
        service.complete(key(i), Failed);
    EXPECT_FALSE(grab.isBlocked(QStringLiteral("http://site/f/")));
    service.complete(key(6), Failed);
    EXPECT_TRUE(grab.isBlocked(QStringLiteral("http://site/f/")));
    EXPECT_EQ(world.status.panelText(1), QStringLiteral("text85"));

    // Requests started before the block still fail into the count, without a second block.
    service.complete(key(7), Failed);
    service.complete(key(8), Failed);
    ASSERT_EQ(grab.FolderFailures.size(), 1u);
    EXPECT_EQ(grab.FolderFailures[0].Count, 8);
    EXPECT_EQ(grab.BlockedFolders, QStringList{QStringLiteral("http://site/f/")});
    EXPECT_EQ(grab.PicturesInFlight, 0);
    EXPECT_EQ(engine.PendingRequests, onlyIndexZero);

    service.started.clear();
    world.begin(key(9));
    EXPECT_TRUE(service.started.isEmpty()) << "a picture of a blocked folder is never fetched";
    EXPECT_EQ(grab.PicturesInFlight, 0);
    world.begin(QStringLiteral("RRhttp://site/f/sub/1.jpg"));
    EXPECT_EQ(service.started.size(), 1) << "a folder below a blocked one is its own folder";
}

TEST_F(ParseWebTest, PictureIsStoredUnlessItArrivedShorterThanAnnounced)
{
    const struct {
        const char *name;
        qsizetype received;
        qint64 announced;
        bool stored;
    } cases[] = {
        {"a.jpg", 4000, 0, true},     {"b.jpg", 123, 0, true},      {"c.jpg", 4000, 4000, true},
        {"d.jpg", 4000, 5000, false}, {"e.jpg", 4000, 3999, false},
    };
    int expectedFiles = 0;
    for (const auto &picture : cases) {
        const QString key = QStringLiteral("RRhttp://site/") + QLatin1String(picture.name);
        world.begin(key);
        service.complete(key, Finished, jpegOfSize(picture.received), picture.announced);
        expectedFiles += picture.stored ? 1 : 0;
        EXPECT_EQ(world.savedFiles().size(), expectedFiles) << picture.name;
        EXPECT_EQ(grab.PicturesInFlight, 0) << picture.name;
    }
    EXPECT_EQ(grab.PicturesSaved, 3);
    EXPECT_TRUE(grab.FolderFailures.empty()) << "a short picture is no failure of its folder";
    EXPECT_EQ(world.deadTimeResets, 5);
}

TEST_F(ParseWebTest, CompletionWhileStoppingIsNeitherStoredNorParsedButCountedOut)
{
    const QString picture = QStringLiteral("RRhttp://site/a.jpg");
    const QString page = QStringLiteral("M0http://site/p.html");
    world.begin(picture);
    world.begin(page);
    grab.StopRequested = true;
    world.status.showStatus(1, QStringLiteral("before"));

    service.complete(picture, Finished, jpegOfSize(2000), 2000);
    service.complete(page, Finished, QByteArray("<a href=\"q.html\">q</a>"), 0);
    EXPECT_TRUE(world.savedFiles().isEmpty());
    EXPECT_EQ(grab.PagesCounted, 0);
    EXPECT_EQ(grab.LinkList.count(), 1);
    EXPECT_EQ(world.deadTimeResets, 2);
    EXPECT_EQ(grab.PicturesInFlight, 0);
    EXPECT_EQ(grab.PagesInFlight, 0);
    EXPECT_EQ(engine.PendingRequests, (QStringList{QString(), picture, page}))
        << "the keys wait for the cancel that follows the stop";
    EXPECT_EQ(world.status.panelText(1), QStringLiteral("before"));

    // Failures while stopping count out but are not held against the folder.
    const QString failing = QStringLiteral("RRhttp://site/b.jpg");
    grab.StopRequested = false;
    world.begin(failing);
    grab.StopRequested = true;
    service.complete(failing, Failed);
    EXPECT_EQ(grab.PicturesInFlight, 0);
    EXPECT_TRUE(grab.FolderFailures.empty());
}

TEST(ParseWebDispatch, EachPageGoesToTheParserOfItsRow)
{
    enum class Parser { Url, UrlExpand, Google, Upgrade, None };
    // Two anchors: a page and a result page number. Each parser leaves its own trace.
    const QByteArray page = "9.99\r\n<a href=\"http://site/next.html\">next</a>"
                            "<a href=\"http://site/r?q=x&start=20&sa=N\">2</a>";
    QByteArray bigPage = page;
    bigPage.append(ocxParseWeb::BigPageBytes + 1 - page.size(), ' ');
    ASSERT_EQ(bigPage.size(), ocxParseWeb::BigPageBytes + 1);
    QByteArray largestSmall = page;
    largestSmall.append(ocxParseWeb::BigPageBytes - page.size(), ' ');

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
        const QString key = QLatin1String(row.kind) + QStringLiteral("http://site/page.html");
        world.begin(key);
        world.service.complete(key, Finished, row.bytes, 0);

        const std::string what = std::string(row.bigPageParsing ? "parsing a big page, " : "") +
                                 std::to_string(row.bytes.size()) + " bytes, " +
                                 (row.keyword ? "keyword, " : "website, ") + row.kind;
        const qint32 links = grab.LinkList.count() - 1;
        const qint32 expands = grab.ExpandList.count();
        switch (row.parser) {
        case Parser::Url:
            EXPECT_EQ(links, 2) << what;
            EXPECT_EQ(expands, 0) << what;
            EXPECT_EQ(grab.PagesCounted, 1) << what;
            break;
        case Parser::UrlExpand:
            EXPECT_EQ(links, 0) << what;
            EXPECT_EQ(expands, 2) << what;
            EXPECT_EQ(grab.ExpandList.at(0).Depth, 1) << what;
            EXPECT_EQ(grab.PagesCounted, 1) << what;
            break;
        case Parser::Google:
            EXPECT_EQ(links, 1) << what;
            EXPECT_EQ(expands, 1) << what;
            EXPECT_EQ(grab.ExpandList.at(0).Depth, 9) << what;
            break;
        case Parser::Upgrade:
        case Parser::None:
            EXPECT_EQ(links, 0) << what;
            EXPECT_EQ(expands, 0) << what;
            EXPECT_EQ(grab.PagesCounted, 0) << what;
            break;
        }
        EXPECT_EQ(world.offer.offers, row.parser == Parser::Upgrade ? 1 : 0) << what;
        EXPECT_EQ(grab.PagesInFlight, 0) << what;
        EXPECT_EQ(world.deadTimeResets, 1) << what;
        // The engine raises the flag around a big page of its own and leaves another's alone.
        EXPECT_EQ(grab.BigPageParsing, row.bigPageParsing) << what;
        if (!row.bigPageParsing && row.bytes.size() > ocxParseWeb::BigPageBytes) {
            EXPECT_TRUE(flagDuringParse) << what;
        }
    }
}

TEST_F(ParseWebTest, WhileOneBigPageIsParsedAnotherIsDroppedAndSmallOnesAreParsed)
{
    grab.KeywordSearchMode = false;
    QByteArray big = "<a href=\"http://site/from-first.html\">a</a>"
                     "<a href=\"http://site/also-first.html\">b</a>";
    big.append(ocxParseWeb::BigPageBytes, ' ');
    QByteArray secondBig = "<a href=\"http://site/from-second.html\">c</a>";
    secondBig.append(ocxParseWeb::BigPageBytes, ' ');
    const QByteArray small = "<a href=\"http://site/from-small.html\">d</a>";

    const QString first = QStringLiteral("M0http://site/1.html");
    const QString second = QStringLiteral("M0http://site/2.html");
    const QString third = QStringLiteral("M0http://site/3.html");
    for (const QString &key : {first, second, third})
        world.begin(key);
    bool delivered = false;
    world.pump.onYield = [&] {
        // Further completions arrive while the first big page is being parsed.
        if (delivered || !grab.BigPageParsing)
            return;
        delivered = true;
        service.complete(second, Finished, secondBig, 0);
        service.complete(third, Finished, small, 0);
    };
    service.complete(first, Finished, big, 0);

    ASSERT_TRUE(delivered);
    EXPECT_FALSE(grab.BigPageParsing);
    QStringList queued;
    for (const PageEntry &entry : grab.LinkList.entries())
        queued.append(entry.Address);
    EXPECT_TRUE(queued.contains(QStringLiteral("http://site/from-first.html")));
    EXPECT_TRUE(queued.contains(QStringLiteral("http://site/also-first.html")));
    EXPECT_TRUE(queued.contains(QStringLiteral("http://site/from-small.html")));
    EXPECT_FALSE(queued.contains(QStringLiteral("http://site/from-second.html")));
    EXPECT_EQ(grab.PagesInFlight, 0);
}

TEST_F(ParseWebTest, FailureReportedAsProgressAndCompletionCountsOutOnce)
{
    const QString key = QStringLiteral("RRhttp://site/f/a.jpg");
    const QString other = QStringLiteral("RRhttp://site/f/b.jpg");
    world.begin(key);
    world.begin(other);

    service.notify(key, Failed);
    EXPECT_EQ(grab.PicturesInFlight, 1);
    EXPECT_EQ(engine.PendingRequests, (QStringList{QString(), other}));
    EXPECT_EQ(world.status.panelText(1), QStringLiteral("text82"));
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

TEST_F(ParseWebTest, RedirectQueuesItsTargetThroughMakeLinkAndTheRequestGoesOn)
{
    world.settings.StayOnSameSite = true;
    grab.KeywordSearchMode = false;
    grab.SiteRoot = QStringLiteral("http://site");
    const QString key = QStringLiteral("RRhttp://site/old.jpg");
    world.begin(key);

    service.notify(key, Redirecting, QStringLiteral("http://site/new.jpg"));
    service.notify(key, Redirecting, QStringLiteral("http://elsewhere/new.jpg"));
    service.notify(key, Redirecting, QStringLiteral("http://site/page.html#part"));
    ASSERT_EQ(grab.LinkList.count(), 2) << "the other site and the fragment are filtered";
    EXPECT_EQ(grab.LinkList.at(1), (PageEntry{QStringLiteral("http://site/new.jpg"), 0}));
    EXPECT_EQ(world.status.panelText(1), QStringLiteral("text81"));
    EXPECT_EQ(grab.PicturesInFlight, 1);
    EXPECT_EQ(engine.PendingRequests, (QStringList{QString(), key}));

    grab.StopRequested = true;
    service.notify(key, Redirecting, QStringLiteral("http://site/later.jpg"));
    EXPECT_EQ(grab.LinkList.count(), 2);

    service.notify(key, FirstData, QStringLiteral("http://site/new.jpg"));
    EXPECT_EQ(world.status.panelText(1), QStringLiteral("text81")) << "silent while stopping";
    grab.StopRequested = false;
    service.notify(key, FirstData, QStringLiteral("http://site/new.jpg"));
    EXPECT_EQ(world.status.panelText(1), QStringLiteral("text80"));
}

TEST_F(ParseWebTest, NewVersionPageIsOfferedOnlyInKeywordModeAndOnlyWhenNewer)
{
    const QString key = QStringLiteral("U0http://maker/VezurodUdevizEruvoz/Upgrade.htm");
    grab.KeywordSearchMode = true;
    world.begin(key);
    service.complete(key, Finished, QByteArray("3.70\r\n"), 0);
    EXPECT_EQ(world.offer.offers, 0);
    world.begin(key);
    service.complete(key, Finished, QByteArray("3.80\r\nnotes"), 0);
    EXPECT_EQ(world.offer.offers, 1);
    EXPECT_EQ(grab.PagesInFlight, 0);
}

TEST_F(ParseWebTest, CancelAllDropsEveryRequestAndLaterNoticesChangeNoCount)
{
    world.begin(QStringLiteral("RRhttp://site/a.jpg"));
    world.begin(QStringLiteral("M0http://site/p.html"));
    EXPECT_TRUE(engine.CancelAllDownload());
    EXPECT_EQ(service.cancelAlls, 1);
    EXPECT_EQ(engine.PendingRequests, onlyIndexZero);
    EXPECT_EQ(grab.PagesInFlight, 0);
    EXPECT_EQ(grab.PicturesInFlight, 0);
    EXPECT_EQ(world.status.panelText(1), QStringLiteral("text84"));

    service.notify(QStringLiteral("RRhttp://site/a.jpg"), Failed);
    service.complete(QStringLiteral("M0http://site/p.html"), Finished, QByteArray("<p>"), 0);
    EXPECT_EQ(grab.PagesInFlight, 0);
    EXPECT_EQ(grab.PicturesInFlight, 0);
}

TEST(ParseWebLifetime, AnEngineDestroyedWithRequestsInFlightCancelsThem)
{
    EngineWorld world;
    {
        ocxParseWeb engine(world.context, world.service, nullptr);
        engine.BeginDownload(QStringLiteral("http://site/a.jpg"),
                             QStringLiteral("RRhttp://site/a.jpg"));
    }
    EXPECT_EQ(world.service.cancelAlls, 1);
    {
        ocxParseWeb idle(world.context, world.service, nullptr);
    }
    EXPECT_EQ(world.service.cancelAlls, 1);
}

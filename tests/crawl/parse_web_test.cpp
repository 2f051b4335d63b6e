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

    // What the engine keeps and shows, in one line: the in-flight counts of pages and
    // pictures, the pending keys, status panel 1, the failures by folder, the dead time
    // resets and the files saved.
    std::string state() const
    {
        QStringList failures;
        for (const FolderFailure &failure : grab.FolderFailures)
            failures.append(failure.Folder + u' ' + QString::number(failure.Count));
        return u"flight %1/%2, pending %3, panel %4, failures %5, resets %6, files %7"_s
            .arg(grab.PagesInFlight)
            .arg(grab.PicturesInFlight)
            .arg(engine.PendingRequests.mid(1).join(u' '), status.panelText(1), failures.join(u' '))
            .arg(deadTimeResets)
            .arg(QDir(folder.path()).entryList(QDir::Files).size())
            .toStdString();
    }

    QTemporaryDir folder;
    FakeDownloadService service;
    RecordingOffer offer;
    ocxParseWeb engine{context, service, &offer};
    int deadTimeResets = 0;
};

class ParseWebTest : public ::testing::Test, public EngineWorld {};
} // namespace

TEST_F(ParseWebTest, RefusedRequestsLeaveTheCountsAndPendingRequestsAsTheyWere)
{
    for (int i = 0; i < 6; ++i)
        grab.RecordFailure(u"http://site/blocked/x.jpg"_s, status, texts);
    const struct {
        QString key;
        bool stop, accepted, reachesService;
    } refusals[] = {
        {u"RRhttp://site/blocked/x.jpg"_s, false, true, false},
        {u"M0http://site/blocked/p.html"_s, false, true, false},
        {u"RRhttp://site/ok.jpg"_s, true, true, false},
        {u"X1http://site/ok.html"_s, true, true, false},
        {u"RRnot an address"_s, false, false, true},
    };
    grab.PagesInFlight = 3;
    grab.PicturesInFlight = 5;
    status.showStatus(1, u"before"_s);
    for (const auto &refusal : refusals) {
        grab.StopRequested = refusal.stop;
        service.acceptAddresses = refusal.accepted;
        service.started.clear();
        begin(refusal.key);
        EXPECT_EQ(state(), "flight 3/5, pending , panel before, failures http://site/blocked/ "
                           "6, resets 0, files 0")
            << refusal.key.toStdString();
        EXPECT_EQ(service.started.size(), refusal.reachesService ? 1 : 0);
    }

    grab.StopRequested = false;
    service.acceptAddresses = true;
    begin(u"RRhttp://site/blocked/sub/x.jpg"_s);
    EXPECT_EQ(state(), "flight 3/6, pending RRhttp://site/blocked/sub/x.jpg, panel text79, "
                       "failures http://site/blocked/ 6, resets 0, files 0")
        << "a folder below a blocked one is its own folder";
}

TEST_F(ParseWebTest, FinishedDownloadsArePicturesByTheirFirstByteAndPagesOtherwise)
{
    const QByteArray jpeg = padded(QByteArray("\xFF\xD8\xFF\xE0", 4), 4000);
    // clang-format off
    const struct {
        QByteArray bytes;
        qint64 announced;
        int files, pagesParsed;
    } cases[] = {
        {jpeg, 0, 1, 0}, {jpeg, 4000, 2, 0}, {jpeg, 3999, 2, 0}, {jpeg, 4001, 2, 0},
        {padded("GIF89a"), 0, 3, 0}, {padded("BM"), 0, 4, 0},
        {padded(QByteArray("\x89PNG\r\n\x1a\n", 8)), 0, 5, 0},
        // Looks like a picture by its first byte, is none, and is not parsed either.
        {"Bad <a href=\"http://site/b.html\">b</a>", 0, 5, 0},
        {"<a href=\"http://site/p.html\">p</a>", 0, 5, 1},
    };
    // clang-format on
    int resets = 0;
    for (const auto &c : cases) {
        const QString key = u"M0http://site/"_s + QString::number(resets++);
        begin(key);
        status.showStatus(1, u"before"_s);
        service.complete(key, Finished, c.bytes, c.announced);
        EXPECT_EQ(state(), u"flight 0/0, pending , panel text83, failures , resets %1, "
                           u"files %2"_s.arg(resets)
                               .arg(c.files)
                               .toStdString())
            << c.bytes.left(4).toHex().toStdString() << " announced " << c.announced;
        EXPECT_EQ(grab.ExpandList.count(), c.pagesParsed);
    }
}

TEST_F(ParseWebTest, FailuresCountAgainstTheFolderUnlessStopping)
{
    begin(u"RRhttp://site/f/a.jpg"_s);
    service.complete(u"RRhttp://site/f/a.jpg"_s, Failed);
    EXPECT_EQ(state(), "flight 0/0, pending , panel text79, failures http://site/f/ 1, "
                       "resets 0, files 0");

    // While stopping, completions are neither stored, parsed nor held against their folder,
    // but reset the dead time and count out; their keys wait for the cancel.
    const QString picture = u"RRhttp://site/a.jpg"_s;
    const QString page = u"M0http://site/p.html"_s;
    for (const QString &key :
         {picture, page, u"RRhttp://site/g/b.jpg"_s, u"RRhttp://site/g/c.jpg"_s})
        begin(key);
    grab.StopRequested = true;
    status.showStatus(1, u"before"_s);
    service.complete(picture, Finished, padded("GIF89a"), 0);
    service.complete(page, Finished, "<a href=\"q.html\">q</a>", 0);
    service.complete(u"RRhttp://site/g/b.jpg"_s, Failed);
    service.notify(u"RRhttp://site/g/c.jpg"_s, Failed);
    EXPECT_EQ(state(), "flight 0/0, pending RRhttp://site/a.jpg M0http://site/p.html, panel "
                       "before, failures http://site/f/ 1, resets 2, files 0");
    EXPECT_EQ(grab.ExpandList.count() + grab.LinkList.count(), 1);
}

TEST(ParseWebDispatch, EachPageGoesToTheParserOfItsRow)
{
    // A picture and two anchors: a page and a result page number. What each parser queues:
    const char *const url = "links 2, expands 0 at 0, pictures 1, counted 1, offers 0";
    const char *const urlExpand = "links 0, expands 2 at 1, pictures 1, counted 1, offers 0";
    const char *const google = "links 1, expands 1 at 9, pictures 1, counted 1, offers 0";
    const char *const upgrade = "links 0, expands 0 at 0, pictures 0, counted 0, offers 1";
    const char *const none = "links 0, expands 0 at 0, pictures 0, counted 0, offers 0";
    const QByteArray page = "9.99\r\n<a href=\"http://site/next.html\">next</a>"
                            "<a href=\"http://site/r?q=x&start=20&sa=N\">2</a>"
                            "<img src=\"http://site/p.jpg\">";
    const QByteArray big = page + QByteArray(ocxParseWeb::BigPageBytes + 1 - page.size(), ' ');
    const QByteArray largestSmall = big.chopped(1);
    const QByteArray sameVersion = "3.74\r\n9.99";

    // clang-format off
    const struct {
        bool bigPageParsing;
        const QByteArray &bytes;
        bool keyword;
        const char *kind, *parser;
    } rows[] = {
        // Nothing else is being parsed.
        {false, page, true, "U0", upgrade},      {false, sameVersion, true, "U0", none},
        {false, page, true, "M0", google},       {false, big, true, "M0", google},
        {false, page, false, "U0", url},         {false, page, false, "M0", url},
        {false, big, false, "X0", urlExpand},
        // A big page is being parsed.
        {true, page, true, "U0", google},        {true, largestSmall, true, "M0", google},
        {true, page, false, "X0", urlExpand},    {true, largestSmall, false, "M0", url},
        {true, page, false, "U0", none},         {true, page, false, "RR", none},
        {true, big, true, "M0", none},           {true, big, false, "M0", none},
    };
    // clang-format on
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
        EXPECT_EQ(u"links %1, expands %2 at %3, pictures %4, counted %5, offers %6"_s
                      .arg(grab.LinkList.count() - 1)
                      .arg(grab.ExpandList.count())
                      .arg(grab.ExpandList.isEmpty() ? 0 : grab.ExpandList.at(0).Depth)
                      .arg(grab.ResourceList.count())
                      .arg(grab.PagesCounted)
                      .arg(world.offer.offers)
                      .toStdString(),
                  row.parser)
            << what;
        EXPECT_EQ(grab.PagesInFlight, 0) << what;
        // The engine raises the flag around a big page of its own and leaves another's alone.
        EXPECT_EQ(grab.BigPageParsing, row.bigPageParsing) << what;
        EXPECT_EQ(flagDuringParse, row.bigPageParsing ? row.parser != none
                                                      : &row.bytes == &big && row.parser != none)
            << what;
    }
}

TEST_F(ParseWebTest, FailureReportedAsProgressAndCompletionCountsOutOnce)
{
    const QString key = u"RRhttp://site/f/a.jpg"_s;
    const QString other = u"RRhttp://site/f/b.jpg"_s;
    begin(key);
    begin(other);
    begin(u"M0http://site/p.html"_s);
    service.notify(key, Failed);
    EXPECT_EQ(
        state(),
        "flight 1/1, pending RRhttp://site/f/b.jpg M0http://site/p.html, panel text82, failures , "
        "resets 0, files 0");
    service.complete(key, Failed);
    EXPECT_EQ(
        state(),
        "flight 1/1, pending RRhttp://site/f/b.jpg M0http://site/p.html, panel text82, failures "
        "http://site/f/ 1, resets 0, files 0");

    // The cancel empties both counts; notices after it change nothing.
    EXPECT_TRUE(engine.CancelAllDownload());
    EXPECT_EQ(service.cancelAlls, 1);
    service.complete(other, Failed);
    EXPECT_EQ(state(), "flight 0/0, pending , panel text84, failures http://site/f/ 1, "
                       "resets 0, files 0");
}

TEST_F(ParseWebTest, NoticesThatDoNotEndTheRequest)
{
    settings.StayOnSameSite = true;
    grab.KeywordSearchMode = false;
    grab.SiteRoot = u"http://site"_s;
    const QString key = u"RRhttp://site/old.jpg"_s;
    begin(key);

    for (const QString &target :
         {u"http://site/new.jpg"_s, u"http://elsewhere/new.jpg"_s, u"http://site/page.html#part"_s})
        service.notify(key, Redirecting, target);
    EXPECT_EQ(listed(grab.LinkList), "http://site/ http://site/new.jpg")
        << "the other site and the fragment are filtered";
    EXPECT_EQ(status.panelText(1), u"text81"_s);
    service.notify(key, FirstData, u"http://site/new.jpg"_s);
    EXPECT_EQ(state(), "flight 0/1, pending RRhttp://site/old.jpg, panel text80, failures , "
                       "resets 0, files 0");

    grab.StopRequested = true;
    status.showStatus(1, u"before"_s);
    service.notify(key, Redirecting, u"http://site/later.jpg"_s);
    service.notify(key, FirstData, u"http://site/new.jpg"_s);
    service.complete(key, FirstData, padded("GIF89a"), 0);
    EXPECT_EQ(grab.LinkList.count(), 2);
    EXPECT_EQ(state(), "flight 0/1, pending RRhttp://site/old.jpg, panel before, failures , "
                       "resets 0, files 0");
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

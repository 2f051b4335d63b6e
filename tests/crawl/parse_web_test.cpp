#include "crawl/parse_web.h"

#include "crawl/version_check.h"
#include "platform/download_service.h"
#include "support/crawl_state.h"

#include <QDir>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using namespace DownloadStatus;

namespace {
// One engine on a fresh grab, its download service and new-version offer played by the test,
// and the driver's side of the counting done by begin().
struct ParseWebTest : CrawlTest, DownloadService, UpgradeOffer {
    ParseWebTest()
    {
        settings.Download_File_Folder = folder.path();
        engine.ResetDeadTime = [this] { ++resets; };
    }
    bool beginDownload(const QString &, const QString &key) override
    {
        started.append(key);
        return accept;
    }
    void cancelDownload(const QString &) override {}
    void cancelAllDownloads() override {}
    void offerUpgrade() override { ++offers; }
    void begin(const QString &key)
    {
        engine.BeginDownload(requestAddress(key), key);
        ++(isPictureRequest(key) ? grab.PicturesInFlight : grab.PagesInFlight);
    }
    // In flight (pages/pictures), [pending keys], status panel 1, [failures], dead-time resets.
    std::string state() const
    {
        QStringList failures;
        for (const FolderFailure &failure : grab.FolderFailures)
            failures.append(failure.Folder + u' ' + QString::number(failure.Count));
        return u"%1/%2 [%3] %4 [%5] %6"_s.arg(grab.PagesInFlight)
            .arg(grab.PicturesInFlight)
            .arg(engine.PendingRequests.mid(1).join(u' '), status.panelText(1), failures.join(u' '))
            .arg(resets)
            .toStdString();
    }

    QTemporaryDir folder;
    ocxParseWeb engine{context, *this, this};
    bool accept = true;
    QStringList started;
    int offers = 0, resets = 0;
};
} // namespace

TEST_F(ParseWebTest, AFinishedDownloadIsAPictureByItsFirstByteOrAPageForItsParser)
{
    // A newer version, a page link and a result page number.
    const QByteArray page = "9.99\r\n<a href=\"/n\">n</a><a href=\"/r?q&start=20&sa=N\">2</a>";
    const QByteArray big = page + QByteArray(ocxParseWeb::BigPageBytes + 1 - page.size(), ' ');
    const QByteArray jpeg = "\xFF\xD8\xFF\xE0" + QByteArray(3996, 'j');
    // Keyword search, a big page being parsed, the request kind: files saved, links, expands
    // and offers. Each picture format starts with its own byte.
    using Counts = std::array<qsizetype, 4>;
    const std::tuple<QByteArray, qint64, bool, bool, const char *, Counts> rows[] = {
        {jpeg, 4000, 1, 0, "RR", {1, 0, 0, 0}},   {jpeg, 3999, 1, 0, "RR", {1, 0, 0, 0}},
        {"GIF89a", 0, 1, 0, "RR", {2, 0, 0, 0}},  {"BM", 0, 1, 0, "RR", {3, 0, 0, 0}},
        {"\x89PNG", 0, 1, 0, "RR", {4, 0, 0, 0}}, {page, 0, 1, 0, "U0", {4, 0, 0, 1}},
        {big, 0, 1, 0, "M0", {4, 1, 1, 0}},       {page, 0, 0, 0, "U0", {4, 2, 0, 0}},
        {page, 0, 1, 1, "U0", {4, 1, 1, 0}},      {big.chopped(1), 0, 0, 1, "M0", {4, 2, 0, 0}},
        {page, 0, 0, 1, "U0", {4, 0, 0, 0}},      {big, 0, 1, 1, "M0", {4, 0, 0, 0}}};
    int n = 0;
    for (const auto &[bytes, announced, keyword, parsingBig, kind, queued] : rows) {
        grab.LinkList.clear();
        grab.ExpandList.clear();
        grab.KeywordSearchMode = keyword;
        grab.BigPageParsing = parsingBig;
        grab.ResultPageSeen = false;
        offers = 0;
        const QString key = QString::fromLatin1(kind) + u"http://h/p"_s;
        begin(key);
        Q_EMIT completed(key, Finished, bytes, announced, DownloadFailure::None);
        const Counts counts{QDir(folder.path()).entryList(QDir::Files).size(),
                            grab.LinkList.count(), grab.ExpandList.count(), offers};
        EXPECT_EQ(counts, queued) << n;
        EXPECT_EQ(state(), "0/0 [] text83 [] " + std::to_string(++n));
    }
}

// Refused requests leave the counts as they were; failures count once against their folder,
// and failure notices only show their status.
TEST_F(ParseWebTest, RefusedRequestsCountNothingAndFailuresCountOnceAgainstTheirFolder)
{
    for (int i = 0; i < 6; ++i)
        grab.RecordFailure(u"http://h/no/x.jpg"_s, status, texts);
    status.showStatus(1, u"-"_s);
    for (const auto &[key, accepted, stop] : {std::tuple{u"M0http://h/no/p.html"_s, true, false},
                                              {u"RRnot an address"_s, false, false},
                                              {u"M0http://h/stop"_s, true, true}}) {
        grab.StopRequested = stop;
        accept = accepted;
        begin(key);
        EXPECT_EQ(state(), "0/0 [] - [http://h/no/ 6] 0") << key.toStdString();
    }
    EXPECT_EQ(started, QStringList{u"RRnot an address"_s});
    accept = true;
    grab.StopRequested = false;
    const QString a = u"RRhttp://h/f/a"_s, b = u"RRhttp://h/f/b"_s, p = u"M0http://h/p"_s;
    for (const QString &key : {a, b, p})
        begin(key);
    Q_EMIT progress(a, Failed, {});
    EXPECT_EQ(state(), "1/1 [RRhttp://h/f/b M0http://h/p] text82 [http://h/no/ 6] 0");
    for (const QString &key : {a, b})
        Q_EMIT completed(key, Failed, {}, 0, DownloadFailure::None);
    Q_EMIT progress(p, Redirecting, u"http://h/new"_s);
    EXPECT_EQ(state(), "1/0 [M0http://h/p] text81 [http://h/no/ 6 http://h/f/ 2] 0");
    EXPECT_EQ(grab.LinkList.at(1).Address, u"http://h/new"_s);
    EXPECT_TRUE(engine.CancelAllDownload());
    Q_EMIT completed(p, Failed, {}, 0, DownloadFailure::None);
    EXPECT_EQ(state(), "0/0 [] text84 [http://h/no/ 6 http://h/f/ 2] 0")
        << "a notice after a cancel counts nothing";
}

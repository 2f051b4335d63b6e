#include "platform/download_service.h"
#include "support/http_test_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSet>
#include <QTimer>

#include <curl/curl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <vector>

using namespace Qt::StringLiterals;

void PrintTo(DownloadFailure failure, std::ostream *out)
{
    *out << "DownloadFailure(" << int(failure) << ")";
}

namespace {

using namespace DownloadStatus;
using Cut = HttpReply::Cut;
using Fail = DownloadFailure;

constexpr qint64 MiB = 1024 * 1024;

// Clocks short enough to wait for and long enough for a loaded machine, and a small body.
DownloadLimits quick()
{
    DownloadLimits limits;
    limits.idleTimeoutMs = 600;
    limits.totalTimeoutMs = 1500;
    limits.maxBodyBytes = MiB;
    return limits;
}

// Lets events run, as the grab's driver does, until done() holds or the time is up.
bool runUntil(const std::function<bool()> &done, int timeoutMs = 20000)
{
    QTimer wake;
    wake.start(5);
    const QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

struct Notice {
    QString key{};
    int status = -1;
    bool completion = false;
    QString text{};
    QByteArray bytes{};
    qint64 announced = 0;
    Fail failure = Fail::None;
};

// Every notice of the services it watches, in order, and every breach of their order: nothing
// after a request's completion, and right before a failed completion its own failure notice.
struct NoticeLog {
    void watch(DownloadService &service)
    {
        QObject::connect(&service, &DownloadService::progress,
                         [this](const QString &key, int status, const QString &text) {
                             add({key, status, false, text});
                         });
        QObject::connect(&service, &DownloadService::completed,
                         [this](const QString &key, int status, const QByteArray &bytes,
                                qint64 announced, Fail failure) {
                             add({key, status, true, {}, bytes, announced, failure});
                         });
    }
    std::vector<Notice> of(const QString &key) const
    {
        std::vector<Notice> notices;
        std::copy_if(all.begin(), all.end(), std::back_inserter(notices),
                     [&](const Notice &notice) { return notice.key == key; });
        return notices;
    }
    Notice last(const QString &key) const { return ended({key}) ? of(key).back() : Notice{}; }
    // A letter a notice, failure notices left out: Redirecting, first Data, Finished, X failed.
    QByteArray trace(const QString &key) const
    {
        QByteArray letters;
        for (const Notice &notice : of(key)) {
            if (notice.completion || notice.status != Failed)
                letters += notice.status == Redirecting ? 'R'
                           : notice.status == FirstData ? 'D'
                           : notice.status == Finished  ? 'F'
                                                        : 'X';
        }
        return letters;
    }
    bool ended(const QStringList &keys) const
    {
        return std::all_of(keys.begin(), keys.end(), [&](const QString &key) {
            const std::vector<Notice> notices = of(key);
            return !notices.empty() && notices.back().completion;
        });
    }
    void add(const Notice &notice)
    {
        const bool announced =
            !all.empty() && !all.back().completion && all.back().status == Failed;
        if (ended({notice.key}) || announced != (notice.completion && notice.status == Failed) ||
            (announced && all.back().key != notice.key))
            breaches.append(notice.key + u": notice %1 out of order"_s.arg(notice.status));
        all.push_back(notice);
        if (onNotice)
            onNotice(notice);
    }

    std::vector<Notice> all;
    QStringList breaches;
    std::function<void(const Notice &)> onNotice;
};

// A download service, its notices, and a server.
class DownloadServiceTest : public ::testing::Test {
protected:
    DownloadServiceTest() { log.watch(service); }
    void TearDown() override
    {
        EXPECT_TRUE(log.breaches.isEmpty()) << log.breaches.join(u'\n').toStdString();
    }
    void fetch(const QString &path, const QString &key)
    {
        ASSERT_TRUE(service.beginDownload(server.url(path), key)) << key.toStdString();
    }

    HttpTestServer server;
    NetworkDownloadService service{quick()};
    NoticeLog log;
};

struct Row {
    QByteArray path;
    HttpReply reply;
    QByteArray trace;
    Fail failure = Fail::None;
    DownloadLimits limits = quick();
};

TEST_F(DownloadServiceTest, EachRequestEndsAsItsReplyDeserves)
{
    const QByteArray picture = HttpTestServer::picture("PNG", 40, 30);
    // 0.9 s of data: inside the deadline alone, past it after a hop as long.
    const HttpReply drip{.body = QByteArray(15, 'd'), .dripMs = 60};
    const QByteArray port = QByteArray::number(server.port());
    std::vector<Row> rows = {
        {"/whole", {.body = picture}, "DF"},
        {"/chunked", {.body = picture, .chunked = true}, "DF"},
        {"/399", {.status = 399, .body = "x"}, "DF"},
        {"/400", {.status = 400, .body = "x"}, "X", Fail::HttpStatus},
        // Exactly 64 MiB announced passes the headers; the body then ends early.
        {"/64", {.length = 64 * MiB, .cut = Cut::Close}, "X", Fail::CutShort, {}},
        {"/64+1", {.length = 64 * MiB + 1}, "X", Fail::TooLarge, {}},
        {"/1", {.length = MiB, .chunked = true}, "DF"},
        {"/1+1", {.length = MiB + 1, .chunked = true}, "DX", Fail::TooLarge},
        {"/cut", {.length = 200, .cut = Cut::Close, .cutAfter = 99}, "DX", Fail::CutShort},
        {"/cut-chunked",
         {.length = 200, .chunked = true, .cut = Cut::Close, .cutAfter = 99},
         "DX",
         Fail::CutShort},
        {"/reset", {.cut = Cut::Reset, .cutAfter = -1}, "X", Fail::NetworkError},
        {"/silent", {.cut = Cut::Stall, .cutAfter = -1}, "X", Fail::IdleTimeout},
        {"/stall", {.length = 200, .cut = Cut::Stall, .cutAfter = 99}, "DX", Fail::IdleTimeout},
        {"/drip", drip, "DF"},
        {"/drip-hop",
         {.status = 302, .body = drip.body, .dripMs = 60, .location = "/drip"},
         "RDX",
         Fail::Deadline},
        {"/file", {.status = 302, .location = "file:///etc/passwd"}, "X", Fail::BadRedirect},
        {"/ftp", {.status = 307, .location = "ftp://127.0.0.1/a"}, "X", Fail::BadRedirect},
        {"/js", {.status = 301, .location = "javascript:alert(1)"}, "X", Fail::BadRedirect},
        // Every redirect status; relative targets resolve against the address that sent them.
        {"/a/301", {.status = 301, .location = "302"}, "RRRRRDF"},
        {"/a/302", {.status = 302, .location = "../b/303?q"}, "RRRRDF"},
        {"/b/303?q", {.status = 303, .location = "//127.0.0.1:" + port + "/307"}, "RRRDF"},
        {"/307", {.status = 307, .location = "/308"}, "RRDF"},
        {"/308", {.status = 308, .location = "/whole"}, "RDF"},
    };
    // Twenty redirects are followed, the twenty-first fails.
    for (int hop = 0; hop <= 21; ++hop) {
        const QByteArray path = "/chain/" + QByteArray::number(hop);
        rows.push_back({path,
                        {.status = hop < 21 ? 302 : 200,
                         .body = "end",
                         .location = "/chain/" + QByteArray::number(hop + 1)},
                        QByteArray(std::min(21 - hop, 20), 'R').append(hop ? "DF" : "X"),
                        hop ? Fail::None : Fail::TooManyRedirects});
    }
    std::vector<std::unique_ptr<NetworkDownloadService>> services;
    QHash<QString, HttpReply> replies;
    QStringList keys;
    for (const Row &row : rows) {
        keys.append(QString::fromLatin1(row.path));
        server.serve(keys.back(), row.reply);
        replies.insert(server.url(keys.back()), row.reply);
        services.push_back(std::make_unique<NetworkDownloadService>(row.limits));
        log.watch(*services.back());
        ASSERT_TRUE(services.back()->beginDownload(server.url(keys.back()), keys.back()));
    }
    ASSERT_TRUE(runUntil([&] { return log.ended(keys); }));

    for (size_t i = 0; i < rows.size(); ++i) {
        const Row &row = rows[i];
        SCOPED_TRACE(row.path.toStdString());
        const std::vector<Notice> notices = log.of(keys[i]);
        EXPECT_EQ(log.trace(keys[i]), row.trace);
        EXPECT_EQ(notices.back().failure, row.failure);
        // The body and length of the last hop, whose address the first data notice names.
        const HttpReply last =
            row.failure == Fail::None ? replies.value(notices.end()[-2].text) : HttpReply{};
        EXPECT_EQ(notices.back().bytes, last.wholeBody());
        EXPECT_EQ(notices.back().announced, last.chunked ? 0 : last.wholeBody().size());
        EXPECT_LE(services[i]->largestBodyHeld(), row.limits.maxBodyBytes);
        EXPECT_EQ(services[i]->activeDownloads(), 0);
    }
    QStringList texts;
    for (const Notice &notice : log.of(u"/a/301"_s))
        texts.append(QString(notice.text).remove(server.url(QString())));
    EXPECT_EQ(texts, (QStringList{u"/a/302"_s, u"/b/303?q"_s, u"/307"_s, u"/308"_s, u"/whole"_s,
                                  u"/whole"_s, QString()}));
    EXPECT_TRUE(
        server.lastRequest(u"/whole"_s)
            .contains(QByteArray("\r\nUser-Agent: ").append(NetworkDownloadService::userAgent())));
}

TEST_F(DownloadServiceTest, OnlyHttpAndHttpsAddressesStart)
{
    for (const char *address :
         {"ftp://127.0.0.1/a.jpg", "file:///etc/passwd", "", "http://", "javascript:alert(1)"})
        EXPECT_FALSE(service.beginDownload(QLatin1String(address), u"k"_s)) << address;
    EXPECT_EQ(service.activeDownloads(), 0);
}

TEST_F(DownloadServiceTest, ACutShortChunkedBodyNeverPassesForWholeInTwoHundredTries)
{
    const QByteArray picture = HttpTestServer::picture("JPG", 200, 200);
    server.serve(u"/closed"_s,
                 {.body = picture, .chunked = true, .cut = Cut::Close, .cutAfter = 1000});
    server.serve(u"/reset"_s,
                 {.body = picture, .chunked = true, .cut = Cut::Reset, .cutAfter = 1000});
    for (int round = 0; round < 10; ++round) {
        QStringList keys;
        for (int i = 0; i < 20; ++i) {
            keys.append(u"%1 %2"_s.arg(i % 2 ? u"/closed"_s : u"/reset"_s).arg(round * 20 + i));
            fetch(keys.back().section(u' ', 0, 0), keys.back());
        }
        ASSERT_TRUE(runUntil([&] { return log.ended(keys); }));
        for (const QString &key : keys)
            ASSERT_TRUE(log.trace(key).endsWith('X')) << key.toStdString();
    }
}

TEST_F(DownloadServiceTest, RequestsPastTheConnectionLimitWaitWithTheirClocksStopped)
{
    // Each answer takes 150 ms, well inside both clocks, but twelve on two connections take
    // 0.9 s: longer than either.
    DownloadLimits limits;
    limits.idleTimeoutMs = 500;
    limits.totalTimeoutMs = 600;
    limits.connectionsPerHost = 2;
    NetworkDownloadService queued(limits);
    log.watch(queued);
    server.setLatency(150);
    QStringList keys;
    for (int i = 0; i < 12; ++i) {
        keys.append(u"/queued/%1"_s.arg(i));
        server.addFile(keys.back(), keys.back().toLatin1());
        ASSERT_TRUE(queued.beginDownload(server.url(keys.back()), keys.back()));
    }
    int mostConnections = 0;
    ASSERT_TRUE(runUntil([&] {
        mostConnections = std::max(mostConnections, server.openConnections());
        return log.ended(keys);
    }));
    for (const QString &key : keys)
        EXPECT_EQ(log.last(key).bytes, key.toLatin1());
    EXPECT_EQ(mostConnections, limits.connectionsPerHost) << "counted at the server";
}

TEST_F(DownloadServiceTest, AHostThatDoesNotResolveFailsEveryRequestToItAtOnce)
{
    // More than one connection's worth: the rest wait for a slot, and fail with the first.
    QStringList keys;
    for (int i = 0; i < 12; ++i) {
        keys.append(u"nowhere %1"_s.arg(i));
        ASSERT_TRUE(
            service.beginDownload(u"http://no-such-host.invalid/%1.jpg"_s.arg(i), keys.back()));
    }
    ASSERT_TRUE(runUntil([&] { return !log.all.empty(); }));
    EXPECT_TRUE(log.ended(keys)) << "all within the turn of the event loop that failed the first";
    for (const QString &key : keys)
        EXPECT_EQ(log.last(key).failure, Fail::UnknownHost);

    // A later request to that host fails on the next turn, without a lookup.
    ASSERT_TRUE(service.beginDownload(u"https://NO-SUCH-HOST.invalid/late.jpg"_s, u"late"_s));
    EXPECT_TRUE(log.of(u"late"_s).empty()) << "never inside beginDownload";
    bool turned = false;
    QTimer::singleShot(0, [&] { turned = true; });
    ASSERT_TRUE(runUntil([&] { return turned; }));
    EXPECT_TRUE(log.ended({u"late"_s}));
    EXPECT_EQ(log.last(u"late"_s).failure, Fail::UnknownHost);
}

TEST_F(DownloadServiceTest, BodiesFromEightHostsStayUnderTheBoundAndTheLargestGoesFirst)
{
    DownloadLimits limits;
    limits.idleTimeoutMs = 800;
    limits.maxHeldBytes = 6 * MiB;
    NetworkDownloadService bounded(limits);
    log.watch(bounded);
    // Seven bodies of half a megabyte that stall, and one without end.
    std::vector<std::unique_ptr<HttpTestServer>> hosts;
    QStringList keys;
    for (int i = 0; i < 8; ++i) {
        hosts.push_back(std::make_unique<HttpTestServer>());
        hosts.back()->serve(
            u"/p.jpg"_s, i == 0 ? HttpReply{.length = qint64(1) << 40, .chunked = true}
                                : HttpReply{.length = MiB, .cut = Cut::Stall, .cutAfter = MiB / 2});
        keys.append(u"host %1"_s.arg(i));
        ASSERT_TRUE(bounded.beginDownload(hosts.back()->url(u"/p.jpg"_s), keys.back()));
    }
    ASSERT_TRUE(runUntil([&] { return log.ended(keys); }));
    for (const QString &key : keys)
        EXPECT_EQ(log.last(key).failure, key == keys[0] ? Fail::TooLarge : Fail::IdleTimeout)
            << key.toStdString();
    EXPECT_GT(bounded.mostBytesHeld(), limits.maxHeldBytes);
    EXPECT_LE(bounded.mostBytesHeld(), limits.maxHeldBytes + CURL_MAX_WRITE_SIZE);

    // What the ended requests held is free again.
    hosts[0]->serve(u"/after"_s, {.length = 5 * MiB});
    ASSERT_TRUE(bounded.beginDownload(hosts[0]->url(u"/after"_s), u"after"_s));
    ASSERT_TRUE(runUntil([&] { return log.ended({u"after"_s}); }));
    EXPECT_EQ(log.trace(u"after"_s), "DF");
}

TEST_F(DownloadServiceTest, CancelSilencesEveryRequestUnderItsKeyEvenFromInsideANotice)
{
    server.serve(u"/stall"_s, {.cut = Cut::Stall, .cutAfter = -1});
    server.serve(u"/from"_s, {.status = 302, .location = "/to"});
    server.addFile(u"/to"_s, "target");
    fetch(u"/stall"_s, u"same"_s);
    fetch(u"/stall"_s, u"same"_s);
    fetch(u"/from"_s, u"from"_s);
    service.cancelDownload(u"same"_s);
    EXPECT_EQ(service.activeDownloads(), 1);
    log.onNotice = [this](const Notice &notice) {
        if (notice.status == Redirecting)
            service.cancelAllDownloads();
    };
    ASSERT_TRUE(runUntil([&] { return !log.of(u"from"_s).empty(); }));
    // A request started after the others ends on its idle clock, after theirs would have.
    log.onNotice = nullptr;
    fetch(u"/stall"_s, u"witness"_s);
    ASSERT_TRUE(runUntil([&] { return log.ended({u"witness"_s}); }));
    EXPECT_EQ(log.trace(u"from"_s), "R");
    EXPECT_TRUE(log.of(u"same"_s).empty());
    EXPECT_EQ(server.requestCount(u"/to"_s), 0);
}

TEST(DownloadServiceTls, HttpsWorksWithATrustedCertificateAndFailsWithoutOne)
{
    HttpTestServer server(HttpTestServer::Transport::Tls);
    server.addFile(u"/secure"_s, "secure");
    NetworkDownloadService service(quick());
    NoticeLog log;
    log.watch(service);
    ASSERT_TRUE(service.beginDownload(server.url(u"/secure"_s), u"untrusted"_s));
    ASSERT_TRUE(runUntil([&] { return log.ended({u"untrusted"_s}); }));
    EXPECT_EQ(log.last(u"untrusted"_s).failure, Fail::NetworkError);

    service.trustCertificates(HttpTestServer::certificate().toPem());
    ASSERT_TRUE(service.beginDownload(server.url(u"/secure"_s), u"trusted"_s));
    ASSERT_TRUE(runUntil([&] { return log.ended({u"trusted"_s}); }));
    EXPECT_EQ(log.last(u"trusted"_s).bytes, "secure");
}

} // namespace

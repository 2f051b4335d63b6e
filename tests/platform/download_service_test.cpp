#include "platform/download_service.h"
#include "support/http_test_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTimer>

#include <curl/curl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using namespace DownloadStatus;
using Cut = HttpReply::Cut;
using Fail = DownloadFailure;

constexpr qint64 MiB = 1024 * 1024;

// Clocks that a test waits for are short; the others stay long, so a loaded machine never
// ends a request on a clock it was not meant to.
constexpr DownloadLimits idle{.idleTimeoutMs = 1500};

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

// What the services it watches told of each request, and every breach of the order of their
// notices: nothing after a completion, and right before a failed completion its own failure
// notice.
struct NoticeLog {
    struct Request {
        QByteArray trace; // a letter a notice: Redirecting, first Data, Finished, X failed
        QStringList texts;
        QByteArray bytes;
        qint64 announced = 0;
        Fail failure = Fail::None;
        bool ended() const { return trace.endsWith('F') || trace.endsWith('X'); }
    };

    void watch(DownloadService &service)
    {
        QObject::connect(&service, &DownloadService::progress,
                         [this](const QString &key, int status, const QString &text) {
                             Request &request = check(key, !failing.isEmpty());
                             failing = status == Failed ? key : QString();
                             request.texts.append(text);
                             if (status != Failed)
                                 request.trace += status == Redirecting ? 'R' : 'D';
                         });
        QObject::connect(&service, &DownloadService::completed,
                         [this](const QString &key, int status, const QByteArray &bytes,
                                qint64 announced, Fail failure) {
                             Request &request = check(key, (status == Failed) != (failing == key));
                             failing.clear();
                             request.trace += status == Finished ? 'F' : 'X';
                             request.bytes = bytes;
                             request.announced = announced;
                             request.failure = failure;
                         });
    }
    Request &check(const QString &key, bool breach)
    {
        if (breach || of[key].ended())
            breaches.append(key);
        return of[key];
    }
    bool ended(const QStringList &keys) const
    {
        return std::all_of(keys.begin(), keys.end(),
                           [&](const QString &key) { return of.value(key).ended(); });
    }

    QHash<QString, Request> of;
    QString failing; // the request whose failure notice came last, until its completion
    QStringList breaches;
};

// A download service, its notices, and a server.
class DownloadServiceTest : public ::testing::Test {
protected:
    DownloadServiceTest() { log.watch(service); }
    void TearDown() override { EXPECT_EQ(log.breaches, QStringList()) << "notices out of order"; }

    HttpTestServer server;
    NetworkDownloadService service{idle};
    NoticeLog log;
};

struct Row {
    QByteArray path;
    HttpReply reply;
    QByteArray trace; // a pattern
    Fail failure = Fail::None;
    DownloadLimits limits = {};
};

TEST_F(DownloadServiceTest, EachRequestEndsAsItsReplyDeserves)
{
    const QByteArray picture = HttpTestServer::picture("PNG", 40, 30);
    const QByteArray port = QByteArray::number(server.port());
    std::vector<Row> rows = {
        {"/whole", {.body = picture}, "DF"},
        {"/399", {.status = 399, .body = "x"}, "DF"},
        {"/400", {.status = 400, .body = "x"}, "X", Fail::HttpStatus},
        // Exactly 64 MiB announced passes the headers; the body then ends early.
        {"/64", {.length = 64 * MiB, .cut = Cut::Close}, "X", Fail::CutShort},
        {"/64+1", {.length = 64 * MiB + 1}, "X", Fail::TooLarge},
        {"/1", {.length = MiB, .chunked = true}, "DF", Fail::None, {.maxBodyBytes = MiB}},
        {"/1+1", {.length = MiB + 1, .chunked = true}, "DX", Fail::TooLarge, {.maxBodyBytes = MiB}},
        {"/cut-chunked",
         {.length = 200, .chunked = true, .cut = Cut::Close, .cutAfter = 99},
         "DX",
         Fail::CutShort},
        {"/reset", {.cut = Cut::Reset, .cutAfter = -1}, "X", Fail::NetworkError},
        {"/silent", {.cut = Cut::Stall, .cutAfter = -1}, "X", Fail::IdleTimeout, idle},
        // Each byte keeps the idle clock back; each hop is well inside the deadline, not all.
        {"/drip", {.body = QByteArray(30, 'd'), .dripMs = 80}, "DF", Fail::None, idle},
        {"/loop",
         {.status = 302, .body = "12345", .dripMs = 20, .location = "/loop"},
         "R*X",
         Fail::Deadline,
         {.totalTimeoutMs = 300}},
        {"/file", {.status = 302, .location = "file:///etc/passwd"}, "X", Fail::BadRedirect},
        // Every redirect status; relative targets resolve against the address that sent them.
        {"/a/301", {.status = 301, .location = "302"}, "R{5}DF"},
        {"/a/302", {.status = 302, .location = "../b/303?q"}, "R{4}DF"},
        {"/b/303?q", {.status = 303, .location = "//127.0.0.1:" + port + "/307"}, "R{3}DF"},
        {"/307", {.status = 307, .location = "/308"}, "RRDF"},
        {"/308", {.status = 308, .location = "/whole"}, "RDF"},
    };
    // Twenty redirects are followed, the twenty-first fails.
    for (int hop = 0; hop <= 21; ++hop) {
        rows.push_back({"/chain/" + QByteArray::number(hop),
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
        SCOPED_TRACE(rows[i].path.toStdString());
        const NoticeLog::Request request = log.of.value(keys[i]);
        const QRegularExpression trace(QString::fromLatin1("^" + rows[i].trace + "$"));
        EXPECT_TRUE(trace.match(QString::fromLatin1(request.trace)).hasMatch())
            << request.trace.toStdString();
        EXPECT_EQ(request.failure, rows[i].failure);
        // The body and length of the last hop, which the first data notice names.
        const HttpReply last =
            rows[i].failure == Fail::None ? replies.value(request.texts.last()) : HttpReply{};
        EXPECT_EQ(request.bytes, last.wholeBody());
        EXPECT_EQ(request.announced, last.chunked ? 0 : last.wholeBody().size());
        EXPECT_LE(services[i]->largestBodyHeld(), rows[i].limits.maxBodyBytes);
        EXPECT_EQ(services[i]->activeDownloads(), 0);
    }
    EXPECT_EQ(
        log.of.value(u"/a/301"_s).texts.replaceInStrings(server.url(QString()), QString()),
        (QStringList{u"/a/302"_s, u"/b/303?q"_s, u"/307"_s, u"/308"_s, u"/whole"_s, u"/whole"_s}));
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
    server.serve(u"/0"_s, {.length = 4000, .chunked = true, .cut = Cut::Close, .cutAfter = 1000});
    server.serve(u"/1"_s, {.length = 4000, .chunked = true, .cut = Cut::Reset, .cutAfter = 1000});
    for (int round = 0; round < 10; ++round) {
        QStringList keys;
        for (int i = 0; i < 20; ++i) {
            keys.append(u"%1 %2"_s.arg(round).arg(i));
            ASSERT_TRUE(service.beginDownload(server.url(u"/%1"_s.arg(i % 2)), keys.back()));
        }
        ASSERT_TRUE(runUntil([&] { return log.ended(keys); }));
        for (const QString &key : keys)
            ASSERT_TRUE(log.of.value(key).trace.endsWith('X')) << key.toStdString();
    }
}

TEST_F(DownloadServiceTest, RequestsPastTheConnectionLimitWaitWithTheirClocksStopped)
{
    // Each answer takes 100 ms, well inside both clocks, but thirty on two connections take
    // 1.5 s: longer than either.
    const DownloadLimits limits{
        .idleTimeoutMs = 1000, .totalTimeoutMs = 1200, .connectionsPerHost = 2};
    NetworkDownloadService queued(limits);
    log.watch(queued);
    server.setLatency(100);
    QStringList keys;
    for (int i = 0; i < 30; ++i) {
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
        EXPECT_EQ(log.of.value(key).bytes, key.toLatin1());
    EXPECT_EQ(mostConnections, limits.connectionsPerHost) << "counted at the server";
}

TEST_F(DownloadServiceTest, AHostThatDoesNotResolveFailsEveryRequestToItAtOnce)
{
    // More than one connection's worth: the rest wait for a slot, and fail with the first.
    QStringList keys;
    for (int i = 0; i < 12; ++i) {
        keys.append(u"http://no-such-host.invalid/%1"_s.arg(i));
        ASSERT_TRUE(service.beginDownload(keys.back(), keys.back()));
    }
    ASSERT_TRUE(runUntil([&] { return !log.of.isEmpty(); }));
    EXPECT_TRUE(log.ended(keys)) << "all within the turn of the event loop that failed the first";
    for (const QString &key : keys)
        EXPECT_EQ(log.of.value(key).failure, Fail::UnknownHost) << key.toStdString();
}

TEST_F(DownloadServiceTest, BodiesFromEightHostsStayUnderTheBoundAndTheLargestGoesFirst)
{
    const DownloadLimits limits{.idleTimeoutMs = 800, .maxHeldBytes = 6 * MiB};
    NetworkDownloadService bounded(limits);
    log.watch(bounded);
    // Seven bodies of half a megabyte that stall, and one without end.
    std::vector<std::unique_ptr<HttpTestServer>> hosts;
    QStringList keys;
    for (int i = 0; i < 8; ++i) {
        hosts.push_back(std::make_unique<HttpTestServer>());
        hosts.back()->serve(
            u"/p"_s, i == 0 ? HttpReply{.length = qint64(1) << 40, .chunked = true}
                            : HttpReply{.length = MiB, .cut = Cut::Stall, .cutAfter = MiB / 2});
        keys.append(hosts.back()->url(u"/p"_s));
        ASSERT_TRUE(bounded.beginDownload(keys.back(), keys.back()));
    }
    ASSERT_TRUE(runUntil([&] { return log.ended(keys); }));
    for (const QString &key : keys)
        EXPECT_EQ(log.of.value(key).failure, key == keys[0] ? Fail::TooLarge : Fail::IdleTimeout);
    EXPECT_GT(bounded.mostBytesHeld(), limits.maxHeldBytes);
    EXPECT_LE(bounded.mostBytesHeld(), limits.maxHeldBytes + CURL_MAX_WRITE_SIZE);

    // What the ended requests held is free again.
    hosts[0]->serve(u"/after"_s, {.length = 5 * MiB});
    ASSERT_TRUE(bounded.beginDownload(hosts[0]->url(u"/after"_s), u"after"_s));
    ASSERT_TRUE(runUntil([&] { return log.ended({u"after"_s}); }));
    EXPECT_EQ(log.of.value(u"after"_s).trace, "DF");
}

TEST_F(DownloadServiceTest, CancelSilencesEveryRequestUnderItsKeyEvenFromInsideANotice)
{
    server.serve(u"/stall"_s, {.cut = Cut::Stall, .cutAfter = -1});
    server.serve(u"/from"_s, {.status = 302, .location = "/to"});
    for (const QString &key : {u"same"_s, u"same"_s, u"from"_s})
        ASSERT_TRUE(
            service.beginDownload(server.url(key == u"from" ? u"/from"_s : u"/stall"_s), key));
    service.cancelDownload(u"same"_s);
    EXPECT_EQ(service.activeDownloads(), 1);
    const auto inside = QObject::connect(&service, &DownloadService::progress,
                                         [this] { service.cancelAllDownloads(); });
    ASSERT_TRUE(runUntil([&] { return log.of.contains(u"from"_s); }));
    // A request started after the others ends on its idle clock, after theirs would have.
    QObject::disconnect(inside);
    ASSERT_TRUE(service.beginDownload(server.url(u"/stall"_s), u"witness"_s));
    ASSERT_TRUE(runUntil([&] { return log.ended({u"witness"_s}); }));
    EXPECT_EQ(log.of.value(u"from"_s).trace, "R");
    EXPECT_FALSE(log.of.contains(u"same"_s));
    EXPECT_EQ(server.requestCount(u"/to"_s), 0);
}

TEST_F(DownloadServiceTest, HttpsWorksWithATrustedCertificateAndFailsWithoutOne)
{
    HttpTestServer tls(HttpTestServer::Transport::Tls);
    tls.addFile(u"/secure"_s, "secure");
    NetworkDownloadService secure;
    log.watch(secure);
    const QStringList keys = {u"untrusted"_s, u"trusted"_s};
    for (const QString &key : keys) {
        ASSERT_TRUE(secure.beginDownload(tls.url(u"/secure"_s), key));
        ASSERT_TRUE(runUntil([&] { return log.ended({key}); }));
        secure.trustCertificates(HttpTestServer::certificate().toPem());
    }
    EXPECT_EQ(log.of.value(keys[0]).failure, Fail::NetworkError);
    EXPECT_EQ(log.of.value(keys[1]).bytes, "secure");
}

} // namespace

#include "platform/download_service.h"
#include "support/http_test_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
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
bool runUntil(const std::function<bool()> &done)
{
    QTimer wake;
    wake.start(5);
    const QDeadlineTimer deadline(20000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// What the services it watches told of each request: a letter a notice (Redirecting, first Data,
// x failure, Finished, X failed completion), their texts, and the body and length it ended with.
struct NoticeLog {
    struct Request {
        QByteArray trace;
        QStringList texts;
        QByteArray bytes;
        qint64 announced = 0;
        Fail failure = Fail::None;
        bool ended() const { return trace.endsWith('F') || trace.endsWith('X'); }
    };

    void watch(DownloadService &service)
    {
        QObject::connect(
            &service, &DownloadService::progress,
            [this](const QString &key, int status, const QString &text) {
                of[key].trace += status == Failed ? 'x' : status == Redirecting ? 'R' : 'D';
                of[key].texts.append(text);
            });
        QObject::connect(&service, &DownloadService::completed,
                         [this](const QString &key, int status, const QByteArray &bytes,
                                qint64 announced, Fail failure) {
                             Request &request = of[key];
                             request.trace += status == Finished ? 'F' : 'X';
                             request.bytes = bytes;
                             request.announced = announced;
                             request.failure = failure;
                         });
    }
    bool ended(const QStringList &keys) const
    {
        return std::all_of(keys.begin(), keys.end(),
                           [&](const QString &key) { return of.value(key).ended(); });
    }

    QHash<QString, Request> of;
};

// A download service, its notices, and a server.
class DownloadServiceTest : public ::testing::Test {
protected:
    DownloadServiceTest() { log.watch(service); }
    // Every request had any number of redirects, at most one first data notice, then one
    // completion, a failed one right after its failure notice; a cancelled one stops anywhere.
    void TearDown() override
    {
        const QRegularExpression order(u"^R*D?(F|xX?)?$"_s);
        for (auto request = log.of.cbegin(); request != log.of.cend(); ++request)
            EXPECT_TRUE(order.match(QString::fromLatin1(request->trace)).hasMatch())
                << request.key().toStdString() << ": " << request->trace.toStdString();
    }
    // Starts a request for each address, under the address as its key, and lets events run
    // until all of them ended.
    void fetchAll(DownloadService &on, const QStringList &addresses)
    {
        for (const QString &address : addresses)
            ASSERT_TRUE(on.beginDownload(address, address));
        ASSERT_TRUE(runUntil([&] { return log.ended(addresses); }));
    }

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
    const QByteArray port = QByteArray::number(server.port());
    constexpr DownloadLimits small{.maxBodyBytes = MiB};
    constexpr DownloadLimits oneHop{.maxRedirects = 1};
    const HttpReply cutShort{.body = "ab", .chunked = true, .cut = Cut::Close, .cutAfter = 1};
    const HttpReply loop{.status = 302, .body = "12345", .dripMs = 20, .location = "/loop"};
    std::vector<Row> rows = {
        {"/whole", {.body = "whole"}, "DF"},
        {"/399", {.status = 399, .body = "x"}, "DF"},
        {"/400", {.status = 400, .body = "x"}, "xX", Fail::HttpStatus},
        // A length announced at the limit passes the headers; the body then ends early.
        {"/n", {.length = MiB, .cut = Cut::Close, .cutAfter = 0}, "xX", Fail::CutShort, small},
        {"/n+", {.length = MiB + 1}, "xX", Fail::TooLarge, small},
        {"/1", {.length = MiB, .chunked = true}, "DF", Fail::None, small},
        {"/1+1", {.length = MiB + 1, .chunked = true}, "DxX", Fail::TooLarge, small},
        // The body of a redirect is thrown away, but counts against the same limit.
        {"/r", {.status = 302, .length = MiB, .location = "/399"}, "RDF", Fail::None, small},
        {"/r+", {.status = 302, .length = MiB + 1, .location = "/"}, "xX", Fail::TooLarge, small},
        // A chunked body without its last chunk never passes for whole.
        {"/cut", cutShort, "DxX", Fail::CutShort},
        // Each byte keeps the idle clock back; each hop is well inside the deadline, not all.
        {"/drip", {.body = QByteArray(30, 'd'), .dripMs = 80}, "DF", Fail::None, idle},
        {"/loop", loop, "R*xX", Fail::Deadline, {.totalTimeoutMs = 300}},
        {"/file", {.status = 302, .location = "file:///etc/passwd"}, "xX", Fail::BadRedirect},
        // As many redirects as allowed are followed, one more fails.
        {"/hop2", {.status = 302, .location = "/hop1"}, "RxX", Fail::TooManyRedirects, oneHop},
        {"/hop1", {.status = 302, .location = "/399"}, "RDF", Fail::None, oneHop},
        // Every redirect status; relative targets resolve against the address that sent them.
        {"/a/301", {.status = 301, .location = "302"}, "R{5}DF"},
        {"/a/302", {.status = 302, .location = "../b/303?q"}, "R{4}DF"},
        {"/b/303?q", {.status = 303, .location = "//127.0.0.1:" + port + "/307"}, "R{3}DF"},
        {"/307", {.status = 307, .location = "/308"}, "RRDF"},
        {"/308", {.status = 308, .location = "/whole"}, "RDF"},
    };
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
        // The body and length of the last hop, which the first data notice names; none after a
        // failure, whose notice names no address.
        const HttpReply last = replies.value(request.texts.value(request.texts.size() - 1));
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

TEST_F(DownloadServiceTest, RequestsPastTheConnectionLimitWaitWithTheirClocksStopped)
{
    // Each answer takes 0.6 s, a byte every 0.1 s, well inside both clocks; five one after
    // another take longer than either. The redirect of the fourth waits for the fifth.
    NetworkDownloadService queued(
        {.idleTimeoutMs = 400, .totalTimeoutMs = 1200, .connectionsPerHost = 1});
    log.watch(queued);
    server.serve(u"/hop"_s, {.status = 302, .location = "/quick"});
    server.addFile(u"/quick"_s, "q");
    QStringList addresses;
    for (int i = 0; i < 4; ++i) {
        server.serve(u"/slow/%1"_s.arg(i), {.body = "123456", .dripMs = 100});
        addresses.append(server.url(u"/slow/%1"_s.arg(i)));
    }
    addresses.insert(3, server.url(u"/hop"_s));
    fetchAll(queued, addresses);
    for (const QString &key : addresses)
        EXPECT_EQ(log.of.value(key).trace, key.endsWith(u"hop") ? "RDF" : "DF")
            << key.toStdString();
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

TEST_F(DownloadServiceTest, BodiesTogetherStayUnderTheBoundAndTheLargestGoesFirst)
{
    const DownloadLimits limits{
        .idleTimeoutMs = 800, .connectionsPerHost = 8, .maxHeldBytes = 6 * MiB};
    NetworkDownloadService bounded(limits);
    log.watch(bounded);
    // Seven bodies of half a megabyte that stall, and one larger than the bound.
    QStringList addresses;
    for (int i = 0; i < 8; ++i) {
        addresses.append(server.url(u"/%1"_s.arg(i)));
        server.serve(u"/%1"_s.arg(i),
                     i == 0 ? HttpReply{.length = 16 * MiB}
                            : HttpReply{.length = MiB, .cut = Cut::Stall, .cutAfter = MiB / 2});
    }
    fetchAll(bounded, addresses);
    for (const QString &key : addresses)
        EXPECT_EQ(log.of.value(key).failure,
                  key == addresses[0] ? Fail::TooLarge : Fail::IdleTimeout);
    EXPECT_GT(bounded.mostBytesHeld(), limits.maxHeldBytes);
    EXPECT_LE(bounded.mostBytesHeld(), limits.maxHeldBytes + CURL_MAX_WRITE_SIZE);

    // What the ended requests held is free again: a body of exactly the bound passes.
    server.serve(u"/after"_s, {.length = limits.maxHeldBytes});
    fetchAll(bounded, {server.url(u"/after"_s)});
    EXPECT_EQ(log.of.value(server.url(u"/after"_s)).trace, "DF");
}

TEST_F(DownloadServiceTest, CancelSilencesEveryRequestUnderItsKeyEvenFromInsideItsNotice)
{
    server.serve(u"/stall"_s, {.cut = Cut::Stall});
    server.serve(u"/from"_s, {.status = 302, .location = "/to"});
    server.serve(u"/bad"_s, {.status = 400});
    for (const QString &key : {u"same"_s, u"same"_s})
        ASSERT_TRUE(service.beginDownload(server.url(u"/stall"_s), key));
    service.cancelDownload(u"same"_s);
    const auto inside =
        QObject::connect(&service, &DownloadService::progress,
                         [this](const QString &key) { service.cancelDownload(key); });
    for (const QString &key : {u"/from"_s, u"/bad"_s})
        ASSERT_TRUE(service.beginDownload(server.url(key), key));
    ASSERT_TRUE(runUntil([&] { return log.of.size() == 2; }));
    // A request started after the others ends on its idle clock, after theirs would have.
    QObject::disconnect(inside);
    fetchAll(service, {server.url(u"/stall"_s)});
    EXPECT_EQ(log.of.value(u"/from"_s).trace, "R");
    EXPECT_EQ(log.of.value(u"/bad"_s).trace, "x");
    EXPECT_FALSE(log.of.contains(u"same"_s));
    EXPECT_EQ(server.requestCount(u"/to"_s), 0);
}

// nghttpd speaks nothing but HTTP/2 over TLS: a picture it serves came over HTTP/2.
TEST_F(DownloadServiceTest, OverHttp2APictureArrivesWholeFromATrustedServerOnly)
{
    QTemporaryDir site;
    const auto file = [&site](const char *name) { return site.filePath(QLatin1String(name)); };
    const QString made =
        QStringLiteral("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                       "-nodes -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 "
                       "-keyout %1 -out %2 && openssl rand -out %3 300000")
            .arg(file("key"), file("cert"), file("p.jpg"));
    ASSERT_EQ(QProcess::execute(u"sh"_s, {u"-c"_s, made}), 0);
    QTcpServer probe; // for a free port
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString port = QString::number(probe.serverPort());
    const QString address = u"https://127.0.0.1:%1/"_s.arg(port);
    probe.close();
    QProcess nghttpd;
    nghttpd.setProcessChannelMode(QProcess::MergedChannels);
    nghttpd.start(u"nghttpd"_s, {u"-v"_s, u"--address=127.0.0.1"_s, u"--htdocs="_s + site.path(),
                                 port, file("key"), file("cert")});
    ASSERT_TRUE(nghttpd.waitForStarted());
    QByteArray output;
    while (!output.contains("listen") && nghttpd.waitForReadyRead(5000))
        output += nghttpd.readAll();

    // Long clocks: a loaded machine may be slow to shake hands.
    NetworkDownloadService secure;
    log.watch(secure);
    fetchAll(secure, {address + u"p.jpg"_s});
    EXPECT_EQ(log.of.take(address + u"p.jpg"_s).failure, Fail::NetworkError) << "not trusted";
    QFile certificate(file("cert")), picture(file("p.jpg"));
    ASSERT_TRUE(certificate.open(QIODevice::ReadOnly) && picture.open(QIODevice::ReadOnly));
    secure.trustCertificates(certificate.readAll());
    fetchAll(secure, {address + u"p.jpg"_s, address + u"missing.jpg"_s});
    EXPECT_EQ(log.of.value(address + u"p.jpg"_s).bytes, picture.readAll());
    EXPECT_EQ(log.of.value(address + u"missing.jpg"_s).failure, Fail::HttpStatus);
    nghttpd.terminate();
    nghttpd.waitForFinished();
}

} // namespace

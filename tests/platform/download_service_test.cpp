#include "platform/download_service.h"
#include "support/http_test_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QSslCertificate>

#include <QTimer>
#include <curl/curl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <vector>

void PrintTo(DownloadFailure failure, std::ostream *out)
{
    *out << "DownloadFailure(" << int(failure) << ")";
}

namespace {

using namespace DownloadStatus;
using Statuses = std::vector<int>;

constexpr qint64 bodyLimit = 1024 * 1024;

DownloadLimits shortLimits()
{
    DownloadLimits limits;
    limits.idleTimeoutMs = 1000;
    limits.totalTimeoutMs = 2500;
    limits.maxBodyBytes = bodyLimit;
    return limits;
}

// Lets events run, as the grab's driver does, until done() holds or the time is up.
bool runUntil(const std::function<bool()> &done, int timeoutMs = 5000)
{
    QTimer wake;
    wake.start(5);
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void runFor(int milliseconds)
{
    runUntil([] { return false; }, milliseconds);
}

struct Notice {
    int status = Failed;
    QString text;
    QByteArray bytes;
    qint64 announced = 0;
    DownloadFailure failure = DownloadFailure::None;
};

// Every notification per key, and every breach of "one completion, nothing after it" and of
// "a failure notice, then at once the failed completion". The failure notices themselves are
// not listed among a key's notices.
class NoticeLog {
public:
    explicit NoticeLog(DownloadService &service)
    {
        QObject::connect(&service, &DownloadService::progress, &receiver_,
                         [this](const QString &key, int status, const QString &text) {
                             if (status == Failed)
                                 announce(key);
                             else
                                 add(key, {status, text, {}, 0, DownloadFailure::None}, false);
                         });
        QObject::connect(&service, &DownloadService::completed, &receiver_,
                         [this](const QString &key, int status, const QByteArray &bytes,
                                qint64 announced, DownloadFailure failure) {
                             add(key, {status, {}, bytes, announced, failure}, true);
                         });
    }

    Statuses statuses(const QString &key) const
    {
        Statuses result;
        for (const Notice &notice : notices(key))
            result.push_back(notice.status);
        return result;
    }
    std::vector<Notice> notices(const QString &key) const
    {
        const auto it = notices_.find(key);
        return it == notices_.end() ? std::vector<Notice>{} : it->second;
    }
    Notice last(const QString &key) const
    {
        const std::vector<Notice> all = notices(key);
        return all.empty() ? Notice{-1, {}, {}, 0, DownloadFailure::None} : all.back();
    }
    bool ended(const QString &key) const { return completions_.value(key) > 0; }
    bool allEnded(const QStringList &keys) const
    {
        return std::all_of(keys.begin(), keys.end(), [this](const QString &k) { return ended(k); });
    }

    QStringList breaches;
    std::function<void(const QString &key, const Notice &notice)> onNotice;

private:
    void announce(const QString &key)
    {
        if (!announcedFailure_.isEmpty())
            breaches.append(key + QStringLiteral(": failure notice before another's completion"));
        if (completions_.value(key) > 0)
            breaches.append(key + QStringLiteral(": failure notice after its completion"));
        announcedFailure_ = key;
    }
    void add(const QString &key, const Notice &notice, bool completion)
    {
        const bool failed = completion && notice.status == Failed;
        if (announcedFailure_ != (failed ? key : QString()))
            breaches.append(key + (failed ? QStringLiteral(": failed without a failure notice")
                                          : QStringLiteral(": a notice came between the failure "
                                                           "notice and its completion")));
        announcedFailure_.clear();
        if (completions_.value(key) > 0)
            breaches.append(key + QStringLiteral(": notice after its completion"));
        if (completion)
            ++completions_[key];
        notices_[key].push_back(notice);
        if (onNotice)
            onNotice(key, notice);
    }

    QObject receiver_;
    QString announcedFailure_;
    std::map<QString, std::vector<Notice>> notices_;
    QHash<QString, int> completions_;
};

class DownloadServiceTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_TRUE(log.breaches.isEmpty()) << log.breaches.join(u'\n').toStdString();
    }

    void fetch(const QString &path, const QString &key)
    {
        ASSERT_TRUE(service.beginDownload(server.url(path), key)) << key.toStdString();
    }
    void waitForEnd(const QStringList &keys, int timeoutMs = 5000)
    {
        EXPECT_TRUE(runUntil([&] { return log.allEnded(keys); }, timeoutMs))
            << "unfinished among " << keys.join(u' ').toStdString();
    }
    void expectFailure(const QString &key, DownloadFailure failure)
    {
        EXPECT_EQ(log.last(key).status, Failed) << key.toStdString();
        EXPECT_EQ(log.last(key).failure, failure) << key.toStdString();
        EXPECT_TRUE(log.last(key).bytes.isEmpty()) << key.toStdString();
    }

    HttpTestServer server;
    NetworkDownloadService service{shortLimits()};
    NoticeLog log{service};
};

TEST_F(DownloadServiceTest, PicturesAndPagesArriveWholeWithTheirAnnouncedLength)
{
    const std::map<QString, QByteArray> files = {
        {QStringLiteral("/p.png"), HttpTestServer::picture("PNG", 40, 30)},
        {QStringLiteral("/p.jpg"), HttpTestServer::picture("JPG", 40, 30)},
        {QStringLiteral("/p.gif"), HttpTestServer::picture("GIF", 40, 30)},
        {QStringLiteral("/p.bmp"), HttpTestServer::picture("BMP", 40, 30)},
        {QStringLiteral("/page-as-picture.jpg"), QByteArray("<html><a href=x>x</a></html>")},
    };
    for (const auto &[path, bytes] : files) {
        server.addFile(path, bytes);
        fetch(path, path);
    }
    const QByteArray page = QByteArray("<html>") + QByteArray(5000, 'p') + "</html>";
    server.addFile(QStringLiteral("/chunked.html"), page);
    server.sendChunked(QStringLiteral("/chunked.html"));
    fetch(QStringLiteral("/chunked.html"), QStringLiteral("chunked"));

    QStringList keys{QStringLiteral("chunked")};
    for (const auto &entry : files)
        keys.append(entry.first);
    waitForEnd(keys);

    for (const auto &[path, bytes] : files) {
        EXPECT_EQ(log.statuses(path), (Statuses{FirstData, Finished})) << path.toStdString();
        EXPECT_EQ(log.last(path).bytes, bytes) << path.toStdString();
        EXPECT_EQ(log.last(path).announced, bytes.size()) << path.toStdString();
        EXPECT_EQ(log.notices(path).front().text, server.url(path));
    }
    for (const char *format : {"png", "jpg", "gif", "bmp"}) {
        const QImage decoded =
            QImage::fromData(log.last(QStringLiteral("/p.") + QLatin1String(format)).bytes);
        EXPECT_EQ(decoded.size(), QSize(40, 30)) << format;
    }
    EXPECT_EQ(log.last(QStringLiteral("chunked")).bytes, page);
    EXPECT_EQ(log.last(QStringLiteral("chunked")).announced, 0) << "no Content-Length";
    EXPECT_EQ(server.lastHeader(QStringLiteral("/p.png"), "User-Agent"),
              NetworkDownloadService::userAgent());
    EXPECT_EQ(service.activeDownloads(), 0);
}

TEST_F(DownloadServiceTest, OnlyHttpAndHttpsAddressesStart)
{
    for (const char *address : {"ftp://127.0.0.1/a.jpg", "file:///etc/passwd", "", "no address",
                                "http://", "javascript:alert(1)"}) {
        EXPECT_FALSE(service.beginDownload(QString::fromLatin1(address), QStringLiteral("k")))
            << address;
    }
    EXPECT_EQ(service.activeDownloads(), 0);
    runFor(50);
    EXPECT_TRUE(log.statuses(QStringLiteral("k")).empty()) << "a refused start is not notified";
}

TEST_F(DownloadServiceTest, HttpErrorsFailWithoutDeliveringTheErrorPage)
{
    for (const int status : {400, 403, 404, 500}) {
        const QString path = QStringLiteral("/status/") + QString::number(status);
        server.answerStatus(path, status);
        fetch(path, path);
    }
    fetch(QStringLiteral("/never-registered.html"), QStringLiteral("missing"));
    const QStringList keys = {QStringLiteral("/status/400"), QStringLiteral("/status/403"),
                              QStringLiteral("/status/404"), QStringLiteral("/status/500"),
                              QStringLiteral("missing")};
    waitForEnd(keys);
    for (const QString &key : keys) {
        EXPECT_EQ(log.statuses(key), (Statuses{Failed})) << key.toStdString();
        expectFailure(key, DownloadFailure::HttpStatus);
    }
}

TEST_F(DownloadServiceTest, NetworkFailuresFailOnce)
{
    QString refusedAddress;
    {
        HttpTestServer gone;
        refusedAddress = gone.url(QStringLiteral("/x.jpg"));
    }
    ASSERT_TRUE(service.beginDownload(refusedAddress, QStringLiteral("refused")));
    server.resetConnection(QStringLiteral("/reset"));
    fetch(QStringLiteral("/reset"), QStringLiteral("reset"));
    server.resetConnection(QStringLiteral("/reset-mid-body"), 2000);
    fetch(QStringLiteral("/reset-mid-body"), QStringLiteral("mid-body"));

    waitForEnd({QStringLiteral("refused"), QStringLiteral("reset"), QStringLiteral("mid-body")});
    for (const char *key : {"refused", "reset", "mid-body"})
        expectFailure(QLatin1String(key), DownloadFailure::NetworkError);
}

TEST_F(DownloadServiceTest, BodyCutShortIsNeverDeliveredAsFinished)
{
    // Closed cleanly before the announced length or the last chunk, or reset in the middle of
    // the body: the bytes that did arrive must never pass for the whole picture.
    const QByteArray picture = HttpTestServer::picture("JPG", 200, 200);
    ASSERT_GT(picture.size(), 1000);
    for (const char *path : {"/short.jpg", "/short-chunked.jpg", "/reset-chunked.jpg"})
        server.addFile(QLatin1String(path), picture);
    server.sendShortBody(QStringLiteral("/short.jpg"), 1000);
    server.sendShortChunked(QStringLiteral("/short-chunked.jpg"), 1000);
    server.resetConnection(QStringLiteral("/reset-chunked.jpg"), 1000);
    constexpr int rounds = 200;
    constexpr int atOnce = 20;
    for (int started = 0; started < rounds; started += atOnce) {
        QStringList keys;
        for (int i = started; i < started + atOnce; ++i) {
            const char *path = i % 3 == 0   ? "/short.jpg"
                               : i % 3 == 1 ? "/short-chunked.jpg"
                                            : "/reset-chunked.jpg";
            keys.append(QStringLiteral("%1 %2").arg(QLatin1String(path)).arg(i));
            fetch(QLatin1String(path), keys.back());
        }
        waitForEnd(keys);
        for (int i = 0; i < atOnce; ++i) {
            const Notice end = log.last(keys[i]);
            ASSERT_EQ(end.status, Failed) << keys[i].toStdString();
            EXPECT_TRUE(end.bytes.isEmpty());
            EXPECT_EQ(end.failure, (started + i) % 3 == 2 ? DownloadFailure::NetworkError
                                                          : DownloadFailure::CutShort)
                << keys[i].toStdString();
        }
    }
}

TEST_F(DownloadServiceTest, RedirectsAreReportedHopByHopAndRelativeTargetsResolved)
{
    server.redirect(QStringLiteral("/dir/start.html"), QStringLiteral("next.html"), 301);
    server.redirect(QStringLiteral("/dir/next.html"), QStringLiteral("../other/page.html?a=1"),
                    303);
    server.redirect(QStringLiteral("/other/page.html?a=1"),
                    QStringLiteral("//127.0.0.1:") + QString::number(server.port()) +
                        QStringLiteral("/end.html"),
                    307);
    server.addFile(QStringLiteral("/end.html"), "<html>end</html>");
    fetch(QStringLiteral("/dir/start.html"), QStringLiteral("r"));
    waitForEnd({QStringLiteral("r")});

    const std::vector<Notice> notices = log.notices(QStringLiteral("r"));
    ASSERT_EQ(log.statuses(QStringLiteral("r")),
              (Statuses{Redirecting, Redirecting, Redirecting, FirstData, Finished}));
    EXPECT_EQ(notices[0].text, server.url(QStringLiteral("/dir/next.html")));
    EXPECT_EQ(notices[1].text, server.url(QStringLiteral("/other/page.html?a=1")));
    EXPECT_EQ(notices[2].text, server.url(QStringLiteral("/end.html")));
    EXPECT_EQ(notices[4].bytes, "<html>end</html>");
    EXPECT_EQ(server.requestCount(QStringLiteral("/end.html")), 1);
}

TEST_F(DownloadServiceTest, TwentyRedirectsAreFollowedAndTheTwentyFirstFails)
{
    for (int hop = 0; hop < 20; ++hop) {
        server.redirect(QStringLiteral("/chain/") + QString::number(hop),
                        QStringLiteral("/chain/") + QString::number(hop + 1));
    }
    server.addFile(QStringLiteral("/chain/20"), "twenty");
    server.addFile(QStringLiteral("/chain/21"), "twenty-one");
    fetch(QStringLiteral("/chain/0"), QStringLiteral("twenty"));
    fetch(QStringLiteral("/chain/1"), QStringLiteral("nineteen"));
    server.redirect(QStringLiteral("/loop"), QStringLiteral("/loop"));
    fetch(QStringLiteral("/loop"), QStringLiteral("loop"));
    waitForEnd({QStringLiteral("twenty"), QStringLiteral("nineteen"), QStringLiteral("loop")});

    server.redirect(QStringLiteral("/chain/20"), QStringLiteral("/chain/21"));
    fetch(QStringLiteral("/chain/0"), QStringLiteral("twenty-one"));
    waitForEnd({QStringLiteral("twenty-one")});

    Statuses twentyHops(20, Redirecting);
    twentyHops.insert(twentyHops.end(), {FirstData, Finished});
    EXPECT_EQ(log.statuses(QStringLiteral("twenty")), twentyHops);
    EXPECT_EQ(log.last(QStringLiteral("twenty")).bytes, "twenty");
    EXPECT_EQ(log.last(QStringLiteral("nineteen")).bytes, "twenty");

    Statuses failedAfterTwenty(20, Redirecting);
    failedAfterTwenty.push_back(Failed);
    EXPECT_EQ(log.statuses(QStringLiteral("twenty-one")), failedAfterTwenty);
    expectFailure(QStringLiteral("twenty-one"), DownloadFailure::TooManyRedirects);
    EXPECT_EQ(log.statuses(QStringLiteral("loop")), failedAfterTwenty);
    expectFailure(QStringLiteral("loop"), DownloadFailure::TooManyRedirects);
    EXPECT_EQ(server.requestCount(QStringLiteral("/loop")), 21);
    EXPECT_EQ(server.requestCount(QStringLiteral("/chain/21")), 0);
}

TEST_F(DownloadServiceTest, RedirectOffHttpFailsWithoutBeingReported)
{
    const std::map<QString, QString> targets = {
        {QStringLiteral("/to-file"), QStringLiteral("file:///etc/passwd")},
        {QStringLiteral("/to-ftp"), QStringLiteral("ftp://127.0.0.1/a.jpg")},
        {QStringLiteral("/to-script"), QStringLiteral("javascript:alert(1)")},
    };
    for (const auto &[path, location] : targets) {
        server.redirect(path, location);
        fetch(path, path);
    }
    waitForEnd(
        {QStringLiteral("/to-file"), QStringLiteral("/to-ftp"), QStringLiteral("/to-script")});
    for (const auto &entry : targets) {
        EXPECT_EQ(log.statuses(entry.first), (Statuses{Failed})) << entry.first.toStdString();
        expectFailure(entry.first, DownloadFailure::BadRedirect);
    }
}

TEST_F(DownloadServiceTest, BodiesPastTheLimitAreRefusedWithoutBeingHeld)
{
    server.announceHugeLength(QStringLiteral("/huge.jpg"), qint64(10) * 1024 * 1024 * 1024);
    fetch(QStringLiteral("/huge.jpg"), QStringLiteral("huge"));
    waitForEnd({QStringLiteral("huge")});
    EXPECT_EQ(log.statuses(QStringLiteral("huge")), (Statuses{Failed}));
    expectFailure(QStringLiteral("huge"), DownloadFailure::TooLarge);
    EXPECT_EQ(service.largestBodyHeld(), 0) << "refused as soon as the headers arrived";

    server.sendEndlessChunked(QStringLiteral("/endless"));
    fetch(QStringLiteral("/endless"), QStringLiteral("endless"));
    waitForEnd({QStringLiteral("endless")});
    expectFailure(QStringLiteral("endless"), DownloadFailure::TooLarge);
    EXPECT_LE(service.largestBodyHeld(), bodyLimit + 1);
}

TEST_F(DownloadServiceTest, BodyOfExactlyTheLimitPasses)
{
    server.addFile(QStringLiteral("/limit"), QByteArray(bodyLimit, 'a'));
    server.addFile(QStringLiteral("/over"), QByteArray(bodyLimit + 1, 'b'));
    server.addFile(QStringLiteral("/limit-chunked"), QByteArray(bodyLimit, 'c'));
    server.addFile(QStringLiteral("/over-chunked"), QByteArray(bodyLimit + 1, 'd'));
    server.sendChunked(QStringLiteral("/limit-chunked"));
    server.sendChunked(QStringLiteral("/over-chunked"));
    for (const char *path : {"/limit", "/over", "/limit-chunked", "/over-chunked"})
        fetch(QLatin1String(path), QLatin1String(path));
    waitForEnd({QStringLiteral("/limit"), QStringLiteral("/over"), QStringLiteral("/limit-chunked"),
                QStringLiteral("/over-chunked")});

    EXPECT_EQ(log.last(QStringLiteral("/limit")).bytes.size(), bodyLimit);
    EXPECT_EQ(log.last(QStringLiteral("/limit-chunked")).bytes.size(), bodyLimit);
    expectFailure(QStringLiteral("/over"), DownloadFailure::TooLarge);
    expectFailure(QStringLiteral("/over-chunked"), DownloadFailure::TooLarge);
}

TEST_F(DownloadServiceTest, SilentServersHitTheIdleTimeoutAndDrippingOnesTheDeadline)
{
    server.stallBeforeHeaders(QStringLiteral("/before"));
    server.stallAfterHeaders(QStringLiteral("/after"));
    server.drip(QStringLiteral("/drip"), 40);
    fetch(QStringLiteral("/before"), QStringLiteral("before"));
    fetch(QStringLiteral("/after"), QStringLiteral("after"));
    fetch(QStringLiteral("/drip"), QStringLiteral("drip"));
    waitForEnd({QStringLiteral("before"), QStringLiteral("after"), QStringLiteral("drip")});

    expectFailure(QStringLiteral("before"), DownloadFailure::IdleTimeout);
    expectFailure(QStringLiteral("after"), DownloadFailure::IdleTimeout);
    EXPECT_EQ(log.statuses(QStringLiteral("drip")), (Statuses{FirstData, Failed}));
    expectFailure(QStringLiteral("drip"), DownloadFailure::Deadline);
}

TEST_F(DownloadServiceTest, DeadlineCountsFromTheStartAcrossRedirects)
{
    // Each hop answers well inside the idle limit, but the chain as a whole does not.
    server.setLatency(300);
    for (int hop = 0; hop < 15; ++hop) {
        server.redirect(QStringLiteral("/slow/") + QString::number(hop),
                        QStringLiteral("/slow/") + QString::number(hop + 1));
    }
    fetch(QStringLiteral("/slow/0"), QStringLiteral("slow"));
    waitForEnd({QStringLiteral("slow")});
    expectFailure(QStringLiteral("slow"), DownloadFailure::Deadline);
    EXPECT_LT(log.statuses(QStringLiteral("slow")).size(), 15u);
}

TEST_F(DownloadServiceTest, EveryRequestEndsExactlyOnceWhateverGoesWrong)
{
    server.addFile(QStringLiteral("/ok.png"), HttpTestServer::picture("PNG", 10, 10));
    server.answerStatus(QStringLiteral("/gone"), 404);
    server.resetConnection(QStringLiteral("/reset"), 3000);
    server.sendEndlessChunked(QStringLiteral("/endless"));
    server.announceHugeLength(QStringLiteral("/huge"), qint64(1) << 40);
    server.drip(QStringLiteral("/drip"), 30);
    server.stallAfterHeaders(QStringLiteral("/stall"));
    server.redirect(QStringLiteral("/loop"), QStringLiteral("/loop"));
    server.redirect(QStringLiteral("/file"), QStringLiteral("file:///etc/passwd"));
    server.sendShortBody(QStringLiteral("/short"), 10);
    const QStringList paths = {QStringLiteral("/ok.png"), QStringLiteral("/gone"),
                               QStringLiteral("/reset"),  QStringLiteral("/endless"),
                               QStringLiteral("/huge"),   QStringLiteral("/drip"),
                               QStringLiteral("/stall"),  QStringLiteral("/loop"),
                               QStringLiteral("/file"),   QStringLiteral("/short")};
    for (const QString &path : paths)
        fetch(path, path);
    waitForEnd(paths);
    // Long enough for any late timer or reply of a finished request to show itself.
    runFor(shortLimits().totalTimeoutMs);

    for (const QString &path : paths) {
        const Statuses statuses = log.statuses(path);
        EXPECT_EQ(std::count(statuses.begin(), statuses.end(), Failed) +
                      std::count(statuses.begin(), statuses.end(), Finished),
                  1)
            << path.toStdString();
    }
    EXPECT_EQ(service.activeDownloads(), 0);
}

TEST_F(DownloadServiceTest, CancelByKeyStopsEveryRequestUnderItAndNothingElse)
{
    server.stallAfterHeaders(QStringLiteral("/stall"));
    server.addFile(QStringLiteral("/ok"), "ok");
    server.setLatency(100);
    fetch(QStringLiteral("/stall"), QStringLiteral("same"));
    fetch(QStringLiteral("/stall"), QStringLiteral("same"));
    fetch(QStringLiteral("/stall"), QStringLiteral("other-stall"));
    fetch(QStringLiteral("/ok"), QStringLiteral("other"));
    service.cancelDownload(QStringLiteral("same"));
    service.cancelDownload(QStringLiteral("never-started"));
    EXPECT_EQ(service.activeDownloads(), 2);

    waitForEnd({QStringLiteral("other"), QStringLiteral("other-stall")});
    runFor(shortLimits().totalTimeoutMs);
    EXPECT_TRUE(log.statuses(QStringLiteral("same")).empty());
    EXPECT_EQ(log.last(QStringLiteral("other")).bytes, "ok");
    expectFailure(QStringLiteral("other-stall"), DownloadFailure::IdleTimeout);
}

TEST_F(DownloadServiceTest, CancelAllInsideARedirectNoticeEndsTheRequestQuietly)
{
    server.redirect(QStringLiteral("/from"), QStringLiteral("/to"));
    server.addFile(QStringLiteral("/to"), "target");
    server.stallBeforeHeaders(QStringLiteral("/stall"));
    log.onNotice = [this](const QString &, const Notice &notice) {
        if (notice.status == Redirecting)
            service.cancelAllDownloads();
    };
    fetch(QStringLiteral("/from"), QStringLiteral("from"));
    fetch(QStringLiteral("/stall"), QStringLiteral("stall"));
    ASSERT_TRUE(runUntil([this] { return !log.statuses(QStringLiteral("from")).empty(); }));
    runFor(shortLimits().totalTimeoutMs);

    EXPECT_EQ(log.statuses(QStringLiteral("from")), (Statuses{Redirecting}));
    EXPECT_TRUE(log.statuses(QStringLiteral("stall")).empty());
    EXPECT_EQ(server.requestCount(QStringLiteral("/to")), 0);

    log.onNotice = nullptr;
    fetch(QStringLiteral("/to"), QStringLiteral("again"));
    waitForEnd({QStringLiteral("again")});
    EXPECT_EQ(log.last(QStringLiteral("again")).bytes, "target");
}

TEST_F(DownloadServiceTest, AHandlerThatRunsANestedLoopSeesOtherRequestsEnd)
{
    server.addFile(QStringLiteral("/first"), "first");
    server.addFile(QStringLiteral("/later"), "later");
    server.setLatency(50);
    const QStringList later = {QStringLiteral("later0"), QStringLiteral("later1"),
                               QStringLiteral("later2")};
    bool endedInsideHandler = false;
    log.onNotice = [&](const QString &key, const Notice &notice) {
        if (key != QStringLiteral("first") || notice.status != Finished)
            return;
        // A long parse that yields: other downloads start and end meanwhile.
        for (const QString &k : later)
            fetch(QStringLiteral("/later"), k);
        endedInsideHandler = runUntil([&] { return log.allEnded(later); });
    };
    fetch(QStringLiteral("/first"), QStringLiteral("first"));
    waitForEnd({QStringLiteral("first")});

    EXPECT_TRUE(endedInsideHandler);
    EXPECT_EQ(log.last(QStringLiteral("later2")).bytes, "later");
    EXPECT_EQ(service.activeDownloads(), 0);
}

TEST_F(DownloadServiceTest, AHostThatDoesNotResolveFailsEveryRequestToItAtOnce)
{
    // Far more than one connection's worth, so most of them wait for a slot; the idle limit
    // is far away, so only the failed lookup can end them within the second.
    NetworkDownloadService patient([] {
        DownloadLimits limits;
        limits.connectionsPerHost = 2;
        return limits;
    }());
    NoticeLog patientLog(patient);
    QStringList keys;
    for (int i = 0; i < 12; ++i) {
        keys.append(QStringLiteral("nowhere%1").arg(i));
        ASSERT_TRUE(patient.beginDownload(
            QStringLiteral("http://no-such-host.invalid/pictures/%1.jpg").arg(i), keys.back()));
    }
    EXPECT_TRUE(runUntil([&] { return patientLog.allEnded(keys); }, 1000));
    for (const QString &key : keys) {
        EXPECT_EQ(patientLog.statuses(key), (Statuses{Failed})) << key.toStdString();
        EXPECT_EQ(patientLog.last(key).failure, DownloadFailure::UnknownHost);
    }
    // A request to the same host afterwards fails without another wait.
    ASSERT_TRUE(patient.beginDownload(QStringLiteral("https://NO-SUCH-HOST.invalid/late.jpg"),
                                      QStringLiteral("late")));
    EXPECT_EQ(patientLog.statuses(QStringLiteral("late")), Statuses{}) << "never inside begin";
    EXPECT_TRUE(runUntil([&] { return patientLog.ended(QStringLiteral("late")); }, 1000));
    EXPECT_EQ(patientLog.last(QStringLiteral("late")).failure, DownloadFailure::UnknownHost);
    EXPECT_TRUE(patientLog.breaches.isEmpty()) << patientLog.breaches.join(u'\n').toStdString();
}

TEST_F(DownloadServiceTest, BodiesHeldTogetherStayUnderTheBoundWhenEightHostsSendEndlessly)
{
    DownloadLimits limits = shortLimits();
    limits.idleTimeoutMs = 3000;
    limits.totalTimeoutMs = 20000;
    limits.maxBodyBytes = 4 * 1024 * 1024;
    limits.maxHeldBytes = 6 * 1024 * 1024;
    NetworkDownloadService bounded(limits);
    NoticeLog boundedLog(bounded);
    std::vector<std::unique_ptr<HttpTestServer>> hosts;
    QStringList keys;
    for (int i = 0; i < 8; ++i) {
        hosts.push_back(std::make_unique<HttpTestServer>());
        hosts.back()->sendEndlessChunked(QStringLiteral("/endless.jpg"));
        keys.append(QStringLiteral("host%1").arg(i));
        ASSERT_TRUE(
            bounded.beginDownload(hosts.back()->url(QStringLiteral("/endless.jpg")), keys.back()));
    }
    EXPECT_TRUE(runUntil([&] { return boundedLog.allEnded(keys); }, 15000));
    for (const QString &key : keys)
        EXPECT_EQ(boundedLog.last(key).failure, DownloadFailure::TooLarge) << key.toStdString();
    // One curl write past the bound at most.
    EXPECT_GT(bounded.mostBytesHeld(), limits.maxBodyBytes) << "the bound was reached";
    EXPECT_LE(bounded.mostBytesHeld(), limits.maxHeldBytes + CURL_MAX_WRITE_SIZE);
    EXPECT_LE(bounded.largestBodyHeld(), limits.maxBodyBytes);
    EXPECT_TRUE(boundedLog.breaches.isEmpty());
}

TEST_F(DownloadServiceTest, ManyRequestsAtOnceAllComplete)
{
    server.setLatency(20);
    QStringList keys;
    for (int i = 0; i < 40; ++i) {
        const QString path = QStringLiteral("/many/") + QString::number(i) + QStringLiteral(".jpg");
        server.addFile(path, QByteArray::number(i).repeated(100));
        keys.append(path);
        fetch(path, path);
    }
    waitForEnd(keys);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(log.last(keys[i]).bytes, QByteArray::number(i).repeated(100));
        EXPECT_EQ(server.requestCount(keys[i]), 1);
    }
}

TEST(DownloadServiceQueue, RequestsBeyondTheConnectionLimitWaitWithoutTheirClocksRunning)
{
    // Each request takes 150 ms, well inside both limits, but 24 of them on three connections
    // take 1.2 s: longer than the idle limit and the deadline of one request. So does one
    // connection with eight.
    for (const int connections : {1, 3}) {
        DownloadLimits limits;
        limits.idleTimeoutMs = 600;
        limits.totalTimeoutMs = 700;
        limits.connectionsPerHost = connections;
        NetworkDownloadService service(limits);
        NoticeLog log(service);
        HttpTestServer server;
        server.setLatency(150);
        QStringList keys;
        for (int i = 0; i < 8 * connections; ++i) {
            const QString path = QStringLiteral("/queued/%1.png").arg(i);
            server.addFile(path, QByteArray::number(i).repeated(50));
            keys.append(path);
            ASSERT_TRUE(service.beginDownload(server.url(path), path));
        }
        int mostConnections = 0;
        EXPECT_TRUE(runUntil([&] {
            mostConnections = std::max(mostConnections, server.openConnections());
            return log.allEnded(keys);
        }));
        for (int i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(log.statuses(keys[i]), (Statuses{FirstData, Finished})) << i;
            EXPECT_EQ(log.last(keys[i]).bytes, QByteArray::number(i).repeated(50)) << i;
        }
        EXPECT_EQ(mostConnections, connections) << "counted at the server";
        EXPECT_TRUE(log.breaches.isEmpty()) << log.breaches.join(u'\n').toStdString();
    }
}

TEST(DownloadServiceQueue, AFullHostHoldsUpNoOtherHostAndItsQueueCancelsQuietly)
{
    DownloadLimits limits = shortLimits();
    limits.connectionsPerHost = 2;
    NetworkDownloadService service(limits);
    NoticeLog log(service);
    HttpTestServer busy;
    HttpTestServer other;
    busy.stallBeforeHeaders(QStringLiteral("/stall"));
    busy.addFile(QStringLiteral("/waiting"), "waiting");
    other.addFile(QStringLiteral("/free"), "free");
    for (int i = 0; i < limits.connectionsPerHost; ++i)
        ASSERT_TRUE(service.beginDownload(busy.url(QStringLiteral("/stall")),
                                          QStringLiteral("stall%1").arg(i)));
    ASSERT_TRUE(service.beginDownload(busy.url(QStringLiteral("/waiting")), QStringLiteral("w")));
    ASSERT_TRUE(service.beginDownload(other.url(QStringLiteral("/free")), QStringLiteral("free")));

    EXPECT_TRUE(runUntil([&] { return log.ended(QStringLiteral("free")); }));
    EXPECT_EQ(log.last(QStringLiteral("free")).bytes, "free");
    EXPECT_EQ(busy.requestCount(QStringLiteral("/waiting")), 0) << "its turn has not come";
    EXPECT_EQ(service.activeDownloads(), limits.connectionsPerHost + 1);

    service.cancelAllDownloads();
    runFor(limits.idleTimeoutMs + 200);
    EXPECT_TRUE(log.statuses(QStringLiteral("w")).empty());
    EXPECT_EQ(busy.requestCount(QStringLiteral("/waiting")), 0);
    EXPECT_EQ(service.activeDownloads(), 0);

    // The host's slots are free again.
    ASSERT_TRUE(service.beginDownload(busy.url(QStringLiteral("/waiting")), QStringLiteral("w2")));
    EXPECT_TRUE(runUntil([&] { return log.ended(QStringLiteral("w2")); }));
    EXPECT_EQ(log.last(QStringLiteral("w2")).bytes, "waiting");
}

TEST(DownloadServiceTls, HttpsWorksWithATrustedCertificateAndFailsWithoutOne)
{
    HttpTestServer server(HttpTestServer::Transport::Tls);
    const QByteArray picture = HttpTestServer::picture("PNG", 8, 8);
    server.addFile(QStringLiteral("/secure.png"), picture);
    const QString address = server.url(QStringLiteral("/secure.png"));
    NetworkDownloadService service(shortLimits());
    NoticeLog log(service);
    ASSERT_TRUE(service.beginDownload(address, QStringLiteral("untrusted")));
    EXPECT_TRUE(runUntil([&] { return log.ended(QStringLiteral("untrusted")); }));
    EXPECT_EQ(log.statuses(QStringLiteral("untrusted")), (Statuses{Failed}));
    EXPECT_EQ(log.last(QStringLiteral("untrusted")).failure, DownloadFailure::NetworkError);

    service.trustCertificates(HttpTestServer::certificate().toPem());
    ASSERT_TRUE(service.beginDownload(address, QStringLiteral("trusted")));
    EXPECT_TRUE(runUntil([&] { return log.ended(QStringLiteral("trusted")); }));
    EXPECT_EQ(log.statuses(QStringLiteral("trusted")), (Statuses{FirstData, Finished}));
    EXPECT_EQ(log.last(QStringLiteral("trusted")).bytes, picture);
    EXPECT_TRUE(log.breaches.isEmpty());
}

} // namespace

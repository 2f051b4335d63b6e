#include "platform/download_service.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimerEvent>

#include <algorithm>

namespace {

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Bytes a retired reply may still buffer until it is aborted.
constexpr qint64 retiredReadBuffer = 64 * 1024;

// Qt shares its connections among requests of one scheme, host and port.
QString hostOf(const QUrl &url)
{
    const bool secure = url.scheme() == QLatin1String("https");
    return url.scheme() + QLatin1String("://") + url.host().toLower() + u':' +
           QString::number(url.port(secure ? 443 : 80));
}

int httpStatusOf(const QNetworkReply &reply)
{
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

} // namespace

struct NetworkDownloadService::Transfer {
    quint64 id = 0;
    QString key;
    QNetworkReply *reply = nullptr; // the current hop; null between hops
    QString slotHost;               // the host whose slot the current hop holds
    QUrl waitingUrl;                // the hop that waits for a slot
    bool waiting = false;
    int deadlineTimer = 0;
    int redirects = 0;
    bool headersChecked = false;
    bool sawData = false;
    qint64 announcedLength = 0;
    QByteArray body;
};

// Marks a reply whose signal is being handled, so that the sweep leaves it alone even when a
// notification handler lets events run in the middle of that signal.
class NetworkDownloadService::ReplyInUse {
public:
    ReplyInUse(NetworkDownloadService &service, const QNetworkReply *reply)
        : service_(service), reply_(reply)
    {
        ++service_.repliesInUse_[reply_];
    }
    ~ReplyInUse()
    {
        auto it = service_.repliesInUse_.find(reply_);
        if (--it.value() == 0) {
            service_.repliesInUse_.erase(it);
            if (!service_.retiredReplies_.empty())
                service_.sweepTimer_.start();
        }
    }
    ReplyInUse(const ReplyInUse &) = delete;
    ReplyInUse &operator=(const ReplyInUse &) = delete;

private:
    NetworkDownloadService &service_;
    const QNetworkReply *reply_;
};

NetworkDownloadService::NetworkDownloadService(const DownloadLimits &limits, QObject *parent)
    : DownloadService(parent), limits_(limits)
{
    sweepTimer_.setSingleShot(true);
    sweepTimer_.setInterval(0);
    connect(&sweepTimer_, &QTimer::timeout, this, &NetworkDownloadService::sweepReplies);
    // Waiting transfers start from the event loop, never inside a cancel or a notification.
    waitingTimer_.setSingleShot(true);
    waitingTimer_.setInterval(0);
    connect(&waitingTimer_, &QTimer::timeout, this, &NetworkDownloadService::startWaiting);
}

NetworkDownloadService::~NetworkDownloadService()
{
    cancelAllDownloads();
    sweepReplies();
}

QByteArray NetworkDownloadService::userAgent()
{
    return QByteArrayLiteral("Zovarode/3.74 (picture grabber; X11; Linux)");
}

bool NetworkDownloadService::beginDownload(const QString &address, const QString &key)
{
    const QUrl url(address);
    if (!isWebAddress(url))
        return false;
    const quint64 id = nextId_++;
    auto transfer = std::make_unique<Transfer>();
    transfer->id = id;
    transfer->key = key;
    Transfer &started = *transfer;
    transfers_.emplace(id, std::move(transfer));
    request(started, url);
    return true;
}

void NetworkDownloadService::cancelDownload(const QString &key)
{
    std::vector<quint64> ids;
    for (const auto &[id, transfer] : transfers_) {
        if (transfer->key == key)
            ids.push_back(id);
    }
    for (const quint64 id : ids)
        take(id);
}

void NetworkDownloadService::cancelAllDownloads()
{
    waitingPerHost_.clear();
    while (!transfers_.empty())
        take(transfers_.begin()->first);
}

qsizetype NetworkDownloadService::liveReplies() const
{
    return manager_.findChildren<QNetworkReply *>(Qt::FindDirectChildrenOnly).size();
}

void NetworkDownloadService::timerEvent(QTimerEvent *event)
{
    const auto owner = deadlineOwners_.constFind(event->timerId());
    if (owner == deadlineOwners_.cend()) {
        DownloadService::timerEvent(event);
        return;
    }
    finish(owner.value(), DownloadStatus::Failed, DownloadFailure::Deadline);
}

void NetworkDownloadService::request(Transfer &transfer, const QUrl &url)
{
    const QString host = hostOf(url);
    const auto queue = waitingPerHost_.constFind(host);
    const bool othersWait = queue != waitingPerHost_.cend() && !queue->empty();
    if (!othersWait && runningPerHost_.value(host) < TransfersPerHost) {
        startRequest(transfer, url);
        return;
    }
    transfer.waiting = true;
    transfer.waitingUrl = url;
    waitingPerHost_[host].push_back(transfer.id);
}

void NetworkDownloadService::startWaiting()
{
    for (auto queue = waitingPerHost_.begin(); queue != waitingPerHost_.end();) {
        std::deque<quint64> &ids = queue.value();
        while (!ids.empty() && runningPerHost_.value(queue.key()) < TransfersPerHost) {
            const quint64 id = ids.front();
            ids.pop_front();
            // A transfer cancelled while it waited has left its id behind.
            const auto found = transfers_.find(id);
            if (found != transfers_.end() && found->second->waiting) {
                const QUrl url = found->second->waitingUrl;
                startRequest(*found->second, url);
            }
        }
        if (ids.empty())
            queue = waitingPerHost_.erase(queue);
        else
            ++queue;
    }
}

void NetworkDownloadService::releaseSlot(Transfer &transfer)
{
    if (transfer.slotHost.isEmpty())
        return;
    const auto running = runningPerHost_.find(transfer.slotHost);
    if (--running.value() <= 0)
        runningPerHost_.erase(running);
    if (waitingPerHost_.contains(transfer.slotHost))
        waitingTimer_.start();
    transfer.slotHost.clear();
}

void NetworkDownloadService::startRequest(Transfer &transfer, const QUrl &url)
{
    transfer.waiting = false;
    transfer.waitingUrl.clear();
    transfer.slotHost = hostOf(url);
    busiestHost_ = std::max(busiestHost_, ++runningPerHost_[transfer.slotHost]);
    // The total clock starts with the first hop that really starts and runs across redirects.
    if (transfer.deadlineTimer == 0) {
        transfer.deadlineTimer = startTimer(limits_.totalTimeoutMs);
        if (transfer.deadlineTimer != 0)
            deadlineOwners_.insert(transfer.deadlineTimer, transfer.id);
    }

    QNetworkRequest httpRequest(url);
    httpRequest.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    // Without content coding the Content-Length counts the bytes we deliver.
    httpRequest.setRawHeader("Accept-Encoding", "identity");
    httpRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
    httpRequest.setTransferTimeout(limits_.idleTimeoutMs);

    QNetworkReply *reply = manager_.get(httpRequest);
    transfer.reply = reply;
    transfer.headersChecked = false;
    transfer.announcedLength = 0;
    transfer.body.clear();
    const quint64 id = transfer.id;
    connect(reply, &QNetworkReply::metaDataChanged, this,
            [this, id, reply] { onHeaders(id, reply); });
    connect(reply, &QNetworkReply::readyRead, this, [this, id, reply] { onData(id, reply); });
    connect(reply, &QNetworkReply::finished, this, [this, id, reply] { onFinished(id, reply); });
}

NetworkDownloadService::Transfer *NetworkDownloadService::find(quint64 id,
                                                               const QNetworkReply *reply)
{
    const auto it = transfers_.find(id);
    if (it == transfers_.end() || it->second->reply != reply)
        return nullptr;
    return it->second.get();
}

void NetworkDownloadService::onHeaders(quint64 id, QNetworkReply *reply)
{
    const ReplyInUse inUse(*this, reply);
    if (Transfer *transfer = find(id, reply))
        checkHeaders(*transfer);
}

void NetworkDownloadService::onData(quint64 id, QNetworkReply *reply)
{
    const ReplyInUse inUse(*this, reply);
    Transfer *transfer = find(id, reply);
    if (!transfer)
        return;
    if (!transfer->headersChecked && !checkHeaders(*transfer))
        return;
    if (readBody(*transfer))
        reportFirstData(*transfer);
}

void NetworkDownloadService::onFinished(quint64 id, QNetworkReply *reply)
{
    const ReplyInUse inUse(*this, reply);
    Transfer *transfer = find(id, reply);
    if (!transfer)
        return;
    if (!transfer->headersChecked && !checkHeaders(*transfer))
        return;
    if (!readBody(*transfer) || !reportFirstData(*transfer))
        return;

    switch (reply->error()) {
    case QNetworkReply::NoError:
        finish(id, DownloadStatus::Finished, DownloadFailure::None);
        return;
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        // Our own aborts disconnect first, so a cancel seen here is the transfer timeout.
        finish(id, DownloadStatus::Failed, DownloadFailure::IdleTimeout);
        return;
    case QNetworkReply::RemoteHostClosedError: {
        const int status = httpStatusOf(*reply);
        const bool cutShort = status >= 200 && status < 300 && transfer->announcedLength > 0 &&
                              transfer->body.size() < transfer->announcedLength;
        finish(id, cutShort ? DownloadStatus::Finished : DownloadStatus::Failed,
               cutShort ? DownloadFailure::None : DownloadFailure::NetworkError);
        return;
    }
    default:
        finish(id, DownloadStatus::Failed, DownloadFailure::NetworkError);
        return;
    }
}

bool NetworkDownloadService::checkHeaders(Transfer &transfer)
{
    QNetworkReply &reply = *transfer.reply;
    const int status = httpStatusOf(reply);
    if (status == 0)
        return true; // no response yet: a connection failure ends the request later
    transfer.headersChecked = true;

    if (isRedirectStatus(status)) {
        const QByteArray location = reply.rawHeader("Location").trimmed();
        if (!location.isEmpty()) {
            followRedirect(transfer, reply.url().resolved(QUrl(QString::fromUtf8(location))));
            return false;
        }
    }
    if (status >= 400) {
        finish(transfer.id, DownloadStatus::Failed, DownloadFailure::HttpStatus);
        return false;
    }
    const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid()) {
        const qint64 announced = length.toLongLong();
        if (announced > limits_.maxBodyBytes) {
            finish(transfer.id, DownloadStatus::Failed, DownloadFailure::TooLarge);
            return false;
        }
        transfer.announcedLength = std::max<qint64>(announced, 0);
    }
    return true;
}

bool NetworkDownloadService::readBody(Transfer &transfer)
{
    QNetworkReply &reply = *transfer.reply;
    while (reply.bytesAvailable() > 0) {
        // Reading one byte past the limit is enough to know it was passed.
        const qint64 room = limits_.maxBodyBytes + 1 - transfer.body.size();
        transfer.body.append(reply.read(std::min(room, reply.bytesAvailable())));
        largestBodyHeld_ = std::max<qint64>(largestBodyHeld_, transfer.body.size());
        if (transfer.body.size() > limits_.maxBodyBytes) {
            finish(transfer.id, DownloadStatus::Failed, DownloadFailure::TooLarge);
            return false;
        }
    }
    return true;
}

bool NetworkDownloadService::reportFirstData(Transfer &transfer)
{
    if (transfer.sawData || transfer.body.isEmpty())
        return true;
    transfer.sawData = true;
    const quint64 id = transfer.id;
    QNetworkReply *reply = transfer.reply;
    // A copy: a handler that cancels destroys the transfer while later handlers still run.
    const QString key = transfer.key;
    Q_EMIT progress(key, DownloadStatus::FirstData, reply->url().toString(QUrl::FullyEncoded));
    return find(id, reply) != nullptr;
}

void NetworkDownloadService::followRedirect(Transfer &transfer, const QUrl &target)
{
    const quint64 id = transfer.id;
    retire(transfer.reply);
    transfer.reply = nullptr;
    releaseSlot(transfer);
    if (!isWebAddress(target)) {
        finish(id, DownloadStatus::Failed, DownloadFailure::BadRedirect);
        return;
    }
    if (transfer.redirects >= limits_.maxRedirects) {
        finish(id, DownloadStatus::Failed, DownloadFailure::TooManyRedirects);
        return;
    }
    ++transfer.redirects;
    const QString key = transfer.key;
    Q_EMIT progress(key, DownloadStatus::Redirecting, target.toString(QUrl::FullyEncoded));
    // The handler may have cancelled the request, or let its deadline pass.
    if (Transfer *still = find(id, nullptr))
        request(*still, target);
}

void NetworkDownloadService::finish(quint64 id, int status, DownloadFailure failure)
{
    const std::unique_ptr<Transfer> transfer = take(id);
    if (!transfer)
        return;
    const bool finished = status == DownloadStatus::Finished;
    Q_EMIT completed(transfer->key, status, finished ? transfer->body : QByteArray(),
                     finished ? transfer->announcedLength : 0, failure);
}

std::unique_ptr<NetworkDownloadService::Transfer> NetworkDownloadService::take(quint64 id)
{
    const auto it = transfers_.find(id);
    if (it == transfers_.end())
        return nullptr;
    std::unique_ptr<Transfer> transfer = std::move(it->second);
    transfers_.erase(it);
    if (transfer->deadlineTimer != 0) {
        killTimer(transfer->deadlineTimer);
        deadlineOwners_.remove(transfer->deadlineTimer);
    }
    if (transfer->reply)
        retire(transfer->reply);
    transfer->reply = nullptr;
    releaseSlot(*transfer);
    return transfer;
}

void NetworkDownloadService::retire(QNetworkReply *reply)
{
    reply->disconnect(this);
    // Aborting inside one of the reply's own signals upsets its header handling, so a reply in
    // use is only throttled here and aborted by the sweep once its signal has returned.
    if (repliesInUse_.contains(reply))
        reply->setReadBufferSize(retiredReadBuffer);
    else if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
    retiredReplies_.emplace_back(reply);
    sweepTimer_.start();
}

void NetworkDownloadService::sweepReplies()
{
    std::vector<QPointer<QNetworkReply>> kept;
    std::vector<QPointer<QNetworkReply>> retired;
    retired.swap(retiredReplies_);
    for (const QPointer<QNetworkReply> &reply : retired) {
        if (!reply)
            continue;
        if (repliesInUse_.contains(reply.data())) {
            kept.push_back(reply);
            continue;
        }
        if (reply->isRunning())
            reply->abort();
        delete reply.data();
    }
    // Anything retired while deleting stays queued for the next sweep.
    retiredReplies_.insert(retiredReplies_.end(), kept.begin(), kept.end());
}

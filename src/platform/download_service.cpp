#include "platform/download_service.h"

#include <QSocketNotifier>

#include <curl/curl.h>

#include <algorithm>
#include <cstdint>
#include <mutex>

namespace {

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

bool isRedirectStatus(long status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The slot of a transfer: curl shares connections among requests of one scheme, host and port.
QString slotHostOf(const QUrl &url)
{
    const bool secure = url.scheme() == QLatin1String("https");
    return url.scheme() + QLatin1String("://") + url.host().toLower() + u':' +
           QString::number(url.port(secure ? 443 : 80));
}

// How long a host whose name did not resolve fails new requests without a lookup.
constexpr qint64 unresolvedMemoryMs = 60000;
// Idle connections kept open for the next request, across all hosts.
constexpr long idleConnectionsKept = 64;
// Bodies announced up to this size get their whole buffer at once.
constexpr qint64 reserveUpTo = 1024 * 1024;

QString describe(DownloadFailure failure)
{
    switch (failure) {
    case DownloadFailure::None:
        break;
    case DownloadFailure::NetworkError:
        return QStringLiteral("network error");
    case DownloadFailure::CutShort:
        return QStringLiteral("body cut short");
    case DownloadFailure::UnknownHost:
        return QStringLiteral("host name not found");
    case DownloadFailure::HttpStatus:
        return QStringLiteral("HTTP error status");
    case DownloadFailure::TooLarge:
        return QStringLiteral("body too large");
    case DownloadFailure::IdleTimeout:
        return QStringLiteral("no data in time");
    case DownloadFailure::Deadline:
        return QStringLiteral("not finished in time");
    case DownloadFailure::TooManyRedirects:
        return QStringLiteral("too many redirects");
    case DownloadFailure::BadRedirect:
        return QStringLiteral("redirect to another scheme");
    }
    return QString();
}

DownloadFailure failureOf(int curlResult)
{
    switch (curlResult) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return DownloadFailure::UnknownHost;
    case CURLE_PARTIAL_FILE:
        return DownloadFailure::CutShort;
    default:
        return DownloadFailure::NetworkError;
    }
}

} // namespace

struct NetworkDownloadService::Curl {
    CURLM *multi = nullptr;
    Curl()
    {
        static std::once_flag initialised;
        std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        multi = curl_multi_init();
    }
    ~Curl()
    {
        if (multi)
            curl_multi_cleanup(multi);
    }
    Curl(const Curl &) = delete;
    Curl &operator=(const Curl &) = delete;
};

struct NetworkDownloadService::Transfer {
    NetworkDownloadService *service = nullptr;
    quint64 id = 0;
    QString key;
    CURL *easy = nullptr;
    QUrl url;             // the current hop
    QString slotHost;     // the host whose slot the current hop holds; empty when none
    bool waiting = false; // the current hop waits for a slot
    qint64 startedAt = -1;
    qint64 lastActivityAt = 0;
    int redirects = 0;
    bool sawFirstData = false;
    // The current hop.
    long status = 0;
    QByteArray location;
    QUrl redirectTarget;
    qint64 redirectBodyBytes = 0;
    qint64 announcedLength = 0;
    QByteArray body;
    DownloadFailure stopReason = DownloadFailure::None; // set when a callback stopped the hop

    ~Transfer()
    {
        if (easy)
            curl_easy_cleanup(easy);
    }
};

// A socket that curl watches, with one notifier per direction.
struct NetworkDownloadService::SocketWatch {
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
};

// A request whose failure notices are being sent; a cancel meanwhile silences the second.
struct NetworkDownloadService::Finishing {
    QString key;
    bool cancelled = false;
};

NetworkDownloadService::NetworkDownloadService(const DownloadLimits &limits, QObject *parent)
    : DownloadService(parent), limits_(limits), curl_(std::make_unique<Curl>())
{
    limits_.connectionsPerHost = std::max(1, limits_.connectionsPerHost);
    clock_.start();
    CURLM *multi = curl_->multi;
    curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &NetworkDownloadService::onSocket);
    curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &NetworkDownloadService::onCurlTimer);
    curl_multi_setopt(multi, CURLMOPT_TIMERDATA, this);
    curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, long(limits_.connectionsPerHost));
    curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, idleConnectionsKept);
    curl_multi_setopt(multi, CURLMOPT_PIPELINING, long(CURLPIPE_MULTIPLEX));

    curlTimer_.setSingleShot(true);
    connect(&curlTimer_, &QTimer::timeout, this, [this] { drive(CURL_SOCKET_TIMEOUT, 0); });
    // The idle and total clocks are read a few times within the shorter of the two limits.
    clockTimer_.setInterval(
        std::clamp(std::min(limits_.idleTimeoutMs, limits_.totalTimeoutMs) / 10, 5, 1000));
    connect(&clockTimer_, &QTimer::timeout, this, &NetworkDownloadService::checkClocks);
    // Waiting transfers start and late failures are sent from the event loop, never inside a
    // cancel or a notification.
    for (QTimer *timer : {&waitingTimer_, &failTimer_}) {
        timer->setSingleShot(true);
        timer->setInterval(0);
    }
    connect(&waitingTimer_, &QTimer::timeout, this, &NetworkDownloadService::startWaiting);
    connect(&failTimer_, &QTimer::timeout, this, &NetworkDownloadService::deliverNotices);
}

NetworkDownloadService::~NetworkDownloadService()
{
    cancelAllDownloads();
    curl_multi_cleanup(curl_->multi);
    curl_->multi = nullptr;
}

QByteArray NetworkDownloadService::userAgent()
{
    return QByteArrayLiteral("Zovarode/3.74 (picture grabber; X11; Linux)");
}

void NetworkDownloadService::trustCertificates(const QByteArray &pem)
{
    trustedPem_ = pem;
}

bool NetworkDownloadService::beginDownload(const QString &address, const QString &key)
{
    const QUrl url(address);
    if (!isWebAddress(url))
        return false;
    auto transfer = std::make_unique<Transfer>();
    transfer->service = this;
    transfer->id = nextId_++;
    transfer->key = key;
    transfer->easy = curl_easy_init();
    if (!transfer->easy)
        return false;
    CURL *easy = transfer->easy;
    curl_easy_setopt(easy, CURLOPT_PRIVATE, reinterpret_cast<char *>(std::uintptr_t(transfer->id)));
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &NetworkDownloadService::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &NetworkDownloadService::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent().constData());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_2TLS));
    if (!trustedPem_.isEmpty()) {
        curl_blob blob{const_cast<char *>(trustedPem_.constData()), size_t(trustedPem_.size()),
                       CURL_BLOB_COPY};
        curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
    }

    Transfer &started = *transfer;
    transfers_.emplace(started.id, std::move(transfer));
    if (!clockTimer_.isActive())
        clockTimer_.start();
    request(started, url);
    return true;
}

void NetworkDownloadService::cancelDownload(const QString &key)
{
    for (Finishing *finishing : finishing_) {
        if (finishing->key == key)
            finishing->cancelled = true;
    }
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
    for (Finishing *finishing : finishing_)
        finishing->cancelled = true;
    waitingPerHost_.clear();
    firstDataDue_.clear();
    failuresDue_.clear();
    while (!transfers_.empty())
        take(transfers_.begin()->first);
}

// Curl's callbacks only record what happened; the notices go out once curl has returned.

size_t NetworkDownloadService::onHeader(char *data, size_t size, size_t count, void *transfer)
{
    auto &t = *static_cast<Transfer *>(transfer);
    return t.service->takeHeaderLine(t, data, size * count);
}

size_t NetworkDownloadService::onBody(char *data, size_t size, size_t count, void *transfer)
{
    auto &t = *static_cast<Transfer *>(transfer);
    return t.service->takeBody(t, data, size * count);
}

int NetworkDownloadService::onSocket(void *, int socket, int what, void *service, void *)
{
    static_cast<NetworkDownloadService *>(service)->watchSocket(socket, what);
    return 0;
}

int NetworkDownloadService::onCurlTimer(void *, long timeoutMs, void *service)
{
    QTimer &timer = static_cast<NetworkDownloadService *>(service)->curlTimer_;
    if (timeoutMs < 0)
        timer.stop();
    else
        timer.start(int(std::min<long>(timeoutMs, 24 * 3600 * 1000)));
    return 0;
}

size_t NetworkDownloadService::takeHeaderLine(Transfer &transfer, const char *data, size_t size)
{
    transfer.lastActivityAt = now();
    const QByteArray line = QByteArray(data, qsizetype(size)).trimmed();
    if (line.startsWith("HTTP/")) {
        // A new response begins; an informational one is followed by the real one.
        transfer.status = line.split(' ').value(1).toLong();
        transfer.location.clear();
        return size;
    }
    if (!line.isEmpty()) {
        if (line.size() > 9 && qstrnicmp(line.constData(), "location:", 9) == 0)
            transfer.location = line.mid(9).trimmed();
        return size;
    }

    // The end of a response's headers.
    const long status = transfer.status;
    if (status < 200)
        return size;
    if (isRedirectStatus(status) && !transfer.location.isEmpty()) {
        transfer.redirectTarget = transfer.url.resolved(QUrl(QString::fromUtf8(transfer.location)));
        return size;
    }
    if (status >= 400) {
        transfer.stopReason = DownloadFailure::HttpStatus;
        return 0;
    }
    curl_off_t length = -1;
    curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length > limits_.maxBodyBytes) {
        transfer.stopReason = DownloadFailure::TooLarge;
        return 0;
    }
    if (length > 0) {
        transfer.announcedLength = length;
        transfer.body.reserve(qsizetype(std::min<qint64>(length, reserveUpTo)));
    }
    return size;
}

size_t NetworkDownloadService::takeBody(Transfer &transfer, const char *data, size_t size)
{
    transfer.lastActivityAt = now();
    if (transfer.stopReason != DownloadFailure::None)
        return 0;
    if (!transfer.redirectTarget.isEmpty()) {
        // The body of a redirect is read to keep the connection, and thrown away.
        transfer.redirectBodyBytes += qint64(size);
        if (transfer.redirectBodyBytes <= limits_.maxBodyBytes)
            return size;
        transfer.stopReason = DownloadFailure::TooLarge;
        return 0;
    }
    if (transfer.body.size() + qint64(size) > limits_.maxBodyBytes) {
        transfer.stopReason = DownloadFailure::TooLarge;
        return 0;
    }
    transfer.body.append(data, qsizetype(size));
    heldBytes_ += qint64(size);
    largestBodyHeld_ = std::max<qint64>(largestBodyHeld_, transfer.body.size());
    mostBytesHeld_ = std::max(mostBytesHeld_, heldBytes_);
    if (!transfer.sawFirstData) {
        transfer.sawFirstData = true;
        firstDataDue_.push_back(transfer.id);
    }
    if (heldBytes_ > limits_.maxHeldBytes) {
        shedLargestBody();
        if (transfer.stopReason != DownloadFailure::None)
            return 0;
    }
    return size;
}

// Fails the transfer that holds the largest body, and lets its memory go at once.
void NetworkDownloadService::shedLargestBody()
{
    Transfer *largest = nullptr;
    for (const auto &entry : transfers_) {
        Transfer *candidate = entry.second.get();
        if (candidate->stopReason == DownloadFailure::None &&
            (!largest || candidate->body.size() > largest->body.size()))
            largest = candidate;
    }
    if (!largest)
        return;
    largest->stopReason = DownloadFailure::TooLarge;
    heldBytes_ -= largest->body.size();
    largest->body = QByteArray();
    failuresDue_.emplace_back(largest->id, DownloadFailure::TooLarge);
}

void NetworkDownloadService::watchSocket(int socket, int what)
{
    std::unique_ptr<SocketWatch> &watch = watches_[socket];
    if (!watch) {
        if (what == CURL_POLL_REMOVE)
            return;
        watch = std::make_unique<SocketWatch>();
        watch->read = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        watch->write = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
        connect(watch->read.get(), &QSocketNotifier::activated, this,
                [this, socket] { drive(socket, CURL_CSELECT_IN); });
        connect(watch->write.get(), &QSocketNotifier::activated, this,
                [this, socket] { drive(socket, CURL_CSELECT_OUT); });
    }
    // CURL_POLL_REMOVE has neither bit: both switch off.
    watch->read->setEnabled((what & CURL_POLL_IN) != 0);
    watch->write->setEnabled((what & CURL_POLL_OUT) != 0);
}

// Lets curl work on a socket or its timer, then sends what that produced.
void NetworkDownloadService::drive(int socket, int direction)
{
    // Every ended hop leaves curl before any notice is sent: a handler may run events. The
    // slots they free go to waiting requests first, and curl sends those at once, so the
    // server already works on them while the responses are handled here.
    std::vector<std::pair<quint64, int>> ended;
    for (;;) {
        int running = 0;
        curl_multi_socket_action(curl_->multi, curl_socket_t(socket), direction, &running);
        const size_t endedBefore = ended.size();
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(curl_->multi, &left)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            char *privateData = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &privateData);
            const auto id = quint64(reinterpret_cast<std::uintptr_t>(privateData));
            const int result = message->data.result;
            if (Transfer *transfer = find(id))
                stopHop(*transfer);
            ended.emplace_back(id, result);
        }
        if (ended.size() == endedBefore || !startWaiting())
            break;
        socket = CURL_SOCKET_TIMEOUT;
        direction = 0;
    }
    deliverNotices();
    for (const auto &[id, result] : ended)
        hopEnded(id, result);
}

void NetworkDownloadService::deliverNotices()
{
    while (!firstDataDue_.empty()) {
        const quint64 id = firstDataDue_.front();
        firstDataDue_.pop_front();
        if (Transfer *transfer = find(id)) {
            const QString key = transfer->key;
            Q_EMIT progress(key, DownloadStatus::FirstData,
                            transfer->url.toString(QUrl::FullyEncoded));
        }
    }
    while (!failuresDue_.empty()) {
        const auto [id, failure] = failuresDue_.front();
        failuresDue_.erase(failuresDue_.begin());
        finish(id, DownloadStatus::Failed, failure);
    }
}

void NetworkDownloadService::hopEnded(quint64 id, int curlResult)
{
    Transfer *transfer = find(id);
    if (!transfer)
        return;
    if (transfer->stopReason != DownloadFailure::None) {
        finish(id, DownloadStatus::Failed, transfer->stopReason);
        return;
    }
    if (curlResult != CURLE_OK) {
        const DownloadFailure failure = failureOf(curlResult);
        if (failure == DownloadFailure::UnknownHost)
            failHost(transfer->url.host().toLower());
        else
            finish(id, DownloadStatus::Failed, failure);
        return;
    }
    if (!transfer->redirectTarget.isEmpty()) {
        followRedirect(id, transfer->redirectTarget);
        return;
    }
    finish(id, DownloadStatus::Finished, DownloadFailure::None);
}

void NetworkDownloadService::checkClocks()
{
    if (transfers_.empty()) {
        clockTimer_.stop();
        return;
    }
    const qint64 at = now();
    std::vector<std::pair<quint64, DownloadFailure>> late;
    for (const auto &[id, transfer] : transfers_) {
        if (transfer->startedAt < 0)
            continue; // still waiting for its first slot
        if (at - transfer->startedAt >= limits_.totalTimeoutMs)
            late.emplace_back(id, DownloadFailure::Deadline);
        else if (!transfer->waiting && at - transfer->lastActivityAt >= limits_.idleTimeoutMs)
            late.emplace_back(id, DownloadFailure::IdleTimeout);
    }
    for (const auto &[id, failure] : late)
        finish(id, DownloadStatus::Failed, failure);
}

void NetworkDownloadService::request(Transfer &transfer, QUrl url)
{
    transfer.url = url;
    const auto unresolved = unresolvedHosts_.constFind(url.host().toLower());
    if (unresolved != unresolvedHosts_.cend()) {
        if (now() - unresolved.value() < unresolvedMemoryMs) {
            failLater(transfer.id, DownloadFailure::UnknownHost);
            return;
        }
        unresolvedHosts_.erase(unresolved);
    }
    const QString host = slotHostOf(url);
    const auto queue = waitingPerHost_.constFind(host);
    const bool othersWait = queue != waitingPerHost_.cend() && !queue->empty();
    if (!othersWait && runningPerHost_.value(host) < limits_.connectionsPerHost) {
        startHop(transfer, url);
        return;
    }
    transfer.waiting = true;
    waitingPerHost_[host].push_back(transfer.id);
}

bool NetworkDownloadService::startWaiting()
{
    bool started = false;
    for (auto queue = waitingPerHost_.begin(); queue != waitingPerHost_.end();) {
        std::deque<quint64> &ids = queue.value();
        while (!ids.empty() && runningPerHost_.value(queue.key()) < limits_.connectionsPerHost) {
            const quint64 id = ids.front();
            ids.pop_front();
            // A transfer cancelled while it waited has left its id behind.
            Transfer *transfer = find(id);
            if (transfer && transfer->waiting) {
                startHop(*transfer, transfer->url);
                started = true;
            }
        }
        if (ids.empty())
            queue = waitingPerHost_.erase(queue);
        else
            ++queue;
    }
    return started;
}

void NetworkDownloadService::startHop(Transfer &transfer, QUrl url)
{
    transfer.waiting = false;
    transfer.url = url;
    transfer.slotHost = slotHostOf(url);
    ++runningPerHost_[transfer.slotHost];
    const qint64 at = now();
    // The total clock starts with the first hop that really starts and runs across redirects.
    if (transfer.startedAt < 0)
        transfer.startedAt = at;
    transfer.lastActivityAt = at;
    transfer.status = 0;
    transfer.location.clear();
    transfer.redirectTarget.clear();
    transfer.redirectBodyBytes = 0;
    transfer.announcedLength = 0;
    heldBytes_ -= transfer.body.size();
    transfer.body.clear();

    const QByteArray address = transfer.url.toString(QUrl::FullyEncoded).toUtf8();
    curl_easy_setopt(transfer.easy, CURLOPT_URL, address.constData());
    // Over TLS a second request waits for the first connection to offer multiplexing.
    curl_easy_setopt(transfer.easy, CURLOPT_PIPEWAIT,
                     long(transfer.url.scheme() == QLatin1String("https")));
    if (curl_multi_add_handle(curl_->multi, transfer.easy) != CURLM_OK) {
        --runningPerHost_[transfer.slotHost];
        transfer.slotHost.clear();
        failLater(transfer.id, DownloadFailure::NetworkError);
    }
}

// Takes the hop out of curl and frees its slot; the transfer itself stays.
void NetworkDownloadService::stopHop(Transfer &transfer)
{
    if (transfer.slotHost.isEmpty())
        return;
    curl_multi_remove_handle(curl_->multi, transfer.easy);
    const auto running = runningPerHost_.find(transfer.slotHost);
    if (running != runningPerHost_.end() && --running.value() <= 0)
        runningPerHost_.erase(running);
    if (waitingPerHost_.contains(transfer.slotHost))
        waitingTimer_.start();
    transfer.slotHost.clear();
}

void NetworkDownloadService::failLater(quint64 id, DownloadFailure failure)
{
    failuresDue_.emplace_back(id, failure);
    failTimer_.start();
}

void NetworkDownloadService::failHost(const QString &hostName)
{
    unresolvedHosts_.insert(hostName, now());
    std::vector<quint64> ids;
    for (const auto &[id, transfer] : transfers_) {
        if (transfer->url.host().toLower() == hostName)
            ids.push_back(id);
    }
    for (const quint64 id : ids)
        finish(id, DownloadStatus::Failed, DownloadFailure::UnknownHost);
}

void NetworkDownloadService::followRedirect(quint64 id, QUrl target)
{
    Transfer *transfer = find(id);
    if (!isWebAddress(target)) {
        finish(id, DownloadStatus::Failed, DownloadFailure::BadRedirect);
        return;
    }
    if (transfer->redirects >= limits_.maxRedirects) {
        finish(id, DownloadStatus::Failed, DownloadFailure::TooManyRedirects);
        return;
    }
    ++transfer->redirects;
    const QString key = transfer->key;
    Q_EMIT progress(key, DownloadStatus::Redirecting, target.toString(QUrl::FullyEncoded));
    // The handler may have cancelled the request, or let its deadline pass.
    if (Transfer *still = find(id))
        request(*still, target);
}

void NetworkDownloadService::finish(quint64 id, int status, DownloadFailure failure)
{
    const std::unique_ptr<Transfer> transfer = take(id);
    if (!transfer)
        return;
    if (status == DownloadStatus::Finished) {
        Q_EMIT completed(transfer->key, status, transfer->body, transfer->announcedLength, failure);
        return;
    }
    Finishing finishing{transfer->key};
    finishing_.push_back(&finishing);
    Q_EMIT progress(finishing.key, DownloadStatus::Failed, describe(failure));
    finishing_.erase(std::find(finishing_.begin(), finishing_.end(), &finishing));
    if (!finishing.cancelled)
        Q_EMIT completed(finishing.key, DownloadStatus::Failed, QByteArray(), 0, failure);
}

std::unique_ptr<NetworkDownloadService::Transfer> NetworkDownloadService::take(quint64 id)
{
    const auto it = transfers_.find(id);
    if (it == transfers_.end())
        return nullptr;
    std::unique_ptr<Transfer> transfer = std::move(it->second);
    transfers_.erase(it);
    stopHop(*transfer);
    heldBytes_ -= transfer->body.size();
    return transfer;
}

NetworkDownloadService::Transfer *NetworkDownloadService::find(quint64 id)
{
    const auto it = transfers_.find(id);
    return it == transfers_.end() ? nullptr : it->second.get();
}

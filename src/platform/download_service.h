#pragma once

// The asynchronous download service of the crawl: one GET per request key, its progress and
// its end reported as the status codes that the download engine reads. Every safety rule of a
// download (size, time, redirects) lives here, so no caller can forget one.

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

// Status codes of the notifications.
namespace DownloadStatus {
inline constexpr int Failed = 0;      // completion: the request failed; no bytes
inline constexpr int Redirecting = 3; // progress: text is the absolute target address
inline constexpr int Finished = 6;    // completion: the body and the announced length
inline constexpr int FirstData = 14;  // progress: the first body bytes arrived; text is the address
} // namespace DownloadStatus

// Why a completion came with status Failed; None with status Finished.
enum class DownloadFailure {
    None,
    NetworkError,     // refused, reset, TLS failure
    CutShort,         // the connection closed before the announced length or the last chunk
    UnknownHost,      // the host name did not resolve
    HttpStatus,       // the server answered 400 or more
    TooLarge,         // Content-Length or the body past maxBodyBytes, or the largest body
                      // held when all bodies together passed maxHeldBytes
    IdleTimeout,      // no data for idleTimeoutMs
    Deadline,         // not finished totalTimeoutMs after beginDownload
    TooManyRedirects, // one more redirect than maxRedirects
    BadRedirect,      // a redirect to anything but an http or https address
};

struct DownloadLimits {
    int idleTimeoutMs = 30000;
    int totalTimeoutMs = 300000;
    qint64 maxBodyBytes = qint64(64) * 1024 * 1024;
    int maxRedirects = 20;
    int connectionsPerHost = 6;
    qint64 maxHeldBytes = qint64(256) * 1024 * 1024; // all bodies in memory together
};

// Notifications are Qt signals emitted on the thread that owns the service (the UI thread),
// never from inside beginDownload, cancelDownload or cancelAllDownloads. For every started
// request the order is: any number of Redirecting, at most one FirstData, then exactly one
// completion, Finished or Failed; a Failed completion follows a Failed progress notice. A cancelled
// request gets no further notification at all: the caller that cancels has already counted it out.
// Handlers may start, cancel and let events run (QCoreApplication::processEvents) freely; they must
// not destroy the service.
class DownloadService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts a GET of address under key. Returns false, starts nothing and sends no
    // notification when the address is not a valid http or https address. Several requests
    // may share a key; each gets its own notifications.
    virtual bool beginDownload(const QString &address, const QString &key) = 0;
    // Aborts every request under key. Unknown keys are ignored.
    virtual void cancelDownload(const QString &key) = 0;
    virtual void cancelAllDownloads() = 0;

Q_SIGNALS:
    void progress(const QString &key, int status, const QString &text);
    // bytes and announcedLength are empty and 0 unless status is Finished; announcedLength is
    // the Content-Length of the final response, 0 when it had none. A Finished body is always
    // whole: a body cut short is a failure.
    void completed(const QString &key, int status, const QByteArray &bytes, qint64 announcedLength,
                   DownloadFailure failure);
};

// The service on libcurl's multi interface, http and https, driven from the Qt event loop of
// the thread that owns it: a socket notifier per socket and direction and one timer, as curl
// asks for them. Notifications are sent only after curl has returned, never from inside one
// of its callbacks, so a handler may start, cancel and let events run.
//
// Redirects are followed here, hop by hop, so each one is reported and checked; relative
// targets are resolved against the address that sent them. Bodies are asked for without
// content coding, so the announced length is the length of the bytes delivered.
//
// At most limits.connectionsPerHost transfers run on one scheme, host and port; the others wait
// in a queue of that host, first in, first out, and their idle and total clocks start when
// their transfer really starts. A redirect to another host frees the slot on the first and
// waits its turn on the second, with its total clock still running. A host name that does not
// resolve fails every request to that host at once, those waiting too, and for a minute
// afterwards new requests to it fail without a lookup.
class NetworkDownloadService final : public DownloadService {
    Q_OBJECT
public:
    explicit NetworkDownloadService(const DownloadLimits &limits = {}, QObject *parent = nullptr);
    ~NetworkDownloadService() override;

    bool beginDownload(const QString &address, const QString &key) override;
    void cancelDownload(const QString &key) override;
    void cancelAllDownloads() override;

    static QByteArray userAgent();
    // Trusts these PEM certificates instead of the system's, for a server of one's own.
    void trustCertificates(const QByteArray &pem);

    // Requests started and not yet finished or cancelled, running or waiting for their turn.
    qsizetype activeDownloads() const { return qsizetype(transfers_.size()); }
    // The most body bytes ever held for one request; never more than maxBodyBytes.
    qint64 largestBodyHeld() const { return largestBodyHeld_; }
    // The most body bytes ever held for all requests together.
    qint64 mostBytesHeld() const { return mostBytesHeld_; }

private:
    struct Transfer;
    struct SocketWatch;
    struct Curl;

    static size_t onHeader(char *data, size_t size, size_t count, void *transfer);
    static size_t onBody(char *data, size_t size, size_t count, void *transfer);
    static int onSocket(void *easy, int socket, int what, void *service, void *socketData);
    static int onCurlTimer(void *multi, long timeoutMs, void *service);

    size_t takeHeaderLine(Transfer &transfer, const char *data, size_t size);
    size_t takeBody(Transfer &transfer, const char *data, size_t size);
    void watchSocket(int socket, int what);
    void drive(int socket, int direction);
    void deliverNotices();
    void hopEnded(quint64 id, int curlResult);
    void checkClocks();
    void shedLargestBody();

    void request(Transfer &transfer, QUrl url);
    void startHop(Transfer &transfer, QUrl url);
    bool startWaiting();
    void stopHop(Transfer &transfer);
    void failLater(quint64 id, DownloadFailure failure);
    void failHost(const QString &hostName);
    void followRedirect(quint64 id, QUrl target);
    void finish(quint64 id, int status, DownloadFailure failure);
    std::unique_ptr<Transfer> take(quint64 id);
    Transfer *find(quint64 id);
    qint64 now() const { return clock_.elapsed(); }

    DownloadLimits limits_;
    std::unique_ptr<Curl> curl_;
    QByteArray trustedPem_;
    QElapsedTimer clock_;
    std::map<quint64, std::unique_ptr<Transfer>> transfers_; // in the order they were started
    QHash<QString, int> runningPerHost_;                     // slot host -> running transfers
    QHash<QString, std::deque<quint64>> waitingPerHost_;     // slot host -> ids, oldest first
    QHash<QString, qint64> unresolvedHosts_;                 // host name -> when its lookup failed
    std::deque<quint64> firstDataDue_;                       // FirstData notices to send
    std::vector<std::pair<quint64, DownloadFailure>> failuresDue_;
    struct Finishing;
    std::vector<Finishing *> finishing_; // requests whose two failure notices are being sent
    // By socket number; a socket curl lets go keeps its watch, switched off, for the next one.
    std::unordered_map<int, std::unique_ptr<SocketWatch>> watches_;
    QTimer curlTimer_;
    QTimer clockTimer_;
    QTimer waitingTimer_;
    QTimer failTimer_;
    quint64 nextId_ = 1;
    qint64 heldBytes_ = 0;
    qint64 largestBodyHeld_ = 0;
    qint64 mostBytesHeld_ = 0;
};

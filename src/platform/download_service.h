#pragma once

// The asynchronous download service of the crawl: one GET per request key, its progress and
// its end reported as the status codes that the download engine reads. Every safety rule of a
// download (size, time, redirects) lives here, so no caller can forget one.

#include <QByteArray>
#include <QHash>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <map>
#include <memory>
#include <vector>

class QNetworkReply;

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
    NetworkError,     // refused, reset, TLS failure, a chunked body cut short
    HttpStatus,       // the server answered 400 or more
    TooLarge,         // Content-Length or the body itself past maxBodyBytes
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
};

// Notifications are Qt signals emitted on the thread that owns the service (the UI thread),
// never from inside beginDownload, cancelDownload or cancelAllDownloads. For every started
// request the order is: any number of Redirecting, at most one FirstData, then exactly one
// completion, Finished or Failed. A cancelled request gets no further notification at all:
// the caller that cancels has already counted it out. Handlers may start, cancel and let
// events run (QCoreApplication::processEvents) freely; they must not destroy the service.
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
    // the Content-Length of the final response, 0 when it had none.
    void completed(const QString &key, int status, const QByteArray &bytes, qint64 announcedLength,
                   DownloadFailure failure);
};

// The service on QNetworkAccessManager, http and https.
//
// Redirects are followed here, hop by hop, so each one is reported and checked; relative
// targets are resolved against the address of the reply that sent them. Bodies are asked for
// without content coding, so the announced length is the length of the bytes delivered. A
// response that announced a Content-Length and whose connection closed before that many bytes
// arrived is delivered as Finished with the bytes it has and the announced length: the engine
// judges completeness by comparing the two. A chunked body cut short is a Failed request.
//
// Qt keeps at most six connections per host and port, and a request that waits inside the
// manager for one of them already runs its idle timer. So the service itself starts at most six
// transfers per scheme, host and port and keeps the others in a queue of that host, first in,
// first out; the idle and total clocks of a request start when its transfer really starts. A
// redirect to another host frees the slot on the first and waits its turn on the second, with
// its total clock still running.
//
// Finished replies are deleted from a zero-timer as soon as no signal of theirs is still being
// delivered, so they are freed while the caller runs a nested event loop for a long grab.
class NetworkDownloadService final : public DownloadService {
    Q_OBJECT
public:
    explicit NetworkDownloadService(const DownloadLimits &limits = {}, QObject *parent = nullptr);
    ~NetworkDownloadService() override;

    bool beginDownload(const QString &address, const QString &key) override;
    void cancelDownload(const QString &key) override;
    void cancelAllDownloads() override;

    static QByteArray userAgent();
    // Transfers started at once on one scheme, host and port; the rest wait their turn.
    static constexpr int TransfersPerHost = 6;

    // Requests started and not yet finished or cancelled, running or waiting for their turn.
    qsizetype activeDownloads() const { return qsizetype(transfers_.size()); }
    // The most transfers that ever ran at once on one host.
    int busiestHost() const { return busiestHost_; }
    // Network replies that still exist, running or waiting to be freed.
    qsizetype liveReplies() const;
    // The most body bytes ever held for one request; never more than maxBodyBytes + 1.
    qint64 largestBodyHeld() const { return largestBodyHeld_; }

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    struct Transfer;
    class ReplyInUse;

    // Starts the hop at once when its host has a free slot, else queues it.
    void request(Transfer &transfer, const QUrl &url);
    void startRequest(Transfer &transfer, const QUrl &url);
    void releaseSlot(Transfer &transfer);
    void startWaiting();
    Transfer *find(quint64 id, const QNetworkReply *reply);
    void onHeaders(quint64 id, QNetworkReply *reply);
    void onData(quint64 id, QNetworkReply *reply);
    void onFinished(quint64 id, QNetworkReply *reply);
    // Each returns false when the request has ended meanwhile.
    bool checkHeaders(Transfer &transfer);
    bool readBody(Transfer &transfer);
    bool reportFirstData(Transfer &transfer);
    void followRedirect(Transfer &transfer, const QUrl &target);
    void finish(quint64 id, int status, DownloadFailure failure);
    std::unique_ptr<Transfer> take(quint64 id);
    void retire(QNetworkReply *reply);
    void sweepReplies();

    DownloadLimits limits_;
    QNetworkAccessManager manager_;
    std::map<quint64, std::unique_ptr<Transfer>> transfers_; // in the order they were started
    QHash<int, quint64> deadlineOwners_;                     // timer id -> transfer id
    QHash<const QNetworkReply *, int> repliesInUse_;         // replies whose signal is running
    std::vector<QPointer<QNetworkReply>> retiredReplies_;
    QTimer sweepTimer_;
    QHash<QString, int> runningPerHost_;                 // host -> transfers holding a slot
    QHash<QString, std::deque<quint64>> waitingPerHost_; // host -> transfer ids, oldest first
    QTimer waitingTimer_;
    int busiestHost_ = 0;
    quint64 nextId_ = 1;
    qint64 largestBodyHeld_ = 0;
};

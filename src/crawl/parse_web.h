#pragma once

#include "crawl/download_engine.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

class DownloadService;
class UpgradeOffer;
enum class DownloadFailure;
struct CrawlContext;

// The download engine: starts downloads under request keys, keeps the requests in flight,
// and hands every finished download to its consumer: a picture to the picture store, a page
// to its parser, the new-version page to the version check. Failures count against their
// folders; a folder that failed six times is refused for the rest of the grab.
class ocxParseWeb : public QObject, public DownloadEngine {
    Q_OBJECT

public:
    // Pages larger than this are parsed one at a time; others of that size meanwhile are
    // dropped.
    static constexpr qsizetype BigPageBytes = 300000;

    // offer may be null: then a newer version is not offered.
    ocxParseWeb(CrawlContext &context, DownloadService &service, UpgradeOffer *offer);
    ~ocxParseWeb() override;

    void BeginDownload(const QString &url, const QString &key) override;
    bool CancelAllDownload() override;

    // Called after every successful download; the driver restarts its dead time there.
    std::function<void()> ResetDeadTime;

    // The keys of the requests in flight, in the order they were started; index 0 is empty
    // and names no request.
    QStringList PendingRequests{QString()};

private:
    void AsyncReadProgress(const QString &key, int status, const QString &text);
    void AsyncReadComplete(const QString &key, int status, const QByteArray &bytes, qint64 bytesMax,
                           DownloadFailure failure);
    void handlePage(const QByteArray &bytes, const QString &key);
    void removePending(const QString &key);
    // Counts a request out of its in-flight count, once: a request already counted out, or
    // dropped by a cancel, is not counted again. Returns true when it counted.
    bool countOut(const QString &key);

    CrawlContext &context_;
    DownloadService &service_;
    UpgradeOffer *offer_;
    QHash<QString, int> outstanding_;
    // Requests counted out by a failure notice whose completion notice may still follow.
    QSet<QString> failedByProgress_;
};

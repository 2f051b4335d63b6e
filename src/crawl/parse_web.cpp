#include "crawl/parse_web.h"

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/text_forms.h"
#include "core/text_ids.h"
#include "crawl/crawl_context.h"
#include "crawl/html_links.h"
#include "crawl/link_queue.h"
#include "crawl/picture_store.h"
#include "crawl/version_check.h"
#include "platform/download_service.h"

namespace {
bool looksLikePicture(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return false;
    const auto first = static_cast<unsigned char>(bytes[0]);
    return first == 'G' || first == 'B' || first == 137 || first == 255;
}
} // namespace

ocxParseWeb::ocxParseWeb(CrawlContext &context, DownloadService &service, UpgradeOffer *offer)
    : context_(context), service_(service), offer_(offer)
{
    connect(&service_, &DownloadService::progress, this, &ocxParseWeb::AsyncReadProgress);
    connect(&service_, &DownloadService::completed, this, &ocxParseWeb::AsyncReadComplete);
}

ocxParseWeb::~ocxParseWeb()
{
    if (PendingRequests.size() > 1)
        service_.cancelAllDownloads();
}

void ocxParseWeb::BeginDownload(const QString &url, const QString &key)
{
    GrabState &grab = context_.grab;
    // The driver adds the request to its in-flight count after this call; a refused request
    // is taken off again at once, so the count stays as it was.
    const auto refuse = [&grab, &key] {
        if (isPictureRequest(key))
            --grab.PicturesInFlight;
        else
            --grab.PagesInFlight;
    };
    if (grab.StopRequested || grab.isBlocked(FolderOf(url)) || !service_.beginDownload(url, key)) {
        refuse();
        return;
    }
    PendingRequests.append(key);
    ++outstanding_[key];
    context_.status.showStatus(1, context_.texts[TextId::Requesting]);
}

bool ocxParseWeb::CancelAllDownload()
{
    context_.status.showStatus(1, context_.texts[TextId::AllStopped]);
    service_.cancelAllDownloads();
    PendingRequests = QStringList{QString()};
    outstanding_.clear();
    failedByProgress_.clear();
    context_.grab.PagesInFlight = 0;
    context_.grab.PicturesInFlight = 0;
    return true;
}

void ocxParseWeb::AsyncReadProgress(const QString &key, int status, const QString &text)
{
    const GrabState &grab = context_.grab;
    switch (status) {
    case DownloadStatus::Failed:
        if (!grab.StopRequested)
            context_.status.showStatus(1, context_.texts[TextId::DownloadFailed]);
        removePending(key);
        if (countOut(key))
            failedByProgress_.insert(key);
        break;
    case DownloadStatus::Redirecting:
        if (grab.StopRequested)
            break;
        MakeLink(context_, text, 0);
        context_.status.showStatus(1, context_.texts[TextId::Redirected]);
        break;
    case DownloadStatus::FirstData:
        if (!grab.StopRequested)
            context_.status.showStatus(1, context_.texts[TextId::Receiving]);
        break;
    default:
        break;
    }
}

void ocxParseWeb::AsyncReadComplete(const QString &key, int status, const QByteArray &bytes,
                                    qint64 bytesMax, DownloadFailure)
{
    if (status == DownloadStatus::Failed) {
        // A failure already announced by a failure notice is the same failure: it counts
        // against its folder once, here, and is not counted out again. A request dropped by a
        // cancel counts nothing at all.
        const bool announced = failedByProgress_.remove(key);
        if (!context_.grab.StopRequested && (announced || outstanding_.contains(key)))
            context_.grab.RecordFailure(requestAddress(key), context_.status, context_.texts);
        removePending(key);
        if (!announced)
            countOut(key);
        return;
    }
    if (status != DownloadStatus::Finished)
        return;

    if (!context_.grab.StopRequested) {
        removePending(key);
        context_.status.showStatus(1, context_.texts[TextId::DownloadCompleted]);
        // The parsers and the picture store let events run: keep copies of what they read.
        const QByteArray body = bytes;
        if (looksLikePicture(body)) {
            // A picture shorter than announced is dropped.
            if (bytesMax == 0 || bytesMax == body.size())
                StorePicture(context_, body, key);
        } else {
            handlePage(body, key);
        }
    }
    if (ResetDeadTime)
        ResetDeadTime();
    countOut(key);
}

void ocxParseWeb::handlePage(const QByteArray &bytes, const QString &key)
{
    GrabState &grab = context_.grab;
    const bool keyword = grab.KeywordSearchMode;
    const bool big = bytes.size() > BigPageBytes;

    if (grab.BigPageParsing) {
        if (big)
            return;
        if (keyword)
            ParseGoogleHtml(context_, textFromBytes(bytes), key);
        else if (key.startsWith(u'X') || key.startsWith(u'M'))
            ParseURLHtml(context_, textFromBytes(bytes), key);
        return;
    }

    if (big)
        grab.BigPageParsing = true;
    if (keyword && key.startsWith(u'U')) {
        if (ParseUpgradeHtml(textFromBytes(bytes)) && offer_)
            offer_->offerUpgrade();
    } else if (keyword) {
        ParseGoogleHtml(context_, textFromBytes(bytes), key);
    } else {
        ParseURLHtml(context_, textFromBytes(bytes), key);
    }
    if (big)
        grab.BigPageParsing = false;
}

void ocxParseWeb::removePending(const QString &key)
{
    const qsizetype index = PendingRequests.indexOf(key, 1);
    if (index >= 1)
        PendingRequests.removeAt(index);
}

bool ocxParseWeb::countOut(const QString &key)
{
    const auto found = outstanding_.find(key);
    if (found == outstanding_.end())
        return false;
    if (--found.value() == 0)
        outstanding_.erase(found);
    if (isPictureRequest(key))
        --context_.grab.PicturesInFlight;
    else
        --context_.grab.PagesInFlight;
    return true;
}

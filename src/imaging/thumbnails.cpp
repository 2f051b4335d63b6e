#include "imaging/thumbnails.h"

#include "imaging/picture_reader.h"
#include "platform/event_pump.h"

#include <QFileInfo>

namespace {

// part * ThumbnailBox / whole, to the nearest whole number, halves to even.
qint32 scaledSide(qint64 part, qint64 whole)
{
    const qint64 product = part * ThumbnailBox;
    qint64 quotient = product / whole;
    const qint64 twiceRest = 2 * (product % whole);
    if (twiceRest > whole || (twiceRest == whole && (quotient & 1) != 0))
        ++quotient;
    return qint32(quotient);
}

} // namespace

QSize thumbnailSize(PictureSize picture)
{
    const qint64 w = picture.Width;
    const qint64 h = picture.Height;
    if (h > w)
        return h > ThumbnailBox ? QSize(scaledSide(w, h), ThumbnailBox) : QSize(int(w), int(h));
    return w > ThumbnailBox ? QSize(ThumbnailBox, scaledSide(h, w)) : QSize(int(w), int(h));
}

Thumbnail decodeThumbnail(const QString &path, qint64 maxPixels)
{
    PictureReader reader(path, maxPixels);
    if (!reader.sizeAllowed())
        return {};
    QSize natural = reader.size();
    // A slot of zero height or width shows nothing, but the file must still prove readable.
    const QSize wanted =
        natural.isValid() ? thumbnailSize({natural.width(), natural.height()}) : QSize();
    QImage image = reader.read(wanted.isValid() ? wanted.expandedTo({1, 1}) : QSize());
    if (image.isNull())
        return {};
    if (!natural.isValid())
        natural = image.size();
    const QSize size = thumbnailSize({natural.width(), natural.height()});
    if (image.size() != size)
        image = size.isEmpty()
                    ? QImage()
                    : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return {{natural.width(), natural.height()}, image};
}

ThumbnailCache::ThumbnailCache(int capacity, int threads) : cache_(capacity), inline_(threads <= 0)
{
    if (!inline_)
        pool_.setMaxThreadCount(threads);
}

ThumbnailCache::~ThumbnailCache()
{
    pool_.clear();
    pool_.waitForDone();
}

ThumbnailCache::Stamp ThumbnailCache::stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {info.size(), info.lastModified().toMSecsSinceEpoch()};
}

void ThumbnailCache::prefetch(const QStringList &paths)
{
    if (inline_)
        return;
    for (const QString &path : paths) {
        const Stamp stamp = stampOf(path);
        const Entry *cached = cache_.object(path);
        if (cached && cached->stamp == stamp)
            continue;
        const auto pending = pending_.constFind(path);
        if (pending != pending_.cend() && (*pending)->stamp == stamp)
            continue;
        start(path, stamp);
    }
}

Thumbnail ThumbnailCache::get(const QString &path, EventPump &events)
{
    const Stamp stamp = stampOf(path);
    if (const Entry *cached = cache_.object(path); cached && cached->stamp == stamp)
        return cached->thumbnail;
    std::shared_ptr<Job> job = pending_.value(path);
    if (!job || job->stamp != stamp)
        job = start(path, stamp);
    while (!job->done)
        events.waitForEvents();
    return job->result;
}

std::shared_ptr<ThumbnailCache::Job> ThumbnailCache::start(const QString &path, Stamp stamp)
{
    auto job = std::make_shared<Job>();
    job->stamp = stamp;
    pending_.insert(path, job);
    if (inline_) {
        finish(path, job, decodeThumbnail(path));
        return job;
    }
    pool_.start([this, path, job] {
        const Thumbnail result = decodeThumbnail(path);
        QMetaObject::invokeMethod(
            this, [this, path, job, result] { finish(path, job, result); }, Qt::QueuedConnection);
    });
    return job;
}

void ThumbnailCache::finish(const QString &path, const std::shared_ptr<Job> &job,
                            const Thumbnail &result)
{
    ++decodes_;
    job->result = result;
    job->done = true;
    if (pending_.value(path) == job) {
        pending_.remove(path);
        cache_.insert(path, new Entry{job->stamp, result});
    }
}

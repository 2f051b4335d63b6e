#include "viewer/picture_cache.h"

#include <QFileInfo>
#include <QPromise>

#include <algorithm>

PictureCache::PictureCache(Decoder decoder, AheadFilter aheadFilter)
    : decoder_(std::move(decoder)), aheadFilter_(std::move(aheadFilter))
{
    worker_.setMaxThreadCount(1);
}

PictureCache::~PictureCache()
{
    for (auto &entry : entries_)
        entry.wanted->store(false);
    worker_.waitForDone();
}

PictureCache::Stamp PictureCache::stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {info.size(), info.lastModified()};
}

PictureCache::Decoded PictureCache::decodeNow(const QString &path)
{
    // The stamp is taken before the decode: a file that changes meanwhile looks changed to
    // the next look-up and is decoded again.
    Decoded decoded{{}, stampOf(path)};
    decoded.image = decoder_(path);
    ++decodes_;
    return decoded;
}

QImage PictureCache::picture(const QString &path)
{
    auto held = std::find_if(entries_.begin(), entries_.end(),
                             [&path](const Entry &entry) { return entry.path == path; });
    if (held != entries_.end()) {
        const Decoded early = held->result.result();
        if (early.stamp == stampOf(path))
            return early.image;
        drop(held);
    }
    Entry entry{path, QtFuture::makeReadyFuture(decodeNow(path)),
                std::make_shared<std::atomic_bool>(true)};
    QImage image = entry.result.result().image;
    entries_.push_back(std::move(entry));
    return image;
}

void PictureCache::keepAround(const QString &current, const QStringList &neighbours)
{
    for (auto entry = entries_.begin(); entry != entries_.end();) {
        if (entry->path != current && !neighbours.contains(entry->path))
            drop(entry);
        else
            ++entry;
    }
    for (const QString &path : neighbours) {
        const bool held = std::any_of(entries_.begin(), entries_.end(),
                                      [&path](const Entry &entry) { return entry.path == path; });
        if (decodeAhead && !held && path != current && heldCount() < MaxHeld)
            startAhead(path);
    }
}

void PictureCache::startAhead(const QString &path)
{
    auto promise = std::make_shared<QPromise<Decoded>>();
    auto wanted = std::make_shared<std::atomic_bool>(true);
    entries_.push_back({path, promise->future(), wanted});
    promise->start();
    worker_.start([this, promise, wanted, path] {
        // A neighbour dropped before its turn, or too large to hold ahead, is not decoded; a
        // later look-up finds no usable stamp and decodes it then.
        Decoded decoded;
        if (wanted->load() && (!aheadFilter_ || aheadFilter_(path)))
            decoded = decodeNow(path);
        promise->addResult(std::move(decoded));
        promise->finish();
    });
}

bool PictureCache::aheadPending() const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const Entry &entry) { return !entry.result.isFinished(); });
}

void PictureCache::forget(const QString &path)
{
    auto held = std::find_if(entries_.begin(), entries_.end(),
                             [&path](const Entry &entry) { return entry.path == path; });
    if (held != entries_.end())
        drop(held);
}

void PictureCache::drop(std::vector<Entry>::iterator entry)
{
    entry->wanted->store(false);
    entries_.erase(entry);
}

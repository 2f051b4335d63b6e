#pragma once

#include <QDateTime>
#include <QFuture>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// The decoded pictures the viewer holds: the one shown and its neighbours, which a worker
// thread decodes ahead so that paging does not wait for the decoder. At most three pictures
// are held; a file that changed on disk since its decode is decoded again.
class PictureCache {
public:
    // Decodes a file at its own size; a null picture for a file that cannot be decoded.
    // Called on the worker thread as well as on the caller's.
    using Decoder = std::function<QImage(const QString &path)>;
    // Whether a file is small enough to be decoded ahead.
    using AheadFilter = std::function<bool(const QString &path)>;

    static constexpr int MaxHeld = 3;

    explicit PictureCache(Decoder decoder, AheadFilter aheadFilter = {});
    ~PictureCache();
    PictureCache(const PictureCache &) = delete;
    PictureCache &operator=(const PictureCache &) = delete;

    // The picture of path: the early decode when the file has not changed since, otherwise a
    // decode now. Waits for an early decode that is still running.
    QImage picture(const QString &path);
    // Keeps the pictures of current and its neighbours, drops the rest, and starts decoding the
    // neighbours that are not held yet.
    void keepAround(const QString &current, const QStringList &neighbours);
    // Drops the picture of path, for instance once the viewer has transformed its own copy.
    void forget(const QString &path);

    // Whether neighbours are decoded ahead; the benchmark turns it off to compare.
    bool decodeAhead = true;

    // Whether a decode ahead is still running or waiting for the worker.
    bool aheadPending() const;

    // Pictures held or being decoded.
    int heldCount() const { return static_cast<int>(entries_.size()); }
    // Decodes done so far, early or not: a test and the benchmark tell a hit from a miss.
    int decodeCount() const { return decodes_.load(); }

private:
    struct Stamp {
        qint64 size = -1;
        QDateTime modified;
        friend bool operator==(const Stamp &, const Stamp &) = default;
    };
    struct Decoded {
        QImage image;
        Stamp stamp;
    };
    struct Entry {
        QString path;
        QFuture<Decoded> result;
        std::shared_ptr<std::atomic_bool> wanted;
    };

    static Stamp stampOf(const QString &path);
    Decoded decodeNow(const QString &path);
    void startAhead(const QString &path);
    void drop(std::vector<Entry>::iterator entry);

    Decoder decoder_;
    AheadFilter aheadFilter_;
    std::atomic_int decodes_ = 0;
    std::vector<Entry> entries_;
    QThreadPool worker_;
};

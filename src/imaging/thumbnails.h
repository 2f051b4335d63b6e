#pragma once

#include "imaging/picture_scaling.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QThreadPool>

#include <memory>

class EventPump;

// The side of the square a thumbnail must fit into.
inline constexpr int ThumbnailBox = 80;

// The size a picture is shown at in a thumbnail slot: reduced in proportion to fit into
// ThumbnailBox x ThumbnailBox, never enlarged, the reduced side rounded halves to even.
QSize thumbnailSize(PictureSize picture);

struct Thumbnail {
    PictureSize picture; // the picture's own size; {0, 0} when the file cannot be decoded
    QImage image;        // thumbnailSize(picture) over white; null when it cannot be decoded
};

// Reads the picture's size from its header and decodes only as many pixels as the thumbnail
// shows (a JPEG decodes at 1/2, 1/4 or 1/8 of its size).
Thumbnail decodeThumbnail(const QString &path, qint64 maxPixels = MaxPicturePixels);

// Thumbnails of the files last shown, each kept as long as its file keeps its path, size and
// modification time. Decoding runs on worker threads; whoever waits for a result lets events
// run through an EventPump meanwhile. Used from one thread.
class ThumbnailCache : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultCapacity = 100;

    // threads 0 decodes in the calling thread, within get().
    explicit ThumbnailCache(int capacity = DefaultCapacity,
                            int threads = QThread::idealThreadCount());
    ~ThumbnailCache() override;

    // Starts decoding those files whose current version is neither cached nor on its way.
    void prefetch(const QStringList &paths);
    // The thumbnail of the file as it is now: the cached one when the file is unchanged,
    // otherwise decoded, waiting through events until a worker delivers it.
    Thumbnail get(const QString &path, EventPump &events);
    // Files decoded so far.
    int decodes() const { return decodes_; }

private:
    struct Stamp {
        qint64 size = -1;
        qint64 modified = -1;
        friend bool operator==(const Stamp &, const Stamp &) = default;
    };
    struct Entry {
        Stamp stamp;
        Thumbnail thumbnail;
    };
    struct Job {
        Stamp stamp;
        Thumbnail result;
        bool done = false;
    };

    static Stamp stampOf(const QString &path);
    std::shared_ptr<Job> start(const QString &path, Stamp stamp);
    void finish(const QString &path, const std::shared_ptr<Job> &job, const Thumbnail &result);

    QCache<QString, Entry> cache_;
    QHash<QString, std::shared_ptr<Job>> pending_;
    QThreadPool pool_;
    bool inline_;
    int decodes_ = 0;
};

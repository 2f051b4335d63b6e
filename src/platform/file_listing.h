#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <memory>
#include <optional>

class EventPump;

// Names of the plain files of a folder that match a wildcard pattern such as "*.lan",
// matched without regard to case and sorted by name without regard to case.
class FileListing {
public:
    virtual ~FileListing() = default;
    virtual QStringList list(const QString &folder, const QString &pattern) const = 0;
};

class DirFileListing final : public FileListing {
public:
    QStringList list(const QString &folder, const QString &pattern) const override;
};

// Lists a folder on a worker thread and keeps the last finished listing, so that a window
// looking at a large folder never waits for it. A listing is taken again when the folder's
// modification time is no longer the one the last listing saw, or when that time was too
// recent to trust: a change within the same tick of the file system's clock leaves it unchanged.
// Used from one thread.
class FolderListing final : public QObject {
    Q_OBJECT

public:
    // With background false, listings are taken in the calling thread, within the calls below.
    explicit FolderListing(const FileListing &inner, bool background = true);
    ~FolderListing() override;

    // The names the last finished listing of folder with pattern found; none before the first
    // one finished. Starts a new listing when the folder changed since.
    std::optional<QStringList> latest(const QString &folder, const QString &pattern);
    // The names of folder as it is now: when the last listing is out of date, waits for a new
    // one, letting events run meanwhile.
    QStringList current(const QString &folder, const QString &pattern, EventPump &events);
    // Listings finished so far.
    int listings() const { return listings_; }

Q_SIGNALS:
    // A listing nobody waited for finished, and its names differ from the listing before.
    void changed();

private:
    static constexpr qint64 SettledMs = 3000;

    struct Listing {
        QString folder;
        QString pattern;
        QDateTime modified;
        bool settled = false;
        QStringList names;

        // Taken of folder with pattern while its modification time was the one given.
        bool sees(const QString &f, const QString &p, const QDateTime &m) const
        {
            return m.isValid() && modified == m && folder == f && pattern == p;
        }
    };
    struct Job {
        Listing listing;
        bool waited = false;
        bool done = false;
    };

    std::shared_ptr<Job> listingOf(const QString &folder, const QString &pattern);
    void finish(const std::shared_ptr<Job> &job);

    const FileListing &inner_;
    bool background_;
    QThreadPool pool_;
    std::optional<Listing> last_;
    std::shared_ptr<Job> pending_;
    int listings_ = 0;
};

#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

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

// Hands out the last listing of a folder again while the folder's modification time stays what
// it was, so that looking at a large unchanged folder costs one status call. A listing taken
// while the folder's time was recent is not kept: a change within the same tick of the file
// system's clock would leave the time unchanged.
class CachedFileListing final : public FileListing {
public:
    explicit CachedFileListing(const FileListing &inner) : inner_(inner) {}
    QStringList list(const QString &folder, const QString &pattern) const override;

private:
    static constexpr qint64 SettledMs = 3000;

    struct Listing {
        QString folder;
        QString pattern;
        QDateTime modified;
        QStringList names;
    };
    const FileListing &inner_;
    mutable std::optional<Listing> last_;
};

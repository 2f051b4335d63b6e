#include "platform/file_listing.h"

#include <QDir>
#include <QFileInfo>

QStringList DirFileListing::list(const QString &folder, const QString &pattern) const
{
    QDir dir(folder);
    // A pattern may name several globs separated by ";", as a file list box takes them.
    dir.setNameFilters(pattern.split(u';', Qt::SkipEmptyParts));
    dir.setFilter(QDir::Files | QDir::Readable);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

QStringList CachedFileListing::list(const QString &folder, const QString &pattern) const
{
    const QDateTime modified = QFileInfo(folder).lastModified().toUTC();
    if (last_ && modified.isValid() && last_->modified == modified && last_->folder == folder &&
        last_->pattern == pattern)
        return last_->names;
    const QDateTime listedAt = QDateTime::currentDateTimeUtc();
    QStringList names = inner_.list(folder, pattern);
    if (modified.isValid() && modified.msecsTo(listedAt) > SettledMs)
        last_ = Listing{folder, pattern, modified, names};
    else
        last_.reset();
    return names;
}

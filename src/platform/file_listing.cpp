#include "platform/file_listing.h"

#include <QDir>

QStringList DirFileListing::list(const QString &folder, const QString &pattern) const
{
    QDir dir(folder);
    // A pattern may name several globs separated by ";", as a file list box takes them.
    dir.setNameFilters(pattern.split(u';', Qt::SkipEmptyParts));
    dir.setFilter(QDir::Files | QDir::Readable);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

#include "core/picture_files.h"

#include "platform/file_listing.h"

#include <limits>
#include <utility>

void PictureFiles::refresh(const FileListing &listing, const QString &folder)
{
    assign(folder, listing.list(folder, pattern()));
}

void PictureFiles::assign(const QString &folder, QStringList names)
{
    ListedFolder = folder;
    entries = std::move(names);
    // The count is a 16-bit value; a larger folder lists its first 32767 pictures.
    constexpr int Max = std::numeric_limits<qint16>::max();
    if (entries.size() > Max)
        entries = entries.mid(0, Max);
    ImageFileCount = static_cast<qint16>(entries.size());
}

QString PictureFiles::path(int index) const
{
    if (index < 0 || index >= entries.size())
        return {};
    return ListedFolder + u'/' + entries.at(index);
}

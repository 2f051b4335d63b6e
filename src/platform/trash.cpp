#include "platform/trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
// A trashed file lies in "files" of a trash folder: the home trash "Trash", or on another
// drive ".Trash-<uid>" or ".Trash/<uid>".
bool inTrashFolder(const QString &path)
{
    QDir files = QFileInfo(path).absoluteDir();
    if (files.dirName() != u"files")
        return false;
    QDir trash = files;
    if (!trash.cdUp())
        return false;
    const QString name = trash.dirName();
    if (name == u"Trash" || name.startsWith(u".Trash-"))
        return true;
    return trash.cdUp() && trash.dirName() == u".Trash";
}
} // namespace

bool DesktopTrash::RecycleFile(const QString &path)
{
    // Qt makes the home trash only inside an existing data folder, and when it cannot make one
    // it moves the file into "files" under the working folder instead. So the data folder is
    // made first, and a file that lands outside a trash folder is put back.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QString trashed;
    if (!QFile::moveToTrash(path, &trashed))
        return false;
    if (inTrashFolder(trashed))
        return true;
    const QFileInfo stray(trashed);
    QFile::rename(trashed, path);
    QDir folder = stray.absoluteDir();
    folder.cdUp();
    QFile::remove(
        folder.filePath(QStringLiteral("info/") + stray.fileName() + QStringLiteral(".trashinfo")));
    folder.rmdir(QStringLiteral("info"));
    folder.rmdir(QStringLiteral("files"));
    return false;
}

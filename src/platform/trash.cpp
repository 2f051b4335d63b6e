#include "platform/trash.h"

#include <QFile>

bool DesktopTrash::RecycleFile(const QString &path)
{
    return QFile::moveToTrash(path);
}

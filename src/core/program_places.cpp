#include "core/program_places.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

UserFolders UserFolders::ofCurrentUser()
{
    return {QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)};
}

QString installedLanguageFolder(const QString &programFolder)
{
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/zovarode/lang"));
}

DataPlaces dataPlaces(const QString &programFolder, bool installed, const UserFolders &user)
{
    const QFileInfo folder(programFolder);
    if (!installed && folder.isDir() && folder.isWritable())
        return {programFolder, programFolder + QStringLiteral("/pictures")};
    return {user.data + QStringLiteral("/Zovarode"), user.pictures + QStringLiteral("/Zovarode")};
}

#include "core/program_places.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ProgramPlaces, InstalledLanguageFolderIsBesideTheBinFolder)
{
    EXPECT_EQ(installedLanguageFolder(QStringLiteral("/usr/bin")),
              QStringLiteral("/usr/share/zovarode/lang"));
    EXPECT_EQ(installedLanguageFolder(QStringLiteral("/home/u/.local/bin/")),
              QStringLiteral("/home/u/.local/share/zovarode/lang"));
}

TEST(ProgramPlaces, OnlyAWritablePortableProgramFolderKeepsTheData)
{
    QTemporaryDir dir;
    const QString program = dir.path();
    const QString missing = dir.filePath(QStringLiteral("gone/bin"));
    const UserFolders user{QStringLiteral("/home/u/Pictures"),
                           QStringLiteral("/home/u/.local/share")};
    const struct {
        QString programFolder;
        bool installed;
        QString projectFolder;
        QString pictureFolder;
    } cases[] = {
        {program, false, program, program + QStringLiteral("/pictures")},
        {program, true, QStringLiteral("/home/u/.local/share/Zovarode"),
         QStringLiteral("/home/u/Pictures/Zovarode")},
        {missing, false, QStringLiteral("/home/u/.local/share/Zovarode"),
         QStringLiteral("/home/u/Pictures/Zovarode")},
    };
    for (const auto &c : cases) {
        const DataPlaces places = dataPlaces(c.programFolder, c.installed, user);
        EXPECT_EQ(places.projectFolder, c.projectFolder) << c.programFolder.toStdString();
        EXPECT_EQ(places.defaultPictureFolder, c.pictureFolder) << c.programFolder.toStdString();
    }
}

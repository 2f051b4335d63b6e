#include "core/program_places.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ProgramPlaces, OnlyAWritablePortableProgramFolderKeepsTheData)
{
    EXPECT_EQ(installedLanguageFolder(u"/u/bin/"_s), u"/u/share/zovarode/lang"_s);
    QTemporaryDir dir;
    const UserFolders user{u"/u/Pictures"_s, u"/u/.local/share"_s};
    for (const auto &[folder, installed, places] :
         {std::tuple{dir.path(), false, QString(dir.path() + u' ' + dir.filePath(u"pictures"_s))},
          {dir.path(), true, u"/u/.local/share/Zovarode /u/Pictures/Zovarode"_s},
          {dir.filePath(u"gone"_s), false, u"/u/.local/share/Zovarode /u/Pictures/Zovarode"_s}}) {
        const DataPlaces chosen = dataPlaces(folder, installed, user);
        EXPECT_EQ(chosen.projectFolder + u' ' + chosen.defaultPictureFolder, places);
    }
}

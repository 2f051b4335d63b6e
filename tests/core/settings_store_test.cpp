#include "core/settings_store.h"
#include "platform/settings_backend.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(SettingsStore, FirstRunStoresTheDefaultsAndEveryWriterKeepsWhatTheOthersWrote)
{
    QTemporaryDir dir;
    IniSettingsBackend backend(dir.filePath(u"settings.ini"_s));
    SettingsStore store(backend, dir.path());
    ASSERT_TRUE(store.IsFirstRun());
    const Settings defaults{.Download_File_Folder = dir.filePath(u"pictures"_s)};
    EXPECT_EQ(store.WriteDefaultSettings(), defaults);
    EXPECT_TRUE(QDir(defaults.Download_File_Folder).exists() && !store.IsFirstRun());
    EXPECT_EQ(backend.read(SettingsStore::ImageKey, u"GIF_Download"_s), u"True"_s);

    const Settings changed{false, false,        false,          false, false, true, true,
                           true,  -5,           2048,           70000, 0,     9999, false,
                           0,     u"Holiday"_s, u"/tmp/a, b"_s, 1,     16};
    store.SaveDisplayMode(0);
    Settings otherMode = changed;
    otherMode.Images_Display_Mode = 1;
    store.SaveResourceSetting(otherMode);
    store.SaveProjectList(changed, {u"new"_s, QString(1000, u'b')});
    IniSettingsBackend later(dir.filePath(u"settings.ini"_s));
    ProjectList projects;
    EXPECT_EQ(SettingsStore(later, dir.path()).LoadSettings(projects), changed);
    EXPECT_EQ(projects, (ProjectList{u"new"_s, QString(1000, u'b')}));

    // Values that do not convert take their defaults.
    backend.write(SettingsStore::ImageKey, u"Images_Width"_s, u"32768"_s);
    EXPECT_EQ(store.LoadSettings(projects).Images_Width, defaults.Images_Width);
    for (const auto &[text, connections] : {std::pair{u"0", int(defaults.Connections_Per_Host)},
                                            {u"1", 1},
                                            {u"16", 16},
                                            {u"17", int(defaults.Connections_Per_Host)}}) {
        backend.write(SettingsStore::ResSettingKey, u"Connections_Per_Host"_s,
                      QString::fromUtf16(text));
        EXPECT_EQ(store.LoadSettings(projects).Connections_Per_Host, connections);
    }
}

#include "core/settings_store.h"
#include "platform/settings_backend.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
std::string dump(const Settings &s)
{
    std::string text;
    for (const int value :
         {int(s.GIF_Download), int(s.JPG_Download), int(s.JPEG_Download), int(s.BMP_Download),
          int(s.PNG_Download), int(s.Limited_Images_Resolution), int(s.Limited_Images_Size),
          int(s.StayOnSameSite), int(s.Images_Width), int(s.Images_Height), s.Images_File_Size,
          s.FileFromNum, s.FileToNum, int(s.FileOverwrite), int(s.Images_Display_Mode),
          int(s.NeverUpgrade), int(s.Connections_Per_Host)})
        text += std::to_string(value) + ' ';
    return text + QString(s.Download_File_Name + u'|' + s.Download_File_Folder).toStdString();
}
} // namespace

TEST(SettingsStore, FirstRunStoresTheDefaultsAndEveryWriterKeepsWhatTheOthersWrote)
{
    QTemporaryDir dir;
    IniSettingsBackend backend(dir.filePath(u"settings.ini"_s));
    SettingsStore store(backend, dir.path());
    ASSERT_TRUE(store.IsFirstRun());
    const Settings defaults{.Download_File_Folder = dir.filePath(u"pictures"_s)};
    EXPECT_EQ(dump(store.WriteDefaultSettings()), dump(defaults));
    EXPECT_TRUE(QDir(defaults.Download_File_Folder).exists() && !store.IsFirstRun());
    EXPECT_EQ(backend.read(SettingsStore::ImageKey, u"GIF_Download"_s), u"True"_s);

    const Settings changed{false, false,        false,          false, false, true, true,
                           true,  -5,           2048,           70000, 0,     9999, false,
                           0,     u"Holiday"_s, u"/tmp/a, b"_s, 1,     16};
    store.SaveDisplayMode(0);
    Settings otherMode = changed;
    otherMode.Images_Display_Mode = 1;
    store.SaveResourceSetting(otherMode);
    store.SaveProjectList(changed, {u"a"_s, u"b"_s, u"c"_s});
    store.SaveProjectList(changed, {u"new"_s, QString(1000, u'b')});
    IniSettingsBackend later(dir.filePath(u"settings.ini"_s));
    ProjectList projects;
    EXPECT_EQ(dump(SettingsStore(later, dir.path()).LoadSettings(projects)), dump(changed));
    EXPECT_EQ(projects, (ProjectList{u"new"_s, QString(1000, u'b')}));
    EXPECT_EQ(later.read(SettingsStore::ResSettingKey, u"Project3"_s), std::nullopt);

    // Values that are missing or do not convert take their defaults.
    backend.deleteKey(SettingsStore::ImageKey);
    backend.deleteKey(SettingsStore::ResSettingKey);
    for (const auto &[name, text] : {std::pair{u"ProjectNum", u"3"},
                                     {u"Project1", u"one"},
                                     {u"Project3", u"three"},
                                     {u"NeverUpgrade", u" 2.5 later"},
                                     {u"Connections_Per_Host", u"17"}})
        backend.write(SettingsStore::ResSettingKey, QString::fromUtf16(name),
                      QString::fromUtf16(text));
    backend.write(SettingsStore::ImageKey, u"Images_Width"_s, u"32768"_s);
    backend.write(SettingsStore::ImageKey, u"GIF_Download"_s, u"maybe"_s);
    Settings expected = defaults;
    expected.NeverUpgrade = 2;
    EXPECT_EQ(dump(store.LoadSettings(projects)), dump(expected));
    EXPECT_EQ(projects, (ProjectList{u"one"_s, u"three"_s}));
    for (const auto &[text, connections] :
         {std::pair{u"0", int(defaults.Connections_Per_Host)}, {u"1", 1}, {u"16", 16}}) {
        backend.write(SettingsStore::ResSettingKey, u"Connections_Per_Host"_s,
                      QString::fromUtf16(text));
        EXPECT_EQ(store.LoadSettings(projects).Connections_Per_Host, connections);
    }
}

#include "core/settings_store.h"
#include "platform/settings_backend.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
const QString &Image = SettingsStore::ImageKey;
const QString &Res = SettingsStore::ResSettingKey;

class SettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString iniPath = dir.filePath(QStringLiteral("settings.ini"));
    QString programFolder = dir.filePath(QStringLiteral("program"));
};
} // namespace

TEST_F(SettingsStoreTest, FirstRunStoresTheNineteenDefaultsAndCreatesThePictureFolder)
{
    IniSettingsBackend backend(iniPath);
    SettingsStore store(backend, programFolder);
    ASSERT_TRUE(store.IsFirstRun());

    const Settings settings = store.WriteDefaultSettings();
    EXPECT_TRUE(QDir(programFolder + QStringLiteral("/pictures")).exists());
    EXPECT_FALSE(store.IsFirstRun());

    IniSettingsBackend reread(iniPath);
    const std::pair<QString, QString> expected[] = {
        {QStringLiteral("GIF_Download"), QStringLiteral("True")},
        {QStringLiteral("JPG_Download"), QStringLiteral("True")},
        {QStringLiteral("JPEG_Download"), QStringLiteral("True")},
        {QStringLiteral("BMP_Download"), QStringLiteral("True")},
        {QStringLiteral("PNG_Download"), QStringLiteral("True")},
        {QStringLiteral("Limited_Images_Resolution"), QStringLiteral("False")},
        {QStringLiteral("Limited_Images_Size"), QStringLiteral("False")},
        {QStringLiteral("StayOnSameSite"), QStringLiteral("False")},
        {QStringLiteral("Images_Width"), QStringLiteral("100")},
        {QStringLiteral("Images_Height"), QStringLiteral("100")},
        {QStringLiteral("Images_File_Size"), QStringLiteral("10")},
        {QStringLiteral("FileFromNum"), QStringLiteral("1")},
        {QStringLiteral("FileToNum"), QStringLiteral("50")},
        {QStringLiteral("FileOverwrite"), QStringLiteral("True")},
        {QStringLiteral("Images_Display_Mode"), QStringLiteral("1")},
    };
    for (const auto &[name, text] : expected)
        EXPECT_EQ(reread.read(Image, name), text) << name.toStdString();
    EXPECT_EQ(reread.read(Res, QStringLiteral("Download_File_Name")), QStringLiteral("Catch"));
    EXPECT_EQ(reread.read(Res, QStringLiteral("Download_File_Folder")),
              programFolder + QStringLiteral("/pictures"));
    EXPECT_EQ(reread.read(Res, QStringLiteral("ProjectNum")), QStringLiteral("0"));
    EXPECT_EQ(reread.read(Res, QStringLiteral("NeverUpgrade")), QStringLiteral("0"));
    EXPECT_EQ(reread.read(Res, QStringLiteral("Project1")), std::nullopt);

    EXPECT_EQ(settings.Download_File_Folder, programFolder + QStringLiteral("/pictures"));
    EXPECT_EQ(settings.FileToNum, 50);
    EXPECT_TRUE(settings.GIF_Download);
    EXPECT_FALSE(settings.StayOnSameSite);
}

TEST_F(SettingsStoreTest, LaterRunReadsBackEveryChangedValue)
{
    Settings changed;
    changed.GIF_Download = false;
    changed.PNG_Download = false;
    changed.Limited_Images_Resolution = true;
    changed.StayOnSameSite = true;
    changed.Images_Width = -5;
    changed.Images_Height = 2048;
    changed.Images_File_Size = 10240;
    changed.FileFromNum = 0;
    changed.FileToNum = 9999;
    changed.FileOverwrite = false;
    changed.Download_File_Name = QStringLiteral("Holiday");
    changed.Download_File_Folder = QStringLiteral("/tmp/Some Folder, with comma");
    changed.NeverUpgrade = 1;
    const ProjectList projects{QStringLiteral("newest"), QString(254, u'a'), QString(1000, u'b')};
    {
        IniSettingsBackend backend(iniPath);
        SettingsStore store(backend, programFolder);
        store.WriteDefaultSettings();
        store.SaveResourceSetting(changed);
        store.SaveDisplayMode(0);
        store.SaveProjectList(changed, projects);
    }
    IniSettingsBackend backend(iniPath);
    SettingsStore store(backend, programFolder);
    ProjectList loaded;
    const Settings s = store.LoadSettings(loaded);
    EXPECT_FALSE(s.GIF_Download);
    EXPECT_TRUE(s.JPG_Download);
    EXPECT_FALSE(s.PNG_Download);
    EXPECT_TRUE(s.Limited_Images_Resolution);
    EXPECT_FALSE(s.Limited_Images_Size);
    EXPECT_TRUE(s.StayOnSameSite);
    EXPECT_EQ(s.Images_Width, -5);
    EXPECT_EQ(s.Images_Height, 2048);
    EXPECT_EQ(s.Images_File_Size, 10240);
    EXPECT_EQ(s.FileFromNum, 0);
    EXPECT_EQ(s.FileToNum, 9999);
    EXPECT_FALSE(s.FileOverwrite);
    EXPECT_EQ(s.Images_Display_Mode, 0);
    EXPECT_EQ(s.Download_File_Name, QStringLiteral("Holiday"));
    EXPECT_EQ(s.Download_File_Folder, changed.Download_File_Folder);
    EXPECT_EQ(s.NeverUpgrade, 1) << "the history writer keeps the choice";
    EXPECT_EQ(loaded, projects) << "values of any length read back whole, Project1 first";
}

TEST_F(SettingsStoreTest, HistoryWriterRewritesTheKeyInOrder)
{
    IniSettingsBackend backend(iniPath);
    SettingsStore store(backend, programFolder);
    Settings settings = store.WriteDefaultSettings();
    store.SaveProjectList(settings,
                          {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    store.SaveProjectList(settings, {QStringLiteral("only")});
    EXPECT_EQ(store.ReadRegistryValue(Res, QStringLiteral("ProjectNum")), QStringLiteral("1"));
    EXPECT_EQ(store.ReadRegistryValue(Res, QStringLiteral("Project1")), QStringLiteral("only"));
    EXPECT_EQ(backend.read(Res, QStringLiteral("Project2")), std::nullopt)
        << "deleting the key removes entries beyond the new count";

    store.SaveProjectList(settings, {});
    ProjectList loaded{QStringLiteral("stale")};
    store.LoadSettings(loaded);
    EXPECT_TRUE(loaded.isEmpty());
}

TEST_F(SettingsStoreTest, MissingOrUnconvertibleValuesTakeTheirDefaults)
{
    IniSettingsBackend backend(iniPath);
    backend.write(Image, QStringLiteral("GIF_Download"), QStringLiteral("maybe"));
    backend.write(Image, QStringLiteral("JPG_Download"), QStringLiteral("0"));
    backend.write(Image, QStringLiteral("Images_Width"), QStringLiteral("40000"));
    backend.write(Image, QStringLiteral("Images_Height"), QStringLiteral("wide"));
    backend.write(Image, QStringLiteral("FileToNum"), QStringLiteral(" 77 "));
    backend.write(Res, QStringLiteral("ProjectNum"), QStringLiteral("3"));
    backend.write(Res, QStringLiteral("Project1"), QStringLiteral("one"));
    backend.write(Res, QStringLiteral("Project3"), QStringLiteral("three"));
    backend.write(Res, QStringLiteral("NeverUpgrade"), QStringLiteral("  2.5 later"));
    SettingsStore store(backend, programFolder);
    ASSERT_FALSE(store.IsFirstRun());

    ProjectList projects;
    const Settings s = store.LoadSettings(projects);
    EXPECT_TRUE(s.GIF_Download);
    EXPECT_FALSE(s.JPG_Download);
    EXPECT_EQ(s.Images_Width, 100);
    EXPECT_EQ(s.Images_Height, 100);
    EXPECT_EQ(s.FileToNum, 77);
    EXPECT_EQ(s.FileFromNum, 1);
    EXPECT_EQ(s.Download_File_Name, QStringLiteral("Catch"));
    EXPECT_EQ(s.Download_File_Folder, programFolder + QStringLiteral("/pictures"));
    EXPECT_EQ(s.NeverUpgrade, 2);
    EXPECT_EQ(projects, (ProjectList{QStringLiteral("one"), QStringLiteral("three")}));
}

TEST_F(SettingsStoreTest, ResourceWriterLeavesDisplayModeAndHistoryAlone)
{
    IniSettingsBackend backend(iniPath);
    SettingsStore store(backend, programFolder);
    Settings s = store.WriteDefaultSettings();
    store.SaveDisplayMode(0);
    store.SaveProjectList(s, {QStringLiteral("kept")});
    s.Images_Display_Mode = 1;
    s.FileFromNum = 7;
    store.SaveResourceSetting(s);
    ProjectList projects;
    const Settings loaded = store.LoadSettings(projects);
    EXPECT_EQ(loaded.Images_Display_Mode, 0);
    EXPECT_EQ(loaded.FileFromNum, 7);
    EXPECT_EQ(projects, ProjectList{QStringLiteral("kept")});
}

TEST_F(SettingsStoreTest, ConnectionsPerHostTakesOneToSixteenAndOutlivesTheHistoryWriter)
{
    const Settings defaults;
    const std::pair<const char *, qint16> forms[] = {
        {"1", 1},
        {"16", 16},
        {" 9 ", 9},
        {"0", defaults.Connections_Per_Host},
        {"17", defaults.Connections_Per_Host},
        {"-4", defaults.Connections_Per_Host},
        {"many", defaults.Connections_Per_Host},
        {"", defaults.Connections_Per_Host},
    };
    for (const auto &[text, expected] : forms) {
        QTemporaryDir fresh;
        IniSettingsBackend backend(fresh.filePath(QStringLiteral("settings.ini")));
        SettingsStore store(backend, programFolder);
        store.WriteDefaultSettings();
        backend.write(Res, QStringLiteral("Connections_Per_Host"), QString::fromLatin1(text));
        ProjectList projects;
        Settings loaded = store.LoadSettings(projects);
        EXPECT_EQ(loaded.Connections_Per_Host, expected) << '"' << text << '"';

        store.SaveProjectList(loaded, {QStringLiteral("a search")});
        EXPECT_EQ(store.LoadSettings(projects).Connections_Per_Host, expected) << text;
    }
}

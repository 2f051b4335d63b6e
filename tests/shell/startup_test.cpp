#include "shell_fixture.h"

#include "mainwin/frm_resource.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

using StartupTest = ShellFixture;

TEST_F(StartupTest, FirstRunCreatesPicturesAndStoresDefaultsThenLaterRunReadsThemBack)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    const QString pictures = folder.path() + QStringLiteral("/pictures");
    EXPECT_TRUE(QDir(pictures).exists());
    EXPECT_EQ(state->settings.Download_File_Folder, pictures);
    EXPECT_EQ(state->status.ListedFolder, pictures);
    EXPECT_EQ(backend->read(SettingsStore::ImageKey, QStringLiteral("FileToNum")),
              QStringLiteral("50"));

    backend->write(SettingsStore::ImageKey, QStringLiteral("FileToNum"), QStringLiteral("80"));
    backend->write(SettingsStore::ResSettingKey, QStringLiteral("ProjectNum"), QStringLiteral("1"));
    backend->write(SettingsStore::ResSettingKey, QStringLiteral("Project1"),
                   QStringLiteral("cats"));
    backend->flush();

    ASSERT_EQ(start(), StartupOutcome::Running);
    EXPECT_EQ(state->settings.FileToNum, 80) << "a later run loads instead of writing defaults";
    EXPECT_EQ(state->projects, ProjectList{QStringLiteral("cats")});
}

TEST_F(StartupTest, OversizedSettingsFileIsSetAsideWithAMessageAndTheDefaultsAreUsed)
{
    {
        IniSettingsBackend earlier(iniPath());
        earlier.write(SettingsStore::ImageKey, QStringLiteral("FileToNum"), QStringLiteral("80"));
        earlier.flush();
    }
    QFile file(iniPath());
    ASSERT_TRUE(file.resize(IniSettingsBackend::MaxFileBytes + 1));
    ASSERT_EQ(start(), StartupOutcome::Running);
    ASSERT_EQ(messages.shown.size(), 1u);
    const QString setAside = backend->setAsideFile();
    EXPECT_TRUE(messages.shown[0].text.contains(QDir::toNativeSeparators(setAside)));
    EXPECT_EQ(QFileInfo(setAside).size(), IniSettingsBackend::MaxFileBytes + 1);
    EXPECT_EQ(state->settings.FileToNum, 50);
}

TEST_F(StartupTest, LoadsTheHiddenMainWindowWithItsTimersAndShowsNothing)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(tray.visible);
    EXPECT_EQ(tray.menu, ambrola->mnuPopup);
    EXPECT_TRUE(state->grab.KeywordSearchMode);
    EXPECT_FALSE(state->status.MainWindowOpen);

    struct Expected {
        const QTimer &timer;
        int interval;
        bool running;
    };
    const Expected timers[] = {
        {ambrola->tmrGrabbing, 100, false},
        {ambrola->tmrAlarm, 1000, true},
        {ambrola->tmrRefreshThumbView, 5000, true},
        {ambrola->tmrFlux, 500, true},
    };
    for (const Expected &e : timers) {
        EXPECT_EQ(e.timer.interval(), e.interval);
        EXPECT_EQ(e.timer.isActive(), e.running) << e.interval;
    }

    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
}

TEST_F(StartupTest, SecondInstanceEndsWithoutReadingOrWriting)
{
    lock.heldElsewhere = true;
    EXPECT_EQ(start(), StartupOutcome::AlreadyRunning);
    EXPECT_EQ(exitCodeOf(StartupOutcome::AlreadyRunning), 0);
    EXPECT_FALSE(QFile::exists(iniPath()));
    EXPECT_FALSE(QDir(folder.filePath(QStringLiteral("pictures"))).exists());
    EXPECT_EQ(tray.addCount, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartupTest, NoLanguageFileNamesTheProgramFolderAndFails)
{
    QFile::remove(folder.filePath(QStringLiteral("english.lan")));
    EXPECT_EQ(start(), StartupOutcome::NoLanguageFile);
    EXPECT_NE(exitCodeOf(StartupOutcome::NoLanguageFile), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QDir::toNativeSeparators(folder.path())));
    EXPECT_EQ(messages.shown[0].icon, MessageBoxes::Icon::Exclamation);
    EXPECT_FALSE(QFile::exists(iniPath())) << "settings are not touched without a language";
    EXPECT_EQ(tray.addCount, 0);
}

TEST_F(StartupTest, FailingLoadStepShowsTheStartupErrorText)
{
    tray.throwOnAdd = true;
    EXPECT_EQ(start(), StartupOutcome::LoadFailed);
    EXPECT_NE(exitCodeOf(StartupOutcome::LoadFailed), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, state->language.LanguageText[14]);
    EXPECT_FALSE(messages.shown[0].text.isEmpty());
    EXPECT_EQ(messages.shown[0].icon, MessageBoxes::Icon::Exclamation);
    EXPECT_EQ(ambrola, nullptr);
}

TEST_F(StartupTest, WithoutNotificationAreaTheMainWindowOpensAndItsHideEnds)
{
    tray.available = false;
    ASSERT_EQ(start(), StartupOutcome::Running);
    ASSERT_NE(ambrola->mainWindow(), nullptr);
    EXPECT_TRUE(ambrola->mainWindow()->isVisible());
    EXPECT_TRUE(state->status.MainWindowOpen);

    ambrola->mainWindow()->close();
    EXPECT_TRUE(process.ended);
    EXPECT_EQ(process.code, 0);
}

TEST_F(StartupTest, GermanFileGivesGermanMenuAndSearch)
{
    QFile::remove(folder.filePath(QStringLiteral("english.lan")));
    copyLanguage(QStringLiteral("german.lan"));
    ASSERT_EQ(start(), StartupOutcome::Running);
    EXPECT_TRUE(state->language.SearchBaseAddress.contains(u"hl=de&"));
    EXPECT_EQ(ambrola->mnuExit->text(), state->language.LanguageText[55]);
}

#include "shell_fixture.h"
#include "support/typing.h"

#include "core/text_ids.h"
#include "mainwin/frm_resource.h"
#include "mainwin/ocx_resource.h"
#include "shell/upgrade_dialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace Qt::StringLiterals;

// Start-up, and the hidden main window it loads: its tray menu, the main window it hosts and
// its offer of a new version.
using StartupTest = ShellFixture;
using HiddenMainWindowTest = ShellFixture;

TEST_F(StartupTest, FirstRunCreatesThePictureFolderAndStoresTheSettingsALaterRunReadsThem)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    const QString pictures = state->settings.Download_File_Folder;
    EXPECT_TRUE(pictures.startsWith(folder.path() + u'/')) << pictures.toStdString();
    EXPECT_TRUE(QDir(pictures).exists());
    EXPECT_EQ(state->files.ListedFolder, pictures);
    EXPECT_TRUE(backend->keyExists(SettingsStore::ImageKey));

    backend->write(SettingsStore::ImageKey, u"FileToNum"_s, u"80"_s);
    backend->write(SettingsStore::ResSettingKey, u"ProjectNum"_s, u"1"_s);
    backend->write(SettingsStore::ResSettingKey, u"Project1"_s, u"cats"_s);
    backend->flush();
    ASSERT_EQ(start(), StartupOutcome::Running);
    EXPECT_EQ(state->settings.FileToNum, 80) << "a later run loads instead of writing defaults";
    EXPECT_EQ(state->projects, ProjectList{u"cats"_s});
}

TEST_F(StartupTest, ASettingsFileSetAsideIsToldWithItsNewName)
{
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(IniSettingsBackend::MaxFileBytes + 1));
    ASSERT_EQ(start(), StartupOutcome::Running);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QDir::toNativeSeparators(backend->setAsideFile())));
}

TEST_F(StartupTest, LoadsTheHiddenMainWindowInTheTrayWithItsTimersAndShowsNothing)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(tray.visible);
    EXPECT_EQ(tray.menu, ambrola->mnuPopup);
    EXPECT_TRUE(state->grab.KeywordSearchMode);
    EXPECT_FALSE(state->status.MainWindowOpen);
    EXPECT_EQ((std::array{ambrola->tmrGrabbing.isActive(), ambrola->tmrAlarm.isActive(),
                          ambrola->tmrRefreshThumbView.isActive(), ambrola->tmrFlux.isActive()}),
              (std::array{false, true, true, true}));
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
}

TEST_F(StartupTest, SecondInstanceEndsWithoutReadingOrWriting)
{
    lock.heldElsewhere = true;
    EXPECT_EQ(start(), StartupOutcome::AlreadyRunning);
    EXPECT_EQ(exitCodeOf(StartupOutcome::AlreadyRunning), 0);
    EXPECT_FALSE(QFile::exists(iniPath()));
    EXPECT_EQ(tray.addCount, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartupTest, NoLanguageFileNamesTheProgramFolderAndFailsBeforeTheSettings)
{
    QFile::remove(folder.filePath(u"english.lan"_s));
    EXPECT_EQ(start(), StartupOutcome::NoLanguageFile);
    EXPECT_NE(exitCodeOf(StartupOutcome::NoLanguageFile), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QDir::toNativeSeparators(folder.path())));
    EXPECT_FALSE(QFile::exists(iniPath()));
    EXPECT_EQ(tray.addCount, 0);
}

TEST_F(StartupTest, FailingLoadStepShowsTheStartupErrorText)
{
    tray.throwOnAdd = true;
    EXPECT_EQ(start(), StartupOutcome::LoadFailed);
    EXPECT_NE(exitCodeOf(StartupOutcome::LoadFailed), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, state->language.LanguageText[TextId::StartupError]);
    EXPECT_EQ(ambrola, nullptr);
}

TEST_F(StartupTest, WithoutNotificationAreaTheMainWindowOpensAndClosingItEnds)
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

namespace {
// Calls open() and closes the modal window it shows. Returns that window's name, or nothing
// when open() returned without one.
template <typename Open> QString modalNameDuring(Open open)
{
    QString name;
    QTimer::singleShot(0, [&name] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            name = modal->objectName();
            modal->close();
        }
    });
    open();
    return name;
}
} // namespace

TEST_F(HiddenMainWindowTest, MenuHoldsTheFourTextsAroundOneSeparatorAndHelpAndAboutAreModal)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    const LanguageText &t = state->language.LanguageText;
    QStringList captions;
    for (const QAction *action : ambrola->mnuPopup->actions())
        captions.append(action->isSeparator() ? u"-"_s : action->text());
    EXPECT_EQ(captions, (QStringList{t[TextId::TrayGrabbing], u"-"_s, t[TextId::TrayHelp],
                                     t[TextId::TrayAbout], t[TextId::TrayExit]}));
    EXPECT_EQ(modalNameDuring([&] { ambrola->mnuHelp->trigger(); }), u"frmHelp"_s);
    EXPECT_EQ(modalNameDuring([&] { ambrola->mnuAbout->trigger(); }), u"frmAbout"_s);
}

TEST_F(HiddenMainWindowTest, PictureGrabbingIsGreyedWhileTheMainWindowIsOpenAndExitSavesNothing)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    const auto stored = [this] { return backend->read(SettingsStore::ImageKey, u"FileToNum"_s); };
    backend->write(SettingsStore::ImageKey, u"FileToNum"_s, u"1"_s);
    ambrola->mnuGrabbing->trigger();
    EXPECT_TRUE(state->status.MainWindowOpen);
    EXPECT_FALSE(ambrola->mnuGrabbing->isEnabled());
    frmResource *window = ambrola->mainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    typeKeys(window->panel().txtWebsiteURL, u"cats"_s);
    window->close();
    EXPECT_FALSE(state->status.MainWindowOpen);
    EXPECT_TRUE(ambrola->mnuGrabbing->isEnabled());
    EXPECT_EQ(ambrola->mainWindow(), nullptr);
    EXPECT_EQ(stored(), QString::number(state->settings.FileToNum)) << "closing saves";
    EXPECT_FALSE(process.ended);

    ambrola->mnuGrabbing->trigger();
    ASSERT_NE(ambrola->mainWindow(), nullptr);
    EXPECT_EQ(ambrola->mainWindow()->panel().txtWebsiteURL->text(), u"cats"_s)
        << "the search outlives the window";
    state->settings.FileToNum = 9;
    ambrola->mnuExit->trigger();
    EXPECT_TRUE(state->grab.StopRequested);
    EXPECT_FALSE(tray.visible);
    EXPECT_EQ(ambrola->mainWindow(), nullptr);
    EXPECT_TRUE(process.ended);
    EXPECT_EQ(process.code, 0);
    EXPECT_NE(stored(), u"9"_s) << "Exit saves nothing";
}

TEST_F(HiddenMainWindowTest, HostRunsTheGrabTimersTheRefreshAndTheSpeedOfTheMainWindow)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    MainWindowHost &host = *ambrola;
    host.setThumbRefreshEnabled(false);
    EXPECT_FALSE(ambrola->tmrRefreshThumbView.isActive());
    EXPECT_FALSE(host.thumbRefreshEnabled());
    host.startGrabTimers();
    EXPECT_TRUE(ambrola->tmrGrabbing.isActive());
    EXPECT_TRUE(host.thumbRefreshEnabled());
    host.cancelGrabStart();
    EXPECT_FALSE(ambrola->tmrGrabbing.isActive());
    EXPECT_TRUE(host.thumbRefreshEnabled());

    ambrola->mnuGrabbing->trigger();
    state->status.showStatus(4, u"stale"_s);
    ASSERT_TRUE(QMetaObject::invokeMethod(&ambrola->tmrFlux, "timeout"));
    EXPECT_TRUE(ambrola->mainWindow()->panelText(4).endsWith(u" Kbps"));
}

TEST_F(HiddenMainWindowTest, NewVersionIsOfferedOnceWithoutBlockingToUpgradeTheProgramFolder)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    EXPECT_EQ(modalNameDuring([&] {
                  ambrola->offerUpgrade();
                  ambrola->offerUpgrade();
              }),
              QString());
    QList<frmDialog *> offers;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *offer = qobject_cast<frmDialog *>(w); offer && offer->isVisible())
            offers.append(offer);
    ASSERT_EQ(offers.size(), 1);
    offers[0]->cmdOK->click();
    EXPECT_EQ(process.started, QStringList{folder.path() + u"/Upgrade"_s});
    delete offers[0];
}

#include "shell_fixture.h"

#include "core/text_ids.h"
#include "mainwin/frm_resource.h"
#include "mainwin/ocx_resource.h"
#include "shell/upgrade_dialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

// Start-up, and the hidden main window it loads: its tray menu, the main window it hosts and
// its offer of a new version.
using StartupTest = ShellFixture;

namespace {
// Calls open() and closes the modal window it shows; returns that window's name, or nothing
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

TEST_F(StartupTest, FirstRunStoresTheSettingsALaterRunReadsThemAndASetAsideFileIsTold)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    const QString pictures = state->settings.Download_File_Folder;
    EXPECT_TRUE(pictures.startsWith(folder.path() + u'/') && QDir(pictures).exists());
    EXPECT_EQ(state->files.ListedFolder, pictures);
    backend->write(SettingsStore::ImageKey, u"FileToNum"_s, u"80"_s);
    backend->flush();
    ASSERT_EQ(start(), StartupOutcome::Running);
    EXPECT_EQ(state->settings.FileToNum, 80) << "a later run loads instead of writing defaults";
    EXPECT_TRUE(messages.shown.empty());

    ASSERT_TRUE(QFile(iniPath()).resize(IniSettingsBackend::MaxFileBytes + 1));
    ASSERT_EQ(start(), StartupOutcome::Running);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QDir::toNativeSeparators(backend->setAsideFile())));
}

TEST_F(StartupTest, AStartThatCannotRunWritesNothingAndSaysWhyWhenItFails)
{
    lock.heldElsewhere = true;
    EXPECT_EQ(start(), StartupOutcome::AlreadyRunning);
    EXPECT_TRUE(messages.shown.empty());
    lock.heldElsewhere = false;
    QFile::remove(folder.filePath(u"english.lan"_s));
    EXPECT_EQ(start(), StartupOutcome::NoLanguageFile);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QDir::toNativeSeparators(folder.path())));
    EXPECT_FALSE(QFile::exists(iniPath()));
    EXPECT_EQ(tray.addCount, 0);

    ShellFixture::SetUp(); // the language file again
    tray.throwOnAdd = true;
    EXPECT_EQ(start(), StartupOutcome::LoadFailed);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, state->language.LanguageText[TextId::StartupError]);
    EXPECT_EQ(ambrola, nullptr);
    EXPECT_EQ(exitCodeOf(StartupOutcome::AlreadyRunning), 0);
    EXPECT_NE(exitCodeOf(StartupOutcome::NoLanguageFile), 0);
    EXPECT_NE(exitCodeOf(StartupOutcome::LoadFailed), 0);
}

TEST_F(StartupTest, LoadsTheHiddenMainWindowInTheTrayShowsNothingAndOffersANewVersionOnce)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    EXPECT_TRUE(tray.visible && tray.menu == ambrola->mnuPopup);
    EXPECT_TRUE(state->grab.KeywordSearchMode);
    EXPECT_FALSE(state->status.MainWindowOpen);
    EXPECT_EQ((std::array{ambrola->tmrGrabbing.isActive(), ambrola->tmrAlarm.isActive(),
                          ambrola->tmrRefreshThumbView.isActive(), ambrola->tmrFlux.isActive()}),
              (std::array{false, true, true, true}));
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_EQ(modalNameDuring([&] { ambrola->mnuHelp->trigger(); }), u"frmHelp"_s);
    EXPECT_EQ(modalNameDuring([&] { ambrola->mnuAbout->trigger(); }), u"frmAbout"_s);

    // A new version is offered once, without blocking, to upgrade the program folder.
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

TEST_F(StartupTest, TheMainWindowGreysPictureGrabbingWhileOpenIsServedByItsHostAndExitSavesNothing)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    const auto stored = [this] { return backend->read(SettingsStore::ImageKey, u"FileToNum"_s); };
    backend->write(SettingsStore::ImageKey, u"FileToNum"_s, u"1"_s);
    ambrola->mnuGrabbing->trigger();
    EXPECT_TRUE(state->status.MainWindowOpen);
    EXPECT_FALSE(ambrola->mnuGrabbing->isEnabled());
    ASSERT_NE(ambrola->mainWindow(), nullptr);
    EXPECT_TRUE(ambrola->mainWindow()->isVisible());
    ambrola->mainWindow()->panel().txtWebsiteURL->setText(u"cats"_s);
    ambrola->mainWindow()->close();
    EXPECT_FALSE(state->status.MainWindowOpen);
    EXPECT_TRUE(ambrola->mnuGrabbing->isEnabled());
    EXPECT_EQ(ambrola->mainWindow(), nullptr);
    EXPECT_EQ(stored(), QString::number(state->settings.FileToNum)) << "closing saves";

    ambrola->mnuGrabbing->trigger();
    ASSERT_NE(ambrola->mainWindow(), nullptr);
    EXPECT_EQ(ambrola->mainWindow()->panel().txtWebsiteURL->text(), u"cats"_s)
        << "the search outlives the window";
    MainWindowHost &host = *ambrola; // what the main window asks of it
    host.setThumbRefreshEnabled(false);
    EXPECT_FALSE(host.thumbRefreshEnabled() || ambrola->tmrRefreshThumbView.isActive());
    host.startGrabTimers();
    EXPECT_TRUE(ambrola->tmrGrabbing.isActive() && host.thumbRefreshEnabled());
    host.cancelGrabStart();
    EXPECT_FALSE(ambrola->tmrGrabbing.isActive());
    state->status.showStatus(4, u"stale"_s);
    ASSERT_TRUE(QMetaObject::invokeMethod(&ambrola->tmrFlux, "timeout"));
    EXPECT_TRUE(ambrola->mainWindow()->panelText(4).endsWith(u" Kbps"));

    state->settings.FileToNum = 9;
    EXPECT_FALSE(process.ended);
    ambrola->mnuExit->trigger();
    EXPECT_TRUE(state->grab.StopRequested);
    EXPECT_FALSE(tray.visible);
    EXPECT_EQ(ambrola->mainWindow(), nullptr);
    EXPECT_EQ(std::pair(process.ended, process.code), std::pair(true, 0));
    EXPECT_NE(stored(), u"9"_s) << "Exit saves nothing";
}

TEST_F(StartupTest, WithoutNotificationAreaTheMainWindowOpensAndClosingItEnds)
{
    tray.available = false;
    ASSERT_EQ(start(), StartupOutcome::Running);
    ASSERT_NE(ambrola->mainWindow(), nullptr);
    EXPECT_TRUE(ambrola->mainWindow()->isVisible() && state->status.MainWindowOpen);
    ambrola->mainWindow()->close();
    EXPECT_EQ(std::pair(process.ended, process.code), std::pair(true, 0));
}

#include "support/fakes.h"
#include "support/http_test_server.h"

#include "core/app_state.h"
#include "core/text_ids.h"
#include "mainwin/frm_resource.h"
#include "mainwin/ocx_resource.h"
#include "platform/file_listing.h"
#include "platform/settings_backend.h"
#include "shell/frm_ambrola.h"
#include "shell/startup.h"
#include "shell/upgrade_dialog.h"
#include "viewer/frm_sized_preview.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

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

// Runs events until done() holds or ten seconds passed; returns done().
bool runUntil(const std::function<bool()> &done)
{
    for (QDeadlineTimer limit(10000); !done() && !limit.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return done();
}
} // namespace

// Start-up, and the hidden main window it loads: its tray menu, the main window it hosts, its
// offer of a new version and the refresh of the thumbnail strip. The program folder has a
// language file, a settings file of its own and fake desktop services, so that start-up runs
// in-process.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZOVARODE_LANG_DIR "/english.lan"),
                                folder.filePath(QStringLiteral("english.lan"))));
    }

    QString iniPath() const { return folder.filePath(QStringLiteral("settings.ini")); }

    StartupOutcome start()
    {
        ambrola.reset();
        backend = std::make_unique<IniSettingsBackend>(iniPath());
        state = std::make_unique<AppState>(folder.path(), *backend);
        state->timings = timings;
        return runStartup(*state, services, lock, listing, ambrola);
    }

    QTemporaryDir folder;
    Timings timings;
    ScriptedMessageBoxes messages;
    FakeTray tray;
    RecordingUrlOpener urls;
    RecordingProcessControl process;
    FakeInstanceLock lock;
    DirFileListing listing;
    FixedNetworkState network;
    ShellServices services{tray, messages, urls, process, network};
    std::unique_ptr<IniSettingsBackend> backend;
    std::unique_ptr<AppState> state;
    std::unique_ptr<frmAmbrola> ambrola;
};

TEST_F(StartupTest, FirstRunStoresTheSettingsALaterRunReadsThemAndASetAsideFileIsTold)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    EXPECT_EQ(state->files.ListedFolder, state->settings.Download_File_Folder);
    backend->write(SettingsStore::ImageKey, u"FileToNum"_s, u"80"_s);
    backend->flush();
    ASSERT_EQ(start(), StartupOutcome::Running);
    EXPECT_EQ(state->settings.FileToNum, 80) << "a later run loads instead of writing defaults";

    ASSERT_TRUE(QFile(iniPath()).resize(IniSettingsBackend::MaxFileBytes + 1));
    ASSERT_EQ(start(), StartupOutcome::Running);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QDir::toNativeSeparators(backend->setAsideFile())));
}

TEST_F(StartupTest, AStartThatCannotRunWritesNothingAndSaysWhyWhenItFails)
{
    lock.heldElsewhere = true;
    EXPECT_EQ(start(), StartupOutcome::AlreadyRunning);
    lock.heldElsewhere = false;
    QFile::remove(folder.filePath(u"english.lan"_s));
    EXPECT_EQ(start(), StartupOutcome::NoLanguageFile);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QDir::toNativeSeparators(folder.path())));
    EXPECT_FALSE(QFile::exists(iniPath()));

    StartupTest::SetUp(); // the language file again
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
    EXPECT_EQ((std::array{ambrola->tmrGrabbing.isActive(), ambrola->tmrAlarm.isActive(),
                          ambrola->tmrRefreshThumbView.isActive(), ambrola->tmrFlux.isActive()}),
              (std::array{false, true, true, true}));
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_EQ(modalNameDuring([&] { ambrola->mnuHelp->trigger(); }), u"frmHelp"_s);
    EXPECT_EQ(modalNameDuring([&] { ambrola->mnuAbout->trigger(); }), u"frmAbout"_s);

    // A new version is offered once, without blocking.
    EXPECT_EQ(modalNameDuring([&] {
                  ambrola->offerUpgrade();
                  ambrola->offerUpgrade();
              }),
              QString());
    int offers = 0; // closed as they are counted
    for (QWidget *w : QApplication::topLevelWidgets())
        offers += qobject_cast<frmDialog *>(w) && w->isVisible() && w->close();
    EXPECT_EQ(offers, 1);
}

TEST_F(StartupTest, TheMainWindowGreysPictureGrabbingWhileOpenIsServedByItsHostAndExitSavesNothing)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    const auto stored = [this] { return backend->read(SettingsStore::ImageKey, u"FileToNum"_s); };
    backend->write(SettingsStore::ImageKey, u"FileToNum"_s, u"1"_s);
    ambrola->mnuGrabbing->trigger();
    EXPECT_TRUE(state->status.MainWindowOpen);
    EXPECT_FALSE(ambrola->mnuGrabbing->isEnabled());
    ASSERT_TRUE(ambrola->mainWindow() && ambrola->mainWindow()->isVisible());
    ambrola->mainWindow()->close();
    EXPECT_FALSE(state->status.MainWindowOpen);
    EXPECT_TRUE(ambrola->mnuGrabbing->isEnabled());
    EXPECT_EQ(stored(), QString::number(state->settings.FileToNum)) << "closing saves";

    ambrola->mnuGrabbing->trigger();
    ASSERT_NE(ambrola->mainWindow(), nullptr);
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
    EXPECT_EQ(std::pair(process.ended, process.code), std::pair(true, 0));
    EXPECT_NE(stored(), u"9"_s) << "Exit saves nothing";
}

TEST_F(StartupTest, WithoutNotificationAreaTheMainWindowOpensAndClosingItEnds)
{
    tray.available = false;
    ASSERT_EQ(start(), StartupOutcome::Running);
    ASSERT_TRUE(ambrola->mainWindow() && ambrola->mainWindow()->isVisible());
    ambrola->mainWindow()->close();
    EXPECT_EQ(std::pair(process.ended, process.code), std::pair(true, 0));
}

// The open main window with a refresh tick short enough to wait for.
class ThumbRefreshTest : public StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        timings.RefreshThumbViewMs = 200;
        ASSERT_EQ(start(), StartupOutcome::Running);
        state->settings.NeverUpgrade = -1; // no request leaves the machine
        ambrola->mnuGrabbing->trigger();
        window = ambrola->mainWindow();
        QObject::connect(&ambrola->tmrRefreshThumbView, &QTimer::timeout, [this] { ++ticks; });
    }
    frmResource *window = nullptr;
    int ticks = 0;
};

TEST_F(ThumbRefreshTest, AVanishedFolderIsReportedOnceAndReplacedByTheProgramFolder)
{
    state->settings.Download_File_Folder = folder.filePath(u"gone"_s);
    ASSERT_TRUE(runUntil([&] { return !messages.shown.empty(); }));
    EXPECT_EQ(messages.shown.front().text,
              state->language.LanguageText[TextId::FolderMissingMessage]);
    EXPECT_EQ(window->panel().txtFileFolder->text(), folder.path());
    const int reported = ticks;
    ASSERT_TRUE(runUntil([&] { return ticks > reported; }));
    EXPECT_EQ(messages.shown.size(), 1u) << "the next tick finds the folder";
}

// A picture put into the folder shows in the strip as soon as the listing that finds it is
// done, without waiting for the next tick; deleted, it leaves the strip and closes the viewer
// that showed it.
TEST_F(ThumbRefreshTest, APictureShowsOnceListedAndLeavesWhenDeleted)
{
    ambrola->tmrRefreshThumbView.setInterval(60000); // no tick during the test
    const QString folderPath = state->settings.Download_File_Folder;
    const auto list = [&] { ambrola->folderListing().latest(folderPath, PictureFiles::pattern()); };
    QFile file(folderPath + u"/a.jpg"_s);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) &&
                file.write(HttpTestServer::picture("JPG", 30, 20)) > 0);
    file.close();
    list();
    ASSERT_TRUE(runUntil([&] { return window->lblThumbView[0]->isVisible(); }));

    window->picThumb_DblClick(0);
    ASSERT_TRUE(ambrola->preview().isVisible());
    ASSERT_TRUE(QFile::remove(file.fileName()));
    list();
    EXPECT_TRUE(runUntil([&] { return !ambrola->preview().isVisible(); }));
    EXPECT_EQ(ticks, 0);
}

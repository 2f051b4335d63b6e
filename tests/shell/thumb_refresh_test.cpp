#include "shell/shell_fixture.h"
#include "support/http_test_server.h"
#include "support/typing.h"

#include "mainwin/ocx_resource.h"

#include <QAction>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

// Runs the event loop until done() holds or timeoutMs passed; returns done().
bool runUntil(const std::function<bool()> &done, int timeoutMs)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

} // namespace

class ThumbRefreshTest : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        timings.RefreshThumbViewMs = 200;
        timings.GrabbingMs = 10;
        timings.AlarmMs = 50;
        ASSERT_EQ(start(), StartupOutcome::Running);
        state->settings.NeverUpgrade = -1; // no request leaves the machine
        ASSERT_TRUE(pictures.isValid());
        state->settings.Download_File_Folder = pictures.path();
        ambrola->mnuGrabbing->trigger();
        ASSERT_NE(ambrola->mainWindow(), nullptr);
    }

    QTemporaryDir pictures;
};

TEST_F(ThumbRefreshTest, AVanishedFolderIsReportedAndReplacedByTheProgramFolder)
{
    state->settings.Download_File_Folder = pictures.filePath(QStringLiteral("gone"));
    ASSERT_TRUE(runUntil([&] { return !messages.shown.empty(); }, 5000));
    EXPECT_EQ(messages.shown.front().text, state->language.LanguageText[78]);
    EXPECT_EQ(messages.shown.front().icon, MessageBoxes::Icon::Exclamation);
    EXPECT_EQ(state->settings.Download_File_Folder, folder.path());
    EXPECT_EQ(state->files.ListedFolder, folder.path());
    EXPECT_EQ(ambrola->mainWindow()->panel().txtFileFolder->text(), folder.path());
    EXPECT_TRUE(ambrola->tmrRefreshThumbView.isActive());
    EXPECT_EQ(messages.shown.size(), 1u) << "once per tick, and the next tick finds the folder";
}

// A grab into an empty folder: the first saved picture reaches the strip within one refresh
// tick of its saving.
TEST_F(ThumbRefreshTest, AGrabbedPictureShowsInTheStripByTheNextTick)
{
    HttpTestServer site;
    site.setLatency(150);
    site.addFile(QStringLiteral("/index.html"),
                 QByteArrayLiteral("<html><body><img src=\"a.jpg\"></body></html>"));
    site.addFile(QStringLiteral("/a.jpg"), HttpTestServer::picture("JPG", 300, 200));

    int ticks = 0;
    int ticksAtSave = -1;
    QObject::connect(&ambrola->tmrRefreshThumbView, &QTimer::timeout, [&] { ++ticks; });
    QObject::connect(&state->status, &MainWindowStatus::panelChanged, [&] {
        if (ticksAtSave < 0 && state->grab.PicturesSaved > 0)
            ticksAtSave = ticks;
    });

    frmResource *window = ambrola->mainWindow();
    typeKeys(window->panel().txtWebsiteURL, site.url(QStringLiteral("/index.html")));
    window->cmdGrabNow->click();
    ASSERT_TRUE(runUntil([&] { return ticksAtSave >= 0; }, 10000)) << "nothing was saved";
    EXPECT_EQ(state->files.ImageFileCount, 0) << "saved before a tick listed it";

    // The tick under way at the save may have listed the folder before it; the next one has not.
    ASSERT_TRUE(runUntil([&] { return ticks >= ticksAtSave + 2; }, 10000));
    EXPECT_EQ(window->lblThumbViewPage->text(), QStringLiteral("1/1"));
    EXPECT_TRUE(window->lblThumbView[0]->isVisible());
    EXPECT_EQ(window->lblThumbView[0]->text(), QStringLiteral("Catch00001.jpg"));
    EXPECT_EQ(window->picThumb[0]->size(), QSize(80, 53));
    EXPECT_FALSE(window->picThumb[1]->isVisible());
}

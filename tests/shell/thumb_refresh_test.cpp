#include "shell/shell_fixture.h"
#include "support/http_test_server.h"

#include "mainwin/ocx_resource.h"
#include "viewer/frm_sized_preview.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

class ThumbRefreshTest : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        timings.RefreshThumbViewMs = 200;
        timings.GrabbingMs = 10;
        ASSERT_EQ(start(), StartupOutcome::Running);
        state->settings.NeverUpgrade = -1; // no request leaves the machine
        state->settings.Download_File_Folder = pictures.path();
        ambrola->mnuGrabbing->trigger();
        ASSERT_NE(window = ambrola->mainWindow(), nullptr);
    }
    // Runs events until done() holds or ten seconds passed; returns done().
    static bool runUntil(const std::function<bool()> &done)
    {
        for (QDeadlineTimer limit(10000); !done() && !limit.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return done();
    }
    QTemporaryDir pictures;
    frmResource *window = nullptr;
};

TEST_F(ThumbRefreshTest, AVanishedFolderIsReportedOnceAndReplacedByTheProgramFolder)
{
    state->settings.Download_File_Folder = pictures.filePath(QStringLiteral("gone"));
    ASSERT_TRUE(runUntil([&] { return !messages.shown.empty(); }));
    EXPECT_EQ(messages.shown.front().text, state->language.LanguageText[78]);
    EXPECT_EQ(window->panel().txtFileFolder->text(), folder.path());
    ASSERT_TRUE(runUntil([&] { return state->files.ListedFolder == folder.path(); }));
    EXPECT_EQ(messages.shown.size(), 1u) << "the next tick finds the folder";
}

// A grab into an empty folder: the strip shows the first saved picture within one refresh
// tick of its saving; deleted, it leaves the strip and closes the viewer that showed it.
TEST_F(ThumbRefreshTest, AGrabbedPictureShowsByTheNextTickAndLeavesWhenDeleted)
{
    HttpTestServer site;
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
    window->panel().txtWebsiteURL->setText(site.url(QStringLiteral("/index.html")));
    window->cmdGrabNow->click();
    ASSERT_TRUE(runUntil([&] { return window->lblThumbView[0]->isVisible(); }));
    ASSERT_GE(ticksAtSave, 0);
    // The tick under way at the save may have listed the folder just before it.
    EXPECT_LE(ticks, ticksAtSave + 2);
    EXPECT_EQ(window->lblThumbView[0]->text(), QStringLiteral("Catch00001.jpg"));
    EXPECT_EQ(window->picThumb[0]->size(), QSize(80, 53));

    window->picThumb_DblClick(0);
    ASSERT_TRUE(ambrola->preview().isVisible());
    ASSERT_TRUE(QFile::remove(state->files.path(0)));
    EXPECT_TRUE(runUntil([&] { return state->files.ThumbPage == 0; })) << "clamped";
    EXPECT_FALSE(ambrola->preview().isVisible()) << "no picture left to view";
}

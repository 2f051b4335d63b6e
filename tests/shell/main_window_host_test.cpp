#include "shell/shell_fixture.h"
#include "support/typing.h"

#include "mainwin/ocx_resource.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

using MainWindowHostTest = ShellFixture;

// The main window as the hidden main window opens it from the tray; no event loop runs, so
// the timers are only looked at, never fired.
TEST_F(MainWindowHostTest, GrabNowStartsTheTimersAnEarlyStopDropsTheStartAndHideWaitsForRefresh)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    ambrola->tmrRefreshThumbView.stop();
    ambrola->mnuGrabbing->trigger();
    frmResource *window = ambrola->mainWindow();
    ASSERT_NE(window, nullptr);
    typeKeys(window->panel().txtWebsiteURL, QStringLiteral("cats"));

    window->cmdGrabNow->click();
    EXPECT_TRUE(ambrola->tmrGrabbing.isActive());
    EXPECT_TRUE(ambrola->tmrRefreshThumbView.isActive());

    window->cmdGrabNow->click();
    EXPECT_FALSE(ambrola->tmrGrabbing.isActive());
    EXPECT_TRUE(state->grab.StopRequested);
    EXPECT_TRUE(messages.shown.empty());

    ambrola->tmrRefreshThumbView.stop(); // a thumbnail page is being built
    window->cmdExit->click();
    EXPECT_EQ(ambrola->mainWindow(), window);
    ambrola->tmrRefreshThumbView.start();
    window->cmdExit->click();
    EXPECT_EQ(ambrola->mainWindow(), nullptr);
    EXPECT_TRUE(ambrola->mnuGrabbing->isEnabled());

    ambrola->mnuGrabbing->trigger();
    ASSERT_NE(ambrola->mainWindow(), nullptr);
    EXPECT_EQ(ambrola->mainWindow()->panel().txtWebsiteURL->text(), QStringLiteral("cats"))
        << "the search outlives the window";
}

TEST_F(MainWindowHostTest, TmrFluxShowsTheSpeedInTheOpenMainWindow)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    ambrola->mnuGrabbing->trigger();
    frmResource *window = ambrola->mainWindow();
    ASSERT_NE(window, nullptr);
    state->status.showStatus(4, QStringLiteral("stale"));

    ASSERT_TRUE(QMetaObject::invokeMethod(&ambrola->tmrFlux, "timeout"));
    EXPECT_EQ(window->panelText(4), QStringLiteral("0 Kbps")) << "the first tick";
}

#include "shell/shell_fixture.h"
#include "typing.h"

#include "mainwin/ocx_resource.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

using MainWindowHostTest = ShellFixture;

// The main window as the hidden main window opens it from the tray; no event loop runs, so
// the timers are only looked at, never fired.
TEST_F(MainWindowHostTest, GrabNowStartsTheTimersAndAnEarlyStopDropsTheDriverStart)
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
    EXPECT_FALSE(state->grab.Grabbing);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowHostTest, HideWaitsForTheRefreshTimerAndTheSearchOutlivesTheWindow)
{
    ASSERT_EQ(start(), StartupOutcome::Running);
    ambrola->mnuGrabbing->trigger();
    frmResource *window = ambrola->mainWindow();
    typeKeys(window->panel().txtWebsiteURL, QStringLiteral("cats"));

    ambrola->tmrRefreshThumbView.stop(); // a thumbnail page is being built
    window->cmdExit->click();
    EXPECT_EQ(ambrola->mainWindow(), window);
    EXPECT_TRUE(state->status.MainWindowOpen);

    ambrola->tmrRefreshThumbView.start();
    window->cmdExit->click();
    EXPECT_EQ(ambrola->mainWindow(), nullptr);
    EXPECT_FALSE(state->status.MainWindowOpen);
    EXPECT_TRUE(ambrola->mnuGrabbing->isEnabled());

    ambrola->mnuGrabbing->trigger();
    ASSERT_NE(ambrola->mainWindow(), nullptr);
    EXPECT_EQ(ambrola->mainWindow()->panel().txtWebsiteURL->text(), QStringLiteral("cats"));
}

#include "core/text_ids.h"
#include "grab/search_start.h"
#include "mainwin_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using MainWindowTest = MainWindowFixture;
using namespace TextId;
using namespace Qt::StringLiterals;

TEST_F(MainWindowTest, LoadShowsCaptionsAndTheCountsOnlyWhileTheWindowIsOpen)
{
    for (const bool shown : {true, false}) {
        state.status.MainWindowOpen = shown;
        state.grab.Grabbing = !shown;
        state.grab.PicturesSaved = 7;
        frmResource &w = open();
        EXPECT_EQ(w.windowTitle(), text(WindowCaption));
        EXPECT_EQ(w.cmdGrabNow->text(), text(shown ? GrabCaption : StopCaption));
        EXPECT_EQ(w.panelText(2), shown ? u"7 " + text(SavedWord) : text(FirstPanel + 1));
    }
    // A missing folder becomes the program folder without a word, and the load ends there.
    state.status.MainWindowOpen = true;
    state.settings.Download_File_Folder = folder.filePath(u"gone"_s);
    EXPECT_EQ(open().panelText(1), text(FirstPanel));
    EXPECT_EQ(panel().txtFileFolder->text(), folder.path());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowTest, GrabNowChecksInOrderThenSeedsAndStoresTheSearchAndThenStops)
{
    frmResource &w = open();
    values.AnyFormatSelected = false;
    panel().txtWebsiteURL->clear();
    state.settings.FileFromNum = 6;
    state.settings.FileToNum = 5;
    w.cmdGrabNow->click();
    EXPECT_EQ(lastMessage(), text(NoFormatMessage));
    values.AnyFormatSelected = true;
    w.cmdGrabNow->click();
    EXPECT_EQ(lastMessage(),
              text(RangeFrom) + u" 6 " + text(RangeTo) + u" 5 " + text(RangeInvalid));
    state.settings.FileFromNum = 5; // an equal range is valid
    w.cmdGrabNow->click();
    EXPECT_EQ(lastMessage(), text(NoSearchMessage));
    EXPECT_EQ(messages.shown.back().icon, MessageBoxes::Icon::Exclamation);
    EXPECT_EQ(host.timerStarts, 0);
    EXPECT_NE(stored(SettingsStore::ImageKey, u"FileToNum"_s), u"5"_s) << "nothing saved";
    ASSERT_FALSE(panel().cmdDelete->isEnabled());

    messages.shown.clear();
    panel().txtWebsiteURL->setText(u"example.com/pics/"_s);
    const SearchStart start =
        startOfSearch(values.SearchText, state.projectFolder, state.language.SearchBaseAddress,
                      state.language.SearchPageSuffix);
    w.cmdGrabNow->click();
    ASSERT_EQ(state.grab.LinkList.count(), 1);
    EXPECT_EQ(state.grab.LinkList.at(0).Address, start.StartAddress);
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, u"Project1"_s), start.SearchText);
    EXPECT_TRUE(panel().cmdDelete->isEnabled());
    EXPECT_EQ(stored(SettingsStore::ImageKey, u"FileToNum"_s), u"5"_s);
    EXPECT_EQ(w.cmdGrabNow->text(), text(StopCaption));
    EXPECT_TRUE(w.panelText(1).startsWith(text(GrabStartedStatus) + u' '));
    EXPECT_EQ(w.panelText(3), text(PagesCountedWord) + u" 0");

    // Stopping checks nothing; a press while the stopped grab winds down is ignored.
    state.grab.Grabbing = true;
    values.AnyFormatSelected = false;
    w.cmdGrabNow->click();
    EXPECT_TRUE(state.grab.StopRequested);
    EXPECT_EQ(state.status.grabCaption(), text(GrabCaption));
    EXPECT_EQ(host.startsCancelled, 1);
    w.cmdGrabNow->click();
    EXPECT_TRUE(messages.shown.empty());
    values.AnyFormatSelected = true;
    state.grab.Grabbing = false;
    w.cmdGrabNow->click();
    EXPECT_EQ(host.timerStarts, 2);
}

TEST_F(MainWindowTest, HideAndCloseWaitForTheThumbnailRebuildAndHelpAsksTheHost)
{
    frmResource &w = open();
    int hideRequests = 0;
    QObject::connect(&w, &frmResource::cmdExitClicked, [&hideRequests] { ++hideRequests; });
    for (const bool refresh : {false, true}) {
        host.refreshEnabled = refresh;
        w.cmdExit->click();
        w.close(); // the title bar's close button
        EXPECT_EQ(hideRequests, refresh ? 2 : 0);
        EXPECT_TRUE(w.isVisible()) << "the owner unloads the window";
    }
    w.cmdHelp->click();
    EXPECT_EQ(host.helpShown, 1);
}

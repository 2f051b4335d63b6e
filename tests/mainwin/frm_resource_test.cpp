#include "core/text_ids.h"
#include "grab/search_start.h"
#include "mainwin_fixture.h"

#include <QLineEdit>
#include <QPushButton>

using MainWindowTest = MainWindowFixture;
using namespace TextId;
using namespace Qt::StringLiterals;

TEST_F(MainWindowTest, LoadWhileClosedLeavesTheCountsAndHideWaitsForTheThumbnailRebuild)
{
    state.status.MainWindowOpen = false;
    state.grab.Grabbing = true;
    state.settings.Download_File_Folder = folder.filePath(u"gone"_s);
    frmResource &w = open();
    EXPECT_EQ(w.cmdGrabNow->text(), text(StopCaption)) << "a running grab can be stopped";
    EXPECT_EQ(w.panelText(2), text(FirstPanel + 1));
    EXPECT_EQ(panel().txtFileFolder->text(), folder.path()) << "a missing folder is replaced";
    EXPECT_TRUE(messages.shown.empty());

    int hideRequests = 0;
    QObject::connect(&w, &frmResource::cmdExitClicked, [&hideRequests] { ++hideRequests; });
    for (const bool refresh : {false, true}) {
        host.refreshEnabled = refresh;
        w.cmdExit->click();
        w.close(); // the title bar's close button
        EXPECT_EQ(hideRequests, refresh ? 2 : 0);
    }
    EXPECT_TRUE(w.isVisible()) << "the owner unloads the window";
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
    EXPECT_EQ(host.timerStarts, 1);
}

#include "core/text_ids.h"
#include "grab/search_start.h"
#include "mainwin_fixture.h"

#include <QComboBox>
#include <QEventLoop>
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

TEST_F(MainWindowTest, HideWaitsForTheThumbnailRebuildAndTheStripIsCentredAsOne)
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

    w.picThumb[0]->move(25, 328);
    const QPoint first = w.cmdFirst->pos(), slot = w.picThumb[0]->pos(), hide = w.cmdExit->pos();
    for (const int shift : {0, 100}) {
        const int width = frmResource::ClientWidth + 2 * shift + 1;
        w.resize(width, 600);
        EXPECT_EQ(w.cmdFirst->pos(), first + QPoint(shift, 0)) << width;
        EXPECT_EQ(w.picThumb[0]->pos(), slot + QPoint(shift, 0)) << width;
        const QRect page = w.lblThumbViewPage->geometry();
        EXPECT_LE(std::abs(page.left() - (width - 1 - page.right())), 1) << "centred";
        EXPECT_EQ(w.cmdExit->pos(), hide);
    }
}

TEST_F(MainWindowTest, HistoryPickStaysInMemoryAndDeleteStoresTheNewList)
{
    state.projects = {u"e0"_s, u"e1"_s, u"e2"_s, u"e3"_s};
    state.store.SaveProjectList(state.settings, state.projects);
    open();
    QComboBox *box = panel().cmbSearchedSite;
    box->setCurrentIndex(2);
    Q_EMIT box->activated(2);
    EXPECT_EQ(state.projects, (ProjectList{u"e2"_s, u"e0"_s, u"e1"_s, u"e3"_s}));
    EXPECT_EQ(values.SearchText, u"e2"_s);
    window->cmdGrabNow->click(); // a search in the history is not stored again
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, u"Project1"_s), u"e0"_s);
    box->setCurrentIndex(1); // until the text timer shows the first entry again
    QEventLoop loop;
    QObject::connect(&panel().tmrText, &QTimer::timeout, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(box->currentIndex(), 0);
    box->setCurrentIndex(1);
    panel().cmdDelete->click();
    EXPECT_EQ(box->count(), 3);
    EXPECT_EQ(stored(SettingsStore::ResSettingKey, u"Project2"_s), u"e1"_s);
}

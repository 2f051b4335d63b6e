#include "core/text_ids.h"
#include "grab/search_start.h"
#include "imaging/thumbnails.h"
#include "mainwin/frm_resource.h"
#include "mainwin/main_window_host.h"
#include "mainwin/ocx_resource.h"
#include "mainwin/panel_values.h"
#include "mainwin/thumb_view.h"
#include "platform/event_pump.h"
#include "support/fakes.h"
#include "support/program_folder.h"
#include "support/typing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <map>
#include <memory>

using namespace TextId;
using namespace Qt::StringLiterals;

// The main window built on demand over the program folder, scripted message boxes and folder
// picker. The test is the window's host: it decodes thumbnails in the test's thread, yields
// without running events, and stands in for the viewer, recording the list index of every
// picture it is asked to show.
class MainWindowTest : public ProgramFolder, public MainWindowHost, public PicturePreview {
protected:
    frmResource &open()
    {
        window = std::make_unique<frmResource>(state, values, messages, folders, *this);
        window->Form_Load();
        return *window;
    }
    // Opens the window on the first count of the small pictures p00.bmp, p01.bmp, ...
    frmResource &openOn(int count)
    {
        for (int i = 0; i < count; ++i)
            savePicture(u"p%1.bmp"_s.arg(i, 2, 10, QLatin1Char('0')), {4, 2});
        return open();
    }
    ocxResource &panel() { return window->panel(); }

    void showHelp() override {}
    bool thumbRefreshEnabled() const override { return refreshEnabled; }
    void setThumbRefreshEnabled(bool enabled) override { refreshEnabled = enabled; }
    void startGrabTimers() override { ++timerStarts; }
    void cancelGrabStart() override { ++startsCancelled; }
    FolderListing &folderListing() override { return folderList; }
    ThumbnailCache &thumbnails() override { return cache; }
    EventPump &events() override { return pump; }
    PicturePreview *viewer() override { return this; }
    void showCurrent() override { shownIndices.push_back(state.files.CurrentImageIndex); }
    void unload() override { ++unloads; }

    PanelValues values;
    ScriptedMessageBoxes messages;
    ScriptedFolderPicker folders;
    bool refreshEnabled = true;
    int timerStarts = 0;
    int startsCancelled = 0;
    int unloads = 0;
    std::vector<int> shownIndices;
    FolderListing folderList{listing, false};
    ThumbnailCache cache{ThumbnailCache::DefaultCapacity, 0};
    ScriptedEventPump pump;
    std::unique_ptr<frmResource> window;
};

TEST_F(MainWindowTest, GrabNowChecksInOrderThenSeedsAndStoresTheSearchAndThenStops)
{
    frmResource &w = open();
    values.AnyFormatSelected = false;
    state.settings.FileFromNum = 6;
    state.settings.FileToNum = 5;
    w.cmdGrabNow->click();
    EXPECT_EQ(messages.shown.back().text, text(NoFormatMessage));
    values.AnyFormatSelected = true;
    w.cmdGrabNow->click();
    EXPECT_EQ(messages.shown.back().text,
              text(RangeFrom) + u" 6 " + text(RangeTo) + u" 5 " + text(RangeInvalid));
    state.settings.FileFromNum = 5; // an equal range is valid
    w.cmdGrabNow->click();
    EXPECT_EQ(messages.shown.back().text, text(NoSearchMessage));
    ASSERT_FALSE(panel().cmdDelete->isEnabled());

    messages.shown.clear();
    panel().txtWebsiteURL->setText(u"example.com/pics/"_s);
    const SearchStart start =
        startOfSearch(values.SearchText, state.projectFolder, state.language.SearchBaseAddress,
                      state.language.SearchPageSuffix);
    w.cmdGrabNow->click();
    ASSERT_EQ(state.grab.LinkList.count(), 1);
    EXPECT_EQ(state.grab.LinkList.at(0).Address, start.StartAddress);
    EXPECT_EQ(state.store.ReadRegistryValue(SettingsStore::ResSettingKey, u"Project1"_s),
              start.SearchText);
    EXPECT_TRUE(panel().cmdDelete->isEnabled());
    EXPECT_EQ(state.store.ReadRegistryValue(SettingsStore::ImageKey, u"FileToNum"_s), u"5"_s);

    // Stopping checks nothing; a press while the stopped grab winds down is ignored.
    state.grab.Grabbing = true;
    values.AnyFormatSelected = false;
    w.cmdGrabNow->click();
    EXPECT_TRUE(state.grab.StopRequested);
    EXPECT_EQ(state.status.grabCaption(), text(GrabCaption));
    EXPECT_EQ(startsCancelled, 1);
    w.cmdGrabNow->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(timerStarts, 1);
    EXPECT_EQ(open().cmdGrabNow->text(), text(StopCaption)) << "opened on a running grab";
}

TEST_F(MainWindowTest, LoadWhileClosedFitsTheCaptionsLeavesTheCountsAndHideWaitsForTheRebuild)
{
    state.language.LanguageText.set(LastCaption, QString(40, u'W'));
    state.status.MainWindowOpen = false;
    frmResource &w = open();
    EXPECT_LT(w.cmdFirst->font().pointSizeF(), w.font().pointSizeF()) << "one font for all four";
    EXPECT_EQ(w.panelText(2), text(FirstPanel + 1)) << "no counts while closed";
    int hides = 0;
    QObject::connect(&w, &frmResource::cmdExitClicked, [&hides] { ++hides; });
    for (const bool refresh : {false, true}) {
        refreshEnabled = refresh;
        w.cmdExit->click();
        EXPECT_EQ(hides, refresh ? 1 : 0);
    }
}

TEST_F(MainWindowTest, APictureFolderThatIsAPlainFileFallsBackToTheProgramFolder)
{
    state.settings.Download_File_Folder = folder.filePath(u"english.lan"_s);
    open();
    EXPECT_EQ(std::tuple(state.settings.Download_File_Folder, state.files.ListedFolder,
                         panel().txtFileFolder->text()),
              std::tuple(state.projectFolder, state.projectFolder, state.projectFolder));
}

TEST_F(MainWindowTest, HistoryPickOffersItsSearchADeleteIsStoredAndAnUnchangedOneIsNot)
{
    state.projects = {u"a"_s, u"b"_s};
    state.store.SaveProjectList(state.settings, state.projects);
    ocxResource &p = open().panel();
    p.cmbSearchedSite->setCurrentIndex(1);
    Q_EMIT p.cmbSearchedSite->activated(1);
    EXPECT_EQ(p.txtWebsiteURL->text(), u"b"_s);
    values.AnyFormatSelected = true;
    window->cmdGrabNow->click();
    EXPECT_EQ(timerStarts, 1);
    EXPECT_EQ(state.store.ReadRegistryValue(SettingsStore::ResSettingKey, u"Project1"_s), u"a"_s);
    p.cmdDelete->click(); // the shown "b"
    EXPECT_EQ(state.store.ReadRegistryValue(SettingsStore::ResSettingKey, u"Project2"_s), u""_s);
}

TEST_F(MainWindowTest, PanelEnablesTheLimitsByTheFormatsAndChecksEveryFieldAsItChanges)
{
    Settings &s = state.settings;
    s.GIF_Download = s.JPG_Download = s.JPEG_Download = s.BMP_Download = s.PNG_Download = false;
    s.Limited_Images_Resolution = true; // the file size limit stays off, as on a first run
    ocxResource &p = open().panel();
    // Each box and some of its dependants, and whether a ticked format enables them.
    const std::pair<const QWidget *, bool> parts[] = {
        {p.chkImageSize, true},     {p.txtImageWidth, true},     {p.lblHeightPixel, true},
        {p.chkImageFileSize, true}, {p.txtImageFileSize, false}, {p.lblImageKB, false}};
    const auto expectEnabled = [&parts](bool formats) {
        for (const auto &[part, ticked] : parts)
            EXPECT_EQ(part->isEnabled(), formats && ticked) << part->metaObject()->className();
    };
    expectEnabled(false);
    p.chkImage[4]->click(); // the first format ticked
    EXPECT_TRUE(s.PNG_Download && values.AnyFormatSelected);
    expectEnabled(true);
    p.chkImage[4]->click(); // the last format cleared
    expectEnabled(false);
    EXPECT_TRUE(s.Limited_Images_Resolution && !s.Limited_Images_Size);

    // Every field is checked as it changes; one remembered text serves them all.
    p.txtImageFileSize->setText(QString::number(ocxResource::LargestFileSize + 1));
    EXPECT_EQ(s.Images_File_Size, ocxResource::LargestFileSize);
    p.txtImageWidth->setText(QString::number(ocxResource::LargestDimension + 1));
    EXPECT_EQ(s.Images_Width, ocxResource::LargestDimension);
    clickOn(p.txtFileName, QPointF(-5, -5)); // released outside, it still counts as a click
    clickOn(p.txtWebsiteURL);                // the search field is never remembered
    p.txtImageHeight->setText(u"x"_s);
    EXPECT_EQ(p.txtImageHeight->text(), u"Catch"_s);
    EXPECT_EQ(s.Images_Height, 0);
    p.txtFileTo->setText(u"8"_s);
    EXPECT_EQ(s.FileToNum, 8);
    p.txtFileFrom->setText(u"-"_s);
    EXPECT_EQ(messages.shown.back().text, text(FileNumberDigits));
    EXPECT_EQ(p.txtFileFrom->selectedText(), u"-"_s);
}

// Clicks: f forward, b backward, l last, 1 first. Each button is checked after the change that
// first enables it.
TEST_F(MainWindowTest, StripPageLabelButtonsAndSlotsFollowTheFileCountAndTheClicks)
{
    const std::tuple<int, const char *, const char *, bool, bool, int> cases[] = {
        {0, "", "0/0", false, false, 0},  {5, "", "1/1", false, false, 5},
        {6, "", "1/2", false, true, 5},   {6, "f", "2/2", true, false, 1},
        {11, "lb", "2/3", true, true, 5}, {11, "l1", "1/3", false, true, 5},
    };
    for (const auto &[files, clicks, caption, back, forward, slots] : cases) {
        frmResource &w = openOn(files);
        const std::map<char, QPushButton *> buttons = {
            {'f', w.cmdForward}, {'b', w.cmdBackward}, {'l', w.cmdLast}, {'1', w.cmdFirst}};
        for (const char *click = clicks; *click; ++click)
            buttons.at(*click)->click();
        EXPECT_EQ(w.lblThumbViewPage->text(), QString::fromLatin1(caption)) << files << clicks;
        EXPECT_EQ(w.lblThumbViewPage->palette().color(QPalette::WindowText),
                  files ? QColor(Qt::white) : QColor(0xC0, 0xC0, 0xC0));
        EXPECT_EQ(w.cmdFirst->isEnabled(), back) << files << clicks;
        EXPECT_EQ(w.cmdBackward->isEnabled(), back);
        EXPECT_EQ(w.cmdForward->isEnabled(), forward);
        EXPECT_EQ(w.cmdLast->isEnabled(), forward);
        for (int k = 0; k < ThumbsPerPage; ++k)
            EXPECT_EQ(w.lblThumbView[k]->isVisible(), k < slots) << files << clicks << k;
    }
}

// A wide picture, an unreadable file, a tall picture and a name too long for its slot.
TEST_F(MainWindowTest, StripSlotsAreCentredUnderTheirNamesShortenedToTheSlot)
{
    savePicture(u"a.png"_s, {400, 100});
    ASSERT_TRUE(QFile(state.settings.Download_File_Folder + u"/b.jpg").open(QIODevice::WriteOnly));
    savePicture(u"c.png"_s, {30, 60});
    const QString longName = u"d-a-name-far-too-long-for-one-slot-of-the-strip.png"_s;
    savePicture(longName, {8, 8});
    frmResource &w = open();

    const std::tuple<QRect, const char *> slots[] = {
        {{25, 358, 80, 20}, "a.png"}, {{191, 368, 0, 0}, "b.jpg"}, {{302, 338, 30, 60}, "c.png"}};
    for (int k = 0; k < 3; ++k) {
        const auto &[thumb, name] = slots[k];
        EXPECT_EQ(w.picThumb[k]->geometry(), thumb) << k;
        EXPECT_TRUE(w.picThumb[k]->isVisible());
        EXPECT_EQ(w.lblThumbView[k]->text(), QString::fromLatin1(name));
        EXPECT_EQ(w.lblThumbView[k]->geometry().center().x(), thumb.center().x()) << k;
    }
    EXPECT_NE(w.lblThumbView[3]->text(), longName);
    EXPECT_LT(w.lblThumbView[2]->geometry().right(), w.lblThumbView[3]->x());
    // A wider window centres the strip under the paging buttons.
    const int gap = w.picThumb[0]->x() - w.cmdFirst->x();
    for (const int wider : {200, 400}) {
        w.resize(frmResource::ClientWidth + wider, w.height());
        QCoreApplication::processEvents();
        EXPECT_EQ(w.picThumb[0]->x() - w.cmdFirst->x(), gap) << wider;
    }
}

TEST_F(MainWindowTest, StripDoubleClickOpensTheViewerOnTheListIndexUnlessAPageIsBeingBuilt)
{
    frmResource &w = openOn(12);
    w.cmdForward->click();
    EXPECT_TRUE(refreshEnabled) << "a paging click lets the refresh run again";
    refreshEnabled = false;
    sendMouse(w.picThumb[2], QEvent::MouseButtonDblClick);
    w.cmdForward->click();
    EXPECT_EQ(state.files.ThumbPage, 2) << "paging waits for the rebuild too";

    refreshEnabled = true;
    sendMouse(w.picThumb[2], QEvent::MouseButtonDblClick, {}, Qt::RightButton);
    sendMouse(&w, QEvent::MouseButtonDblClick, QPointF(1, 1)); // outside any slot
    EXPECT_TRUE(shownIndices.empty());
    sendMouse(w.picThumb[2], QEvent::MouseButtonDblClick);
    EXPECT_EQ(shownIndices, std::vector<int>{7});
}

TEST_F(MainWindowTest, StripFolderChoiceShowsTheFirstPageAndMovesOrClosesAnOpenViewer)
{
    state.files.PreviewOpen = true;
    frmResource &w = openOn(7);
    w.cmdForward->click();
    // Cancelled, the choice keeps the folder and announces nothing.
    QTemporaryDir empty;
    folders.answers = {QString(), empty.path(), state.settings.Download_File_Folder};
    panel().cmdChangeFileFolder->click();
    EXPECT_EQ(state.files.ThumbPage, 2);
    panel().cmdChangeFileFolder->click();
    EXPECT_EQ(unloads, 1);
    panel().cmdChangeFileFolder->click();
    EXPECT_EQ(state.files.ThumbPage, 1);
    EXPECT_EQ(shownIndices, (std::vector<int>{0, 0})) << "on Load and on the return";
}

TEST(ClampThumbPage, LowersThePageStepByStepToTheLastOne)
{
    const std::tuple<qint16, qint16, qint16, int> cases[] = {
        {0, 3, 0, 0}, {6, 3, 2, 1}, {6, 0, 1, 0}, {10, 2, 2, 0}, {10, 4, 2, 2}, {11, 3, 3, 0},
    };
    for (const auto &[count, page, expected, yields] : cases) {
        PictureFiles files;
        files.ImageFileCount = count;
        files.ThumbPage = page;
        ScriptedEventPump events;
        clampThumbPage(files, events);
        EXPECT_EQ(files.ThumbPage, expected) << count << " files, page " << page;
        EXPECT_EQ(events.yields, yields);
    }
}

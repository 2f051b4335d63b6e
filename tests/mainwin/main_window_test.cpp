#include "core/text_ids.h"
#include "grab/search_start.h"
#include "mainwin_fixture.h"
#include "support/typing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using MainWindowTest = MainWindowFixture;
using namespace TextId;
using namespace Qt::StringLiterals;

TEST_F(MainWindowTest, GrabNowChecksInOrderThenSeedsAndStoresTheSearchAndThenStops)
{
    frmResource &w = open();
    values.AnyFormatSelected = false;
    panel().txtWebsiteURL->clear();
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
    EXPECT_NE(state.store.ReadRegistryValue(SettingsStore::ImageKey, u"FileToNum"_s), u"5"_s)
        << "nothing saved";
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
    EXPECT_EQ(host.startsCancelled, 1);
    w.cmdGrabNow->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(host.timerStarts, 1);
}

TEST_F(MainWindowTest,
       LoadWhileClosedFitsTheCaptionsLeavesTheCountsAndHideWaitsForTheThumbnailRebuild)
{
    state.language.LanguageText.set(LastCaption, QString(40, u'W'));
    state.status.MainWindowOpen = false;
    frmResource &w = open();
    EXPECT_LT(w.cmdFirst->font().pointSizeF(), w.font().pointSizeF()) << "one font for all four";
    EXPECT_EQ(w.panelText(2), text(FirstPanel + 1)) << "no counts while closed";
    int hides = 0;
    QObject::connect(&w, &frmResource::cmdExitClicked, [&hides] { ++hides; });
    for (const bool refresh : {false, true}) {
        host.refreshEnabled = refresh;
        w.cmdExit->click();
        EXPECT_EQ(hides, refresh ? 1 : 0);
    }
}

TEST_F(MainWindowTest, APickedSearchStaysShownAndAnUnchangedHistoryIsNotStoredAgain)
{
    state.projects = {u"a"_s, u"b"_s};
    state.store.SaveProjectList(state.settings, state.projects);
    ocxResource &p = open().panel();
    p.cmbSearchedSite->setCurrentIndex(1);
    Q_EMIT p.cmbSearchedSite->activated(1);
    p.tmrText.setInterval(0);
    while (p.tmrText.isActive())
        QCoreApplication::processEvents();
    EXPECT_EQ(p.cmbSearchedSite->currentText(), u"b"_s);
    values.AnyFormatSelected = true;
    window->cmdGrabNow->click();
    EXPECT_EQ(host.timerStarts, 1);
    EXPECT_EQ(state.store.ReadRegistryValue(SettingsStore::ResSettingKey, u"Project1"_s), u"a"_s);
}

TEST_F(MainWindowTest, PanelEnablesTheLimitsByTheFormatsAndChecksEveryFieldAsItChanges)
{
    Settings &s = state.settings;
    s.GIF_Download = s.JPG_Download = s.JPEG_Download = s.BMP_Download = s.PNG_Download = false;
    s.Limited_Images_Resolution = s.Limited_Images_Size = true;
    ocxResource &p = open().panel();
    // Each box and some of its dependants.
    const QWidget *parts[] = {p.chkImageSize,     p.txtImageWidth,    p.lblHeightPixel,
                              p.chkImageFileSize, p.txtImageFileSize, p.lblImageKB};
    const auto expectEnabled = [&parts](bool enabled) {
        for (const QWidget *part : parts)
            EXPECT_EQ(part->isEnabled(), enabled) << part->metaObject()->className();
    };
    expectEnabled(false);
    p.chkImage[4]->click(); // the first format ticked
    EXPECT_TRUE(s.PNG_Download && values.AnyFormatSelected);
    expectEnabled(true);
    p.chkImage[4]->click(); // the last format cleared
    EXPECT_FALSE(values.AnyFormatSelected);
    expectEnabled(false);
    EXPECT_TRUE(s.Limited_Images_Resolution && s.Limited_Images_Size);

    // Every field is checked as it changes; one remembered text serves them all.
    p.txtImageFileSize->setText(QString::number(ocxResource::LargestFileSize + 1));
    EXPECT_EQ(state.settings.Images_File_Size, ocxResource::LargestFileSize);
    p.txtImageWidth->setText(QString::number(ocxResource::LargestDimension + 1));
    EXPECT_EQ(state.settings.Images_Width, ocxResource::LargestDimension);
    // A button released outside the field still counts as its click.
    sendMouse(p.txtFileName, QEvent::MouseButtonPress);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-5, -5), QPointF(-5, -5),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(p.txtFileName, &release);
    p.txtImageHeight->setText(u"x"_s);
    EXPECT_EQ(p.txtImageHeight->text(), u"Catch"_s);
    EXPECT_EQ(state.settings.Images_Height, 0);

    p.txtFileFrom->setText(u"-"_s);
    EXPECT_EQ(messages.shown.back().text, text(FileNumberDigits));
    typeKeys(p.txtFileFrom, u"12345"_s);
    EXPECT_EQ(messages.shown.back().text, text(FileNumberRange));
    EXPECT_EQ(p.txtFileFrom->selectedText(), u"12345"_s);
    EXPECT_EQ(state.settings.FileFromNum, 1234);

    // The folder button keeps the folder on cancel and announces only a new one.
    QStringList announced;
    QObject::connect(&p, &ocxResource::pictureFolderChanged,
                     [&announced](const QString &chosen) { announced.append(chosen); });
    const QString other = folder.filePath(u"other"_s);
    folders.answers = {QString(), state.settings.Download_File_Folder, other};
    for (int click = 0; click < 3; ++click)
        p.cmdChangeFileFolder->click();
    EXPECT_EQ(announced, QStringList{other});
    EXPECT_EQ(state.files.ListedFolder, other);
}

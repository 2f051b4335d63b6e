#include "mainwin_fixture.h"
#include "support/typing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using PanelTest = MainWindowFixture;

namespace {
std::vector<QWidget *> sizeDependants(ocxResource &panel)
{
    return {panel.lblImageWidth,  panel.lblImageHeight, panel.txtImageWidth,
            panel.txtImageHeight, panel.lblWidthPixel,  panel.lblHeightPixel};
}
std::vector<QWidget *> fileSizeDependants(ocxResource &panel)
{
    return {panel.lblImageFileSize, panel.txtImageFileSize, panel.lblImageKB};
}
} // namespace

TEST_F(PanelTest, ShowsTheStoredSettingsWithLanguageCaptions)
{
    state.settings.GIF_Download = false;
    state.settings.StayOnSameSite = true;
    state.settings.FileOverwrite = false;
    state.settings.Images_Width = 300;
    state.settings.Images_File_Size = 64;
    state.settings.Download_File_Name = QStringLiteral("Pics");
    state.settings.FileFromNum = 5;
    state.settings.FileToNum = 80;
    open();
    ocxResource &p = panel();

    EXPECT_FALSE(p.chkImage[0]->isChecked());
    for (int i = 1; i < 5; ++i)
        EXPECT_TRUE(p.chkImage[static_cast<size_t>(i)]->isChecked()) << i;
    EXPECT_TRUE(values.AnyFormatSelected);
    EXPECT_TRUE(p.chkStayOnSameSite->isChecked());
    EXPECT_FALSE(p.chkOverwrite->isChecked());
    EXPECT_TRUE(p.chkImageSize->isEnabled()) << "a ticked format enables the limit boxes";
    EXPECT_FALSE(p.chkImageSize->isChecked());
    EXPECT_FALSE(p.txtImageWidth->isEnabled());
    EXPECT_EQ(p.txtImageWidth->text(), QStringLiteral("300"));
    EXPECT_EQ(p.txtImageHeight->text(), QStringLiteral("100"));
    EXPECT_EQ(p.txtImageFileSize->text(), QStringLiteral("64"));
    EXPECT_EQ(p.txtFileName->text(), QStringLiteral("Pics"));
    EXPECT_EQ(p.txtFileFrom->text(), QStringLiteral("5"));
    EXPECT_EQ(p.txtFileTo->text(), QStringLiteral("80"));
    EXPECT_EQ(p.txtFileFolder->text(), state.settings.Download_File_Folder);
    EXPECT_TRUE(p.txtFileFolder->isReadOnly());
    EXPECT_FALSE(p.cmdDelete->isEnabled()) << "no history";
    EXPECT_TRUE(messages.shown.empty());

    EXPECT_EQ(p.fmeLimit->title(), text(86));
    EXPECT_EQ(p.chkStayOnSameSite->text(), text(115));

    // Each control of the file row starts where the one before it ends, plus the gap.
    const QWidget *row[] = {p.Label4, p.txtFileName, p.Label3,      p.txtFileFrom,
                            p.Label6, p.txtFileTo,   p.chkOverwrite};
    for (size_t i = 1; i < std::size(row); ++i) {
        EXPECT_EQ(row[i]->x(), row[i - 1]->x() + row[i - 1]->width() + ocxResource::FileRowGap)
            << i;
    }
    EXPECT_GE(p.Label4->width(), p.Label4->sizeHint().width()) << "a label of any length fits";
}

TEST_F(PanelTest, WidthFieldCapsAtTheMaximumAndRestoresTheTextOfTheLastClick)
{
    state.settings.Limited_Images_Resolution = true;
    open();
    QLineEdit *width = panel().txtImageWidth;
    ASSERT_TRUE(width->isEnabled());

    clickOn(width); // remembers "100"
    width->selectAll();
    typeKeys(width, QStringLiteral("300"));
    EXPECT_EQ(state.settings.Images_Width, 300) << "every keystroke is stored";
    typeKeys(width, QStringLiteral("0"));
    EXPECT_EQ(width->text(), QStringLiteral("2048"));
    EXPECT_EQ(state.settings.Images_Width, 2048);

    width->selectAll();
    typeKeys(width, QStringLiteral("0"));
    EXPECT_EQ(width->text(), QStringLiteral("100")) << "the text held at the last click";
    EXPECT_EQ(state.settings.Images_Width, 100);

    width->end(false);
    typeKeys(width, QStringLiteral("x"));
    EXPECT_EQ(width->text(), QStringLiteral("100"));

    typeKeys(width, QStringLiteral("5"));
    clickOn(width); // remembers "1005"
    width->selectAll();
    pressKey(width, Qt::Key_Backspace);
    EXPECT_EQ(width->text(), QStringLiteral("1005")) << "emptying brings it back at once";
    EXPECT_EQ(state.settings.Images_Width, 1005);

    QLineEdit *size = panel().txtImageFileSize;
    panel().chkImageFileSize->click();
    ASSERT_TRUE(size->isEnabled());
    size->selectAll();
    typeKeys(size, QStringLiteral("20000"));
    EXPECT_EQ(size->text(), QStringLiteral("10240"));
    EXPECT_EQ(state.settings.Images_File_Size, 10240);
    EXPECT_TRUE(messages.shown.empty()) << "limit fields never show a message";
}

TEST_F(PanelTest, OneRememberedTextServesEveryLimitAndNameField)
{
    state.settings.Limited_Images_Resolution = true;
    open();
    clickOn(panel().txtFileName); // remembers "Catch"

    // Reached with the Tab key and never clicked: a refused input brings back the name.
    QLineEdit *height = panel().txtImageHeight;
    height->selectAll();
    typeKeys(height, QStringLiteral("x"));
    EXPECT_EQ(height->text(), QStringLiteral("Catch"));
    EXPECT_EQ(state.settings.Images_Height, 0);

    // A name of digits with letters behind restores into a limit field as it is; the stored
    // value keeps within the field's maximum instead of running over.
    QLineEdit *name = panel().txtFileName;
    name->selectAll();
    typeKeys(name, QStringLiteral("99999abc"));
    clickOn(name);
    QLineEdit *width = panel().txtImageWidth;
    width->selectAll();
    typeKeys(width, QStringLiteral("-"));
    EXPECT_EQ(width->text(), QStringLiteral("99999abc"));
    EXPECT_EQ(state.settings.Images_Width, 2048);

    doubleClickOn(width);
    EXPECT_EQ(width->selectedText(), width->text()) << "a double click selects the whole text";
}

TEST_F(PanelTest, FromFieldTestsEveryKeystrokeAndKeepsTheLastAcceptedNumber)
{
    open();
    QLineEdit *from = panel().txtFileFrom;

    from->selectAll();
    typeKeys(from, QStringLiteral("-"));
    ASSERT_EQ(messageTexts(), QStringList{text(106)}) << "a lone minus is no number";
    EXPECT_EQ(messages.shown[0].icon, MessageBoxes::Icon::Exclamation);
    EXPECT_EQ(from->selectedText(), QStringLiteral("-"));
    EXPECT_EQ(state.settings.FileFromNum, 1);

    typeKeys(from, QStringLiteral("12345"));
    EXPECT_EQ(messageTexts(), (QStringList{text(106), text(105)}));
    EXPECT_EQ(from->text(), QStringLiteral("12345"));
    EXPECT_EQ(from->selectedText(), QStringLiteral("12345"));
    EXPECT_EQ(state.settings.FileFromNum, 1234) << "1234 was the last number accepted";

    typeKeys(from, QStringLiteral("9999"));
    EXPECT_EQ(state.settings.FileFromNum, 9999);
    from->selectAll();
    typeKeys(from, QStringLiteral("0"));
    EXPECT_EQ(state.settings.FileFromNum, 0);
    EXPECT_EQ(messages.shown.size(), 2u);

    from->selectAll();
    pressKey(from, Qt::Key_Backspace);
    EXPECT_EQ(messageTexts().last(), text(106)) << "an emptied field reports at once";
    EXPECT_EQ(state.settings.FileFromNum, 0);

    QLineEdit *to = panel().txtFileTo;
    to->selectAll();
    typeKeys(to, QStringLiteral("10000"));
    EXPECT_EQ(messageTexts().last(), text(105));
    EXPECT_EQ(state.settings.FileToNum, 1000);
}

TEST_F(PanelTest, FileNameRefusesABlankWholeAndAnEmptiedNameBecomesCatch)
{
    open();
    QLineEdit *name = panel().txtFileName;
    name->selectAll();
    typeKeys(name, QStringLiteral("Dogs"));
    EXPECT_EQ(state.settings.Download_File_Name, QStringLiteral("Dogs"));

    clickOn(name); // remembers "Dogs"
    typeKeys(name, QStringLiteral("x "));
    EXPECT_EQ(name->text(), QStringLiteral("Dogs")) << "not Dogsx: the text held at the click";
    typeKeys(name, QStringLiteral("!"));
    EXPECT_EQ(name->text(), QStringLiteral("Dogs"));
    EXPECT_EQ(state.settings.Download_File_Name, QStringLiteral("Dogs"));

    name->selectAll();
    pressKey(name, Qt::Key_Backspace);
    EXPECT_EQ(name->text(), QStringLiteral("Catch"));
    EXPECT_EQ(state.settings.Download_File_Name, QStringLiteral("Catch"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PanelTest, ClearingTheLastFormatDisablesTheLimitsAndKeepsTheirFlags)
{
    state.settings.Limited_Images_Resolution = true;
    state.settings.Limited_Images_Size = true;
    open();
    ocxResource &p = panel();
    for (QWidget *w : sizeDependants(p))
        ASSERT_TRUE(w->isEnabled());

    for (int i = 0; i < 4; ++i) {
        p.chkImage[static_cast<size_t>(i)]->click();
        EXPECT_TRUE(values.AnyFormatSelected) << i;
        EXPECT_TRUE(p.chkImageSize->isEnabled()) << i;
    }
    p.chkImage[4]->click();
    EXPECT_FALSE(values.AnyFormatSelected);
    EXPECT_FALSE(p.chkImageSize->isEnabled());
    EXPECT_FALSE(p.chkImageFileSize->isEnabled());
    for (QWidget *w : sizeDependants(p))
        EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
    for (QWidget *w : fileSizeDependants(p))
        EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
    EXPECT_TRUE(state.settings.Limited_Images_Resolution);
    EXPECT_TRUE(state.settings.Limited_Images_Size);

    p.SaveResourceSetting();
    EXPECT_EQ(stored(SettingsStore::ImageKey, QStringLiteral("PNG_Download")),
              QStringLiteral("False"));
    EXPECT_EQ(stored(SettingsStore::ImageKey, QStringLiteral("Limited_Images_Resolution")),
              QStringLiteral("True"));
    EXPECT_EQ(stored(SettingsStore::ImageKey, QStringLiteral("Limited_Images_Size")),
              QStringLiteral("True"));

    // The first format ticked again brings the limits back as they were.
    p.chkImage[2]->click();
    EXPECT_TRUE(state.settings.JPEG_Download);
    EXPECT_TRUE(p.chkImageFileSize->isEnabled());
    for (QWidget *w : fileSizeDependants(p))
        EXPECT_TRUE(w->isEnabled());

    p.chkImageFileSize->click();
    EXPECT_FALSE(state.settings.Limited_Images_Size);
    for (QWidget *w : fileSizeDependants(p))
        EXPECT_FALSE(w->isEnabled());
    EXPECT_TRUE(p.txtImageWidth->isEnabled()) << "each box has its own dependants";
}

TEST_F(PanelTest, WithoutAnyFormatTheLimitBoxesStartOff)
{
    state.settings.GIF_Download = state.settings.JPG_Download = state.settings.JPEG_Download =
        state.settings.BMP_Download = state.settings.PNG_Download = false;
    state.settings.Limited_Images_Resolution = true;
    open();
    EXPECT_FALSE(values.AnyFormatSelected);
    EXPECT_TRUE(panel().chkImageSize->isChecked());
    EXPECT_FALSE(panel().chkImageSize->isEnabled());
    EXPECT_FALSE(panel().txtImageWidth->isEnabled());
    EXPECT_TRUE(state.settings.Limited_Images_Resolution);
}

TEST_F(PanelTest, FolderButtonKeepsTheFolderOnCancelAndListsANewOne)
{
    open();
    const QString pictures = state.settings.Download_File_Folder;
    panel().cmdChangeFileFolder->click();
    EXPECT_EQ(folders.startFolders, QStringList{pictures});
    EXPECT_EQ(panel().txtFileFolder->text(), pictures);
    EXPECT_EQ(state.settings.Download_File_Folder, pictures);

    const QString other = folder.filePath(QStringLiteral("other"));
    folders.answers = {other};
    panel().cmdChangeFileFolder->click();
    EXPECT_EQ(panel().txtFileFolder->text(), other);
    EXPECT_EQ(state.settings.Download_File_Folder, other);
    EXPECT_EQ(state.files.ListedFolder, other);
    EXPECT_TRUE(panel().cmdChangeFileFolder->isEnabled());

    // The folder button's click also sets the remembered text, but a refused file name
    // keeps its last name instead of taking the folder's path.
    QLineEdit *name = panel().txtFileName;
    typeKeys(name, QStringLiteral(" "));
    EXPECT_EQ(name->text(), QStringLiteral("Catch"));
    EXPECT_EQ(state.settings.Download_File_Name, QStringLiteral("Catch"));
}

TEST_F(PanelTest, ClickedControlsGiveUpTheKeyboardFocus)
{
    frmResource &w = open();
    w.activateWindow();
    QApplication::setActiveWindow(&w);
    QCheckBox *sameSite = panel().chkStayOnSameSite;
    sameSite->setFocus();
    ASSERT_TRUE(sameSite->hasFocus());
    sameSite->click();
    EXPECT_FALSE(sameSite->hasFocus());
    EXPECT_TRUE(sameSite->isEnabled());
    EXPECT_TRUE(state.settings.StayOnSameSite);

    QCheckBox *overwrite = panel().chkOverwrite;
    overwrite->setFocus();
    overwrite->click();
    EXPECT_FALSE(overwrite->hasFocus());
    EXPECT_FALSE(state.settings.FileOverwrite);
}

#include "core/text_ids.h"
#include "mainwin_fixture.h"
#include "support/typing.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using PanelTest = MainWindowFixture;
using namespace Qt::StringLiterals;

namespace {
void retype(QLineEdit *field, const QString &text)
{
    field->selectAll();
    typeKeys(field, text);
}
} // namespace

TEST_F(PanelTest, LimitBoxesFollowTheFormatsAndKeepTheirFlagsWhileDisabled)
{
    Settings &s = state.settings;
    s.GIF_Download = s.JPG_Download = s.JPEG_Download = s.BMP_Download = s.PNG_Download = false;
    s.Limited_Images_Resolution = s.Limited_Images_Size = s.StayOnSameSite = true;
    s.Images_Width = 300;
    open();
    ocxResource &p = panel();
    EXPECT_TRUE(p.chkStayOnSameSite->isChecked() && p.chkImageSize->isChecked());
    EXPECT_EQ(p.txtImageWidth->text(), u"300"_s);
    EXPECT_FALSE(p.cmdDelete->isEnabled()) << "no history";
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
    p.chkImage[1]->click();
    p.chkImage[4]->click();
    expectEnabled(true);
    p.chkImage[1]->click(); // the last format cleared
    EXPECT_FALSE(values.AnyFormatSelected);
    expectEnabled(false);
    EXPECT_TRUE(s.Limited_Images_Resolution && s.Limited_Images_Size);
    p.chkImage[0]->click();
    p.chkImageFileSize->click();
    EXPECT_FALSE(s.Limited_Images_Size);
    EXPECT_FALSE(p.txtImageFileSize->isEnabled());
    EXPECT_TRUE(p.txtImageWidth->isEnabled()) << "each box has its own dependants";
}

TEST_F(PanelTest, FieldsCheckEveryKeystrokeAndRestoreTheOneRememberedText)
{
    state.settings.Limited_Images_Resolution = state.settings.Limited_Images_Size = true;
    open();
    ocxResource &p = panel();
    retype(p.txtImageFileSize, QString::number(ocxResource::LargestFileSize + 1));
    EXPECT_EQ(state.settings.Images_File_Size, ocxResource::LargestFileSize);
    const QString widest = QString::number(ocxResource::LargestDimension);
    retype(p.txtImageWidth, QString::number(ocxResource::LargestDimension + 1));
    EXPECT_EQ(p.txtImageWidth->text(), widest);
    EXPECT_EQ(state.settings.Images_Width, ocxResource::LargestDimension);
    clickOn(p.txtImageWidth);
    retype(p.txtImageWidth, u"12"_s);
    p.txtImageWidth->selectAll();
    pressKey(p.txtImageWidth, Qt::Key_Backspace);
    EXPECT_EQ(p.txtImageWidth->text(), widest) << "emptied: the text of the last click";
    // One remembered text for all fields; a button released outside the field still counts.
    sendMouse(p.txtFileName, QEvent::MouseButtonPress);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-5, -5), QPointF(-5, -5),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(p.txtFileName, &release);
    retype(p.txtImageHeight, u"x"_s);
    EXPECT_EQ(p.txtImageHeight->text(), u"Catch"_s);
    EXPECT_EQ(state.settings.Images_Height, 0);
    EXPECT_TRUE(messages.shown.empty()) << "limit fields never show a message";

    retype(p.txtFileFrom, u"-"_s);
    EXPECT_EQ(lastMessage(), text(TextId::FileNumberDigits));
    typeKeys(p.txtFileFrom, u"12345"_s);
    EXPECT_EQ(lastMessage(), text(TextId::FileNumberRange));
    EXPECT_EQ(p.txtFileFrom->selectedText(), u"12345"_s);
    EXPECT_EQ(state.settings.FileFromNum, 1234);
    retype(p.txtFileTo, u"77"_s);
    EXPECT_EQ(state.settings.FileToNum, 77);
}

TEST_F(PanelTest, FolderButtonKeepsTheFolderOnCancelAndAnnouncesOnlyANewOne)
{
    open();
    QStringList announced;
    QObject::connect(&panel(), &ocxResource::pictureFolderChanged,
                     [&announced](const QString &chosen) { announced.append(chosen); });
    const QString pictures = state.settings.Download_File_Folder;
    const QString other = folder.filePath(u"other"_s);
    for (const QString &answer : {QString(), pictures, other, other}) {
        folders.answers = {answer};
        panel().cmdChangeFileFolder->click();
        EXPECT_EQ(state.files.ListedFolder, answer.isEmpty() ? pictures : answer);
    }
    EXPECT_EQ(announced, QStringList{other});
    typeKeys(panel().txtFileName, u" "_s); // the remembered text is now a path
    EXPECT_EQ(panel().txtFileName->text(), u"Catch"_s);
}

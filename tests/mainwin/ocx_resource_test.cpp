#include "core/text_ids.h"
#include "mainwin_fixture.h"
#include "support/typing.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using PanelTest = MainWindowFixture;
using namespace Qt::StringLiterals;

TEST_F(PanelTest, LimitBoxesFollowTheFormatsAndKeepTheirFlagsWhileDisabled)
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
    p.chkImage[0]->click();
    p.chkImageFileSize->click(); // each box has its own dependants
    EXPECT_FALSE(s.Limited_Images_Size);
    EXPECT_FALSE(p.txtImageFileSize->isEnabled());
    EXPECT_TRUE(p.txtImageWidth->isEnabled());
}

TEST_F(PanelTest, FieldsCheckEveryKeystrokeAndRestoreTheOneRememberedText)
{
    state.settings.Limited_Images_Resolution = state.settings.Limited_Images_Size = true;
    ocxResource &p = open().panel();
    const auto retype = [](QLineEdit *field, const QString &text) {
        field->selectAll();
        typeKeys(field, text);
    };
    retype(p.txtImageFileSize, QString::number(ocxResource::LargestFileSize + 1));
    EXPECT_EQ(state.settings.Images_File_Size, ocxResource::LargestFileSize);
    retype(p.txtImageWidth, QString::number(ocxResource::LargestDimension + 1));
    EXPECT_EQ(state.settings.Images_Width, ocxResource::LargestDimension);
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

    // The folder button keeps the folder on cancel, announces only a new one, and its path,
    // now the remembered text, never becomes the file name.
    QStringList announced;
    QObject::connect(&p, &ocxResource::pictureFolderChanged,
                     [&announced](const QString &chosen) { announced.append(chosen); });
    const QString pictures = state.settings.Download_File_Folder;
    const QString other = folder.filePath(u"other"_s);
    for (const QString &answer : {QString(), pictures, other, other}) {
        folders.answers = {answer};
        p.cmdChangeFileFolder->click();
        EXPECT_EQ(state.files.ListedFolder, answer.isEmpty() ? pictures : answer);
    }
    EXPECT_EQ(announced, QStringList{other});
    typeKeys(p.txtFileName, u" "_s);
    EXPECT_EQ(p.txtFileName->text(), u"Catch"_s);
}

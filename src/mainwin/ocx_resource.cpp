#include "mainwin/ocx_resource.h"

#include "core/app_state.h"
#include "core/text_ids.h"
#include "mainwin/field_rules.h"
#include "mainwin/give_up_focus.h"
#include "mainwin/panel_values.h"
#include "mainwin/search_history.h"
#include "platform/folder_picker.h"
#include "platform/message_boxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace {
// Where the frames stand in the panel, which fills the upper part of the main window; the
// lower right corner is left to the window's command buttons.
const QRect SearchFrameArea(4, 0, 416, 112);
const QRect FormatFrameArea(424, 0, 204, 112);
const QRect NameFolderFrameArea(4, 114, 624, 80);
const QRect LimitFrameArea(4, 196, 536, 110);
constexpr int NumberFieldWidth = 56;
constexpr int FileNameWidth = 120;
constexpr int FileNumberWidth = 52;

// Sets a field's text; like typing, a new text runs the field's change behaviour, the same
// text runs nothing.
void replaceText(QLineEdit *field, const QString &text)
{
    if (field->text() != text)
        field->setText(text);
}

QLabel *newLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}
} // namespace

ocxResource::ocxResource(AppState &state, PanelValues &values, MessageBoxes &messages,
                         FolderPicker &folders, QWidget *parent)
    : QWidget(parent), state_(state), values_(values), messages_(messages), folders_(folders)
{
    setObjectName(QStringLiteral("ocxResource"));
    createControls();
    arrangeControls();
    connectControls();
    UserControl_Initialize();
}

void ocxResource::createControls()
{
    fmeLimit = new QGroupBox(QStringLiteral("&Limit"), this);
    fmeResourceType = new QGroupBox(QStringLiteral("&Formats of Download Resources"), this);
    fmeSearch = new QGroupBox(QStringLiteral("&Search Property"), this);
    fmeNameFolder = new QGroupBox(QStringLiteral("File Folder and &Name"), this);

    const char16_t *extensions[] = {u".gif", u".jpg", u".jpeg", u".bmp", u".png"};
    for (size_t i = 0; i < chkImage.size(); ++i)
        chkImage[i] = new QCheckBox(QString::fromUtf16(extensions[i]), fmeResourceType);

    chkImageSize = new QCheckBox(QStringLiteral("Limited by images resolution"), fmeLimit);
    lblImageWidth = newLabel(QStringLiteral("Width more than"), fmeLimit);
    lblImageHeight = newLabel(QStringLiteral("Height more than"), fmeLimit);
    txtImageWidth = new QLineEdit(QStringLiteral("500"), fmeLimit);
    txtImageHeight = new QLineEdit(QStringLiteral("500"), fmeLimit);
    lblWidthPixel = newLabel(QStringLiteral("pixels"), fmeLimit);
    lblHeightPixel = newLabel(QStringLiteral("pixels"), fmeLimit);
    chkImageFileSize = new QCheckBox(QStringLiteral("Limited by images file size"), fmeLimit);
    lblImageFileSize = newLabel(QStringLiteral("File size more than"), fmeLimit);
    txtImageFileSize = new QLineEdit(QStringLiteral("500"), fmeLimit);
    lblImageKB = newLabel(QStringLiteral("KB"), fmeLimit);
    for (QWidget *control : std::initializer_list<QWidget *>{
             chkImageSize, lblImageWidth, lblImageHeight, txtImageWidth, txtImageHeight,
             lblWidthPixel, lblHeightPixel, chkImageFileSize, lblImageFileSize, txtImageFileSize,
             lblImageKB})
        control->setEnabled(false);

    chkStayOnSameSite = new QCheckBox(QStringLiteral("Stay on same site"), fmeSearch);
    Label1 = newLabel(QStringLiteral("Search :"), fmeSearch);
    txtWebsiteURL = new QLineEdit(QStringLiteral("www.example.com"), fmeSearch);
    Label2 = newLabel(QStringLiteral("History :"), fmeSearch);
    cmbSearchedSite = new QComboBox(fmeSearch);
    cmdDelete = new QPushButton(QStringLiteral("&Del"), fmeSearch);
    tmrText.setInterval(state_.timings.TextMs);

    Label5 = newLabel(QStringLiteral("Folder:"), fmeNameFolder);
    txtFileFolder = new QLineEdit(fmeNameFolder);
    txtFileFolder->setReadOnly(true);
    cmdChangeFileFolder = new QPushButton(QStringLiteral("&Change"), fmeNameFolder);
    fileRow_ = new QWidget(fmeNameFolder);
    Label4 = newLabel(QStringLiteral("File Name:"), fileRow_);
    txtFileName = new QLineEdit(QStringLiteral("Catch"), fileRow_);
    Label3 = newLabel(QStringLiteral("From"), fileRow_);
    txtFileFrom = new QLineEdit(QStringLiteral("0"), fileRow_);
    Label6 = newLabel(QStringLiteral("To"), fileRow_);
    txtFileTo = new QLineEdit(QStringLiteral("999"), fileRow_);
    chkOverwrite = new QCheckBox(QStringLiteral("File Overwrite"), fileRow_);
}

void ocxResource::arrangeControls()
{
    fmeSearch->setGeometry(SearchFrameArea);
    auto *search = new QGridLayout(fmeSearch);
    search->addWidget(Label1, 0, 0);
    search->addWidget(txtWebsiteURL, 0, 1, 1, 2);
    search->addWidget(Label2, 1, 0);
    search->addWidget(cmbSearchedSite, 1, 1);
    search->addWidget(cmdDelete, 1, 2);
    search->addWidget(chkStayOnSameSite, 2, 1, 1, 2);
    search->setColumnStretch(1, 1);

    fmeNameFolder->setGeometry(NameFolderFrameArea);
    auto *nameFolder = new QVBoxLayout(fmeNameFolder);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(Label5);
    folderRow->addWidget(txtFileFolder, 1);
    folderRow->addWidget(cmdChangeFileFolder);
    nameFolder->addLayout(folderRow);
    nameFolder->addWidget(fileRow_);

    fmeResourceType->setGeometry(FormatFrameArea);
    auto *formats = new QGridLayout(fmeResourceType);
    for (int i = 0; i < static_cast<int>(chkImage.size()); ++i)
        formats->addWidget(chkImage[static_cast<size_t>(i)], i / 2, i % 2);

    fmeLimit->setGeometry(LimitFrameArea);
    auto *limit = new QGridLayout(fmeLimit);
    limit->addWidget(chkImageSize, 0, 0, 1, 3);
    limit->addWidget(lblImageWidth, 1, 0);
    limit->addWidget(txtImageWidth, 1, 1);
    limit->addWidget(lblWidthPixel, 1, 2);
    limit->addWidget(lblImageHeight, 2, 0);
    limit->addWidget(txtImageHeight, 2, 1);
    limit->addWidget(lblHeightPixel, 2, 2);
    limit->addWidget(chkImageFileSize, 0, 3, 1, 3);
    limit->addWidget(lblImageFileSize, 1, 3);
    limit->addWidget(txtImageFileSize, 1, 4);
    limit->addWidget(lblImageKB, 1, 5);
    limit->setColumnStretch(2, 1);
    limit->setColumnStretch(5, 1);
    for (QLineEdit *field : {txtImageWidth, txtImageHeight, txtImageFileSize})
        field->setFixedWidth(NumberFieldWidth);

    setFixedSize(FormatFrameArea.right() + 5, LimitFrameArea.bottom() + 1);
}

void ocxResource::connectControls()
{
    for (int i = 0; i < static_cast<int>(chkImage.size()); ++i) {
        QCheckBox *box = chkImage[static_cast<size_t>(i)];
        connect(box, &QCheckBox::clicked, this, [this, i, box] {
            chkImage_Click(i);
            giveUpFocus(box);
        });
    }
    connect(chkImageSize, &QCheckBox::clicked, this, [this] {
        chkImageSize_Click();
        giveUpFocus(chkImageSize);
    });
    connect(chkImageFileSize, &QCheckBox::clicked, this, [this] {
        chkImageFileSize_Click();
        giveUpFocus(chkImageFileSize);
    });
    connect(chkStayOnSameSite, &QCheckBox::clicked, this, [this](bool ticked) {
        state_.settings.StayOnSameSite = ticked;
        giveUpFocus(chkStayOnSameSite);
    });
    connect(chkOverwrite, &QCheckBox::clicked, this, [this](bool ticked) {
        state_.settings.FileOverwrite = ticked;
        giveUpFocus(chkOverwrite);
    });

    connect(txtImageWidth, &QLineEdit::textChanged, this,
            [this] { txtLimit_Change(txtImageWidth, LargestDimension); });
    connect(txtImageHeight, &QLineEdit::textChanged, this,
            [this] { txtLimit_Change(txtImageHeight, LargestDimension); });
    connect(txtImageFileSize, &QLineEdit::textChanged, this,
            [this] { txtLimit_Change(txtImageFileSize, LargestFileSize); });
    connect(txtFileFrom, &QLineEdit::textChanged, this,
            [this] { txtFileNumber_Change(txtFileFrom, &Settings::FileFromNum); });
    connect(txtFileTo, &QLineEdit::textChanged, this,
            [this] { txtFileNumber_Change(txtFileTo, &Settings::FileToNum); });
    connect(txtFileName, &QLineEdit::textChanged, this, &ocxResource::txtFileName_Change);
    connect(txtWebsiteURL, &QLineEdit::textChanged, this,
            [this](const QString &text) { values_.SearchText = text; });
    for (QLineEdit *field :
         {txtImageWidth, txtImageHeight, txtImageFileSize, txtFileName, txtWebsiteURL})
        field->installEventFilter(this);

    connect(cmdChangeFileFolder, &QPushButton::clicked, this,
            &ocxResource::cmdChangeFileFolder_Click);
    connect(cmbSearchedSite, &QComboBox::activated, this, &ocxResource::cmbSearchedSite_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &ocxResource::cmdDelete_Click);
    connect(&tmrText, &QTimer::timeout, this, &ocxResource::tmrText_Timer);
}

void ocxResource::UserControl_Initialize()
{
    const LanguageText &texts = state_.language.LanguageText;
    const Settings &settings = state_.settings;

    const std::pair<QWidget *, int> captions[] = {
        {fmeLimit, TextId::LimitFrame},
        {fmeResourceType, TextId::FormatFrame},
        {fmeSearch, TextId::SearchFrame},
        {fmeNameFolder, TextId::NameFolderFrame},
        {chkImageSize, TextId::ImageSizeBox},
        {lblImageWidth, TextId::WidthLabel},
        {lblImageHeight, TextId::HeightLabel},
        {chkImageFileSize, TextId::FileSizeBox},
        {lblImageFileSize, TextId::FileSizeLabel},
        {lblWidthPixel, TextId::PixelsLabel},
        {lblHeightPixel, TextId::PixelsLabel},
        {chkStayOnSameSite, TextId::SameSiteBox},
        {Label1, TextId::SearchLabel},
        {Label2, TextId::HistoryLabel},
        {cmdDelete, TextId::DeleteButton},
        {Label5, TextId::FolderLabel},
        {Label4, TextId::FileNameLabel},
        {Label3, TextId::FromLabel},
        {Label6, TextId::ToLabel},
        {chkOverwrite, TextId::OverwriteBox},
        {cmdChangeFileFolder, TextId::ChangeFolderButton},
    };
    for (const auto &[control, text] : captions) {
        if (auto *frame = qobject_cast<QGroupBox *>(control))
            frame->setTitle(texts[text]);
        else if (auto *label = qobject_cast<QLabel *>(control))
            label->setText(texts[text]);
        else
            static_cast<QAbstractButton *>(control)->setText(texts[text]);
    }
    placeFileRow();

    // A tick runs the box's click behaviour, as a click would.
    const auto tick = [](QCheckBox *box, bool flag, const auto &clickBehaviour) {
        if (!flag)
            return;
        box->setChecked(true);
        clickBehaviour();
    };
    values_.AnyFormatSelected = false;
    tick(chkImageSize, settings.Limited_Images_Resolution, [this] { chkImageSize_Click(); });
    tick(chkImageFileSize, settings.Limited_Images_Size, [this] { chkImageFileSize_Click(); });
    tick(chkStayOnSameSite, settings.StayOnSameSite, [] {});
    for (int i = 0; i < static_cast<int>(chkImage.size()); ++i)
        tick(chkImage[static_cast<size_t>(i)], formatFlag(i), [this, i] { chkImage_Click(i); });
    tick(chkOverwrite, settings.FileOverwrite, [] {});

    replaceText(txtImageWidth, QString::number(settings.Images_Width));
    replaceText(txtImageHeight, QString::number(settings.Images_Height));
    replaceText(txtImageFileSize, QString::number(settings.Images_File_Size));
    replaceText(txtFileName, settings.Download_File_Name);
    replaceText(txtFileFolder, settings.Download_File_Folder);
    replaceText(txtWebsiteURL, values_.SearchText);
    replaceText(txtFileFrom, QString::number(settings.FileFromNum));
    replaceText(txtFileTo, QString::number(settings.FileToNum));

    if (state_.projects.isEmpty()) {
        cmdDelete->setEnabled(false);
        return;
    }
    // Showing the newest entry counts as picking it, so the search field offers it.
    fillHistoryBox();
    cmbSearchedSite_Click();
    replaceText(txtWebsiteURL, values_.SearchText);
    cmdDelete->setEnabled(true);
}

void ocxResource::placeFileRow()
{
    const int height = txtFileName->sizeHint().height();
    txtFileName->resize(FileNameWidth, height);
    txtFileFrom->resize(FileNumberWidth, height);
    txtFileTo->resize(FileNumberWidth, height);
    for (QWidget *control : std::initializer_list<QWidget *>{Label4, Label3, Label6, chkOverwrite})
        control->resize(control->sizeHint().width(), height);

    Label4->move(0, 0);
    QWidget *previous = Label4;
    for (QWidget *control : std::initializer_list<QWidget *>{txtFileName, Label3, txtFileFrom,
                                                             Label6, txtFileTo, chkOverwrite}) {
        control->move(previous->x() + previous->width() + FileRowGap, 0);
        previous = control;
    }
    fileRow_->setFixedHeight(height);
}

void ocxResource::SaveResourceSetting()
{
    state_.store.SaveResourceSetting(state_.settings);
}

void ocxResource::ChangeFileFolder(const QString &folder)
{
    txtFileFolder->setText(folder);
}

bool &ocxResource::formatFlag(int index)
{
    Settings &settings = state_.settings;
    bool *flags[] = {&settings.GIF_Download, &settings.JPG_Download, &settings.JPEG_Download,
                     &settings.BMP_Download, &settings.PNG_Download};
    return *flags[index];
}

void ocxResource::chkImage_Click(int index)
{
    values_.AnyFormatSelected = false;
    if (chkImage[static_cast<size_t>(index)]->isChecked()) {
        formatFlag(index) = true;
        chkImageSize->setEnabled(true);
        chkImageFileSize->setEnabled(true);
        values_.AnyFormatSelected = true;
    } else {
        formatFlag(index) = false;
        for (QCheckBox *box : chkImage) {
            if (box->isChecked()) {
                values_.AnyFormatSelected = true;
                break;
            }
        }
        if (!values_.AnyFormatSelected) {
            chkImageSize->setEnabled(false);
            chkImageFileSize->setEnabled(false);
        }
    }
    chkImageSize_Click();
    chkImageFileSize_Click();
}

void ocxResource::chkImageSize_Click()
{
    limitBox_Click(chkImageSize, state_.settings.Limited_Images_Resolution,
                   {lblImageWidth, lblImageHeight, txtImageWidth, txtImageHeight, lblWidthPixel,
                    lblHeightPixel});
}

void ocxResource::chkImageFileSize_Click()
{
    limitBox_Click(chkImageFileSize, state_.settings.Limited_Images_Size,
                   {lblImageFileSize, txtImageFileSize, lblImageKB});
}

void ocxResource::limitBox_Click(QCheckBox *box, bool &flag,
                                 const std::vector<QWidget *> &dependants)
{
    // A disabled box keeps its flag, so the limit comes back with the first format ticked.
    const bool enabled = box->isEnabled();
    if (enabled)
        flag = box->isChecked();
    for (QWidget *dependant : dependants)
        dependant->setEnabled(enabled && box->isChecked());
}

void ocxResource::txtLimit_Change(QLineEdit *field, int maximum)
{
    replaceText(field, limitFieldText(field->text(), PreviousText, maximum));
    const int value = limitFieldValue(field->text(), maximum);
    Settings &settings = state_.settings;
    if (field == txtImageWidth)
        settings.Images_Width = static_cast<qint16>(value);
    else if (field == txtImageHeight)
        settings.Images_Height = static_cast<qint16>(value);
    else
        settings.Images_File_Size = value;
}

void ocxResource::txtFileNumber_Change(QLineEdit *field, qint32 Settings::*number)
{
    const FileNumberCheck check = checkFileNumber(field->text());
    if (check.kind == FileNumberCheck::Kind::Accepted) {
        state_.settings.*number = check.value;
        return;
    }
    const int text = check.kind == FileNumberCheck::Kind::OutOfRange ? TextId::FileNumberRange
                                                                     : TextId::FileNumberDigits;
    messages_.showMessage(state_.language.LanguageText[text], MessageBoxes::Icon::Exclamation);
    field->selectAll();
}

void ocxResource::txtFileName_Change()
{
    replaceText(txtFileName, fileNameText(txtFileName->text(), PreviousText,
                                          state_.settings.Download_File_Name));
    state_.settings.Download_File_Name = txtFileName->text();
}

bool ocxResource::eventFilter(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (field == nullptr)
        return QWidget::eventFilter(watched, event);
    // The search field only selects its text on a double click; the others also remember it.
    const bool remembers = field != txtWebsiteURL;
    if (event->type() == QEvent::MouseButtonRelease && remembers) {
        PreviousText = field->text();
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        field->selectAll();
        if (remembers)
            PreviousText = field->text();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ocxResource::cmdChangeFileFolder_Click()
{
    PreviousText = txtFileFolder->text();
    const QString chosen = folders_.BrowseForFolder(window(), PreviousText);
    txtFileFolder->setText(chosen.isEmpty() ? PreviousText : chosen);
    state_.settings.Download_File_Folder = txtFileFolder->text();
    if (state_.settings.Download_File_Folder != state_.status.ListedFolder)
        state_.status.ListedFolder = state_.settings.Download_File_Folder;
    giveUpFocus(cmdChangeFileFolder);
}

void ocxResource::fillHistoryBox()
{
    cmbSearchedSite->clear();
    cmbSearchedSite->addItems(state_.projects);
    if (!state_.projects.isEmpty())
        cmbSearchedSite->setCurrentIndex(0);
}

void ocxResource::AddProject()
{
    fillHistoryBox();
    txtWebsiteURL->setText(cmbSearchedSite->currentText());
    cmdDelete->setEnabled(true);
}

void ocxResource::cmbSearchedSite_Click()
{
    const QString picked = cmbSearchedSite->currentText();
    // The new order stays in memory until the history is next stored.
    state_.projects = pickedFirst(state_.projects, picked);
    fillHistoryBox();
    txtWebsiteURL->setText(picked);
    tmrText.start();
}

void ocxResource::tmrText_Timer()
{
    tmrText.stop();
    if (cmbSearchedSite->count() > 0)
        cmbSearchedSite->setCurrentIndex(0);
}

void ocxResource::cmdDelete_Click()
{
    deleteFromHistory(state_.projects, cmbSearchedSite->currentText());
    fillHistoryBox();
    state_.store.SaveProjectList(state_.settings, state_.projects);
    giveUpFocus(cmdDelete);
}

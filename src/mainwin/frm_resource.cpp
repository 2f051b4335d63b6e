#include "mainwin/frm_resource.h"

#include "core/app_state.h"
#include "core/text_ids.h"
#include "grab/search_start.h"
#include "mainwin/give_up_focus.h"
#include "mainwin/main_window_host.h"
#include "mainwin/ocx_resource.h"
#include "mainwin/panel_values.h"
#include "mainwin/search_history.h"
#include "platform/message_boxes.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>
#include <QTime>

#include <algorithm>

namespace {
constexpr int CommandLeft = 546;
constexpr int CommandWidth = 80;
constexpr int CommandHeight = 23; // the Help button ends a few pixels above the strip
constexpr int GrabTop = 222;
constexpr int HideTop = 252;
constexpr int HelpTop = 282;

constexpr int PageLabelTop = 312;
constexpr int PagingTop = 448;
constexpr int PagingWidth = 89;
constexpr int PagingHeight = 17;
constexpr int PagingLefts[] = {136, 224, 312, 400};
// Room left free on each side of a paging caption, and the smallest font it may shrink to.
constexpr int PagingCaptionRoom = 8;
constexpr qreal SmallestPagingPointSize = 6;

constexpr int PanelPadding = 4;

// A status panel: a framed text with a few pixels of room on both sides, as wide as its
// text asks.
class StatusPanel final : public QLabel {
public:
    StatusPanel(const QString &text, QWidget *parent) : QLabel(text, parent)
    {
        setTextFormat(Qt::PlainText);
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        setIndent(PanelPadding); // the room on the left
    }
    QSize sizeHint() const override { return QLabel::sizeHint() + QSize(PanelPadding, 0); }
    QSize minimumSizeHint() const override
    {
        return QLabel::minimumSizeHint() + QSize(PanelPadding, 0);
    }
};

const QColor StripColour(0x30, 0x30, 0x30);
const QColor NoPageColour(0xC0, 0xC0, 0xC0);
} // namespace

frmResource::frmResource(AppState &state, PanelValues &values, MessageBoxes &messages,
                         FolderPicker &folders, MainWindowHost &host, QWidget *parent)
    : QWidget(parent), state_(state), values_(values), messages_(messages), host_(host)
{
    setObjectName(QStringLiteral("frmResource"));
    setWindowTitle(QStringLiteral("Zovarode"));

    ocxResource_ = new ocxResource(state, values, messages, folders, this);
    ocxResource_->move(0, 0);

    cmdGrabNow = new QPushButton(QStringLiteral("&Grab"), this);
    cmdExit = new QPushButton(QStringLiteral("H&ide"), this);
    cmdHelp = new QPushButton(QStringLiteral("&Help"), this);
    cmdGrabNow->setGeometry(CommandLeft, GrabTop, CommandWidth, CommandHeight);
    cmdExit->setGeometry(CommandLeft, HideTop, CommandWidth, CommandHeight);
    cmdHelp->setGeometry(CommandLeft, HelpTop, CommandWidth, CommandHeight);

    createStrip();
    createStatusBar();

    // Parked outside the visible area; it takes the focus after a command.
    txtDumb = new QLineEdit(QStringLiteral("Text1"), this);
    txtDumb->setGeometry(-1000, -1000, 20, 20);

    connect(cmdGrabNow, &QPushButton::clicked, this, &frmResource::cmdGrabNow_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmResource::cmdExit_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmResource::cmdHelp_Click);
    connect(&state_.status, &MainWindowStatus::panelChanged, this,
            [this](int panel, const QString &text) {
                statusPanels_[static_cast<size_t>(panel - 1)]->setText(text);
            });
    connect(&state_.status, &MainWindowStatus::grabCaptionChanged, cmdGrabNow,
            &QPushButton::setText);

    setMinimumSize(ClientWidth, ClientHeight);
    resize(ClientWidth, ClientHeight);
}

void frmResource::createStrip()
{
    thumbBackdrop_ = new QWidget(this);
    thumbBackdrop_->setAutoFillBackground(true);
    QPalette backdrop = thumbBackdrop_->palette();
    backdrop.setColor(QPalette::Window, StripColour);
    thumbBackdrop_->setPalette(backdrop);

    lblThumbViewPage = new QLabel(QStringLiteral("0/0"), this);
    lblThumbViewPage->setTextFormat(Qt::PlainText);
    QPalette page = lblThumbViewPage->palette();
    page.setColor(QPalette::WindowText, NoPageColour);
    lblThumbViewPage->setPalette(page);
    lblThumbViewPage->adjustSize();
    lblThumbViewPage->move(lblThumbViewPage->x(), PageLabelTop);

    // The slots are placed when a page fills them; an empty strip shows none.
    for (size_t slot = 0; slot < picThumb.size(); ++slot) {
        picThumb[slot] = new QLabel(this);
        picThumb[slot]->setScaledContents(true);
        picThumb[slot]->hide();
        lblThumbView[slot] = new QLabel(this);
        lblThumbView[slot]->setTextFormat(Qt::PlainText);
        lblThumbView[slot]->hide();
    }
    picImg = new QLabel(this);
    picImg->hide();

    const char16_t *captions[] = {u"|<<   First", u"< Previous", u"Next >", u"Last   >>|"};
    std::array<QPushButton **, 4> buttons = {&cmdFirst, &cmdBackward, &cmdForward, &cmdLast};
    for (size_t i = 0; i < buttons.size(); ++i) {
        auto *button = new QPushButton(QString::fromUtf16(captions[i]), this);
        button->setGeometry(PagingLefts[i], PagingTop, PagingWidth, PagingHeight);
        button->setEnabled(false);
        *buttons[i] = button;
    }
}

void frmResource::createStatusBar()
{
    // Panels 2 to 4 take the width their text needs; the status line of panel 1 takes the
    // rest.
    sbThumbViewStatus = new QStatusBar(this);
    sbThumbViewStatus->setSizeGripEnabled(false);
    const char16_t *texts[] = {u"picture search engine", u"0 image", u"scan 0", u"0 Kbps"};
    for (size_t i = 0; i < statusPanels_.size(); ++i) {
        auto *label = new StatusPanel(QString::fromUtf16(texts[i]), sbThumbViewStatus);
        if (i == 0)
            label->setMinimumWidth(1);
        sbThumbViewStatus->addWidget(label, i == 0 ? 1 : 0);
        statusPanels_[i] = label;
    }
}

void frmResource::Form_Load()
{
    const LanguageText &texts = state_.language.LanguageText;
    show();

    setWindowTitle(texts[TextId::WindowCaption]);
    state_.status.setGrabCaption(texts[TextId::GrabCaption]);
    cmdExit->setText(texts[TextId::HideCaption]);
    cmdHelp->setText(texts[TextId::HelpCaption]);
    cmdFirst->setText(texts[TextId::FirstCaption]);
    cmdBackward->setText(texts[TextId::BackwardCaption]);
    cmdForward->setText(texts[TextId::ForwardCaption]);
    cmdLast->setText(texts[TextId::LastCaption]);
    fitPagingCaptions();

    for (int panel = 1; panel <= 4; ++panel)
        setPanel(panel, texts[TextId::FirstPanel + panel - 1]);

    // A running grab keeps its Stop caption even when the folder has to be replaced below,
    // so that it can be stopped from here.
    if (state_.grab.Grabbing)
        state_.status.setGrabCaption(texts[TextId::StopCaption]);

    if (!QFileInfo(state_.settings.Download_File_Folder).isDir()) {
        state_.settings.Download_File_Folder = state_.projectFolder;
        state_.status.ListedFolder = state_.projectFolder;
        ocxResource_->ChangeFileFolder(state_.projectFolder);
        return;
    }

    cmdExit->move(cmdExit->x(), HideTop);
    cmdHelp->move(cmdHelp->x(), HelpTop);

    if (state_.status.MainWindowOpen) {
        const GrabState &grab = state_.grab;
        setPanel(1, texts[TextId::ReadyStatus]);
        setPanel(2, QString::number(grab.PicturesSaved) + u' ' + texts[TextId::SavedWord]);
        setPanel(3, texts[TextId::ScannedWord] + u' ' + QString::number(grab.PagesCounted));
    }
}

void frmResource::setPanel(int panel, const QString &text)
{
    statusPanels_[static_cast<size_t>(panel - 1)]->setText(text);
    state_.status.showStatus(panel, text);
}

QString frmResource::panelText(int panel) const
{
    return statusPanels_.at(static_cast<size_t>(panel - 1))->text();
}

void frmResource::cmdGrabNow_Click()
{
    const LanguageText &texts = state_.language.LanguageText;
    GrabState &grab = state_.grab;
    if (cmdGrabNow->text() == texts[TextId::StopCaption]) {
        state_.status.setGrabCaption(texts[TextId::GrabCaption]);
        grab.StopRequested = true;
        // A driver that has not started yet would clear the request and run anyway.
        host_.cancelGrabStart();
        return;
    }
    // A stopped grab still winding down must not be seeded anew under its feet.
    if (grab.Grabbing) {
        txtDumb->setFocus();
        return;
    }
    if (!grabChecksPass()) {
        txtDumb->setFocus();
        return;
    }

    const SearchStart start =
        startOfSearch(values_.SearchText, state_.projectFolder, state_.language.SearchBaseAddress,
                      state_.language.SearchPageSuffix);
    values_.SearchText = start.SearchText;
    AddToHistory();
    prepareGrab(grab, start, state_.settings);
    state_.status.setGrabCaption(texts[TextId::StopCaption]);
    ocxResource_->SaveResourceSetting();
    host_.startGrabTimers();

    setPanel(1, texts[TextId::GrabStartedStatus] + u' ' +
                    QLocale().toString(QTime::currentTime(), QLocale::ShortFormat));
    setPanel(2, QString::number(grab.PicturesSaved) + u' ' + texts[TextId::PicturesSavedWord]);
    setPanel(3, texts[TextId::PagesCountedWord] + u' ' + QString::number(grab.PagesCounted));
    txtDumb->setFocus();
}

bool frmResource::grabChecksPass()
{
    const LanguageText &texts = state_.language.LanguageText;
    const Settings &settings = state_.settings;
    const auto refuse = [this](const QString &message) {
        messages_.showMessage(message, MessageBoxes::Icon::Exclamation);
        return false;
    };
    if (!values_.AnyFormatSelected)
        return refuse(texts[TextId::NoFormatMessage]);
    if (settings.FileFromNum > settings.FileToNum)
        return refuse(texts[TextId::RangeFrom] + u' ' + QString::number(settings.FileFromNum) +
                      u' ' + texts[TextId::RangeTo] + u' ' + QString::number(settings.FileToNum) +
                      u' ' + texts[TextId::RangeInvalid]);
    if (values_.SearchText.isEmpty())
        return refuse(texts[TextId::NoSearchMessage]);
    return true;
}

void frmResource::AddToHistory()
{
    if (!addToHistory(state_.projects, values_.SearchText))
        return;
    state_.store.SaveProjectList(state_.settings, state_.projects);
    ocxResource_->AddProject();
}

void frmResource::cmdExit_Click()
{
    // A thumbnail page being built still uses the window.
    if (!host_.thumbRefreshEnabled()) {
        giveUpFocus(cmdExit);
        return;
    }
    Q_EMIT cmdExitClicked();
}

void frmResource::cmdHelp_Click()
{
    host_.showHelp();
}

void frmResource::unload()
{
    unloading_ = true;
    close();
    deleteLater();
}

void frmResource::closeEvent(QCloseEvent *event)
{
    if (unloading_) {
        event->accept();
        return;
    }
    // The title bar's close button hides the window as the Hide button does, so that the
    // tray entry becomes usable again.
    event->ignore();
    cmdExit_Click();
}

void frmResource::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int statusTop = height() - sbThumbViewStatus->sizeHint().height();
    sbThumbViewStatus->setGeometry(0, statusTop, width(), height() - statusTop);
    thumbBackdrop_->setGeometry(0, StripTop, width(), statusTop - StripTop);
    Form_Resize();
}

void frmResource::Form_Resize()
{
    if (windowState() & Qt::WindowMinimized)
        return;
    placeStrip();
}

int frmResource::stripOffset() const
{
    return std::max(0, (width() - ClientWidth) / 2);
}

void frmResource::placeStrip()
{
    const int offset = stripOffset();
    const int shift = offset - placedOffset_;
    placedOffset_ = offset;
    const std::array<QPushButton *, 4> paging = {cmdFirst, cmdBackward, cmdForward, cmdLast};
    for (size_t i = 0; i < paging.size(); ++i)
        paging[i]->move(PagingLefts[i] + offset, PagingTop);
    for (size_t slot = 0; slot < picThumb.size(); ++slot) {
        for (QLabel *part : {picThumb[slot], lblThumbView[slot]})
            part->move(part->x() + shift, part->y());
    }
    centrePageLabel();
}

void frmResource::fitPagingCaptions()
{
    // The buttons keep their size; a caption too wide for it gets a smaller font, the same
    // for all four.
    const std::array<QPushButton *, 4> paging = {cmdFirst, cmdBackward, cmdForward, cmdLast};
    QFont font = this->font();
    const auto fits = [&paging](const QFont &candidate) {
        const QFontMetrics metrics(candidate);
        for (const QPushButton *button : paging) {
            if (metrics.size(Qt::TextShowMnemonic, button->text()).width() >
                PagingWidth - 2 * PagingCaptionRoom)
                return false;
        }
        return true;
    };
    while (!fits(font) && font.pointSizeF() - 0.5 >= SmallestPagingPointSize)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    for (QPushButton *button : paging)
        button->setFont(font);
}

void frmResource::centrePageLabel()
{
    lblThumbViewPage->move((width() - lblThumbViewPage->width()) / 2, lblThumbViewPage->y());
}

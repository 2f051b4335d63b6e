#include "mainwin/thumb_view.h"

#include "core/app_state.h"
#include "imaging/thumbnails.h"
#include "mainwin/frm_resource.h"
#include "mainwin/give_up_focus.h"
#include "mainwin/main_window_host.h"
#include "mainwin/ocx_resource.h"
#include "platform/event_pump.h"
#include "platform/file_listing.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>

#include <utility>

namespace {
// Where the strip's parts stand, in pixels of the client area. Slot k is centred on
// SlotLeft + SlotPitch * k; the page label is centred in the window's width.
constexpr int SlotLeft = 65;
constexpr int SlotPitch = 126;
constexpr int SlotMiddle = 368;
constexpr int SlotLabelTop = 418;
// A name longer than this is shortened in its middle, so that neighbours never overlap.
constexpr int SlotLabelWidth = SlotPitch - 6;

const QColor PageColour(0xFF, 0xFF, 0xFF);
const QColor NoPageColour(0xC0, 0xC0, 0xC0);
const QColor SlotLabelColour(0xFF, 0xFF, 0xFF);

int slotCentre(int slot)
{
    return SlotLeft + SlotPitch * slot;
}
} // namespace

int thumbPages(int imageFileCount)
{
    return (imageFileCount - 1) / ThumbsPerPage + 1;
}

void clampThumbPage(PictureFiles &files, EventPump &events)
{
    if (files.ImageFileCount == 0) {
        files.ThumbPage = 0;
        return;
    }
    while (files.ThumbPage > thumbPages(files.ImageFileCount)) {
        --files.ThumbPage;
        events.yieldEvents();
    }
    if (files.ThumbPage == 0)
        files.ThumbPage = 1;
}

void frmResource::connectStrip()
{
    for (size_t slot = 0; slot < picThumb.size(); ++slot) {
        picThumb[slot]->installEventFilter(this);
        QLabel *label = lblThumbView[slot];
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, SlotLabelColour);
        label->setPalette(palette);
    }
    connect(ocxResource_, &ocxResource::pictureFolderChanged, this,
            &frmResource::showPictureFolder);

    // The page each button leads to is read when it is clicked.
    const auto pages = [this] { return thumbPages(state_.files.ImageFileCount); };
    connect(cmdFirst, &QPushButton::clicked, this, [this] { pagingClick(cmdFirst, 1); });
    connect(cmdBackward, &QPushButton::clicked, this,
            [this] { pagingClick(cmdBackward, state_.files.ThumbPage - 1); });
    connect(cmdForward, &QPushButton::clicked, this,
            [this] { pagingClick(cmdForward, state_.files.ThumbPage + 1); });
    connect(cmdLast, &QPushButton::clicked, this, [this, pages] { pagingClick(cmdLast, pages()); });
}

void frmResource::showPictureFolder(const QString &folder)
{
    PictureFiles &files = state_.files;
    const QPointer<frmResource> alive(this);
    QStringList names =
        host_.folderListing().current(folder, PictureFiles::pattern(), host_.events());
    if (!alive)
        return;
    files.assign(folder, std::move(names));
    files.ThumbPage = files.ImageFileCount > 0 ? 1 : 0;
    ThumbView_Load();
    if (!alive || !files.PreviewOpen)
        return;
    if (files.ImageFileCount > 0)
        picThumb_DblClick(0);
    else if (PicturePreview *preview = host_.viewer())
        preview->unload();
}

void frmResource::ThumbView_Load()
{
    const PictureFiles &files = state_.files;
    EventPump &events = host_.events();
    const QPointer<frmResource> alive(this);
    int first = 0;
    int count = 0;
    if (files.ThumbPage > 0) {
        first = (files.ThumbPage - 1) * ThumbsPerPage;
        count = files.ImageFileCount > files.ThumbPage * ThumbsPerPage
                    ? ThumbsPerPage
                    : files.ImageFileCount - first;
        // The decoders start on the page before the label and buttons are drawn.
        QStringList paths;
        for (int i = first; i < first + count; ++i)
            paths.append(files.path(i));
        host_.thumbnails().prefetch(paths);

        const int pages = thumbPages(files.ImageFileCount);
        showPageLabel(QString::number(files.ThumbPage) + u'/' + QString::number(pages), PageColour);
        events.yieldEvents();
        if (!alive)
            return;
        setPagingButtons(files.ThumbPage, thumbPages(files.ImageFileCount));
        events.yieldEvents();
        if (!alive)
            return;
    } else {
        showPageLabel(QStringLiteral("0/0"), NoPageColour);
        setPagingButtons(0, 0);
        events.yieldEvents();
        if (!alive)
            return;
    }
    CreateThumbImage(first, count);
}

void frmResource::CreateThumbImage(int first, int count)
{
    const PictureFiles &files = state_.files;
    EventPump &events = host_.events();
    ThumbnailCache &thumbnails = host_.thumbnails();
    const QPointer<frmResource> alive(this);
    count = qBound(0, count, ThumbsPerPage);
    if (count == 0) {
        for (int slot = 0; slot < ThumbsPerPage; ++slot) {
            hideSlot(slot);
            events.yieldEvents();
            if (!alive)
                return;
        }
        return;
    }

    // Each slot waits for its own thumbnail; the decoders work on the whole page meanwhile.
    for (int i = first; i < first + count; ++i) {
        events.yieldEvents();
        if (!alive)
            return;
        const Thumbnail thumbnail = thumbnails.get(files.path(i), events);
        if (!alive)
            return;
        events.yieldEvents();
        if (!alive)
            return;
        showSlot(i - first, files.entries.value(i), thumbnail.image,
                 thumbnailSize(thumbnail.picture));
        events.yieldEvents();
        if (!alive)
            return;
    }
    for (int slot = count; slot < ThumbsPerPage; ++slot)
        hideSlot(slot);
}

void frmResource::showSlot(int slot, const QString &name, const QImage &picture, QSize size)
{
    // A window wider than its design keeps the strip centred (stripOffset).
    const int centre = slotCentre(slot) + stripOffset();
    QLabel *label = lblThumbView[static_cast<size_t>(slot)];
    label->setText(label->fontMetrics().elidedText(name, Qt::ElideMiddle, SlotLabelWidth));
    label->adjustSize();
    label->move(centre - label->width() / 2, SlotLabelTop);
    label->show();

    picImg->setPixmap(QPixmap::fromImage(picture));
    QLabel *thumb = picThumb[static_cast<size_t>(slot)];
    thumb->setGeometry(centre - size.width() / 2, SlotMiddle - size.height() / 2, size.width(),
                       size.height());
    thumb->setPixmap(picImg->pixmap());
    thumb->show();
}

void frmResource::hideSlot(int slot)
{
    picThumb[static_cast<size_t>(slot)]->hide();
    lblThumbView[static_cast<size_t>(slot)]->hide();
}

void frmResource::showPageLabel(const QString &caption, const QColor &colour)
{
    QPalette palette = lblThumbViewPage->palette();
    palette.setColor(QPalette::WindowText, colour);
    lblThumbViewPage->setPalette(palette);
    lblThumbViewPage->setText(caption);
    lblThumbViewPage->adjustSize();
    centrePageLabel();
}

void frmResource::setPagingButtons(int page, int pages)
{
    cmdFirst->setEnabled(page >= 2);
    cmdBackward->setEnabled(page >= 2);
    cmdForward->setEnabled(page > 0 && page < pages);
    cmdLast->setEnabled(page > 0 && page < pages);
}

void frmResource::pagingClick(QPushButton *button, int page)
{
    if (!host_.thumbRefreshEnabled()) {
        giveUpFocus(button);
        return;
    }
    MainWindowHost &host = host_;
    host.setThumbRefreshEnabled(false);
    state_.files.ThumbPage = static_cast<qint16>(page);
    setPagingButtons(page, thumbPages(state_.files.ImageFileCount));
    ThumbView_Load();
    host.setThumbRefreshEnabled(true);
}

void frmResource::picThumb_DblClick(int index)
{
    if (!host_.thumbRefreshEnabled())
        return;
    PictureFiles &files = state_.files;
    host_.setThumbRefreshEnabled(false);
    files.CurrentImageIndex = static_cast<qint16>((files.ThumbPage - 1) * ThumbsPerPage + index);
    if (PicturePreview *preview = host_.viewer())
        preview->showCurrent();
    host_.setThumbRefreshEnabled(true);
}

bool frmResource::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        for (size_t slot = 0; slot < picThumb.size(); ++slot) {
            if (watched == picThumb[slot]) {
                picThumb_DblClick(static_cast<int>(slot));
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

#include "viewer/frm_sized_preview.h"

#include "core/app_state.h"
#include "core/text_ids.h"
#include "imaging/picture_scaling.h"
#include "platform/event_pump.h"
#include "platform/file_listing.h"
#include "platform/trash.h"
#include "viewer/picture_surface.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QWheelEvent>

namespace {
constexpr QSize InitialClientSize{800, 600};
// A neighbour larger than this is decoded when it is shown, not ahead: three pictures of the
// largest size the decoder takes would hold 1.2 GB.
constexpr qint64 AheadMaxPixels = 25'000'000;
// One notch of a mouse wheel; finer wheels add up to it before they page.
constexpr int WheelNotch = 120;

// A menu caption with its shortcut text set off by a tab, so that the menu shows the
// shortcut in a column of its own.
QString menuCaption(const QString &text)
{
    static const QRegularExpression gap(QStringLiteral("\\s{2,}"));
    QString caption = text.trimmed();
    const QRegularExpressionMatch match = gap.match(caption);
    if (match.hasMatch())
        caption.replace(match.capturedStart(), match.capturedLength(), u'\t');
    return caption;
}

qint32 nextIndex(qint32 index, qint32 count)
{
    return index == count - 1 ? 0 : index + 1;
}
qint32 previousIndex(qint32 index, qint32 count)
{
    return index == 0 ? count - 1 : index - 1;
}
qint32 firstIndex(qint32, qint32)
{
    return 0;
}
qint32 lastIndex(qint32, qint32 count)
{
    return count - 1;
}
qint32 sameIndex(qint32 index, qint32)
{
    return index;
}

// The key table, tested in this order on key release; the first row whose key matches
// decides, and nothing happens when its condition does not hold.
struct KeyRow {
    std::array<int, 2> keys;
    bool mainBlockOnly; // the keypad has keys of its own, which are not handled
    bool needsCtrl;
    QAction *frmSizedPreview::*enabledItem; // null: no condition
    void (frmSizedPreview::*action)();
};

const KeyRow keyTable[] = {
    {{Qt::Key_Equal, Qt::Key_Plus},
     true,
     false,
     &frmSizedPreview::mnuZoomIn,
     &frmSizedPreview::mnuZoomIn_Click},
    {{Qt::Key_Minus, Qt::Key_Underscore},
     true,
     false,
     &frmSizedPreview::mnuZoomOut,
     &frmSizedPreview::mnuZoomOut_Click},
    {{Qt::Key_0, 0},
     true,
     false,
     &frmSizedPreview::mnuFullSize,
     &frmSizedPreview::mnuFullSize_Click},
    {{Qt::Key_8, 0}, true, false, &frmSizedPreview::mnuReload, &frmSizedPreview::mnuReload_Click},
    {{Qt::Key_S, 0},
     false,
     true,
     &frmSizedPreview::mnuSlideShow,
     &frmSizedPreview::mnuSlideShow_Click},
    {{Qt::Key_X, 0}, false, true, nullptr, &frmSizedPreview::mnuExit_Click},
    {{Qt::Key_H, 0}, false, true, nullptr, &frmSizedPreview::mnuFlipHorizontal_Click},
    {{Qt::Key_V, 0}, false, true, nullptr, &frmSizedPreview::mnuFlipVertical_Click},
    {{Qt::Key_L, 0}, false, true, nullptr, &frmSizedPreview::mnuRotateLeft_Click},
    {{Qt::Key_R, 0}, false, true, nullptr, &frmSizedPreview::mnuRotateRight_Click},
    {{Qt::Key_Escape, 0}, false, false, nullptr, &frmSizedPreview::mnuExit_Click},
    {{Qt::Key_F2, 0}, false, false, &frmSizedPreview::mnuReload, &frmSizedPreview::mnuReload_Click},
    {{Qt::Key_PageDown, 0},
     false,
     false,
     &frmSizedPreview::mnuNext,
     &frmSizedPreview::mnuNext_Click},
    {{Qt::Key_PageUp, 0},
     false,
     false,
     &frmSizedPreview::mnuPrevious,
     &frmSizedPreview::mnuPrevious_Click},
    {{Qt::Key_Home, 0}, false, false, &frmSizedPreview::mnuFirst, &frmSizedPreview::mnuFirst_Click},
    {{Qt::Key_End, 0}, false, false, &frmSizedPreview::mnuLast, &frmSizedPreview::mnuLast_Click},
    {{Qt::Key_Delete, 0},
     false,
     false,
     &frmSizedPreview::mnuDelete,
     &frmSizedPreview::mnuDelete_Click},
};
} // namespace

frmSizedPreview::frmSizedPreview(AppState &state, QTimer &refreshTimer, EventPump &events,
                                 const FileListing &listing, Trash &trash)
    : state_(state), refresh_(refreshTimer), events_(events), listing_(listing), trash_(trash),
      cache_([](const QString &path) { return decodePicture(path); },
             [](const QString &path) {
                 const PictureSize size = readPictureSize(path);
                 return qint64(size.Width) * size.Height <= AheadMaxPixels;
             })
{
    createMenus();
    createStatusBar();
    client_ = new QWidget(this);
    client_->setFocusPolicy(Qt::StrongFocus);
    client_->installEventFilter(this);
    setCentralWidget(client_);
    picPview = new PictureSurface(client_);
    picPview->installEventFilter(this);
    picPview->hide();

    tmrSlide.setInterval(state_.timings.SlideMs);
    connect(&tmrSlide, &QTimer::timeout, this, &frmSizedPreview::mnuNext_Click);
}

frmSizedPreview::~frmSizedPreview() = default;

void frmSizedPreview::createMenus()
{
    auto item = [this](QMenu *menu, const char *caption, void (frmSizedPreview::*handler)()) {
        QAction *action = menu->addAction(QString::fromLatin1(caption));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    // The captions until the language texts replace them.
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuExit = item(mnuFile, "E&xit\tCtrl+X", &frmSizedPreview::mnuExit_Click);
    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuDelete = item(mnuEdit, "&Delete\tDEL", &frmSizedPreview::mnuDelete_Click);
    mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    mnuNext = item(mnuView, "&Next\tPageDn", &frmSizedPreview::mnuNext_Click);
    mnuPrevious = item(mnuView, "&Previous\tPageUp", &frmSizedPreview::mnuPrevious_Click);
    mnuFirst = item(mnuView, "F&irst\tHome", &frmSizedPreview::mnuFirst_Click);
    mnuLast = item(mnuView, "&Last\tEnd", &frmSizedPreview::mnuLast_Click);
    mnuView->addSeparator();
    mnuReload = item(mnuView, "&Reload\tF2", &frmSizedPreview::mnuReload_Click);
    mnuZoom = menuBar()->addMenu(QStringLiteral("&Zoom"));
    mnuZoomIn = item(mnuZoom, "Zoom &In\tNumPad +", &frmSizedPreview::mnuZoomIn_Click);
    mnuZoomOut = item(mnuZoom, "Zoom &Out\tNumPad -", &frmSizedPreview::mnuZoomOut_Click);
    mnuZoom->addSeparator();
    mnuFullSize = item(mnuZoom, "F&ull Size\tNumPad /", &frmSizedPreview::mnuFullSize_Click);
    mnuFitImage = item(mnuZoom, "Fit &Image\tNumPad *", &frmSizedPreview::mnuFitImage_Click);
    mnuTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    mnuSlideShow = item(mnuTools, "&Slide Show\tCtrl+S", &frmSizedPreview::mnuSlideShow_Click);
    mnuTools->addSeparator();
    mnuRotateLeft = item(mnuTools, "Rotate &Left\tCtrl+L", &frmSizedPreview::mnuRotateLeft_Click);
    mnuRotateRight =
        item(mnuTools, "Rotate &Right\tCtrl+R", &frmSizedPreview::mnuRotateRight_Click);
    mnuFlipHorizontal =
        item(mnuTools, "Flip &Horizontal\tCtrl+H", &frmSizedPreview::mnuFlipHorizontal_Click);
    mnuFlipVertical =
        item(mnuTools, "Flip &Vertical\tCtrl+V", &frmSizedPreview::mnuFlipVertical_Click);
}

void frmSizedPreview::createStatusBar()
{
    const int minimumWidths[] = {70, 90, 60, 0};
    for (size_t panel = 0; panel < panels_.size(); ++panel) {
        auto *label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(minimumWidths[panel]);
        label->setFrameShape(QFrame::StyledPanel);
        label->setContentsMargins(4, 0, 4, 0);
        // The last panel takes what the others leave.
        statusBar()->addWidget(label, panel + 1 == panels_.size() ? 1 : 0);
        panels_[panel] = label;
    }
    statusBar()->setSizeGripEnabled(true);
}

void frmSizedPreview::setCaptions()
{
    const LanguageText &texts = state_.language.LanguageText;
    QObject *const captioned[] = {
        mnuFile,        mnuExit,           mnuEdit,         mnuDelete, mnuView,      mnuNext,
        mnuPrevious,    mnuFirst,          mnuLast,         mnuReload, mnuZoom,      mnuZoomIn,
        mnuZoomOut,     mnuFullSize,       mnuFitImage,     mnuTools,  mnuSlideShow, mnuRotateLeft,
        mnuRotateRight, mnuFlipHorizontal, mnuFlipVertical,
    };
    int index = TextId::ViewerFileMenu;
    for (QObject *object : captioned) {
        const QString caption = menuCaption(texts[index++]);
        if (auto *menu = qobject_cast<QMenu *>(object))
            menu->setTitle(caption);
        else
            static_cast<QAction *>(object)->setText(caption);
    }
}

QString frmSizedPreview::panelText(int panel) const
{
    return panels_.at(static_cast<size_t>(panel - 1))->text();
}

QSize frmSizedPreview::usableSize() const
{
    return client_->size();
}

QString frmSizedPreview::picturePath(int index) const
{
    return state_.settings.Download_File_Folder + u'/' + state_.files.entries.value(index);
}

QStringList frmSizedPreview::neighbourPaths() const
{
    const qint32 count = state_.files.ImageFileCount;
    const qint32 index = state_.files.CurrentImageIndex;
    if (count < 2 || index < 0 || index >= count)
        return {};
    return {picturePath(nextIndex(index, count)), picturePath(previousIndex(index, count))};
}

template <typename Work> void frmSizedPreview::guarded(Work work)
{
    if (!refresh_.isActive())
        return;
    refresh_.stop();
    if (!ImageBusy) {
        ImageBusy = true;
        work();
        ImageBusy = false;
    }
    refresh_.start();
}

// ---- opening and closing

void frmSizedPreview::showCurrent()
{
    if (!loaded_) {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        resize(InitialClientSize.width(), InitialClientSize.height() +
                                              menuBar()->sizeHint().height() +
                                              statusBar()->sizeHint().height());
        move(screen.center() - rect().center());
        // The layout places the client area before the window is shown, so that the first
        // load fits the picture into the size the user will see.
        layout()->activate();
        Form_Load();
    }
    show();
    if (!ImageBusy) {
        ImageBusy = true;
        LoadImage(0);
        ImageBusy = false;
    }
    raise();
    activateWindow();
    client_->setFocus();
}

void frmSizedPreview::Form_Load()
{
    loaded_ = true;
    setCaptions();
    tmrSlide.stop();
    WheelHooked = true;
    wheelTurn_ = 0;
    if (!ImageBusy) {
        ImageBusy = true;
        LoadImage(0);
        ImageBusy = false;
    }
    state_.files.PreviewOpen = true;
}

void frmSizedPreview::unload()
{
    if (loaded_)
        close();
}

void frmSizedPreview::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmSizedPreview::Form_Unload()
{
    // The window closes in any case; its state is released only under the refresh lock.
    loaded_ = false;
    tmrSlide.stop();
    if (!refresh_.isActive())
        return;
    refresh_.stop();
    WheelHooked = false;
    picture_ = QImage();
    picPview->setRendering({});
    cache_.keepAround({}, {});
    state_.files.PreviewOpen = false;
    refresh_.start();
}

// ---- loading and layout

void frmSizedPreview::LoadImage(qint16 mode)
{
    events_.yieldEvents();
    DisplayImage(mode);
    events_.yieldEvents();

    const PictureFiles &files = state_.files;
    panels_[0]->setText(QString::number(files.CurrentImageIndex + 1) + u'/' +
                        QString::number(files.ImageFileCount));
    panels_[1]->setText(QString::number(ImageWidth) + u'x' + QString::number(ImageHeight));
    panels_[2]->setText(percentText(ZoomRatio));
    const LanguageText &texts = state_.language.LanguageText;
    panels_[3]->setText(state_.settings.Images_Display_Mode == 0 ? texts[TextId::FullSizeModeText]
                                                                 : texts[TextId::FitModeText]);

    setWindowTitle(picturePath(files.CurrentImageIndex));

    for (QAction *item : {mnuDelete, mnuNext, mnuPrevious, mnuFirst, mnuLast, mnuReload, mnuZoomIn,
                          mnuZoomOut, mnuFullSize, mnuFitImage, mnuSlideShow, mnuRotateLeft,
                          mnuRotateRight, mnuFlipHorizontal, mnuFlipVertical})
        item->setEnabled(true);
    if (ZoomRatio <= 0.1)
        mnuZoomOut->setEnabled(false);
    else if (ZoomRatio == 1.0)
        mnuZoomIn->setEnabled(false);
}

bool frmSizedPreview::DisplayImage(qint16 mode)
{
    const QSize usable = usableSize();
    switch (mode) {
    case 0: {
        picturePath_ = picturePath(state_.files.CurrentImageIndex);
        picture_ = cache_.picture(picturePath_);
        cache_.keepAround(picturePath_, neighbourPaths());
        ImageWidth = picture_.width();
        ImageHeight = picture_.height();
        const ShownSize shown = fittedSize(ImageWidth, ImageHeight, usable.width(), usable.height(),
                                           state_.settings.Images_Display_Mode);
        ShowWidth = shown.ShowWidth;
        ShowHeight = shown.ShowHeight;
        if (ImageWidth <= 0 || ImageHeight <= 0) {
            // Nothing to show and no ratio to take: the previous ratio stays, the surface
            // shows the empty picture where it was.
            picPview->setRendering({});
            return false;
        }
        ZoomRatio = truncatedRatio(ShowWidth, ImageWidth);
        break;
    }
    case 1: {
        const ShownSize shown = zoomedSize(ImageWidth, ImageHeight, ZoomRatio);
        ShowWidth = shown.ShowWidth;
        ShowHeight = shown.ShowHeight;
        break;
    }
    case 2:
        TransformImage(Transform::FlipHorizontal);
        break;
    case 3:
        TransformImage(Transform::FlipVertical);
        break;
    case 4:
        TransformImage(Transform::RotateLeft);
        break;
    case 5:
        TransformImage(Transform::RotateRight);
        break;
    default:
        return false;
    }
    layOut();
    return true;
}

void frmSizedPreview::TransformImage(Transform transform)
{
    picture_ = transformed(picture_, transform);
    // The decoded picture is replaced by the transformed one; the early decode of the file is
    // no longer what is shown, and holding both would hold one picture too many.
    cache_.forget(picturePath_);
    events_.yieldEvents();
    if (transform == Transform::RotateLeft || transform == Transform::RotateRight) {
        std::swap(ImageWidth, ImageHeight);
        std::swap(ShowWidth, ShowHeight);
        events_.yieldEvents();
    }
}

void frmSizedPreview::layOut()
{
    const QSize usable = usableSize();
    horizontal.layout(usable.width(), ShowWidth);
    vertical.layout(usable.height(), ShowHeight);

    QImage rendering;
    if (ShowWidth > 0 && ShowHeight > 0 && !picture_.isNull()) {
        // The rendering at the shown size is made here, once per layout: a plain stretch.
        rendering = picture_.size() == QSize(ShowWidth, ShowHeight)
                        ? picture_
                        : picture_.scaled(ShowWidth, ShowHeight, Qt::IgnoreAspectRatio,
                                          Qt::FastTransformation);
        if (rendering.format() != QImage::Format_RGB32 &&
            rendering.format() != QImage::Format_ARGB32_Premultiplied)
            rendering = std::move(rendering).convertToFormat(QImage::Format_RGB32);
    }
    picPview->resize(ShowWidth, ShowHeight);
    picPview->setRendering(std::move(rendering));
    placeSurface();
    picPview->show();
}

void frmSizedPreview::placeSurface()
{
    picPview->move(qRound(horizontal.start), qRound(vertical.start));
}

void frmSizedPreview::Form_Resize()
{
    if (isMinimized() || !loaded_ || ImageBusy)
        return;
    ImageBusy = true;
    LoadImage(1);
    ImageBusy = false;
}

// ---- mouse, keys and wheel

bool frmSizedPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == client_ && event->type() == QEvent::Resize) {
        Form_Resize();
    } else if (watched == picPview &&
               (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->buttons() != Qt::LeftButton)
            return false;
        const QPointF at = mouse->position();
        if (event->type() == QEvent::MouseButtonPress) {
            DragStartX = nearest(at.x());
            DragStartY = nearest(at.y());
        } else {
            DragDX = nearest(at.x() - DragStartX);
            DragDY = nearest(at.y() - DragStartY);
            panStep();
        }
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmSizedPreview::panStep()
{
    events_.yieldEvents();
    horizontal.pan(DragDX);
    placeSurface();
    events_.yieldEvents();
    vertical.pan(DragDY);
    placeSurface();
}

void frmSizedPreview::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat())
        return;
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    for (const KeyRow &row : keyTable) {
        const bool matches = (row.keys[0] == event->key() || row.keys[1] == event->key()) &&
                             !(row.mainBlockOnly && keypad);
        if (!matches)
            continue;
        if ((!row.needsCtrl || ctrl) && (!row.enabledItem || (this->*row.enabledItem)->isEnabled()))
            (this->*row.action)();
        return;
    }
    QMainWindow::keyReleaseEvent(event);
}

void frmSizedPreview::wheelEvent(QWheelEvent *event)
{
    event->accept();
    const int turn = event->angleDelta().y();
    if (turn == 0 || !WheelHooked)
        return;
    // A change of direction starts a new notch.
    if ((wheelTurn_ > 0) != (turn > 0))
        wheelTurn_ = 0;
    wheelTurn_ += turn;
    if (std::abs(wheelTurn_) < WheelNotch)
        return;
    wheelTurn_ = 0;
    if (!refresh_.isActive() || state_.files.ImageFileCount == 0)
        return;
    if (turn > 0)
        mnuPrevious_Click();
    else
        mnuNext_Click();
}

// ---- commands

void frmSizedPreview::navigate(qint32 (*newIndex)(qint32 index, qint32 count), bool needsPictures)
{
    guarded([&] {
        PictureFiles &files = state_.files;
        if (needsPictures && files.ImageFileCount <= 0)
            return;
        files.CurrentImageIndex =
            static_cast<qint16>(newIndex(files.CurrentImageIndex, files.ImageFileCount));
        LoadImage(0);
    });
}

void frmSizedPreview::mnuNext_Click()
{
    navigate(nextIndex, true);
}

void frmSizedPreview::mnuPrevious_Click()
{
    navigate(previousIndex, true);
}

void frmSizedPreview::mnuFirst_Click()
{
    navigate(firstIndex, false);
}

void frmSizedPreview::mnuLast_Click()
{
    navigate(lastIndex, false);
}

void frmSizedPreview::mnuReload_Click()
{
    navigate(sameIndex, false);
}

void frmSizedPreview::mnuExit_Click()
{
    if (refresh_.isActive())
        close();
}

void frmSizedPreview::mnuDelete_Click()
{
    if (!refresh_.isActive())
        return;
    refresh_.stop();
    events_.yieldEvents();
    PictureFiles &files = state_.files;
    const qint16 saved = files.CurrentImageIndex;
    if (trash_.RecycleFile(picturePath(saved))) {
        files.refresh(listing_, state_.settings.Download_File_Folder);
        events_.yieldEvents();
        if (files.ImageFileCount != 0) {
            if (saved == files.ImageFileCount)
                files.CurrentImageIndex = 0;
            events_.yieldEvents();
            if (!ImageBusy) {
                ImageBusy = true;
                LoadImage(0);
                ImageBusy = false;
            }
            events_.yieldEvents();
        } else {
            close();
        }
    }
    refresh_.start();
}

void frmSizedPreview::mnuZoomIn_Click()
{
    guarded([this] {
        ZoomRatio = zoomInStep(ZoomRatio);
        LoadImage(1);
    });
}

void frmSizedPreview::mnuZoomOut_Click()
{
    guarded([this] {
        ZoomRatio = zoomOutStep(ZoomRatio);
        LoadImage(1);
    });
}

void frmSizedPreview::mnuFullSize_Click()
{
    state_.settings.Images_Display_Mode = 0;
    state_.store.SaveDisplayMode(0);
    guarded([this] {
        ZoomRatio = 1.0;
        LoadImage(1);
    });
}

void frmSizedPreview::mnuFitImage_Click()
{
    state_.settings.Images_Display_Mode = 1;
    state_.store.SaveDisplayMode(1);
    guarded([this] { LoadImage(0); });
}

void frmSizedPreview::mnuSlideShow_Click()
{
    const LanguageText &texts = state_.language.LanguageText;
    if (mnuSlideShow->text() == menuCaption(texts[TextId::SlideShowCaption])) {
        tmrSlide.start();
        mnuSlideShow->setText(menuCaption(texts[TextId::StopSlideShowCaption]));
    } else {
        tmrSlide.stop();
        mnuSlideShow->setText(menuCaption(texts[TextId::SlideShowCaption]));
    }
}

void frmSizedPreview::mnuFlipHorizontal_Click()
{
    guarded([this] { LoadImage(2); });
}

void frmSizedPreview::mnuFlipVertical_Click()
{
    guarded([this] { LoadImage(3); });
}

void frmSizedPreview::mnuRotateLeft_Click()
{
    guarded([this] { LoadImage(4); });
}

void frmSizedPreview::mnuRotateRight_Click()
{
    guarded([this] { LoadImage(5); });
}

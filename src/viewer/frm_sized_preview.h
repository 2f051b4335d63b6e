#pragma once

#include "core/picture_files.h"
#include "viewer/picture_cache.h"
#include "viewer/picture_transforms.h"
#include "viewer/view_geometry.h"

#include <QImage>
#include <QMainWindow>
#include <QTimer>

#include <array>

struct AppState;
class EventPump;
class FileListing;
class PictureSurface;
class QAction;
class QLabel;
class QMenu;
class Trash;

// The picture viewer: shows one picture of the picture folder at a time, fitted to the window
// or at a zoom step, lets the user drag an oversized picture, rotates and flips it, pages
// through the folder, runs a slide show and sends pictures to the trash. Every action that
// redraws runs only while the thumbnail refresh timer is active (the lock between the
// thumbnail rebuild and the viewer) and only when no other load is under way (ImageBusy).
class frmSizedPreview : public QMainWindow, public PicturePreview {
    Q_OBJECT

public:
    // refreshTimer is the hidden main window's tmrRefreshThumbView.
    frmSizedPreview(AppState &state, QTimer &refreshTimer, EventPump &events,
                    const FileListing &listing, Trash &trash);
    ~frmSizedPreview() override;

    // PicturePreview
    void showCurrent() override;
    void unload() override;

    // Menu captions from the language texts, the wheel, the first load; PreviewOpen.
    void Form_Load();
    // The single entry of every display: 0 loads the picture at CurrentImageIndex and applies
    // the display mode, 1 lays it out again at ZoomRatio, 2 to 5 flip horizontally or
    // vertically, rotate left or right. Then the status bar, caption and menus.
    void LoadImage(qint16 mode);

    void mnuExit_Click();
    void mnuDelete_Click();
    void mnuNext_Click();
    void mnuPrevious_Click();
    void mnuFirst_Click();
    void mnuLast_Click();
    void mnuReload_Click();
    void mnuZoomIn_Click();
    void mnuZoomOut_Click();
    void mnuFullSize_Click();
    void mnuFitImage_Click();
    void mnuSlideShow_Click();
    void mnuRotateLeft_Click();
    void mnuRotateRight_Click();
    void mnuFlipHorizontal_Click();
    void mnuFlipVertical_Click();

    // The text of status panel 1 to 4.
    QString panelText(int panel) const;
    // The client area beside the status bar: SW x UH.
    QSize usableSize() const;
    // The picture as decoded and transformed, at its own size.
    const QImage &picture() const { return picture_; }
    // Whether the viewer is loaded (between its form load and its unload).
    bool isLoaded() const { return loaded_; }
    PictureCache &cache() { return cache_; }

    QMenu *mnuFile;
    QAction *mnuExit;
    QMenu *mnuEdit;
    QAction *mnuDelete;
    QMenu *mnuView;
    QAction *mnuNext;
    QAction *mnuPrevious;
    QAction *mnuFirst;
    QAction *mnuLast;
    QAction *mnuReload;
    QMenu *mnuZoom;
    QAction *mnuZoomIn;
    QAction *mnuZoomOut;
    QAction *mnuFullSize;
    QAction *mnuFitImage;
    QMenu *mnuTools;
    QAction *mnuSlideShow;
    QAction *mnuRotateLeft;
    QAction *mnuRotateRight;
    QAction *mnuFlipHorizontal;
    QAction *mnuFlipVertical;

    PictureSurface *picPview;
    QTimer tmrSlide;

    qint32 ImageWidth = 0;
    qint32 ImageHeight = 0;
    qint32 ShowWidth = 0;
    qint32 ShowHeight = 0;
    double ZoomRatio = 0;
    bool ImageBusy = false;
    bool WheelHooked = false;
    qint32 DragStartX = 0;
    qint32 DragStartY = 0;
    qint32 DragDX = 0;
    qint32 DragDY = 0;
    // The horizontal offset holder (VScroll1) and the vertical one (HScroll1), each with its
    // overflow flag (HorizontalOverflow, VerticalOverflow) and the picture's Left or Top.
    LayoutAxis horizontal;
    LayoutAxis vertical;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createMenus();
    void createStatusBar();
    void setCaptions();
    // False when the picture has no pixels: the layout is then left as it was.
    bool DisplayImage(qint16 mode);
    void TransformImage(Transform transform);
    void layOut();
    void placeSurface();
    void Form_Resize();
    void Form_Unload();
    void panStep();
    // Runs work under the refresh-timer lock and the ImageBusy guard.
    template <typename Work> void guarded(Work work);
    // Index change and load of Next, Previous, First, Last and Reload.
    void navigate(qint32 (*newIndex)(qint32 index, qint32 count), bool needsPictures);
    QString picturePath(int index) const;
    QStringList neighbourPaths() const;

    AppState &state_;
    QTimer &refresh_;
    EventPump &events_;
    const FileListing &listing_;
    Trash &trash_;
    PictureCache cache_;
    QWidget *client_;
    std::array<QLabel *, 4> panels_{};
    QImage picture_;
    QString picturePath_;
    bool loaded_ = false;
    int wheelTurn_ = 0;
};

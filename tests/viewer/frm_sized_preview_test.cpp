#include "core/text_ids.h"
#include "viewer/picture_surface.h"
#include "viewer_fixture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

using Viewer = ViewerFixture;
using namespace Qt::StringLiterals;

TEST_F(Viewer, ZoomItemsFollowTheRatioAResizeKeepsItAndTheLeftButtonAloneDrags)
{
    frmSizedPreview &v = open({{1000, 750}}, 0);
    EXPECT_EQ((QStringList{v.panelText(1), v.panelText(2), v.panelText(3), v.panelText(4)}),
              (QStringList{u"1/1"_s, u"1000x750"_s, percentText(0.77), text(TextId::FitModeText)}));
    EXPECT_EQ(v.windowTitle(), state.settings.Download_File_Folder + u"/p0.png");
    EXPECT_EQ(v.picPview->geometry(), QRect(14, 0, 773, 580));
    resizeClient({1000, 800});
    EXPECT_EQ(v.picPview->geometry(), QRect(115, 111, 770, 578)) << "0.77 kept";
    // Zoom In and Zoom Out into each end and out of it again.
    const auto zoomItems = [&v] {
        return std::pair{v.mnuZoomIn->isEnabled(), v.mnuZoomOut->isEnabled()};
    };
    EXPECT_EQ(zoomItems(), std::pair(true, true));
    v.mnuZoomIn_Click();
    EXPECT_EQ(zoomItems(), std::pair(false, true)) << v.ZoomRatio;
    v.mnuZoomOut_Click();
    EXPECT_EQ(zoomItems(), std::pair(true, true)) << v.ZoomRatio;
    v.ZoomRatio = 0.15;
    v.mnuZoomOut_Click();
    EXPECT_EQ(zoomItems(), std::pair(true, false)) << v.ZoomRatio;
    v.mnuZoomIn_Click();
    EXPECT_EQ(zoomItems(), std::pair(true, true)) << v.ZoomRatio;
    resizeClient({40, 580}); // a fitted ratio below the smallest step
    v.mnuFitImage_Click();
    EXPECT_EQ(zoomItems(), std::pair(true, false)) << v.ZoomRatio;

    resizeClient({800, 580});
    v.mnuFullSize_Click();
    const auto mouse = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        send(v.picPview, QMouseEvent(type, at, v.picPview->mapToGlobal(at), Qt::LeftButton, buttons,
                                     Qt::NoModifier));
    };
    mouse(QEvent::MouseButtonPress, {500, 400}, Qt::LeftButton);
    mouse(QEvent::MouseMove, {450, 420}, Qt::LeftButton);
    EXPECT_EQ(v.picPview->pos(), QPoint(-150, -65));
    mouse(QEvent::MouseMove, {400, 400}, Qt::LeftButton | Qt::RightButton); // not alone
    mouse(QEvent::MouseButtonRelease, {-900, -900}, Qt::NoButton);          // outside the window
    mouse(QEvent::MouseMove, {400, 400}, Qt::NoButton);
    EXPECT_EQ(v.picPview->pos(), QPoint(-150, -65));
}

TEST_F(Viewer, PagingWrapsWaitsForTheRefreshLockAndActsOnKeyReleaseAndWheelNotches)
{
    frmSizedPreview &v = open({{40, 30}, {41, 30}, {42, 30}}, 2);
    for (const auto &[command, expected] : {std::pair{&frmSizedPreview::mnuNext_Click, 0},
                                            {&frmSizedPreview::mnuPrevious_Click, 2},
                                            {&frmSizedPreview::mnuFirst_Click, 0},
                                            {&frmSizedPreview::mnuLast_Click, 2}}) {
        (v.*command)();
        EXPECT_EQ(v.ImageWidth, 40 + expected);
    }
    refreshTimer.stop();
    v.mnuNext_Click();
    EXPECT_EQ(state.files.CurrentImageIndex, 2);
    refreshTimer.start();
    v.mnuFirst_Click(); // the keys start from the first picture

    const auto release = [&](int key, Qt::KeyboardModifiers modifiers = {}) {
        send(&v, QKeyEvent(QEvent::KeyRelease, key, modifiers));
    };
    v.mnuNext->setEnabled(false);
    release(Qt::Key_PageDown);
    v.mnuNext->setEnabled(true);
    send(&v, QKeyEvent(QEvent::KeyRelease, Qt::Key_PageDown, {}, QString(), true)); // repeated
    release(Qt::Key_PageDown);
    EXPECT_EQ(state.files.CurrentImageIndex, 1)
        << "not paged while Next was disabled, nor by a repeat";
    v.mnuZoomOut_Click();
    release(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(v.ZoomRatio, 0.7) << "the keypad is not handled";
    release(Qt::Key_Equal);
    EXPECT_EQ(v.ZoomRatio, 1.0);
    // A turn away from the user pages back; a finer wheel adds up to a notch per direction.
    for (const auto &[angle, expected] :
         {std::pair{120, 0}, {-119, 0}, {-1, 1}, {60, 1}, {-60, 1}, {-60, 2}}) {
        send(&v, QWheelEvent({10, 10}, {10, 10}, {}, {0, angle}, Qt::NoButton, Qt::NoModifier,
                             Qt::NoScrollPhase, false));
        EXPECT_EQ(state.files.CurrentImageIndex, expected) << angle;
    }
    release(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(v.tmrSlide.isActive());

    // The last picture, then the first of two, then the only one.
    for (const int width : {40, 41, 0}) {
        v.mnuDelete_Click();
        EXPECT_EQ(state.files.CurrentImageIndex, 0);
        EXPECT_EQ(v.isVisible() ? v.ImageWidth : 0, width);
        EXPECT_TRUE(refreshTimer.isActive());
    }
    EXPECT_FALSE(v.tmrSlide.isActive()) << "closing stops the slide show";
}

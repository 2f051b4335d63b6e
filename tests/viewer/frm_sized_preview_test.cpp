#include "core/text_ids.h"
#include "viewer/picture_surface.h"
#include "viewer_fixture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

using Viewer = ViewerFixture;
using namespace Qt::StringLiterals;

TEST_F(Viewer, FittedPictureIsCentredAndTheZoomItemsFollowTheRatio)
{
    addPictures({{1000, 750}});
    frmSizedPreview &v = open(0);
    EXPECT_EQ((QStringList{v.panelText(1), v.panelText(2), v.panelText(4), v.windowTitle()}),
              (QStringList{u"1/1"_s, u"1000x750"_s, text(TextId::FitModeText), path(0)}));
    EXPECT_EQ(v.picPview->geometry(), QRect(14, 0, 773, 580));
    // From the fitted 0.77: the ratio each step leaves, and Zoom In and Zoom Out after it.
    const struct {
        void (frmSizedPreview::*command)();
        double ratio;
        bool in, out;
    } steps[] = {
        {&frmSizedPreview::mnuZoomIn_Click, 1.0, false, true},
        {&frmSizedPreview::mnuZoomOut_Click, 0.7, true, true},
        {&frmSizedPreview::mnuZoomOut_Click, 0.5, true, true},
        {&frmSizedPreview::mnuZoomOut_Click, 0.3, true, true},
        {&frmSizedPreview::mnuZoomOut_Click, 0.2, true, true},
        {&frmSizedPreview::mnuZoomOut_Click, 0.15, true, true},
        {&frmSizedPreview::mnuZoomOut_Click, 0.1, true, false},
        {&frmSizedPreview::mnuZoomIn_Click, 0.15, true, true},
    };
    for (const auto &step : steps) {
        (v.*step.command)();
        EXPECT_EQ(v.panelText(3), percentText(step.ratio));
        EXPECT_EQ(v.mnuZoomIn->isEnabled(), step.in) << step.ratio;
        EXPECT_EQ(v.mnuZoomOut->isEnabled(), step.out) << step.ratio;
    }
    resizeClient({40, 580}); // a fitted ratio below the smallest step
    v.mnuFitImage_Click();
    EXPECT_FALSE(v.mnuZoomOut->isEnabled());
}

TEST_F(Viewer, ModesAreStoredAResizeKeepsTheRatioAndTheLeftButtonAloneDrags)
{
    addPictures({{1000, 750}});
    frmSizedPreview &v = open(0);
    resizeClient({1000, 800});
    EXPECT_EQ(v.picPview->geometry(), QRect(115, 111, 770, 578)) << "0.77 kept";
    v.mnuFitImage_Click();
    EXPECT_EQ(v.ZoomRatio, 1.0);
    resizeClient({800, 580});
    v.mnuFullSize_Click();
    EXPECT_EQ(state.store.ReadRegistryValue(SettingsStore::ImageKey, u"Images_Display_Mode"_s),
              u"0"_s);
    EXPECT_EQ(v.panelText(4), text(TextId::FullSizeModeText));
    ASSERT_EQ(v.picPview->pos(), QPoint(-100, -85));
    const auto mouse = [&](QEvent::Type type, QPointF at, Qt::MouseButton button,
                           Qt::MouseButtons buttons) {
        send(v.picPview,
             QMouseEvent(type, at, v.picPview->mapToGlobal(at), button, buttons, Qt::NoModifier));
    };
    mouse(QEvent::MouseButtonPress, {500, 400}, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, {450, 420}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(v.picPview->pos(), QPoint(-150, -65));
    mouse(QEvent::MouseMove, {400, 400}, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, {-900, -900}, Qt::LeftButton, Qt::NoButton); // outside
    mouse(QEvent::MouseMove, {400, 400}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(v.picPview->pos(), QPoint(-150, -65));
}

TEST_F(Viewer, TransformsKeepTheRatioAndWaitForTheRefreshLockAndReloadUndoesThem)
{
    addPictures({{400, 300}});
    frmSizedPreview &v = open(0);
    v.mnuZoomOut_Click();
    v.mnuZoomOut_Click();
    v.mnuRotateLeft_Click();
    EXPECT_EQ(v.panelText(2), u"300x400"_s);
    EXPECT_EQ(v.picPview->size(), QSize(150, 200));
    EXPECT_EQ(v.picture().pixel(0, 399), qRgb(0, 0, 0));
    refreshTimer.stop();
    v.mnuFlipVertical_Click();
    v.mnuExit_Click();
    EXPECT_EQ(v.picture().pixel(0, 399), qRgb(0, 0, 0));
    EXPECT_TRUE(v.isVisible());
    refreshTimer.start();
    events.onYield = [&v] { v.mnuFlipVertical_Click(); }; // while a load lets events run
    v.mnuFlipVertical_Click();
    events.onYield = nullptr;
    EXPECT_EQ(v.picture().pixel(0, 0), qRgb(0, 0, 0));
    v.mnuReload_Click();
    EXPECT_EQ(v.panelText(2), u"400x300"_s);
}

TEST_F(Viewer, PagingWrapsAndDeleteKeepsTheIndexWrapsOrCloses)
{
    addPictures({{40, 30}, {41, 30}, {42, 30}});
    frmSizedPreview &v = open(2);
    const std::pair<void (frmSizedPreview::*)(), qint16> steps[] = {
        {&frmSizedPreview::mnuNext_Click, 0},
        {&frmSizedPreview::mnuPrevious_Click, 2},
        {&frmSizedPreview::mnuFirst_Click, 0},
        {&frmSizedPreview::mnuLast_Click, 2}};
    for (const auto &[command, expected] : steps) {
        (v.*command)();
        EXPECT_EQ(v.ImageWidth, 40 + expected);
    }
    trash.refuse = true;
    v.mnuDelete_Click();
    EXPECT_EQ(state.files.ImageFileCount, 3);
    trash.refuse = false;
    // The last picture, then the first of two, then the only one.
    for (const auto &[width, count] : {std::pair{40, 2}, {41, 1}, {0, 0}}) {
        v.mnuDelete_Click();
        EXPECT_EQ(index(), 0);
        EXPECT_EQ(v.isVisible() ? v.ImageWidth : 0, width);
        EXPECT_TRUE(refreshTimer.isActive());
    }
}

TEST_F(Viewer, KeysActOnReleaseByTheirRowAndTheWheelPagesOncePerNotch)
{
    addPictures({{40, 30}, {41, 30}, {42, 30}});
    frmSizedPreview &v = open(0);
    const auto release = [&](int key, Qt::KeyboardModifiers modifiers = {}, bool repeat = false) {
        send(&v, QKeyEvent(QEvent::KeyRelease, key, modifiers, QString(), repeat));
    };
    v.mnuFlipHorizontal->setEnabled(false);
    release(Qt::Key_H, Qt::ControlModifier);
    release(Qt::Key_H);
    EXPECT_EQ(v.picture().pixel(39, 0), qRgb(0, 0, 0)) << "Ctrl+H alone, whatever its item";
    v.mnuNext->setEnabled(false);
    release(Qt::Key_PageDown);
    v.mnuNext->setEnabled(true);
    release(Qt::Key_PageDown, {}, true);
    EXPECT_EQ(index(), 0) << "Next disabled, then auto-repeat";
    release(Qt::Key_PageDown);
    EXPECT_EQ(index(), 1);
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
        EXPECT_EQ(index(), expected) << angle;
    }
    const QString slideShow = v.mnuSlideShow->text();
    release(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(v.tmrSlide.isActive());
    EXPECT_NE(v.mnuSlideShow->text(), slideShow);
    release(Qt::Key_Escape);
    EXPECT_FALSE(v.isVisible());
    EXPECT_FALSE(v.tmrSlide.isActive()) << "closing stops the slide show";
}

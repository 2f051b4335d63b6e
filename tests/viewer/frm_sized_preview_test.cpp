#include "core/text_ids.h"
#include "platform/event_pump.h"
#include "support/fakes.h"
#include "support/program_folder.h"
#include "support/typing.h"
#include "viewer/frm_sized_preview.h"
#include "viewer/picture_surface.h"

#include <QKeyEvent>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

// The viewer over a fake trash and an event pump that runs nothing, on pictures the test
// writes into the picture folder of the first-run settings.
class Viewer : public ProgramFolder {
protected:
    // Writes pictures p0.png, p1.png, ... of the given sizes, opens the viewer on one as the
    // thumbnail view does, and fits it again into a client area of 800 x 580.
    frmSizedPreview &open(std::initializer_list<QSize> sizes, int index)
    {
        int number = 0;
        for (const QSize size : sizes)
            savePicture(u"p%1.png"_s.arg(number++), size);
        state.files.refresh(listing, state.settings.Download_File_Folder);
        state.files.CurrentImageIndex = static_cast<qint16>(index);
        refreshTimer.start(3'600'000);
        viewer = std::make_unique<frmSizedPreview>(state, refreshTimer, events, listing, trash);
        viewer->showCurrent();
        resizeClient({800, 580});
        viewer->mnuReload_Click();
        return *viewer;
    }
    void resizeClient(QSize client)
    {
        viewer->resize(client + viewer->size() - viewer->usableSize());
        QCoreApplication::processEvents();
        ASSERT_EQ(viewer->usableSize(), client);
    }
    void release(int key, Qt::KeyboardModifiers modifiers = {}, bool repeated = false)
    {
        QKeyEvent event(QEvent::KeyRelease, key, modifiers, QString(), repeated);
        QCoreApplication::sendEvent(viewer.get(), &event);
    }

    QTimer refreshTimer;
    ScriptedEventPump events;
    FakeTrash trash;
    std::unique_ptr<frmSizedPreview> viewer;
};

TEST_F(Viewer, ZoomItemsFollowTheRatioAResizeKeepsItAndTheLeftButtonAloneDrags)
{
    frmSizedPreview &v = open({{1000, 750}}, 0);
    EXPECT_EQ((QStringList{v.panelText(1), v.panelText(2), v.panelText(3), v.panelText(4)}),
              (QStringList{u"1/1"_s, u"1000x750"_s, percentText(0.77), text(TextId::FitModeText)}));
    EXPECT_EQ(v.windowTitle(), state.settings.Download_File_Folder + u"/p0.png");
    resizeClient({1000, 800});
    EXPECT_EQ(v.picPview->geometry(), QRect(115, 111, 770, 578)) << "0.77 kept";
    // Zoom In and Zoom Out into each end and out of it again.
    const auto zoomItems = [&v] {
        return std::pair{v.mnuZoomIn->isEnabled(), v.mnuZoomOut->isEnabled()};
    };
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
    sendMouse(v.picPview, QEvent::MouseButtonPress, QPointF(500, 400));
    sendMouse(v.picPview, QEvent::MouseMove, QPointF(450, 420));
    EXPECT_EQ(v.picPview->pos(), QPoint(-150, -65));
    sendMouse(v.picPview, QEvent::MouseMove, QPointF(400, 400), Qt::LeftButton,
              Qt::LeftButton | Qt::RightButton);                            // not alone
    sendMouse(v.picPview, QEvent::MouseButtonRelease, QPointF(-900, -900)); // outside the window
    sendMouse(v.picPview, QEvent::MouseMove, QPointF(400, 400), Qt::NoButton);
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

    v.mnuNext->setEnabled(false);
    release(Qt::Key_PageDown);
    v.mnuNext->setEnabled(true);
    release(Qt::Key_PageDown, {}, true); // auto-repeated
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
        QWheelEvent turn({10, 10}, {10, 10}, {}, {0, angle}, Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&v, &turn);
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

#include "core/text_ids.h"
#include "imaging/picture_scaling.h"
#include "platform/event_pump.h"
#include "support/fakes.h"
#include "support/program_folder.h"
#include "support/typing.h"
#include "viewer/frm_sized_preview.h"
#include "viewer/picture_cache.h"
#include "viewer/picture_surface.h"
#include "viewer/picture_transforms.h"
#include "viewer/view_geometry.h"

#include <QKeyEvent>
#include <QThread>
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

    v.mnuFullSize_Click();
    sendMouse(v.picPview, QEvent::MouseButtonPress, QPointF(500, 400));
    sendMouse(v.picPview, QEvent::MouseMove, QPointF(450, 420));
    EXPECT_EQ(v.picPview->pos(), QPoint(-530, -65));
    sendMouse(v.picPview, QEvent::MouseMove, QPointF(400, 400), Qt::LeftButton,
              Qt::LeftButton | Qt::RightButton);                            // not alone
    sendMouse(v.picPview, QEvent::MouseButtonRelease, QPointF(-900, -900)); // outside the window
    sendMouse(v.picPview, QEvent::MouseMove, QPointF(400, 400), Qt::NoButton);
    EXPECT_EQ(v.picPview->pos(), QPoint(-530, -65));
    v.mnuExit_Click();
    EXPECT_FALSE(state.files.PreviewOpen);
}

TEST_F(Viewer, PagingWrapsWaitsForTheRefreshLockAndActsOnKeyReleaseAndWheelNotches)
{
    frmSizedPreview &v = open({{40, 30}, {41, 30}, {42, 30}}, 2);
    for (const auto &[command, expected] : {std::pair{&frmSizedPreview::mnuNext_Click, 0},
                                            {&frmSizedPreview::mnuPrevious_Click, 2},
                                            {&frmSizedPreview::mnuLast_Click, 2}}) {
        (v.*command)();
        EXPECT_EQ(v.ImageWidth, 40 + expected);
    }
    refreshTimer.stop();
    v.mnuNext_Click();
    v.mnuExit_Click();
    EXPECT_EQ(std::pair(state.files.CurrentImageIndex, v.isVisible()), std::pair(qint16(2), true));
    refreshTimer.start();
    v.mnuFirst_Click(); // the keys start from the first picture

    v.mnuNext->setEnabled(false);
    release(Qt::Key_PageDown);
    v.mnuNext->setEnabled(true);
    release(Qt::Key_PageDown, {}, true); // auto-repeated
    release(Qt::Key_PageDown);
    EXPECT_EQ(state.files.CurrentImageIndex, 1) << "not while Next is disabled, nor by a repeat";
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
    release(Qt::Key_S); // the slide show needs Ctrl
    release(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(v.tmrSlide.isActive());
    release(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(v.panelText(2), u"30x42"_s) << "turned right";

    // The last picture, then the first of two, then the only one.
    for (const int width : {40, 41, 0}) {
        v.mnuDelete_Click();
        EXPECT_EQ(v.isVisible() ? v.ImageWidth : 0, width);
    }
    EXPECT_FALSE(v.tmrSlide.isActive()) << "closing stops the slide show";
    EXPECT_TRUE(state.files.PreviewOpen) << "released only under the refresh lock";
}

using PictureCacheTest = ProgramFolder;

TEST_F(PictureCacheTest, NeighboursAreDecodedAheadAtMostThreeHeldAndAChangedFileDecodedAgain)
{
    std::atomic_int decodedHere = 0; // pictures the worker did not have ready
    PictureCache cache([&decodedHere](const QString &path) {
        decodedHere += QThread::currentThread() == QCoreApplication::instance()->thread();
        return decodePicture(path);
    });
    QStringList paths;
    for (int i = 0; i < 5; ++i)
        paths.append(savePicture(QStringLiteral("%1.png").arg(i), {10 + i, 10}));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cache.picture(paths[i]).width(), 10 + i); // waits for the worker if need be
        cache.keepAround(paths[i], {paths[(i + 1) % 5], paths[(i + 4) % 5]});
        EXPECT_EQ(cache.heldCount(), PictureCache::MaxHeld);
    }
    EXPECT_EQ(decodedHere, 1) << "only the first picture waits for a decode of its own";

    // Held; a new modification time marks the change, whatever the size.
    savePicture(QStringLiteral("4.png"), {40, 30});
    QFile file(paths[4]);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                 QFileDevice::FileModificationTime));
    EXPECT_EQ(cache.picture(paths[4]).size(), QSize(40, 30));
    cache.picture(paths[4]);
    EXPECT_EQ(decodedHere, 2) << "decoded once more, then held";
}

TEST(ViewGeometry, FitShrinksByTheBindingSideToWholePercentAndZoomGoesByFixedSteps)
{
    // W, H, client SW x UH, fit mode; the shown size and its ratio.
    const std::tuple<QSize, QSize, bool, ShownSize, double> cases[] = {
        {{1000, 750}, {800, 580}, true, {773, 580}, 0.77},  // the height binds
        {{1600, 400}, {800, 580}, true, {800, 200}, 0.5},   // the width binds
        {{800, 580}, {800, 580}, true, {800, 580}, 1.0},    // exactly the client area
        {{801, 580}, {800, 580}, true, {800, 579}, 0.99},   // one pixel too wide
        {{800, 581}, {800, 580}, true, {799, 580}, 0.99},   // one pixel too high
        {{300, 200}, {800, 580}, true, {300, 200}, 1.0},    // small: not enlarged
        {{1000, 750}, {800, 580}, false, {1000, 750}, 1.0}, // full size
        {{100, 100}, {29, 580}, true, {29, 29}, 0.29},      // whole percent, not 28.999...
    };
    for (const auto &[picture, client, fit, shown, ratio] : cases) {
        const ShownSize fitted =
            fittedSize(picture.width(), picture.height(), client.width(), client.height(), fit);
        EXPECT_EQ(fitted, shown) << picture.width() << "x" << picture.height();
        EXPECT_EQ(truncatedRatio(fitted.ShowWidth, picture.width()), ratio) << picture.width();
    }
    EXPECT_EQ(zoomedSize(1000, 750, 0.15), (ShownSize{150, 112})); // 112.5 to even
    EXPECT_EQ(percentText(0.15), QStringLiteral("15%")); // 100 x 0.15 is 15.000000000000002
    // A ratio, the next step in and the next step out: at each step and just beside it.
    const std::tuple<double, double, double> steps[] = {
        {0.05, 0.15, 0.05}, {0.1, 0.15, 0.1}, {0.11, 0.15, 0.1}, {0.15, 0.2, 0.1},
        {0.2, 0.3, 0.15},   {0.3, 0.5, 0.2},  {0.5, 0.7, 0.3},   {0.7, 1.0, 0.5},
        {0.71, 1.0, 0.7},   {1.0, 1.0, 0.7},  {1.01, 1.0, 1.01}};
    for (const auto &[from, in, out] : steps) {
        EXPECT_EQ(std::pair(zoomInStep(from), zoomOutStep(from)), std::pair(in, out)) << from;
    }
}

TEST(LayoutAxis, OverflowOnlyPastTheClientCentredAndPannedToEitherEdgeExactly)
{
    // Shown extent in a client of 800, pan; overflow, holder range, value when centred and
    // after the pan, and the picture's start after the pan.
    const std::tuple<qint32, qint32, bool, qint32, qint32, qint32, double> cases[] = {
        {799, 30, false, 0, 0, 0, 0.5},                 // fits: centred on a half pixel, no pan
        {800, 30, false, 0, 0, 0, 0},                   // exactly as wide as the client
        {801, 0, true, 1, 0, 0, -0.5},                  // one pixel wider
        {1000, 101, true, 200, 100, 200, 0},            // one past the left edge at the window's
        {1000, -101, true, 200, 100, 0, -200},          // one past the right edge at the window's
        {40000, -25000, true, 39200, 19600, 0, -39200}, // 32-bit offsets
    };
    for (const auto &[shown, delta, overflow, max, centre, panned, start] : cases) {
        LayoutAxis axis;
        axis.layout(800, shown);
        EXPECT_EQ((std::tuple{axis.overflow, axis.Max, axis.Value}),
                  (std::tuple{overflow, max, centre}))
            << shown;
        axis.pan(delta);
        EXPECT_EQ(std::pair(axis.Value, axis.start), std::pair(panned, start)) << delta;
        EXPECT_FALSE(axis.setValue(-1) || axis.setValue(max + 1)) << "outside the holder's range";
    }
}

TEST(PictureTransforms, EachTransformIsItsPixelMapping)
{
    // Pixels 0 1 2 over 3 4 5, each of its own colour, so that any wrong mapping shows.
    QImage source(3, 2, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i)
        source.setPixel(i % 3, i / 3, qRgb(i, 0, 0));
    const std::tuple<Transform, int, std::vector<int>> cases[] = {
        {Transform::FlipHorizontal, 3, {2, 1, 0, 5, 4, 3}},
        {Transform::FlipVertical, 3, {3, 4, 5, 0, 1, 2}},
        {Transform::RotateLeft, 2, {2, 5, 1, 4, 0, 3}},
        {Transform::RotateRight, 2, {3, 0, 4, 1, 5, 2}},
    };
    for (const auto &[transform, width, pixels] : cases) {
        const QImage result = transformed(source, transform);
        std::vector<int> seen;
        for (int i = 0; i < result.width() * result.height(); ++i)
            seen.push_back(qRed(result.pixel(i % width, i / width)));
        EXPECT_EQ(std::pair(result.width(), seen), std::pair(width, pixels)) << int(transform);
    }
}

#include "viewer_fixture.h"

#include "viewer/picture_surface.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QWheelEvent>

namespace {
class ViewerNavigation : public ViewerFixture {
protected:
    void addPictures(int count)
    {
        for (int i = 0; i < count; ++i)
            addPicture(QStringLiteral("p%1.png").arg(i), {40 + i, 30});
    }
    void release(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyRelease, key, modifiers);
        QCoreApplication::sendEvent(viewer.get(), &event);
    }
    void wheel(int angle)
    {
        QWheelEvent event({10, 10}, {10, 10}, {}, {0, angle}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(viewer.get(), &event);
    }
};
} // namespace

TEST_F(ViewerNavigation, PagingWrapsAround)
{
    addPictures(3);
    frmSizedPreview &v = open(2);
    struct Step {
        void (frmSizedPreview::*command)();
        qint16 index;
    };
    const Step steps[] = {
        {&frmSizedPreview::mnuNext_Click, 0},  {&frmSizedPreview::mnuPrevious_Click, 2},
        {&frmSizedPreview::mnuFirst_Click, 0}, {&frmSizedPreview::mnuPrevious_Click, 2},
        {&frmSizedPreview::mnuNext_Click, 0},  {&frmSizedPreview::mnuLast_Click, 2},
    };
    for (const Step &step : steps) {
        (v.*step.command)();
        EXPECT_EQ(index(), step.index);
        EXPECT_EQ(v.panelText(1), QStringLiteral("%1/3").arg(step.index + 1));
        EXPECT_EQ(v.ImageWidth, 40 + step.index);
    }
}

TEST_F(ViewerNavigation, DeleteKeepsTheIndexOrWrapsToTheFirstOrCloses)
{
    struct Case {
        int count, deleted;
        qint16 index;
        QString shown; // empty when the viewer closes
    };
    const Case cases[] = {
        {3, 2, 0, QStringLiteral("p0.png")},
        {3, 0, 0, QStringLiteral("p1.png")},
        {1, 0, 0, QString()},
    };
    for (const Case &c : cases) {
        QDir(pictureFolder()).removeRecursively();
        QDir().mkpath(pictureFolder());
        addPictures(c.count);
        frmSizedPreview &v = open(c.deleted);
        v.mnuDelete_Click();
        EXPECT_FALSE(QFileInfo::exists(trash.asked.last()));
        EXPECT_EQ(state.files.ImageFileCount, c.count - 1);
        EXPECT_EQ(index(), c.index);
        EXPECT_EQ(v.isVisible(), !c.shown.isEmpty());
        if (!c.shown.isEmpty()) {
            EXPECT_EQ(v.windowTitle(), pictureFolder() + u'/' + c.shown);
        }
        EXPECT_TRUE(refreshTimer.isActive());
    }
}

TEST_F(ViewerNavigation, RefusedTrashChangesNothing)
{
    addPictures(3);
    frmSizedPreview &v = open(1);
    const QStringList entries = state.files.entries;
    const QImage shown = v.picPview->rendering();
    trash.refuse = true;
    v.mnuDelete_Click();
    ASSERT_EQ(trash.asked.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(trash.asked.first()));
    EXPECT_EQ(state.files.entries, entries);
    EXPECT_EQ(state.files.ImageFileCount, 3);
    EXPECT_EQ(index(), 1);
    EXPECT_EQ(v.panelText(1), QStringLiteral("2/3"));
    EXPECT_EQ(v.picPview->rendering(), shown);
    EXPECT_TRUE(v.isVisible());
}

TEST_F(ViewerNavigation, KeysActOnReleaseByTheirRow)
{
    addPictures(3);
    frmSizedPreview &v = open(0);

    v.mnuFlipHorizontal->setEnabled(false);
    release(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(v.picture().pixel(v.ImageWidth - 1, 0), qRgb(0, 0, 0)) << "Ctrl+H ignores its item";
    release(Qt::Key_H);
    EXPECT_EQ(v.picture().pixel(v.ImageWidth - 1, 0), qRgb(0, 0, 0)) << "H without Ctrl";
    release(Qt::Key_8);
    EXPECT_EQ(v.picture().pixel(0, 0), qRgb(0, 0, 0)) << "8 reloads";

    v.mnuNext->setEnabled(false);
    release(Qt::Key_PageDown);
    EXPECT_EQ(index(), 0) << "Page Down while Next is disabled";
    v.mnuNext->setEnabled(true);
    release(Qt::Key_PageDown);
    EXPECT_EQ(index(), 1);

    v.mnuZoomOut_Click();
    ASSERT_EQ(v.ZoomRatio, 0.7);
    release(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(v.ZoomRatio, 0.7) << "the keypad is not handled";
    release(Qt::Key_Equal);
    EXPECT_EQ(v.ZoomRatio, 1.0);
    release(Qt::Key_0);
    EXPECT_EQ(v.ZoomRatio, 1.0);
    EXPECT_EQ(state.settings.Images_Display_Mode, 0);

    release(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(v.tmrSlide.isActive());
    release(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(v.tmrSlide.isActive());
    release(Qt::Key_Escape);
    EXPECT_FALSE(v.isVisible());
}

TEST_F(ViewerNavigation, WheelAwayFromTheUserShowsThePrevious)
{
    addPictures(5);
    frmSizedPreview &v = open(0);
    wheel(120);
    EXPECT_EQ(index(), 4);
    wheel(-120);
    EXPECT_EQ(index(), 0);
    // A fine wheel pages once per notch.
    wheel(-60);
    EXPECT_EQ(index(), 0);
    wheel(-60);
    EXPECT_EQ(index(), 1);
    EXPECT_EQ(v.panelText(1), QStringLiteral("2/5"));
}

TEST_F(ViewerNavigation, SlideShowFromTheLastPictureWrapsToTheFirst)
{
    addPictures(3);
    state.timings.SlideMs = 20;
    frmSizedPreview &v = open(2);
    v.mnuSlideShow_Click();
    EXPECT_EQ(v.mnuSlideShow->text(), QStringLiteral("&Stop Slide Show\tCtrl+S"));
    // The index that the first tick leaves, whatever later ticks do.
    int afterFirstTick = -1;
    QObject::connect(&v.tmrSlide, &QTimer::timeout, [&] {
        if (afterFirstTick < 0)
            afterFirstTick = index();
    });
    QElapsedTimer waited;
    waited.start();
    while (afterFirstTick < 0 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(afterFirstTick, 0);
    v.mnuSlideShow_Click();
    EXPECT_FALSE(v.tmrSlide.isActive());
    EXPECT_EQ(v.mnuSlideShow->text(), QStringLiteral("&Slide Show\tCtrl+S"));
}

#include "viewer_fixture.h"

#include "viewer/picture_surface.h"

#include <QMenu>
#include <QMouseEvent>

using Viewer = ViewerFixture;

TEST_F(Viewer, FittedPictureShowsItsStatusCentredAtAHalfPixel)
{
    const QString path = addPicture(QStringLiteral("a.png"), {1000, 750});
    frmSizedPreview &v = open(0);
    EXPECT_EQ(v.panelText(1), QStringLiteral("1/1"));
    EXPECT_EQ(v.panelText(2), QStringLiteral("1000x750"));
    EXPECT_EQ(v.panelText(3), QStringLiteral("77%"));
    EXPECT_EQ(v.panelText(4), text(51));
    EXPECT_EQ(v.windowTitle(), path);
    EXPECT_EQ(v.horizontal.start, 13.5);
    EXPECT_EQ(v.vertical.start, 0);
    EXPECT_EQ(v.picPview->geometry(), QRect(14, 0, 773, 580));
    EXPECT_EQ(v.picPview->rendering().size(), QSize(773, 580));
    EXPECT_TRUE(v.mnuZoomIn->isEnabled());
    EXPECT_TRUE(v.mnuZoomOut->isEnabled());
    EXPECT_TRUE(v.isVisible());
    EXPECT_TRUE(state.files.PreviewOpen);
    EXPECT_EQ(v.mnuSlideShow->text(), QStringLiteral("&Slide Show\tCtrl+S"));
}

TEST_F(Viewer, ZoomItemsAreDisabledAtTheirEnds)
{
    addPicture(QStringLiteral("a.png"), {300, 200});
    frmSizedPreview &v = open(0);
    EXPECT_EQ(v.ZoomRatio, 1.0);
    EXPECT_FALSE(v.mnuZoomIn->isEnabled());
    for (int step = 0; step < 6; ++step)
        v.mnuZoomOut_Click();
    EXPECT_EQ(v.panelText(3), QStringLiteral("10%"));
    EXPECT_EQ(v.ShowWidth, 30);
    EXPECT_FALSE(v.mnuZoomOut->isEnabled());
    EXPECT_TRUE(v.mnuZoomIn->isEnabled());
    v.mnuZoomIn_Click();
    EXPECT_EQ(v.panelText(3), QStringLiteral("15%"));
}

TEST_F(Viewer, ResizeKeepsTheRatioAndFitImageFitsAgain)
{
    addPicture(QStringLiteral("a.png"), {1000, 750});
    frmSizedPreview &v = open(0);
    resizeClient({1000, 800});
    EXPECT_EQ(v.ZoomRatio, 0.77);
    EXPECT_EQ(v.picPview->geometry(), QRect(115, 111, 770, 578));
    v.mnuFitImage_Click();
    EXPECT_EQ(v.ZoomRatio, 1.0);
    EXPECT_EQ(state.store.ReadRegistryValue(SettingsStore::ImageKey,
                                            QStringLiteral("Images_Display_Mode")),
              QStringLiteral("1"));
}

TEST_F(Viewer, FullSizeOverflowsAndTheDragMovesThePicture)
{
    addPicture(QStringLiteral("a.png"), {1000, 750});
    frmSizedPreview &v = open(0);
    v.mnuFullSize_Click();
    EXPECT_EQ(state.store.ReadRegistryValue(SettingsStore::ImageKey,
                                            QStringLiteral("Images_Display_Mode")),
              QStringLiteral("0"));
    EXPECT_EQ(v.panelText(4), text(50));
    EXPECT_EQ(v.panelText(3), QStringLiteral("100%"));
    EXPECT_FALSE(v.mnuZoomIn->isEnabled());
    EXPECT_EQ(v.horizontal.Max, 200);
    EXPECT_EQ(v.vertical.Max, 170);
    EXPECT_EQ(v.picPview->pos(), QPoint(-100, -85));

    auto mouse = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, v.picPview->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(v.picPview, &event);
    };
    mouse(QEvent::MouseButtonPress, {500, 400}, Qt::LeftButton);
    mouse(QEvent::MouseMove, {450, 420}, Qt::LeftButton);
    EXPECT_EQ(v.horizontal.Value, 50);
    EXPECT_EQ(v.vertical.Value, 105);
    EXPECT_EQ(v.picPview->pos(), QPoint(-150, -65));
    // Only the left button alone drags.
    mouse(QEvent::MouseMove, {400, 420}, Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(v.picPview->pos(), QPoint(-150, -65));
}

TEST_F(Viewer, TransformsKeepTheRatioAndReloadDropsThem)
{
    const QString path = addPicture(QStringLiteral("a.png"), {400, 300});
    frmSizedPreview &v = open(0);
    v.mnuZoomOut_Click();
    v.mnuZoomOut_Click();
    ASSERT_EQ(v.ZoomRatio, 0.5);
    const QImage original = v.picture();

    v.mnuRotateLeft_Click();
    EXPECT_EQ(v.panelText(2), QStringLiteral("300x400"));
    EXPECT_EQ(v.panelText(3), QStringLiteral("50%"));
    EXPECT_EQ(v.picPview->size(), QSize(150, 200));
    // The black top-left pixel went to the bottom-left.
    EXPECT_EQ(v.picture().pixel(0, 399), qRgb(0, 0, 0));
    v.mnuFlipVertical_Click();
    EXPECT_EQ(v.picture().pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(v.panelText(2), QStringLiteral("300x400"));

    v.mnuReload_Click();
    EXPECT_EQ(v.picture(), original);
    EXPECT_EQ(v.panelText(2), QStringLiteral("400x300"));
    EXPECT_EQ(QImage(path).pixel(0, 0), qRgb(0, 0, 0)); // the file was never touched
}

TEST_F(Viewer, UndecodableFileShowsNoSizeAndKeepsTheRatio)
{
    addPicture(QStringLiteral("a.png"), {1000, 750});
    const QString broken = addBytes(QStringLiteral("b.jpg"), QByteArray(200, 'x'));
    frmSizedPreview &v = open(0);
    v.mnuNext_Click();
    EXPECT_EQ(v.panelText(1), QStringLiteral("2/2"));
    EXPECT_EQ(v.panelText(2), QStringLiteral("0x0"));
    EXPECT_EQ(v.panelText(3), QStringLiteral("77%"));
    EXPECT_EQ(v.windowTitle(), broken);
    EXPECT_TRUE(v.mnuDelete->isEnabled());
    EXPECT_TRUE(v.picPview->rendering().isNull());
    // Nothing divides by the missing size.
    v.mnuZoomIn_Click();
    v.mnuRotateRight_Click();
    v.mnuFullSize_Click();
    EXPECT_EQ(v.panelText(2), QStringLiteral("0x0"));
    EXPECT_EQ(v.panelText(3), QStringLiteral("100%"));
}

TEST_F(Viewer, NothingRunsWhileTheRefreshLockIsTakenOrALoadIsUnderWay)
{
    for (const char *name : {"a.png", "b.png", "c.png"})
        addPicture(QString::fromLatin1(name), {40, 30});
    frmSizedPreview &v = open(0);

    refreshTimer.stop();
    v.mnuNext_Click();
    v.mnuExit_Click();
    EXPECT_EQ(index(), 0);
    EXPECT_TRUE(v.isVisible());
    refreshTimer.start();

    // A command that arrives while a load lets events run does nothing.
    int nested = 0;
    events.onYield = [&] {
        if (nested++ == 0)
            v.mnuNext_Click();
    };
    v.mnuNext_Click();
    events.onYield = nullptr;
    EXPECT_EQ(index(), 1);
    EXPECT_TRUE(refreshTimer.isActive());
}

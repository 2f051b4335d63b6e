#include "mainwin/thumb_view.h"

#include "mainwin_fixture.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace {

// Writes count small pictures named p00.bmp, p01.bmp, ... into folder.
void writePictures(const QString &folder, int count)
{
    QImage picture(4, 2, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(
            picture.save(QStringLiteral("%1/p%2.bmp").arg(folder).arg(i, 2, 10, QLatin1Char('0'))));
}

void doubleClick(QWidget *widget)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent event(QEvent::MouseButtonDblClick, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class ThumbViewTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ASSERT_TRUE(pictures.isValid());
        state.settings.Download_File_Folder = pictures.path();
    }

    int visibleSlots() const
    {
        int visible = 0;
        for (size_t k = 0; k < window->picThumb.size(); ++k) {
            EXPECT_EQ(window->picThumb[k]->isVisible(), window->lblThumbView[k]->isVisible()) << k;
            visible += window->picThumb[k]->isVisible() ? 1 : 0;
        }
        return visible;
    }

    QTemporaryDir pictures;
};

TEST_F(ThumbViewTest, PageLabelButtonsAndSlotsFollowTheFileCount)
{
    struct Case {
        int files;
        int clicksForward;
        const char *caption;
        QColor colour;
        bool backEnabled, forwardEnabled;
        int slots;
    };
    const Case cases[] = {
        {0, 0, "0/0", QColor(0xC0, 0xC0, 0xC0), false, false, 0},
        {5, 0, "1/1", Qt::white, false, false, 5},
        {6, 0, "1/2", Qt::white, false, true, 5},
        {6, 1, "2/2", Qt::white, true, false, 1},
    };
    for (const Case &c : cases) {
        QTemporaryDir folder;
        writePictures(folder.path(), c.files);
        state.settings.Download_File_Folder = folder.path();
        frmResource &w = open();
        for (int i = 0; i < c.clicksForward; ++i)
            w.cmdForward->click();
        EXPECT_TRUE(host.refreshEnabled) << "a paging click lets the refresh run again";

        const QString where =
            QStringLiteral("%1 files, page %2").arg(c.files).arg(state.files.ThumbPage);
        EXPECT_EQ(w.lblThumbViewPage->text(), QString::fromLatin1(c.caption))
            << where.toStdString();
        EXPECT_EQ(w.lblThumbViewPage->palette().color(QPalette::WindowText), c.colour);
        EXPECT_EQ(w.lblThumbViewPage->x(), (w.width() - w.lblThumbViewPage->width()) / 2);
        EXPECT_EQ(w.cmdFirst->isEnabled(), c.backEnabled) << where.toStdString();
        EXPECT_EQ(w.cmdBackward->isEnabled(), c.backEnabled);
        EXPECT_EQ(w.cmdForward->isEnabled(), c.forwardEnabled);
        EXPECT_EQ(w.cmdLast->isEnabled(), c.forwardEnabled);
        EXPECT_EQ(visibleSlots(), c.slots) << where.toStdString();
    }
}

TEST_F(ThumbViewTest, SlotsAreCentredUnderTheirNamesAndAnUnreadableFileKeepsItsName)
{
    QImage wide(400, 100, QImage::Format_RGB32);
    wide.fill(Qt::red);
    ASSERT_TRUE(wide.save(pictures.filePath(QStringLiteral("a.png"))));
    QFile broken(pictures.filePath(QStringLiteral("b.jpg")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    QImage tall(30, 60, QImage::Format_RGB32);
    tall.fill(Qt::blue);
    ASSERT_TRUE(tall.save(pictures.filePath(QStringLiteral("c.gif")), "PNG"));

    frmResource &w = open();
    const QRect expected[] = {{25, 358, 80, 20}, {191, 368, 0, 0}, {302, 338, 30, 60}};
    const char *names[] = {"a.png", "b.jpg", "c.gif"};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(w.picThumb[k]->geometry(), expected[k]) << k;
        EXPECT_TRUE(w.picThumb[k]->isVisible()) << k;
        const QLabel *label = w.lblThumbView[k];
        EXPECT_EQ(label->text(), QString::fromLatin1(names[k]));
        EXPECT_EQ(label->y(), 418);
        EXPECT_EQ(label->x(), 65 + 126 * k - label->width() / 2) << k;
    }
    EXPECT_EQ(w.picThumb[0]->pixmap().toImage().pixelColor(40, 10), QColor(Qt::red));
    EXPECT_EQ(host.cache.decodes(), 3);
    w.ThumbView_Load();
    EXPECT_EQ(host.cache.decodes(), 3) << "an unchanged page is not decoded again";
}

TEST_F(ThumbViewTest, DoubleClickOpensTheViewerOnTheListIndexUnlessAPageIsBeingBuilt)
{
    writePictures(pictures.path(), 12);
    frmResource &w = open();
    w.cmdForward->click();
    ASSERT_EQ(state.files.ThumbPage, 2);

    host.refreshEnabled = false;
    doubleClick(w.picThumb[2]);
    w.cmdForward->click();
    EXPECT_TRUE(host.previews.shownIndices.empty());
    EXPECT_EQ(state.files.ThumbPage, 2) << "paging waits for the rebuild too";

    host.refreshEnabled = true;
    doubleClick(w.picThumb[2]);
    EXPECT_EQ(state.files.CurrentImageIndex, 7);
    EXPECT_EQ(host.previews.shownIndices, std::vector<int>{7});
    EXPECT_TRUE(host.refreshEnabled);

    w.cmdLast->click();
    EXPECT_EQ(w.lblThumbViewPage->text(), QStringLiteral("3/3"));
    w.cmdFirst->click();
    EXPECT_EQ(w.lblThumbViewPage->text(), QStringLiteral("1/3"));
}

TEST_F(ThumbViewTest, FolderChoiceShowsTheFirstPageAndMovesOrClosesAnOpenViewer)
{
    writePictures(pictures.path(), 7);
    QTemporaryDir empty;
    state.files.PreviewOpen = true;
    frmResource &w = open();
    EXPECT_EQ(host.previews.shownIndices, std::vector<int>{0})
        << "Load sends the viewer to the first picture";
    w.cmdForward->click();

    folders.answers = {empty.path()};
    panel().cmdChangeFileFolder->click();
    EXPECT_EQ(state.files.ListedFolder, empty.path());
    EXPECT_EQ(state.files.ThumbPage, 0);
    EXPECT_EQ(host.previews.unloads, 1);

    folders.answers = {pictures.path()};
    panel().cmdChangeFileFolder->click();
    EXPECT_EQ(state.files.ImageFileCount, 7);
    EXPECT_EQ(state.files.ThumbPage, 1);
    EXPECT_EQ(host.previews.shownIndices, (std::vector<int>{0, 0}));
}

TEST(ClampThumbPage, LowersThePageStepByStepToTheLastOne)
{
    struct Case {
        qint16 files, page, expected;
        int yields;
    };
    const Case cases[] = {
        {0, 3, 0, 0}, {6, 3, 2, 1}, {6, 0, 1, 0}, {11, 3, 3, 0}, {10, 4, 2, 2}, {1, 1, 1, 0},
    };
    for (const Case &c : cases) {
        PictureFiles files;
        files.ImageFileCount = c.files;
        files.ThumbPage = c.page;
        ScriptedEventPump events;
        clampThumbPage(files, events);
        EXPECT_EQ(files.ThumbPage, c.expected) << c.files << " files, page " << c.page;
        EXPECT_EQ(events.yields, c.yields);
    }
}

#include "mainwin/thumb_view.h"

#include "mainwin_fixture.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <map>
#include <tuple>

namespace {
void doubleClick(QWidget *widget, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(1, 1),
                      widget->mapToGlobal(QPointF(1, 1)), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}
} // namespace

class ThumbViewTest : public MainWindowFixture {
protected:
    // Opens the window on count small pictures named p00.bmp, p01.bmp, ...
    frmResource &openOn(int count)
    {
        pictures = std::make_unique<QTemporaryDir>();
        for (int i = 0; i < count; ++i)
            save(QStringLiteral("p%1.bmp").arg(i, 2, 10, QLatin1Char('0')), {4, 2});
        return open();
    }
    void save(const QString &name, QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(pictures->filePath(name)));
        state.settings.Download_File_Folder = pictures->path();
    }
    std::unique_ptr<QTemporaryDir> pictures;
};

// Clicks: f forward, b backward, l last, 1 first. Each button is checked after the change that
// first enables it.
TEST_F(ThumbViewTest, PageLabelButtonsAndSlotsFollowTheFileCountAndTheClicks)
{
    const std::tuple<int, const char *, const char *, bool, bool, int> cases[] = {
        {0, "", "0/0", false, false, 0},   {5, "", "1/1", false, false, 5},
        {6, "", "1/2", false, true, 5},    {6, "f", "2/2", true, false, 1},
        {11, "l", "3/3", true, false, 1},  {11, "lb", "2/3", true, true, 5},
        {11, "l1", "1/3", false, true, 5},
    };
    for (const auto &[files, clicks, caption, back, forward, slots] : cases) {
        frmResource &w = openOn(files);
        const std::map<char, QPushButton *> buttons = {
            {'f', w.cmdForward}, {'b', w.cmdBackward}, {'l', w.cmdLast}, {'1', w.cmdFirst}};
        for (const char *click = clicks; *click; ++click)
            buttons.at(*click)->click();
        EXPECT_EQ(w.lblThumbViewPage->text(), QString::fromLatin1(caption)) << files << clicks;
        EXPECT_EQ(w.lblThumbViewPage->palette().color(QPalette::WindowText),
                  files ? QColor(Qt::white) : QColor(0xC0, 0xC0, 0xC0));
        EXPECT_EQ(w.cmdFirst->isEnabled(), back) << files << clicks;
        EXPECT_EQ(w.cmdBackward->isEnabled(), back);
        EXPECT_EQ(w.cmdForward->isEnabled(), forward);
        EXPECT_EQ(w.cmdLast->isEnabled(), forward);
        for (int k = 0; k < ThumbsPerPage; ++k)
            EXPECT_EQ(w.lblThumbView[k]->isVisible(), k < slots) << files << clicks << k;
    }
}

// A wide picture, an unreadable file, a tall picture and a name too long for its slot.
TEST_F(ThumbViewTest, SlotsAreCentredUnderTheirNamesShortenedToTheSlot)
{
    openOn(0);
    save(QStringLiteral("a.png"), {400, 100});
    ASSERT_TRUE(QFile(pictures->filePath(QStringLiteral("b.jpg"))).open(QIODevice::WriteOnly));
    save(QStringLiteral("c.png"), {30, 60});
    const QString longName = QStringLiteral("d-a-name-far-too-long-for-one-slot-of-the-strip.png");
    save(longName, {8, 8});
    frmResource &w = open();

    const std::tuple<QRect, const char *> slots[] = {
        {{25, 358, 80, 20}, "a.png"}, {{191, 368, 0, 0}, "b.jpg"}, {{302, 338, 30, 60}, "c.png"}};
    for (int k = 0; k < 3; ++k) {
        const auto &[thumb, name] = slots[k];
        EXPECT_EQ(w.picThumb[k]->geometry(), thumb) << k;
        EXPECT_TRUE(w.picThumb[k]->isVisible());
        EXPECT_EQ(w.lblThumbView[k]->text(), QString::fromLatin1(name));
        EXPECT_EQ(w.lblThumbView[k]->geometry().center().x(), thumb.center().x()) << k;
    }
    EXPECT_NE(w.lblThumbView[3]->text(), longName);
    EXPECT_LT(w.lblThumbView[2]->geometry().right(), w.lblThumbView[3]->x());
    // A wider window centres the strip under the paging buttons.
    const int gap = w.picThumb[0]->x() - w.cmdFirst->x();
    for (const int wider : {200, 400}) {
        w.resize(frmResource::ClientWidth + wider, w.height());
        QCoreApplication::processEvents();
        EXPECT_EQ(w.picThumb[0]->x() - w.cmdFirst->x(), gap) << wider;
    }
}

TEST_F(ThumbViewTest, DoubleClickOpensTheViewerOnTheListIndexUnlessAPageIsBeingBuilt)
{
    frmResource &w = openOn(12);
    w.cmdForward->click();
    EXPECT_TRUE(host.refreshEnabled) << "a paging click lets the refresh run again";
    host.refreshEnabled = false;
    doubleClick(w.picThumb[2]);
    w.cmdForward->click();
    EXPECT_EQ(state.files.ThumbPage, 2) << "paging waits for the rebuild too";

    host.refreshEnabled = true;
    doubleClick(w.picThumb[2], Qt::RightButton);
    doubleClick(&w); // outside any slot
    EXPECT_TRUE(host.previews.shownIndices.empty());
    doubleClick(w.picThumb[2]);
    EXPECT_EQ(host.previews.shownIndices, std::vector<int>{7});
    EXPECT_TRUE(host.refreshEnabled);
}

TEST_F(ThumbViewTest, FolderChoiceShowsTheFirstPageAndMovesOrClosesAnOpenViewer)
{
    state.files.PreviewOpen = true;
    frmResource &w = openOn(7);
    EXPECT_EQ(host.previews.shownIndices, std::vector<int>{0}) << "Load shows the first picture";
    w.cmdForward->click();
    QTemporaryDir empty;
    folders.answers = {empty.path(), pictures->path()};
    panel().cmdChangeFileFolder->click();
    EXPECT_EQ(host.previews.unloads, 1);
    panel().cmdChangeFileFolder->click();
    EXPECT_EQ(state.files.ThumbPage, 1);
    EXPECT_EQ(host.previews.shownIndices, (std::vector<int>{0, 0}));
}

TEST(ClampThumbPage, LowersThePageStepByStepToTheLastOne)
{
    const std::tuple<qint16, qint16, qint16, int> cases[] = {
        {0, 3, 0, 0}, {6, 3, 2, 1}, {6, 0, 1, 0}, {10, 2, 2, 0}, {10, 4, 2, 2}, {11, 3, 3, 0},
    };
    for (const auto &[count, page, expected, yields] : cases) {
        PictureFiles files;
        files.ImageFileCount = count;
        files.ThumbPage = page;
        ScriptedEventPump events;
        clampThumbPage(files, events);
        EXPECT_EQ(files.ThumbPage, expected) << count << " files, page " << page;
        EXPECT_EQ(events.yields, yields);
    }
}

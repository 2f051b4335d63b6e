#include "grab/grab_driver.h"

#include "grab_fixture.h"

#include <QFile>

namespace {
class GrabDriverTest : public GrabFixture {
protected:
    GrabDriver driver{context, engine, messages, network, timings, refreshTimer, QString()};

    qsizetype firstPicture() const
    {
        for (qsizetype i = 0; i < engine.begun.size(); ++i)
            if (isPictureRequest(engine.begun[i]))
                return i;
        return -1;
    }
    qsizetype lastPage() const
    {
        qsizetype last = -1;
        for (qsizetype i = 0; i < engine.begun.size(); ++i)
            if (!isPictureRequest(engine.begun[i]))
                last = i;
        return last;
    }
};
} // namespace

TEST(PictureLimits, FollowTheFileNumbersStillFree)
{
    const struct {
        qint32 remaining;
        qint16 limit;
        qint16 lowWater;
    } table[] = {{-5, 50, 40}, {10, 50, 40},  {50, 50, 40},   {51, 52, 42},
                 {75, 76, 66}, {99, 100, 90}, {100, 100, 50}, {120, 100, 50}};
    for (const auto &row : table) {
        const PictureLimits limits = pictureLimitsFor(row.remaining);
        EXPECT_EQ(limits.limit, row.limit) << row.remaining;
        EXPECT_EQ(limits.lowWater, row.lowWater) << row.remaining;
    }
}

TEST_F(GrabDriverTest, KeywordSearchFetchesEveryResultPageBeforeAnyPicture)
{
    grab.KeywordSearchMode = true;
    grab.SeedCrawl(QStringLiteral("http://search/q"), settings);
    int parsedPages = 0;
    pump.onYield = [&] {
        if (!engine.completeOne())
            return;
        // The first result page names three more result pages; each page names two pictures.
        if (parsedPages++ == 0)
            for (int i = 1; i <= 3; ++i)
                grab.LinkList.append({QStringLiteral("http://search/q&start=%1").arg(i * 20), 0});
        if (parsedPages <= 4)
            for (int i = 0; i < 2; ++i)
                grab.ResourceList.append(
                    QStringLiteral("http://p/%1_%2.jpg").arg(parsedPages).arg(i));
    };

    EXPECT_EQ(driver.RunGrabbing(), GrabDriver::Ending::Finished);
    EXPECT_EQ(engine.begun.size(), 4 + 8);
    EXPECT_LT(lastPage(), firstPicture());
    EXPECT_EQ(engine.begun.first(), QStringLiteral("M0http://search/q"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("text110"));
    EXPECT_FALSE(grab.Grabbing);
    EXPECT_FALSE(QFile::exists(grab.ProjectFilePath)) << "a finished grab leaves no project file";
    EXPECT_EQ(refreshTimer.interval(), 100);
}

TEST_F(GrabDriverTest, WebsiteCrawlTurnsToPicturesWithSixtyPagesInFlight)
{
    grab.KeywordSearchMode = false;
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    for (int i = 0; i < 99; ++i)
        grab.LinkList.append({QStringLiteral("http://site/%1.html").arg(i), 1});
    for (int i = 0; i < 5; ++i)
        grab.ResourceList.append(QStringLiteral("http://site/%1.jpg").arg(i));
    pump.onYield = [&] {
        if (engine.begun.size() >= 65)
            grab.StopRequested = true;
    };

    EXPECT_EQ(driver.RunGrabbing(), GrabDriver::Ending::Stopped);
    ASSERT_GE(engine.begun.size(), 65);
    EXPECT_EQ(firstPicture(), 60) << "no page completes, so the 61st request is a picture";
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("text111"));
    EXPECT_EQ(engine.cancels, 1);
    EXPECT_TRUE(QFile::exists(grab.ProjectFilePath)) << "a stopped grab can be resumed";
}

TEST_F(GrabDriverTest, GrabWithoutAnyPictureStillFinishes)
{
    grab.KeywordSearchMode = false;
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    pump.onYield = [&] { engine.completeOne(); };
    EXPECT_EQ(driver.RunGrabbing(), GrabDriver::Ending::Finished);
    EXPECT_EQ(engine.begun, QStringList{QStringLiteral("M0http://site/")});
}

TEST_F(GrabDriverTest, PicturesStillQueuedKeepTheGrabGoing)
{
    // The first picture is refused at once; the grab must still fetch the second.
    grab.KeywordSearchMode = false;
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    grab.ResourceList.append(QStringLiteral("http://blocked/a.jpg"));
    grab.ResourceList.append(QStringLiteral("http://site/b.jpg"));
    engine.refuse = [](const QString &key) { return key.contains(u"blocked"); };
    pump.onYield = [&] { engine.completeOne(); };
    EXPECT_EQ(driver.RunGrabbing(), GrabDriver::Ending::Finished);
    EXPECT_TRUE(engine.begun.contains(QStringLiteral("RRhttp://site/b.jpg")));
    EXPECT_EQ(grab.PicturesInFlight, 0);
}

TEST_F(GrabDriverTest, StopFromTheGrabButtonShowsTheUserStopText)
{
    status.MainWindowOpen = true;
    grab.KeywordSearchMode = false;
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    status.setGrabCaption(texts[64]);
    pump.onYield = [&] {
        status.setGrabCaption(texts[56]);
        grab.StopRequested = true;
    };
    EXPECT_EQ(driver.RunGrabbing(), GrabDriver::Ending::Stopped);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("text112"));
    EXPECT_EQ(status.grabCaption(), texts[56]);
    EXPECT_TRUE(status.panelText(1).startsWith(QStringLiteral("text109 ")));
}

TEST_F(GrabDriverTest, StopWhileTheStopCaptionShowsIsTheRangeUsedUp)
{
    status.MainWindowOpen = true;
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    status.setGrabCaption(texts[64]);
    pump.onYield = [&] { grab.StopRequested = true; };
    EXPECT_EQ(driver.RunGrabbing(), GrabDriver::Ending::Stopped);
    EXPECT_EQ(messages.shown.at(0).text, QStringLiteral("text111"));
}

TEST_F(GrabDriverTest, LostNetworkEndsTheGrabAndKeepsTheProjectFile)
{
    grab.KeywordSearchMode = false;
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    for (int i = 0; i < 10; ++i)
        grab.LinkList.append({QStringLiteral("http://site/%1.html").arg(i), 1});
    grab.NetworkLost = true; // a loss before the grab is forgotten when it starts
    pump.onYield = [&] {
        if (pump.yields == 3) {
            network.alive = false;
            driver.tmrAlarm_Timer();
        }
    };
    EXPECT_EQ(driver.RunGrabbing(), GrabDriver::Ending::NetworkLost);
    EXPECT_EQ(messages.shown.at(0).text, QStringLiteral("text113"));
    EXPECT_EQ(engine.cancels, 1);
    EXPECT_TRUE(QFile::exists(grab.ProjectFilePath));
}

TEST_F(GrabDriverTest, NetworkLossWhileIdleOnlyMarksIt)
{
    network.alive = false;
    driver.tmrAlarm_Timer();
    EXPECT_TRUE(grab.NetworkLost);
    EXPECT_FALSE(grab.StopRequested);
}

TEST_F(GrabDriverTest, DeadTimeCancelsEverythingAfterTheLastTick)
{
    grab.Grabbing = true;
    driver.UpgradeCheckDone = true;
    for (int tick = 1; tick < timings.DeadTimeSeconds; ++tick)
        driver.tmrAlarm_Timer();
    EXPECT_EQ(engine.cancels, 0);
    driver.ResetDeadTime();
    for (int tick = 1; tick < timings.DeadTimeSeconds; ++tick)
        driver.tmrAlarm_Timer();
    EXPECT_EQ(engine.cancels, 0) << "a successful download starts the count again";
    driver.tmrAlarm_Timer();
    EXPECT_EQ(engine.cancels, 1);
    EXPECT_EQ(driver.DeadTime, 0);

    grab.Grabbing = false;
    for (int tick = 0; tick < 2 * timings.DeadTimeSeconds; ++tick)
        driver.tmrAlarm_Timer();
    EXPECT_EQ(engine.cancels, 1) << "no dead time without a grab";
}

TEST_F(GrabDriverTest, NewVersionPageIsRequestedOnceAtTheFirstTickWithANetwork)
{
    GrabDriver checking(context, engine, messages, network, timings, refreshTimer,
                        QStringLiteral("http://maker/VezurodUdevizEruvoz/Upgrade.htm"));
    network.alive = false;
    checking.tmrAlarm_Timer();
    EXPECT_TRUE(engine.begun.isEmpty());
    network.alive = true;
    checking.tmrAlarm_Timer();
    checking.tmrAlarm_Timer();
    EXPECT_EQ(engine.begun,
              QStringList{QStringLiteral("U0http://maker/VezurodUdevizEruvoz/Upgrade.htm")});
    EXPECT_EQ(grab.PagesInFlight, 1);

    settings.NeverUpgrade = 1;
    GrabDriver never(context, engine, messages, network, timings, refreshTimer,
                     QStringLiteral("http://maker/VezurodUdevizEruvoz/Upgrade.htm"));
    never.tmrAlarm_Timer();
    EXPECT_TRUE(never.UpgradeCheckDone);
    EXPECT_EQ(engine.begun.size(), 1);
}

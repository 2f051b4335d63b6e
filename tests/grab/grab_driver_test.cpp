#include "grab/grab_driver.h"

#include "core/text_ids.h"
#include "core/timings.h"
#include "crawl/download_engine.h"
#include "grab/project_file.h"
#include "grab_fixture.h"
#include "support/fakes.h"

#include <QFile>
#include <QRegularExpression>
#include <QTimer>

using namespace Qt::StringLiterals;
using Ending = GrabDriver::Ending;

namespace {
// The network around the driver: each time the driver waits for an event, the oldest request
// ends. A driver that never ends is stopped after too many yields.
class World final : public EventPump, public DownloadEngine {
public:
    explicit World(GrabState &grab) : grab_(grab) {}
    void yieldEvents() override
    {
        if (++yields_ > 100000)
            grab_.StopRequested = true;
        if (onYield)
            onYield();
    }
    void waitForEvents() override
    {
        yieldEvents();
        if (!inFlight_.isEmpty())
            --(isPictureRequest(inFlight_.takeFirst()) ? grab_.PicturesInFlight
                                                       : grab_.PagesInFlight);
    }
    void BeginDownload(const QString &, const QString &key) override
    {
        begun.append(key);
        pagesThen.append(grab_.PagesInFlight);
        picturesThen.append(grab_.PicturesInFlight);
        inFlight_.append(key);
    }
    bool CancelAllDownload() override
    {
        ++cancels;
        inFlight_.clear();
        grab_.PagesInFlight = grab_.PicturesInFlight = 0;
        return true;
    }
    // The most requests of one kind in flight at once.
    int most(bool pictures) const
    {
        int most = 0;
        for (qsizetype i = 0; i < begun.size(); ++i)
            if (isPictureRequest(begun[i]) == pictures)
                most = std::max(most, (pictures ? picturesThen : pagesThen)[i] + 1);
        return most;
    }

    QStringList begun; // every request handed out, with the counts in flight just before
    QList<int> pagesThen, picturesThen;
    int cancels = 0;
    std::function<void()> onYield;

private:
    GrabState &grab_;
    QStringList inFlight_;
    int yields_ = 0;
};

// A website crawl from http://site/, run in the world above.
class GrabDriverTest : public GrabFixture {
protected:
    GrabDriverTest()
    {
        for (int i = 0; i < LanguageText::Count; ++i)
            texts.set(i, u"text%1"_s.arg(i));
        grab.KeywordSearchMode = false;
        seed();
    }
    void seed(int pages = 0, int pictures = 0)
    {
        grab.SeedCrawl(u"http://site/"_s, settings);
        for (int i = 0; i < pages; ++i)
            grab.LinkList.append({u"http://site/%1.html"_s.arg(i), 1});
        for (int i = 0; i < pictures; ++i)
            grab.ResourceList.append(u"http://site/%1.jpg"_s.arg(i));
        world.begun.clear();
        world.pagesThen.clear();
        world.picturesThen.clear();
        messages.shown.clear();
    }

    World world{grab};
    CrawlContext worldContext{settings, grab, status, texts, world};
    ScriptedMessageBoxes messages;
    FixedNetworkState network;
    Timings timings;
    QTimer refreshTimer;
    const QString upgradePage = u"http://maker/Upgrade.htm"_s;
    GrabDriver driver{worldContext, world, messages, network, timings, refreshTimer, upgradePage};
};
} // namespace

TEST_F(GrabDriverTest, ExpandPagesGoFirstThenLinkPagesThenPicturesAndTheGrabFinishes)
{
    seed(1, 2);
    grab.ExpandList.append({u"http://site/x"_s, 2});
    grab.ExpandList.append({u"http://site/y"_s, 3});
    grab.StopRequested = grab.NetworkLost = true; // left over from an earlier grab
    grab.PagesInFlight = grab.PicturesInFlight = 3;
    refreshTimer.setInterval(timings.RefreshThumbViewMs);
    EXPECT_EQ(driver.RunGrabbing(), Ending::Finished);
    EXPECT_EQ(world.begun, (QStringList{u"X2http://site/x"_s, u"X3http://site/y"_s,
                                        u"M0http://site/"_s, u"M1http://site/0.html"_s,
                                        u"RRhttp://site/0.jpg"_s, u"RRhttp://site/1.jpg"_s}));
    ASSERT_EQ(messages.shown.size(), 1u) << "no resume question without a project file";
    EXPECT_EQ(messages.shown[0].text, texts[TextId::FinishedMessage]);
    EXPECT_EQ(world.cancels, 1);
    EXPECT_FALSE(grab.Grabbing);
    EXPECT_FALSE(QFile::exists(grab.ProjectFilePath)) << "a finished grab leaves no project file";
    EXPECT_LT(refreshTimer.interval(), timings.RefreshThumbViewMs) << "thumbnails refresh at once";
    seed();
    EXPECT_EQ(driver.RunGrabbing(), Ending::Finished) << "also without any picture";
}

TEST_F(GrabDriverTest, KeywordSearchWaitsForEveryResultPageAndACrawlTurnsToPicturesAtSixty)
{
    for (const bool keyword : {true, false}) {
        seed(69, 3);
        grab.KeywordSearchMode = keyword;
        EXPECT_EQ(driver.RunGrabbing(), Ending::Finished);
        EXPECT_EQ(world.begun.size(), 73);
        const qsizetype first = world.begun.indexOf(QRegularExpression(u"RR.*"_s));
        ASSERT_EQ(first, keyword ? 70 : 60);
        EXPECT_EQ(world.pagesThen[first], keyword ? 0 : 60);
        EXPECT_EQ(world.most(false), 60);
    }
}

TEST_F(GrabDriverTest, PicturesInFlightFollowTheFileNumbersStillFree)
{
    // The start page names one more page when it is in; the driver turns back to pages once
    // the pictures are handed out and fewer than the low-water mark are in flight.
    world.onYield = [this] {
        if (grab.LinkList.count() == 1 && grab.PagesInFlight == 0 && grab.LinkList.Next == 1)
            grab.LinkList.append({u"http://site/next.html"_s, 1});
    };
    const struct {
        qint32 from, to, saved;
        int most, picturesWhenPagesResume;
    } table[] = {{1, 51, 0, 50, 39},
                 {1, 52, 0, 52, 41},
                 {2, 101, 0, 100, 89},
                 {1, 121, 20, 100, 49},
                 {1, 101, 25, 76, 65}};
    for (const auto &row : table) {
        seed(0, 150);
        settings.FileFromNum = row.from;
        settings.FileToNum = row.to;
        grab.PicturesSaved = row.saved;
        EXPECT_EQ(driver.RunGrabbing(), Ending::Finished);
        EXPECT_EQ(world.most(true), row.most) << row.to;
        ASSERT_EQ(world.begun.back(), u"M1http://site/next.html"_s);
        EXPECT_EQ(world.picturesThen.back(), row.picturesWhenPagesResume) << row.to;
    }
}

TEST_F(GrabDriverTest, EachEndingShowsItsMessageCancelsAndKeepsTheProjectFile)
{
    const struct {
        bool windowOpen, networkLost;
        int captionAtStop; // of Grab Now, when the stop is seen
        Ending ending;
        int message;
    } table[] = {
        {false, false, TextId::GrabCaption, Ending::Stopped, TextId::StoppedMessage},
        {true, false, TextId::GrabCaption, Ending::Stopped, TextId::StoppedByUserMessage},
        {true, true, TextId::StopCaption, Ending::NetworkLost, TextId::NetworkLostMessage},
    };
    for (const auto &row : table) {
        seed(5);
        world.cancels = 0;
        QFile::remove(grab.ProjectFilePath);
        status.MainWindowOpen = row.windowOpen;
        status.setGrabCaption(texts[TextId::StopCaption]);
        world.onYield = [&] {
            status.setGrabCaption(texts[row.captionAtStop]);
            network.alive = !row.networkLost;
            grab.StopRequested = !row.networkLost;
            driver.tmrAlarm_Timer();
        };
        EXPECT_EQ(driver.RunGrabbing(), row.ending);
        EXPECT_EQ(messages.shown.at(0).text, texts[row.message]);
        EXPECT_EQ(world.cancels, 1);
        EXPECT_FALSE(grab.Grabbing);
        EXPECT_TRUE(QFile::exists(grab.ProjectFilePath)) << "the search can be resumed";
        if (row.windowOpen) {
            EXPECT_EQ(status.grabCaption(), texts[TextId::GrabCaption]);
            EXPECT_TRUE(status.panelText(1).startsWith(texts[TextId::GrabEnded] + u" "_s));
        }
    }
}

TEST_F(GrabDriverTest, ResumeAnsweredYesGoesOnWithThePicturesAndNoStartsAfresh)
{
    for (const bool yes : {true, false}) {
        seed(1, 1); // a page and a picture still waiting
        grab.LinkList.Next = 1;
        SaveProject(grab);
        seed();
        messages.answers = {yes};
        driver.RunGrabbing();
        EXPECT_EQ(messages.shown.at(0).text, GrabDriver::ResumeQuestion);
        EXPECT_EQ(world.begun.at(0), yes ? u"RRhttp://site/0.jpg"_s : u"M0http://site/"_s);
    }
}

TEST_F(GrabDriverTest, AlarmTickCountsDeadTimeOnlyWhileGrabbingAndNetworkLossStopsOnlyAGrab)
{
    const auto ticks = [&](int n) {
        for (int i = 0; i < n; ++i)
            driver.tmrAlarm_Timer();
        return world.cancels;
    };
    EXPECT_EQ(ticks(2 * timings.DeadTimeSeconds), 0) << "no dead time without a grab";
    grab.Grabbing = true;
    ticks(timings.DeadTimeSeconds - 1);
    driver.ResetDeadTime();
    EXPECT_EQ(ticks(timings.DeadTimeSeconds - 1), 0) << "a download starts the count again";
    EXPECT_EQ(ticks(1), 1);
    EXPECT_EQ(ticks(timings.DeadTimeSeconds - 1), 1) << "and so does a cancel";

    network.alive = false;
    grab.Grabbing = false;
    driver.tmrAlarm_Timer();
    EXPECT_TRUE(grab.NetworkLost);
    EXPECT_FALSE(grab.StopRequested);
    grab.Grabbing = true;
    driver.tmrAlarm_Timer();
    EXPECT_TRUE(grab.StopRequested);
}

TEST_F(GrabDriverTest, NewVersionPageIsRequestedOnceAtTheFirstTickWithANetwork)
{
    for (const int never : {0, 1}) {
        settings.NeverUpgrade = never;
        GrabDriver fresh(worldContext, world, messages, network, timings, refreshTimer,
                         upgradePage);
        seed();
        grab.PagesInFlight = 0;
        network.alive = false;
        fresh.tmrAlarm_Timer();
        EXPECT_TRUE(world.begun.isEmpty());
        network.alive = true;
        fresh.tmrAlarm_Timer();
        fresh.tmrAlarm_Timer();
        EXPECT_EQ(world.begun, never ? QStringList()
                                     : QStringList{RequestKey(RequestKind::Upgrade, upgradePage)});
        EXPECT_EQ(grab.PagesInFlight, 1 - never);
    }
}

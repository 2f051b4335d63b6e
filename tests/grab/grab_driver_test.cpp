#include "grab/grab_driver.h"

#include "core/text_ids.h"
#include "core/timings.h"
#include "crawl/download_engine.h"
#include "support/crawl_state.h"
#include "support/fakes.h"

#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;
using Ending = GrabDriver::Ending;

namespace {
// A website crawl from http://site/, with the test as the network: whenever the driver waits
// for an event, the oldest request ends. A driver that never ends is stopped.
struct GrabDriverTest : CrawlTest, EventPump, DownloadEngine {
    void yieldEvents() override { onYield(); }
    void waitForEvents() override
    {
        grab.StopRequested = grab.StopRequested || ++waits > 100000;
        onYield();
        if (!inFlight.isEmpty())
            --(isPictureRequest(inFlight.takeFirst()) ? grab.PicturesInFlight : grab.PagesInFlight);
    }
    void BeginDownload(const QString &, const QString &key) override
    {
        begun.append(key);
        inFlight.append(key);
        inFlightThen.append({grab.PagesInFlight, grab.PicturesInFlight});
    }
    bool CancelAllDownload() override
    {
        leftAtCancel = inFlight.size();
        inFlight.clear();
        grab.PagesInFlight = grab.PicturesInFlight = 0;
        return ++cancels;
    }
    // A website crawl; a keyword search is set afterwards.
    void seed(int pages, int pictures)
    {
        grab.SeedCrawl(u"http://site/"_s, settings);
        grab.KeywordSearchMode = false;
        grab.ProjectFilePath = folder.filePath(u"project.txt"_s);
        for (int i = 0; i < pages; ++i)
            grab.LinkList.append({u"http://site/%1"_s.arg(i), 1});
        for (int i = 0; i < pictures; ++i)
            grab.ResourceList.append(u"http://site/%1.jpg"_s.arg(i));
        begun.clear();
        inFlightThen.clear();
    }

    QStringList begun, inFlight; // every request handed out, with the counts in flight before it
    QList<std::pair<int, int>> inFlightThen; // pages, pictures
    int cancels = 0, waits = 0, leftAtCancel = 0;
    std::function<void()> onYield = [] {};
    QTemporaryDir folder;
    CrawlContext driverContext{settings, grab, status, texts, *this};
    ScriptedMessageBoxes messages;
    FixedNetworkState network;
    Timings timings;
    QTimer refreshTimer;
    GrabDriver driver{driverContext, *this,        messages,      network,
                      timings,       refreshTimer, u"http://u/"_s};
};
} // namespace

// Expand pages go first, then link pages, then pictures; the grab ends once the last picture
// is in.
TEST_F(GrabDriverTest, AKeywordSearchWaitsForEveryResultPageACrawlTurnsToPicturesAtSixty)
{
    for (const bool keyword : {true, false}) {
        seed(69, 3);
        grab.ExpandList.append({u"http://site/x"_s, 2});
        grab.KeywordSearchMode = keyword;
        EXPECT_EQ(driver.RunGrabbing(), Ending::Finished);
        EXPECT_EQ(begun.first(3),
                  (QStringList{u"X2http://site/x"_s, u"M0http://site/"_s, u"M1http://site/0"_s}));
        const qsizetype firstPicture = begun.indexOf(u"RRhttp://site/0.jpg"_s);
        ASSERT_EQ(firstPicture, keyword ? 71 : 60);
        EXPECT_EQ(inFlightThen[firstPicture].first, keyword ? 0 : 60);
        EXPECT_EQ(cancels * 10 + leftAtCancel, keyword ? 10 : 20);
    }
}

// The limits follow the file numbers still free.
TEST_F(GrabDriverTest, PicturesInFlightStayWithinTheLimitAndPagesResumeBelowTheLowWaterMark)
{
    for (const auto &[free, limit, lowWater] :
         {std::tuple{50, 50, 40}, {99, 100, 90}, {100, 100, 50}}) {
        EXPECT_EQ(pictureLimitsFor(free).limit, limit) << free;
        EXPECT_EQ(pictureLimitsFor(free).lowWater, lowWater) << free;
    }
    onYield = [this] { // the start page names one more page once it is in
        if (grab.LinkList.count() == 1 && grab.PagesInFlight == 0 && grab.LinkList.Next == 1)
            grab.LinkList.append({u"http://site/next"_s, 1});
    };
    seed(0, 150);
    settings.FileFromNum = 2;
    settings.FileToNum = 102;
    grab.PicturesSaved = 40; // 60 numbers free
    EXPECT_EQ(driver.RunGrabbing(), Ending::Finished);
    EXPECT_EQ(std::ranges::max(inFlightThen, {}, &std::pair<int, int>::second).second + 1, 61);
    ASSERT_EQ(begun.back(), u"M1http://site/next"_s);
    EXPECT_EQ(inFlightThen.back().second, 50);
}

// The alarm counts dead time only while grabbing and stops a grab when the network goes; a
// stopped grab keeps its project file, and the next run asks whether to resume it (no).
TEST_F(GrabDriverTest, TheAlarmAndEachEndingWithItsMessageAndTheGrabCaptionPutBack)
{
    const auto ticks = [&](int n) {
        for (int i = 0; i < n; ++i)
            driver.tmrAlarm_Timer();
        return cancels;
    };
    EXPECT_EQ(ticks(2 * timings.DeadTimeSeconds), 0) << "no dead time without a grab";
    EXPECT_EQ(begun, QStringList{RequestKey(RequestKind::Upgrade, u"http://u/"_s)}) << "once";
    grab.Grabbing = true;
    ticks(timings.DeadTimeSeconds - 1);
    driver.ResetDeadTime();
    EXPECT_EQ(ticks(timings.DeadTimeSeconds - 1), 0) << "a download starts the count again";
    EXPECT_EQ(ticks(1), 1);
    network.alive = false;
    EXPECT_TRUE(ticks(1) == 1 && grab.StopRequested);

    for (const auto &[windowOpen, networkLost, captionAtStop, ending, message] :
         {std::tuple{false, false, TextId::GrabCaption, Ending::Stopped, TextId::StoppedMessage},
          {true, false, TextId::GrabCaption, Ending::Stopped, TextId::StoppedByUserMessage},
          {true, true, TextId::StopCaption, Ending::NetworkLost, TextId::NetworkLostMessage}}) {
        status.MainWindowOpen = windowOpen;
        onYield = [&] {
            status.setGrabCaption(texts[captionAtStop]);
            network.alive = !networkLost;
            grab.StopRequested = !networkLost;
            driver.tmrAlarm_Timer();
        };
        seed(5, 0);
        EXPECT_EQ(driver.RunGrabbing(), ending);
        EXPECT_EQ(messages.shown.back().text, texts[message]);
        EXPECT_EQ(status.grabCaption(), texts[TextId::GrabCaption]);
        EXPECT_EQ(status.panelText(1).startsWith(texts[TextId::GrabEnded] + u' '), windowOpen);
    }
}

#include "grab_world.h"

#include "core/text_ids.h"
#include "grab/project_file.h"
#include "support/http_test_server.h"
#include "support/small_disk.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray page(const QStringList &pictures, const QStringList &links = {})
{
    QString body;
    for (const QString &picture : pictures)
        body += QStringLiteral("<img src=\"%1\">\r\n").arg(picture);
    for (const QString &link : links)
        body += QStringLiteral("<a href=\"%1\">%1</a>\r\n").arg(link);
    return (QStringLiteral("<html><body>\r\n") + body + QStringLiteral("</body></html>"))
        .toLatin1();
}

// One server and one grab, with a helper to put pictures of a given size on the server.
class GrabFaultTest : public ::testing::Test {
protected:
    explicit GrabFaultTest(const DownloadLimits &limits = testLimits(),
                           const Timings &timings = testTimings())
        : world(limits, timings)
    {
    }

    // Adds a picture of its own size and returns its path.
    QString picture(const QString &path)
    {
        server.addFile(path, HttpTestServer::picture("PNG", 20 + nextSize_++, 20));
        return path;
    }
    QStringList pictures(const QString &folder, int count)
    {
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths.append(picture(folder + QStringLiteral("%1.png").arg(i)));
        return paths;
    }
    GrabDriver::Ending grabFrom(const QString &path) { return world.run(server.url(path)); }

    qint32 failuresOf(const QString &folderPath) const
    {
        const QString folder = server.url(folderPath);
        for (const FolderFailure &failure : world.grab.FolderFailures)
            if (failure.Folder == folder)
                return failure.Count;
        return 0;
    }
    void expectCleanFinish()
    {
        EXPECT_TRUE(world.problems.isEmpty()) << world.problems.join(u'\n').toStdString();
        EXPECT_EQ(world.messageTexts(), QStringList{QStringLiteral("text110")});
        EXPECT_EQ(world.messages.activeAtLastMessage, 0)
            << "the grab ended while requests were still running";
    }

    HttpTestServer server;
    GrabWorld world;

private:
    int nextSize_ = 0;
};

DownloadLimits withIdleTimeout(int milliseconds)
{
    DownloadLimits limits = testLimits();
    limits.idleTimeoutMs = milliseconds;
    return limits;
}

DownloadLimits withoutTimeouts()
{
    DownloadLimits limits = testLimits();
    limits.idleTimeoutMs = 600000;
    limits.totalTimeoutMs = 600000;
    return limits;
}

Timings withDeadTicks(int ticks)
{
    Timings timings = testTimings();
    timings.DeadTimeSeconds = ticks;
    return timings;
}

class IdleTimeoutTest : public GrabFaultTest {
protected:
    IdleTimeoutTest() : GrabFaultTest(withIdleTimeout(300)) {}
};

class DeadTimeTest : public GrabFaultTest {
protected:
    // Eight alarm ticks of 50 ms without a successful download.
    DeadTimeTest() : GrabFaultTest(withoutTimeouts(), withDeadTicks(8)) {}
};

class DeadlineTest : public GrabFaultTest {
protected:
    static DownloadLimits limits()
    {
        DownloadLimits limits = testLimits();
        limits.idleTimeoutMs = 2000;
        limits.totalTimeoutMs = 700;
        return limits;
    }
    DeadlineTest() : GrabFaultTest(limits()) {}
};

class BodyLimitTest : public GrabFaultTest {
protected:
    static DownloadLimits limits()
    {
        DownloadLimits limits = testLimits();
        limits.maxBodyBytes = 1024 * 1024;
        return limits;
    }
    BodyLimitTest() : GrabFaultTest(limits()) {}
};

class RedirectTest : public GrabFaultTest {
protected:
    static DownloadLimits limits()
    {
        DownloadLimits limits = testLimits();
        limits.maxRedirects = 5;
        return limits;
    }
    RedirectTest() : GrabFaultTest(limits()) {}
};

class SlowHostTest : public GrabFaultTest {
protected:
    // Far shorter than the time the last of 100 requests waits for one of six connections.
    SlowHostTest() : GrabFaultTest(withIdleTimeout(400)) {}
};

} // namespace

TEST_F(GrabFaultTest, SixFailuresBlockAFolderAndItsNextPictureIsRefused)
{
    QStringList first;
    for (int i = 1; i <= 6; ++i)
        first.append(QStringLiteral("/broken/%1.png").arg(i)); // none exists: 404
    first.append(picture(QStringLiteral("/ok/a.png")));
    server.addFile(QStringLiteral("/index.html"), page(first, {QStringLiteral("/later.html")}));
    // The page that names the seventh picture arrives long after the six have failed.
    server.addFile(QStringLiteral("/later.html"),
                   page({QStringLiteral("/broken/7.png"), picture(QStringLiteral("/ok/b.png"))}));
    server.drip(QStringLiteral("/later.html"), 15);

    EXPECT_EQ(grabFrom(QStringLiteral("/index.html")), GrabDriver::Ending::Finished);
    expectCleanFinish();
    EXPECT_EQ(failuresOf(QStringLiteral("/broken/")), 6);
    EXPECT_EQ(world.grab.BlockedFolders, QStringList{server.url(QStringLiteral("/broken/"))});
    EXPECT_EQ(server.requestCount(QStringLiteral("/broken/6.png")), 1);
    EXPECT_EQ(server.requestCount(QStringLiteral("/broken/7.png")), 0)
        << "a picture of a blocked folder is refused without a request";
    EXPECT_EQ(world.grab.PicturesSaved, 2);
}

TEST_F(IdleTimeoutTest, StalledPicturesFailOnTheIdleTimeoutAndEverythingElseArrives)
{
    QStringList all = pictures(QStringLiteral("/pics/"), 12);
    all.append(picture(QStringLiteral("/pics/stall-head.png")));
    all.append(picture(QStringLiteral("/pics/stall-body.png")));
    server.stallBeforeHeaders(QStringLiteral("/pics/stall-head.png"));
    server.stallAfterHeaders(QStringLiteral("/pics/stall-body.png"));
    server.addFile(QStringLiteral("/index.html"), page(all));

    EXPECT_EQ(grabFrom(QStringLiteral("/index.html")), GrabDriver::Ending::Finished);
    expectCleanFinish();
    EXPECT_EQ(world.grab.PicturesSaved, 12);
    EXPECT_EQ(failuresOf(QStringLiteral("/pics/")), 2) << "both stalls failed on their own";
}

TEST_F(DeadTimeTest, StalledPictureIsCancelledByTheDeadTime)
{
    QStringList all = pictures(QStringLiteral("/pics/"), 5);
    all.append(picture(QStringLiteral("/pics/stall.png")));
    server.stallAfterHeaders(QStringLiteral("/pics/stall.png"));
    server.addFile(QStringLiteral("/index.html"), page(all));

    EXPECT_EQ(grabFrom(QStringLiteral("/index.html")), GrabDriver::Ending::Finished);
    expectCleanFinish();
    EXPECT_EQ(world.grab.PicturesSaved, 5);
    EXPECT_TRUE(world.grab.FolderFailures.empty()) << "a cancel is no failure";
    EXPECT_EQ(world.downloads.activeDownloads(), 0);
}

TEST_F(DeadlineTest, DrippingPictureIsCutOffByTheOverallDeadline)
{
    const QString drip = picture(QStringLiteral("/pics/drip.png"));
    server.drip(drip, 20); // never idle for long, never done in time
    server.addFile(QStringLiteral("/index.html"),
                   page({drip, picture(QStringLiteral("/pics/fine.png"))}));

    EXPECT_EQ(grabFrom(QStringLiteral("/index.html")), GrabDriver::Ending::Finished);
    expectCleanFinish();
    EXPECT_EQ(world.grab.PicturesSaved, 1);
    EXPECT_EQ(failuresOf(QStringLiteral("/pics/")), 1);
}

TEST_F(GrabFaultTest, NetworkLossEndsTheGrabWithText113AndKeepsTheProjectFile)
{
    server.addFile(QStringLiteral("/index.html"), page(pictures(QStringLiteral("/pics/"), 200)));
    server.setLatency(40);
    world.onTick = [this] {
        if (world.grab.PicturesSaved >= 5)
            world.network.alive = false;
    };

    EXPECT_EQ(grabFrom(QStringLiteral("/index.html")), GrabDriver::Ending::NetworkLost);
    EXPECT_EQ(world.messageTexts(), QStringList{QStringLiteral("text113")});
    EXPECT_TRUE(world.grab.NetworkLost);
    EXPECT_EQ(world.downloads.activeDownloads(), 0) << "what was in flight is cancelled";
    ASSERT_TRUE(QFile::exists(world.projectFile()));
    EXPECT_EQ(world.projectLines().value(0), ProjectIdentification);
    EXPECT_LT(world.grab.PicturesSaved, 200);
}

TEST_F(BodyLimitTest, HugeLengthAndEndlessBodyAreRefusedWithoutBeingHeld)
{
    server.announceHugeLength(QStringLiteral("/pics/huge.png"), qint64(8) * 1024 * 1024 * 1024);
    server.sendEndlessChunked(QStringLiteral("/pics/endless.png"));
    server.sendEndlessChunked(QStringLiteral("/endless.html"));
    server.addFile(QStringLiteral("/index.html"),
                   page({QStringLiteral("/pics/huge.png"), QStringLiteral("/pics/endless.png"),
                         picture(QStringLiteral("/pics/fine.png"))},
                        {QStringLiteral("/endless.html")}));

    EXPECT_EQ(grabFrom(QStringLiteral("/index.html")), GrabDriver::Ending::Finished);
    expectCleanFinish();
    EXPECT_EQ(world.grab.PicturesSaved, 1);
    EXPECT_EQ(failuresOf(QStringLiteral("/pics/")), 2);
    EXPECT_EQ(failuresOf(QStringLiteral("/")), 1);
    EXPECT_LE(world.downloads.largestBodyHeld(), 1024 * 1024 + 1);
}

TEST_F(RedirectTest, RedirectQueuesItsTargetAndALoopFailsOnce)
{
    server.redirect(QStringLiteral("/old.html"), QStringLiteral("/new.html"), 301);
    server.addFile(QStringLiteral("/new.html"), page({picture(QStringLiteral("/pics/n.png"))}));
    server.redirect(QStringLiteral("/loop/a.html"), QStringLiteral("/loop/b.html"));
    server.redirect(QStringLiteral("/loop/b.html"), QStringLiteral("/loop/a.html"));
    server.redirect(QStringLiteral("/pics/away.png"), QStringLiteral("file:///etc/passwd"));
    server.addFile(QStringLiteral("/index.html"),
                   page({QStringLiteral("/pics/away.png")},
                        {QStringLiteral("/old.html"), QStringLiteral("/loop/a.html")}));

    EXPECT_EQ(grabFrom(QStringLiteral("/index.html")), GrabDriver::Ending::Finished);
    expectCleanFinish();

    QStringList queued;
    for (const PageEntry &entry : world.grab.LinkList.entries())
        queued.append(entry.Address);
    EXPECT_TRUE(queued.contains(server.url(QStringLiteral("/new.html"))));
    EXPECT_FALSE(queued.contains(QStringLiteral("file:///etc/passwd")));
    EXPECT_EQ(server.requestCount(QStringLiteral("/new.html")), 2)
        << "once at the end of the redirect, once as the queued page";
    EXPECT_EQ(server.requestCount(QStringLiteral("/pics/n.png")), 1);
    EXPECT_EQ(world.grab.PicturesSaved, 1);
    // Each looping page is one request that fails once; the other is queued by the first.
    EXPECT_EQ(failuresOf(QStringLiteral("/loop/")), 2);
    EXPECT_EQ(failuresOf(QStringLiteral("/pics/")), 1) << "the redirect to a file";
}

TEST_F(GrabFaultTest, EveryKindOfFailureAtOnceCountsEachRequestOutOnce)
{
    QStringList all = pictures(QStringLiteral("/a/"), 30);
    for (int i = 0; i < 4; ++i) {
        const QString folder = QStringLiteral("/f%1/").arg(i);
        server.answerStatus(picture(folder + QStringLiteral("gone.png")), 404);
        server.answerStatus(picture(folder + QStringLiteral("error.png")), 500);
        server.resetConnection(picture(folder + QStringLiteral("reset.png")));
        server.resetConnection(picture(folder + QStringLiteral("reset-late.png")), 100);
        server.sendShortBody(picture(folder + QStringLiteral("short.png")), 50);
        server.redirect(folder + QStringLiteral("moved.png"), folder + QStringLiteral("gone.png"));
        all += QStringList{
            folder + QStringLiteral("gone.png"),  folder + QStringLiteral("error.png"),
            folder + QStringLiteral("reset.png"), folder + QStringLiteral("reset-late.png"),
            folder + QStringLiteral("short.png"), folder + QStringLiteral("moved.png")};
    }
    server.addFile(QStringLiteral("/index.html"), page(all, {QStringLiteral("/missing.html")}));
    server.setLatency(5);

    EXPECT_EQ(grabFrom(QStringLiteral("/index.html")), GrabDriver::Ending::Finished);
    expectCleanFinish();
    EXPECT_EQ(world.grab.PicturesSaved, 30);
    // 404, 500, two resets, the short picture, the redirect that ends in the 404, and the 404
    // once more as the page that the redirect queued.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(failuresOf(QStringLiteral("/f%1/").arg(i)), 7) << i;
    EXPECT_EQ(world.grab.BlockedFolders.size(), 4);
    EXPECT_EQ(failuresOf(QStringLiteral("/")), 1) << "the missing page";
}

TEST_F(SlowHostTest, GrabWithManyPicturesFromOneSlowHostLosesNone)
{
    server.addFile(QStringLiteral("/index.html"), page(pictures(QStringLiteral("/pics/"), 120)));
    server.setLatency(100);

    EXPECT_EQ(grabFrom(QStringLiteral("/index.html")), GrabDriver::Ending::Finished);
    expectCleanFinish();
    EXPECT_TRUE(world.grab.FolderFailures.empty());
    EXPECT_EQ(world.grab.PicturesSaved, 120);
}

TEST_F(GrabFaultTest, GrabIntoAFolderItCannotWriteSaysWhyAndEndsAsUsual)
{
    SmallDisk disk(64 * 1024);
    disk.makeReadOnly();
    world.settings.Download_File_Folder = disk.path();
    world.status.MainWindowOpen = true;
    QStringList panelOne;
    QObject::connect(&world.status, &MainWindowStatus::panelChanged,
                     [&panelOne](int panel, const QString &text) {
                         if (panel == 1)
                             panelOne.append(text);
                     });
    server.addFile(QStringLiteral("/index.html"), page(pictures(QStringLiteral("/pics/"), 3)));

    EXPECT_EQ(grabFrom(QStringLiteral("/index.html")), GrabDriver::Ending::Finished);
    expectCleanFinish();
    EXPECT_EQ(world.grab.PicturesSaved, 0);
    EXPECT_TRUE(panelOne.contains(QStringLiteral("text%1").arg(TextId::FolderNotWritable)))
        << panelOne.join(u'|').toStdString();
}

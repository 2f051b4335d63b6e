#include "grab_world.h"

#include "grab/project_file.h"
#include "support/http_test_server.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

QByteArray html(const QString &body)
{
    return (QStringLiteral("<html><body>\r\n") + body + QStringLiteral("\r\n</body></html>"))
        .toLatin1();
}

QString img(const QString &source)
{
    return QStringLiteral("<img src=\"%1\" alt=\"p\">\r\n").arg(source);
}

QString anchor(const QString &href, const QString &content)
{
    return QStringLiteral("<a href=\"%1\">%2</a>\r\n").arg(href, content);
}

// The pictures of each saved extension, as sorted lists of their bytes.
std::map<QString, QList<QByteArray>> byExtension(const QMap<QString, QByteArray> &files)
{
    std::map<QString, QList<QByteArray>> result;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        result[QFileInfo(it.key()).suffix()].append(it.value());
    for (auto &[extension, pictures] : result)
        std::sort(pictures.begin(), pictures.end());
    return result;
}

QStringList numberedNames(const QString &extension, int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names.append(QStringLiteral("Catch%1.%2").arg(i, 5, 10, QLatin1Char('0')).arg(extension));
    return names;
}

// A site in a folder of its own: a frameset, anchors around thumbnails, expand pages three
// levels deep, pictures of every format and of several sizes, a page of more than 300000
// bytes, and links to a second host.
class SiteCrawlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(siteFolder.isValid());
        site.serveFolder(siteFolder.path());
        const QString other = QStringLiteral("http://127.0.0.1:%1").arg(otherHost.port());

        write(QStringLiteral("index.html"),
              html(QStringLiteral("<frameset cols=\"20%,80%\"><frame src=\"nav.html\">"
                                  "<frame src=\"main.html\"></frameset>")));
        write(
            QStringLiteral("nav.html"),
            html(anchor(QStringLiteral("gallery/one.html"), img(QStringLiteral("gallery/t1.jpg"))) +
                 anchor(QStringLiteral("gallery/two.html"),
                        img(QStringLiteral("gallery/thumb_2.gif"))) +
                 anchor(QStringLiteral("doc.pdf"), QStringLiteral("manual")) +
                 anchor(QStringLiteral("pics/direct.bmp"), QStringLiteral("full size"))));
        write(QStringLiteral("main.html"),
              html(img(QStringLiteral("pics/a.png")) + img(QStringLiteral("pics/b.jpg")) +
                   img(QStringLiteral("/pics/c.gif")) + img(QStringLiteral("../pics/d.bmp")) +
                   img(QStringLiteral("pics/e.jpeg")) + img(other + QStringLiteral("/b1.png")) +
                   anchor(other + QStringLiteral("/index.html"), QStringLiteral("elsewhere")) +
                   anchor(QStringLiteral("big.html"), QStringLiteral("big")) +
                   anchor(QStringLiteral("#top"), QStringLiteral("top")) +
                   anchor(QStringLiteral("javascript:void(0)"), QStringLiteral("script"))));
        write(QStringLiteral("gallery/one.html"),
              html(img(QStringLiteral("g1.jpg")) +
                   anchor(QStringLiteral("deep1.html"), QStringLiteral("deeper"))));
        for (int level = 1; level <= 4; ++level) {
            const char *formats[] = {"", "d1.png", "d2.gif", "d3.bmp", "d4.jpg"};
            write(QStringLiteral("gallery/deep%1.html").arg(level),
                  html(img(QLatin1String(formats[level])) +
                       anchor(QStringLiteral("deep%1.html").arg(level + 1), QStringLiteral("on"))));
        }
        write(QStringLiteral("gallery/two.html"), html(img(QStringLiteral("g2.png"))));
        QByteArray big = html(QStringLiteral("<p>") + QString(310000, u'w') +
                              QStringLiteral("</p>") + img(QStringLiteral("pics/inbig.gif")));
        ASSERT_GT(big.size(), 300000);
        write(QStringLiteral("big.html"), big);

        otherHost.addFile(
            QStringLiteral("/index.html"),
            html(img(QStringLiteral("b2.jpg")) + img(QStringLiteral("sub/b3.bmp")) +
                 anchor(site.url(QStringLiteral("/main.html")), QStringLiteral("back"))));

        // Every picture has a size of its own, so its bytes tell it apart.
        const struct {
            const char *path;
            const char *format;
            int width;
            int height;
            bool saved;
        } pictures[] = {
            {"gallery/t1.jpg", "JPG", 40, 30, true},
            {"gallery/thumb_2.gif", "GIF", 41, 30, false},
            {"pics/direct.bmp", "BMP", 320, 200, true},
            {"pics/a.png", "PNG", 64, 48, true},
            {"pics/b.jpg", "JPG", 120, 90, true},
            {"pics/c.gif", "GIF", 32, 32, true},
            {"pics/d.bmp", "BMP", 40, 30, true},
            {"pics/e.jpeg", "JPG", 200, 150, true},
            {"gallery/g1.jpg", "JPG", 300, 225, true},
            {"gallery/d1.png", "PNG", 17, 300, true},
            {"gallery/d2.gif", "GIF", 90, 60, true},
            {"gallery/d3.bmp", "BMP", 16, 16, true},
            {"gallery/d4.jpg", "JPG", 50, 50, false},
            {"gallery/g2.png", "PNG", 400, 300, true},
            {"pics/inbig.gif", "GIF", 77, 55, true},
        };
        for (const auto &picture : pictures) {
            const QByteArray bytes =
                HttpTestServer::picture(picture.format, picture.width, picture.height);
            write(QLatin1String(picture.path), bytes);
            if (picture.saved)
                expected[extensionOf(picture.format)].append(bytes);
        }
        const struct {
            const char *path;
            const char *format;
            int width;
            int height;
        } otherPictures[] = {
            {"/b1.png", "PNG", 33, 44}, {"/b2.jpg", "JPG", 55, 66}, {"/sub/b3.bmp", "BMP", 77, 88}};
        for (const auto &picture : otherPictures) {
            const QByteArray bytes =
                HttpTestServer::picture(picture.format, picture.width, picture.height);
            otherHost.addFile(QLatin1String(picture.path), bytes);
            expected[extensionOf(picture.format)].append(bytes);
        }
        for (auto &[extension, list] : expected)
            std::sort(list.begin(), list.end());
    }

    static QString extensionOf(const char *format) { return QString::fromLatin1(format).toLower(); }

    void write(const QString &relative, const QByteArray &bytes)
    {
        const QString path = siteFolder.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir siteFolder;
    HttpTestServer site;
    HttpTestServer otherHost;
    std::map<QString, QList<QByteArray>> expected;
    GrabWorld world;
};

// Many pictures on one page, more than the driver hands out at once, from a server that takes
// its time, so that a grab can be stopped with pictures still queued.
class StoppedGrabTest : public ::testing::Test {
protected:
    static constexpr int PictureCount = 200;

    void SetUp() override
    {
        QString body;
        for (int i = 0; i < PictureCount; ++i) {
            const QString path = QStringLiteral("/pics/p%1.png").arg(i);
            server.addFile(path, HttpTestServer::picture("PNG", 10 + i, 10));
            body += img(path);
        }
        server.addFile(QStringLiteral("/index.html"), html(body));
        server.setLatency(40);
        world.settings.FileOverwrite = false;
    }

    // Stops the grab from outside, as the Grab Now button does, as soon as the given number of
    // pictures is in; only the next grab that is run.
    void stopAfter(int pictures)
    {
        stopAt_ = pictures;
        if (!stopWatch_)
            stopWatch_ = QObject::connect(
                &world.downloads, &DownloadService::completed, &world.downloads, [this] {
                    if (stopAt_ > 0 && world.grab.PicturesSaved >= stopAt_)
                        world.grab.StopRequested = true;
                });
    }
    GrabDriver::Ending runStopped(const QString &start)
    {
        const GrabDriver::Ending ending = world.run(start);
        stopAt_ = 0;
        return ending;
    }

    // Requests sent before a grab ended can reach the server after it; lets them arrive, so
    // that the next grab's requests are told apart from them.
    void letLateRequestsArrive()
    {
        qsizetype seen = -1;
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            const qsizetype now = server.requestedPaths().size();
            if (now == seen)
                loop.quit();
            seen = now;
        });
        poll.start(100);
        loop.exec();
    }

    QStringList pictureRequests(qsizetype from = 0) const
    {
        QStringList pictures;
        const QStringList all = server.requestedPaths();
        for (qsizetype i = from; i < all.size(); ++i)
            if (all[i].startsWith(QStringLiteral("/pics/")))
                pictures.append(all[i]);
        return pictures;
    }

    HttpTestServer server;
    GrabWorld world;

private:
    int stopAt_ = 0;
    QMetaObject::Connection stopWatch_;
};

} // namespace

TEST_F(SiteCrawlTest, CrawlSavesExactlyTheReachablePicturesUnchanged)
{
    EXPECT_EQ(world.run(site.url(QStringLiteral("/index.html"))), GrabDriver::Ending::Finished);
    EXPECT_TRUE(world.problems.isEmpty()) << world.problems.join(u'\n').toStdString();

    const QMap<QString, QByteArray> saved = world.savedPictures();
    QStringList names;
    for (const auto &[extension, pictures] : expected)
        names += numberedNames(extension, int(pictures.size()));
    names.sort();
    EXPECT_EQ(saved.keys(), names);
    EXPECT_TRUE(byExtension(saved) == expected) << "every picture saved once, byte for byte";
    EXPECT_EQ(world.grab.PicturesSaved, 16);
    EXPECT_EQ(world.grab.PagesCounted, 10) << "nine pages here and one on the other host";

    // Filtered and too deep: never asked for. Everything else: asked for once.
    for (const char *path : {"/doc.pdf", "/gallery/thumb_2.gif", "/gallery/deep4.html",
                             "/gallery/d4.jpg", "/gallery/deep5.html"})
        EXPECT_EQ(site.requestCount(QLatin1String(path)), 0) << path;
    QStringList requested = site.requestedPaths();
    requested.removeDuplicates();
    EXPECT_EQ(requested.size(), site.requestedPaths().size()) << "no address fetched twice";
    EXPECT_EQ(otherHost.requestCount(QStringLiteral("/index.html")), 1);

    EXPECT_EQ(world.messageTexts(), QStringList{QStringLiteral("text110")});
    EXPECT_EQ(world.messages.activeAtLastMessage, 0);
    EXPECT_FALSE(QFile::exists(world.projectFile()));
    EXPECT_TRUE(QDir(world.programFolder.path()).isEmpty()) << "no project file remains";
    EXPECT_EQ(world.grab.PagesInFlight, 0);
    EXPECT_EQ(world.grab.PicturesInFlight, 0);
}

TEST_F(SiteCrawlTest, StayingOnTheSiteLeavesTheOtherHostsPagesButNotItsPictures)
{
    world.settings.StayOnSameSite = true;
    EXPECT_EQ(world.run(site.url(QStringLiteral("/index.html"))), GrabDriver::Ending::Finished);
    EXPECT_EQ(otherHost.requestCount(QStringLiteral("/index.html")), 0);
    EXPECT_EQ(otherHost.requestCount(QStringLiteral("/b1.png")), 1);
    EXPECT_EQ(world.grab.PicturesSaved, 14);
}

TEST_F(StoppedGrabTest, ProjectFileHoldsTheListsAndYesResumesWithTheRest)
{
    stopAfter(10);
    const QString start = server.url(QStringLiteral("/index.html"));
    ASSERT_EQ(runStopped(start), GrabDriver::Ending::Stopped);
    EXPECT_EQ(world.messageTexts(), QStringList{QStringLiteral("text111")});

    const GrabState &grab = world.grab;
    const qint32 handedOut = grab.ResourceList.Next;
    ASSERT_EQ(grab.ResourceList.count(), PictureCount);
    ASSERT_LT(handedOut, PictureCount) << "the grab must stop with pictures still queued";
    QStringList stored{ProjectIdentification, QStringLiteral("[X]"), QStringLiteral("[M]")};
    for (const PageEntry &entry : grab.LinkList.entries())
        stored.append(entry.Address);
    stored.append(QStringLiteral("[RR]"));
    for (const QString &address : grab.ResourceList.entries())
        stored.append(address);
    stored.append(QStringLiteral("[P]"));
    stored.append(QStringLiteral("0/1/%1").arg(handedOut));
    EXPECT_EQ(world.projectLines(), stored);

    const qint32 savedBefore = grab.PicturesSaved;
    letLateRequestsArrive();
    const qsizetype requestsBefore = server.requestedPaths().size();
    world.messages.script.answers = {true};
    EXPECT_EQ(world.run(start), GrabDriver::Ending::Finished);
    EXPECT_TRUE(world.problems.isEmpty()) << world.problems.join(u'\n').toStdString();

    // The question, then the end. Only what was never handed out is fetched now.
    ASSERT_EQ(world.messages.script.shown.size(), 3u);
    EXPECT_TRUE(world.messages.script.shown[1].question);
    EXPECT_EQ(world.messages.script.shown[1].icon, MessageBoxes::Icon::Exclamation);
    EXPECT_EQ(world.messages.script.shown[2].text, QStringLiteral("text110"));
    QStringList rest;
    for (qint32 i = handedOut; i < PictureCount; ++i)
        rest.append(QUrl(grab.ResourceList.at(i)).path());
    QStringList fetched = pictureRequests(requestsBefore);
    EXPECT_EQ(server.requestedPaths().size() - requestsBefore, fetched.size())
        << "no page is fetched again";
    fetched.sort();
    rest.sort();
    EXPECT_EQ(fetched, rest);
    EXPECT_EQ(grab.PicturesSaved, PictureCount - handedOut);
    EXPECT_EQ(world.savedPictures().size(), savedBefore + grab.PicturesSaved)
        << "numbers go on past the files of the first grab";
    EXPECT_FALSE(QFile::exists(world.projectFile()));
}

TEST_F(StoppedGrabTest, NoStartsAfreshAndTheNewGrabRemovesTheFile)
{
    stopAfter(10);
    const QString start = server.url(QStringLiteral("/index.html"));
    ASSERT_EQ(runStopped(start), GrabDriver::Ending::Stopped);
    ASSERT_TRUE(QFile::exists(world.projectFile()));
    const QStringList firstFile = world.projectLines();

    letLateRequestsArrive();
    const qsizetype requestsBefore = server.requestedPaths().size();
    bool fileKeptWhileGrabbing = true;
    world.onTick = [&] {
        fileKeptWhileGrabbing = fileKeptWhileGrabbing && world.projectLines() == firstFile;
    };
    world.messages.script.answers = {false};
    EXPECT_EQ(world.run(start), GrabDriver::Ending::Finished);
    EXPECT_TRUE(world.problems.isEmpty()) << world.problems.join(u'\n').toStdString();

    EXPECT_TRUE(world.messages.script.shown.at(1).question);
    EXPECT_EQ(server.requestedPaths().at(requestsBefore), QStringLiteral("/index.html"));
    EXPECT_EQ(pictureRequests(requestsBefore).size(), PictureCount);
    EXPECT_EQ(world.grab.PicturesSaved, PictureCount);
    EXPECT_TRUE(fileKeptWhileGrabbing) << "the old file stays until the new grab ends";
    EXPECT_FALSE(QFile::exists(world.projectFile()));
}

TEST(KeywordSearch, PagesThroughEveryResultPageBeforeItsPictures)
{
    // One server for pages and pictures, so that its log shows the order of both.
    HttpTestServer search;
    HttpTestServer &pictures = search;
    const auto resultPage = [&](int offset) {
        return QStringLiteral("/images?q=red+car&start=%1&sa=N").arg(offset);
    };
    const auto picture = [&](int page, int i) {
        return QStringLiteral("/res/p%1_%2.%3")
            .arg(page)
            .arg(i)
            .arg(i == 0 ? QStringLiteral("jpg") : QStringLiteral("png"));
    };
    const auto pictureTags = [&](int page) -> QString {
        return img(pictures.url(picture(page, 0))) + img(pictures.url(picture(page, 1)));
    };
    // Page 0 names pages 2 and 3; page 3 names page 4, which is found only by reading page 3.
    search.addFile(resultPage(0),
                   html(anchor(QStringLiteral("/about.html"), QStringLiteral("About")) +
                        pictureTags(0) + anchor(resultPage(10), QStringLiteral("<b>2</b>")) +
                        anchor(resultPage(20), QStringLiteral(" 3 ")) +
                        anchor(QStringLiteral("/other.html"), QStringLiteral("Other"))));
    search.addFile(resultPage(10),
                   html(pictureTags(1) + anchor(resultPage(20), QStringLiteral("3"))));
    search.addFile(resultPage(20),
                   html(pictureTags(2) + anchor(resultPage(30), QStringLiteral("4"))));
    search.addFile(resultPage(30),
                   html(pictureTags(3) + anchor(resultPage(10), QStringLiteral("2"))));
    search.addFile(QStringLiteral("/about.html"),
                   html(img(pictures.url(QStringLiteral("/res/about.jpg"))) +
                        anchor(resultPage(40), QStringLiteral("5"))));
    std::map<QString, QList<QByteArray>> expected;
    for (int page = 0; page < 4; ++page) {
        for (int i = 0; i < 2; ++i) {
            const QByteArray bytes = HttpTestServer::picture(i == 0 ? "JPG" : "PNG", 20 + page, 20);
            pictures.addFile(picture(page, i), bytes);
            expected[i == 0 ? QStringLiteral("jpg") : QStringLiteral("png")].append(bytes);
        }
    }
    for (auto &[extension, list] : expected)
        std::sort(list.begin(), list.end());
    search.setLatency(5);

    GrabWorld world;
    world.searchBase = search.url(QStringLiteral("/images?q="));
    EXPECT_EQ(world.run(QStringLiteral("red car")), GrabDriver::Ending::Finished);
    EXPECT_TRUE(world.problems.isEmpty()) << world.problems.join(u'\n').toStdString();

    // Every result page once, the first other link once but never read, then the pictures.
    const QStringList requested = search.requestedPaths();
    ASSERT_EQ(requested.size(), 5 + 8);
    QStringList pages = requested.first(5);
    pages.sort();
    EXPECT_EQ(pages, (QStringList{QStringLiteral("/about.html"), resultPage(0), resultPage(10),
                                  resultPage(20), resultPage(30)}));
    EXPECT_EQ(world.grab.ExpandList.at(0),
              (PageEntry{search.url(QStringLiteral("/about.html")), 9}));
    EXPECT_EQ(world.grab.PagesCounted, 3) << "the result pages found on result pages";

    EXPECT_EQ(pictures.requestCount(QStringLiteral("/res/about.jpg")), 0);
    const QMap<QString, QByteArray> saved = world.savedPictures();
    EXPECT_TRUE(byExtension(saved) == expected);
    EXPECT_EQ(world.grab.PicturesSaved, 8);
    EXPECT_EQ(world.messageTexts(), QStringList{QStringLiteral("text110")});
    EXPECT_EQ(QFileInfo(world.projectFile()).fileName(), QStringLiteral("red_car.txt"));
    EXPECT_FALSE(QFile::exists(world.projectFile()));
}

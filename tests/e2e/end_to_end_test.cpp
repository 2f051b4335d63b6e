#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "core/timings.h"
#include "crawl/crawl_context.h"
#include "crawl/parse_web.h"
#include "grab/grab_driver.h"
#include "grab/search_start.h"
#include "platform/download_service.h"
#include "platform/event_pump.h"
#include "support/fakes.h"
#include "support/http_test_server.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>

using namespace Qt::StringLiterals;

namespace {

QString a(const QString &href, const QString &text = u"link"_s)
{
    return u"<a href=\"%1\">%2</a>\r\n"_s.arg(href, text);
}

QByteArray html(const QStringList &pictures, const QStringList &anchors = {})
{
    QString body;
    for (const QString &picture : pictures)
        body += u"<img src=\"%1\">\r\n"_s.arg(picture);
    return (u"<html><body>\r\n"_s + body + anchors.join(QString()) + u"</body></html>"_s)
        .toLatin1();
}

// A whole grab in-process: the program's own engine, download service, driver, parsers and
// picture store, against local servers.
class EndToEndTest : public ::testing::Test {
protected:
    EndToEndTest() : driver(context, engine, messages, network, timings, refreshTimer, QString())
    {
        settings.Download_File_Folder = pictureFolder.path();
        // Requests end in the service before the engine hears of them, so after the engine has
        // handled a notice the counts may run ahead of the service but never behind it: a
        // request counted out twice leaves them below.
        const auto check = [this] {
            miscounts += grab.PagesInFlight < 0 || grab.PicturesInFlight < 0 ||
                         grab.PagesInFlight + grab.PicturesInFlight < downloads.activeDownloads();
        };
        QObject::connect(&downloads, &DownloadService::progress, check);
        QObject::connect(&downloads, &DownloadService::completed, check);
    }

    // Does what Grab Now does with the search text and runs the grab.
    GrabDriver::Ending run(const QString &searchText)
    {
        prepareGrab(grab,
                    startOfSearch(searchText, programFolder.path(), searchBase, u"&start=0&sa=N"_s),
                    settings);
        const GrabDriver::Ending ending = driver.RunGrabbing();
        EXPECT_EQ(miscounts, 0);
        return ending;
    }

    // A picture of a size of its own, so its bytes tell it apart, on server at path.
    QString picture(HttpTestServer &on, const QString &path)
    {
        const QByteArray bytes = HttpTestServer::picture(path.endsWith(u".jpg") ? "JPG" : "PNG",
                                                         20 + int(served.size()), 20);
        on.addFile(path, bytes);
        served.insert(on.url(path), bytes);
        return on.url(path);
    }

    std::multiset<QByteArray> saved() const
    {
        std::multiset<QByteArray> pictures;
        for (const QFileInfo &entry : QDir(pictureFolder.path()).entryInfoList(QDir::Files)) {
            QFile file(entry.filePath());
            pictures.insert(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
        }
        return pictures;
    }
    std::multiset<QByteArray> allServed() const { return {served.cbegin(), served.cend()}; }

    HttpTestServer server;
    QHash<QString, QByteArray> served; // address to bytes
    QString searchBase;
    int miscounts = 0;
    QTemporaryDir programFolder;
    QTemporaryDir pictureFolder;
    Settings settings;
    GrabState grab;
    MainWindowStatus status;
    LanguageText texts;
    QtEventPump pump;
    CrawlContext context{settings, grab, status, texts, pump};
    Timings timings;
    NetworkDownloadService downloads;
    ocxParseWeb engine{context, downloads, nullptr};
    ScriptedMessageBoxes messages;
    FixedNetworkState network;
    QTimer refreshTimer;
    GrabDriver driver;
};

TEST_F(EndToEndTest, SiteCrawlSavesEveryPictureItReachesOnceUnchanged)
{
    HttpTestServer other;
    server.addFile(u"/index.html"_s, html({picture(server, u"/a.png"_s)},
                                          {a(u"/gallery/one.html"_s), a(other.url(u"/x.html"_s))}));
    server.addFile(u"/gallery/one.html"_s,
                   html({picture(server, u"/gallery/b.jpg"_s), u"../a.png"_s}, {a(u"two.html"_s)}));
    server.addFile(u"/gallery/two.html"_s, html({picture(other, u"/c.png"_s)}));
    other.addFile(u"/x.html"_s, html({picture(other, u"/d.jpg"_s)}));

    EXPECT_EQ(run(server.url(u"/index.html"_s)), GrabDriver::Ending::Finished);
    EXPECT_EQ(saved(), allServed());
}

TEST_F(EndToEndTest, KeywordSearchReadsEveryResultPageBeforeItsPictures)
{
    const auto page = [](int offset) { return u"/images?q=red+car&start=%1&sa=N"_s.arg(offset); };
    // Page 0 names pages 2 and 3; page 4 is found only by reading page 3. The first other link
    // is fetched and never read.
    server.addFile(page(0), html({picture(server, u"/0.jpg"_s)},
                                 {a(u"/about.html"_s), a(page(10), u"2"_s), a(page(20), u"3"_s)}));
    server.addFile(page(10), html({picture(server, u"/10.png"_s)}, {a(page(20), u"3"_s)}));
    server.addFile(page(20), html({picture(server, u"/20.jpg"_s)}, {a(page(30), u"4"_s)}));
    server.addFile(page(30), html({picture(server, u"/30.png"_s)}, {a(page(10), u"2"_s)}));
    server.addFile(u"/about.html"_s, html({u"/about.jpg"_s}));
    searchBase = server.url(u"/images?q="_s);

    EXPECT_EQ(run(u"red car"_s), GrabDriver::Ending::Finished);
    const QStringList requested = server.requestedPaths();
    ASSERT_EQ(requested.size(), 5 + 4);
    QStringList pages = requested.first(5);
    pages.sort();
    EXPECT_EQ(pages, (QStringList{u"/about.html"_s, page(0), page(10), page(20), page(30)}));
    EXPECT_EQ(saved(), allServed());
}

TEST_F(EndToEndTest, FaultyPicturesAndPagesAmongGoodOnesFailOnceEachAndTheGrabEndsAsUsual)
{
    QStringList pictures;
    for (int i = 0; i < 10; ++i)
        pictures.append(picture(server, u"/good/%1.png"_s.arg(i)));
    using Cut = HttpReply::Cut;
    server.serve(u"/bad/error.png"_s, {.status = 500});
    server.serve(u"/bad/closed.png"_s, {.cut = Cut::Close});
    server.serve(u"/bad/short.png"_s,
                 {.body = served[pictures[0]], .cut = Cut::Close, .cutAfter = 50});
    server.serve(u"/bad/cut.html"_s, {.body = html(pictures), .cut = Cut::Close, .cutAfter = 20});
    server.addFile(u"/index.html"_s,
                   html(pictures.mid(0, 5) + QStringList{u"/bad/error.png"_s, u"/bad/closed.png"_s,
                                                         u"/bad/short.png"_s, u"/bad/gone.png"_s},
                        {a(u"/more.html"_s), a(u"/bad/cut.html"_s), a(u"/bad/gone.html"_s)}));
    server.addFile(u"/more.html"_s, html(pictures.mid(5)));

    EXPECT_EQ(run(server.url(u"/index.html"_s)), GrabDriver::Ending::Finished);
    EXPECT_EQ(saved(), allServed());
    ASSERT_EQ(grab.FolderFailures.size(), 1u);
    EXPECT_EQ(grab.FolderFailures[0].Count, 6);
}

} // namespace

#include "grabtool/grab_result.h"
#include "support/http_test_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <set>
#include <utility>

using namespace Qt::StringLiterals;

namespace {
// A page with the pictures and links to the pages given.
QByteArray html(const QStringList &pictures, const QStringList &links = {})
{
    QString body;
    for (const QString &picture : pictures)
        body += u"<img src=\"%1\">\r\n"_s.arg(picture);
    for (const QString &link : links)
        body += u"<a href=\"%1\">link</a>\r\n"_s.arg(link);
    return (u"<html><body>\r\n"_s + body + u"</body></html>"_s).toLatin1();
}

// Whole grabs by the installed command, copied into a program folder of its own (which then
// also holds the project files), against a local site whose start page is /index.html.
class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(root.path()).mkpath(u"program"_s));
        ASSERT_TRUE(QFile::copy(u"" ZOVARODE_GRAB_EXE ""_s, program));
    }

    // A picture of a size of its own, so that its bytes tell it apart, served at path.
    QString picture(const QString &path)
    {
        const QByteArray bytes = HttpTestServer::picture(path.endsWith(u".jpg") ? "JPG" : "PNG",
                                                         20 + int(served.size()), 20);
        site.addFile(path, bytes);
        served.insert(bytes);
        return site.url(path);
    }
    std::multiset<QByteArray> saved() const
    {
        std::multiset<QByteArray> bytes;
        for (const QString &name : QDir(pictures).entryList(QDir::Files)) {
            QFile file(QDir(pictures).filePath(name));
            bytes.insert(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
        }
        return bytes;
    }
    QString startPage() const { return u"--site "_s + site.url(u"/index.html"_s); }

    // Runs the command with the options given (no blanks within one), under a pseudo-terminal
    // when asked, while the site serves; whileRunning is called between events. Returns the
    // exit status; out and err hold what the command wrote.
    int run(const QString &options, bool onTerminal = false,
            const std::function<void(QProcess &)> &whileRunning = {})
    {
        const QString line = u"%1 --folder %2 --to 1000 %3"_s.arg(program, pictures, options);
        QProcess process;
        if (onTerminal)
            process.start(u"script"_s, {u"-qec"_s, line, u"/dev/null"_s});
        else
            process.start(program, line.split(u' ', Qt::SkipEmptyParts).mid(1));
        for (QDeadlineTimer limit(60000); process.state() != QProcess::NotRunning;) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (whileRunning && process.state() == QProcess::Running)
                whileRunning(process);
            if (limit.hasExpired())
                process.kill();
        }
        out = process.readAllStandardOutput();
        err = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QTemporaryDir root;
    const QString program = root.filePath(u"program/zovarode-grab"_s);
    QString pictures = root.filePath(u"pictures"_s);
    HttpTestServer site;
    std::multiset<QByteArray> served;
    QByteArray out, err;
};
} // namespace

// The path of each kind of grab, from the search text to the pictures in the folder; the rules
// along the way have tests of their own.
TEST_F(EndToEndTest, KeywordSearchSavesThePicturesOfItsResultPage)
{
    site.addFile(u"/images?q=cars&start=0&sa=N"_s, html({picture(u"/0.jpg"_s)}));
    EXPECT_EQ(run(u"--keyword cars --search-base "_s + site.url(u"/images?q="_s)),
              ExitStatus::Done);
    EXPECT_EQ(saved(), served);
}

// A site crawl over two pages, with faulty pictures and pages among the good ones.
TEST_F(EndToEndTest, SiteCrawlSavesEveryGoodPictureUnchangedAndEndsAsUsualAmongFaultyOnes)
{
    QStringList good;
    for (int i = 0; i < 10; ++i)
        good.append(picture(u"/good/%1.png"_s.arg(i)));
    using Cut = HttpReply::Cut;
    site.serve(u"/bad/error.png"_s, {.status = 500});
    site.serve(u"/bad/closed.png"_s, {.cut = Cut::Close});
    site.serve(u"/bad/short.png"_s, {.body = *served.begin(), .cut = Cut::Close, .cutAfter = 50});
    site.serve(u"/bad/cut.html"_s, {.body = html(good), .cut = Cut::Close, .cutAfter = 20});
    site.addFile(u"/index.html"_s,
                 html(good.mid(0, 5) + QStringList{u"/bad/error.png"_s, u"/bad/closed.png"_s,
                                                   u"/bad/short.png"_s, u"/bad/gone.png"_s},
                      {u"/more.html"_s, u"/bad/cut.html"_s, u"/bad/gone.html"_s}));
    site.addFile(u"/more.html"_s, html(good.mid(5)));
    EXPECT_EQ(run(startPage()), ExitStatus::Done);
    EXPECT_EQ(saved(), served);
}

TEST_F(EndToEndTest, InterruptWritesTheProjectFileAndResumeUsesItWithoutACrawl)
{
    // More pictures than may be in flight at once, served slowly, so that some are still
    // queued when Ctrl+C arrives.
    QStringList all;
    for (int i = 0; i < 150; ++i)
        all.append(picture(u"/p/%1.png"_s.arg(i)));
    site.addFile(u"/index.html"_s, html(all));
    site.setLatency(100);
    const auto fetched = [this] { return site.requestedPaths().filter(u"/p/"_s).size(); };
    bool signalled = false;
    EXPECT_EQ(run(startPage() + u" --json"_s, false,
                  [&](QProcess &process) {
                      if (!signalled && fetched() > 0)
                          signalled = ::kill(pid_t(process.processId()), SIGINT) == 0;
                  }),
              ExitStatus::Interrupted);
    QJsonObject result = QJsonDocument::fromJson(out).object();
    EXPECT_EQ(result[u"ending"_s].toString(), u"interrupted"_s);
    const QString projectFile = result[u"project_file"_s].toString();
    EXPECT_TRUE(projectFile.startsWith(root.filePath(u"program/"_s)));
    EXPECT_TRUE(QFile::exists(projectFile) && result[u"resumable"_s].toBool());
    ASSERT_LT(fetched(), 150);

    site.setLatency(0);
    EXPECT_EQ(run(startPage() + u" --resume --json"_s), ExitStatus::Done) << err.constData();
    result = QJsonDocument::fromJson(out).object();
    EXPECT_FALSE(QFile::exists(projectFile) || result[u"resumable"_s].toBool());
    // Which pictures a resumed grab fetches is the grab's own rule; here the page is not
    // crawled again.
    EXPECT_EQ(site.requestCount(u"/index.html"_s), 1);
    EXPECT_FALSE(err.contains("pictures saved")) << "no progress without a terminal";
}

TEST_F(EndToEndTest, AnUnwritableFolderEndsAtOnceProgressShowsOnATerminalUnlessQuiet)
{
    const QString writable = std::exchange(pictures, program + u"/sub"_s);
    EXPECT_EQ(run(startPage()), ExitStatus::FolderNotWritable);
    EXPECT_TRUE(err.contains("zovarode-grab/sub") && out.isEmpty()) << err.constData();
    EXPECT_TRUE(site.requestedPaths().isEmpty());

    pictures = writable;
    site.addFile(u"/index.html"_s, html({picture(u"/a.png"_s)}));
    for (const bool quiet : {false, true}) {
        EXPECT_EQ(run(startPage() + (quiet ? u" --quiet"_s : QString()), true), ExitStatus::Done);
        EXPECT_EQ(out.contains("pictures saved,"), !quiet) << out.constData();
        EXPECT_TRUE(out.contains("ending: finished"));
    }
}

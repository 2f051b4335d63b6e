#include "core/timings.h"
#include "grabtool/command_line_grab.h"
#include "platform/download_service.h"
#include "platform/event_pump.h"
#include "support/fakes.h"
#include "support/http_test_server.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

namespace {
// A site of one page with numbered pictures below /p/.
void addSite(HttpTestServer &site, int pictures)
{
    QByteArray page = "<html><body>\r\n";
    for (int i = 1; i <= pictures; ++i) {
        const QString path = QStringLiteral("/p/%1.png").arg(i);
        page += QStringLiteral("<img src=\"%1\">\r\n").arg(path).toLatin1();
        site.addFile(path, HttpTestServer::picture("PNG", 8, 8 + i));
    }
    site.addFile(QStringLiteral("/index.html"), page + "</body></html>");
}

QStringList picturesRequested(const HttpTestServer &site)
{
    return site.requestedPaths().filter(QStringLiteral("/p/"));
}

struct Finished {
    int status = -1;
    QByteArray out;
    QByteArray err;
};
} // namespace

TEST(CommandLineGrab, LostNetworkEndsTheGrabWithStatus2)
{
    HttpTestServer site;
    site.serve(QStringLiteral("/index.html"), {.cut = HttpReply::Cut::Stall, .cutAfter = -1});
    QTemporaryDir folder;
    GrabOptions options;
    options.settings.Download_File_Folder = folder.path();
    options.searchText = site.url(QStringLiteral("/index.html"));
    NetworkDownloadService downloads;
    FixedNetworkState network;
    network.alive = false;
    QtEventPump events;
    Timings timings;
    timings.AlarmMs = 20;
    CommandLineGrab grab(options, folder.path(), QString(), downloads, network, events, timings);
    const GrabResult result = grab.run();
    EXPECT_EQ(result.ending, GrabResult::Ending::NetworkLost);
    EXPECT_EQ(exitStatusOf(result), ExitStatus::NetworkLost);
}

// The installed command, copied into a program folder of its own (which then also holds the
// project files), against a local site.
class GrabCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("program")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZOVARODE_GRAB_EXE), program()));
    }

    QString program() const { return root.filePath(QStringLiteral("program/zovarode-grab")); }
    QString pictures() const { return root.filePath(QStringLiteral("pictures")); }
    QStringList siteGrab() const
    {
        return {QStringLiteral("--folder"), pictures(),
                QStringLiteral("--to"),     QStringLiteral("1000"),
                QStringLiteral("--site"),   site.url(QStringLiteral("/index.html"))};
    }
    qsizetype picturesSaved() const { return QDir(pictures()).entryList(QDir::Files).size(); }

    // Runs the program (or another one that starts it) while the site serves; whileRunning is
    // called every 20 ms.
    Finished run(const QString &executable, const QStringList &arguments,
                 const std::function<void(QProcess &)> &whileRunning = {})
    {
        QProcess process;
        process.setProgram(executable);
        process.setArguments(arguments);
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (whileRunning && process.state() == QProcess::Running)
                whileRunning(process);
        });
        poll.start(20);
        QTimer::singleShot(60000, &loop, [&] {
            ADD_FAILURE() << "the grab did not end";
            process.kill();
        });
        process.start();
        loop.exec();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }
    Finished run(const QStringList &arguments,
                 const std::function<void(QProcess &)> &whileRunning = {})
    {
        return run(program(), arguments, whileRunning);
    }

    // The command line as a shell reads it, for the terminal runs.
    QString shellCommand(const QStringList &arguments) const
    {
        QString command = u'\'' + program() + u'\'';
        for (const QString &argument : arguments)
            command += QStringLiteral(" '") + argument + u'\'';
        return command;
    }

    QTemporaryDir root;
    HttpTestServer site;
};

TEST_F(GrabCommandTest, ExitStatusForBadOptionsAndAnUnwritableFolder)
{
    const Finished bad =
        run({QStringLiteral("--folder"), pictures(), QStringLiteral("--from"),
             QStringLiteral("ten"), QStringLiteral("--site"), QStringLiteral("x.org")});
    EXPECT_EQ(bad.status, ExitStatus::BadOptions);
    EXPECT_TRUE(bad.err.contains("--from")) << bad.err.constData();
    EXPECT_TRUE(bad.out.isEmpty());

    QFile blocker(root.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Finished unwritable = run({QStringLiteral("--folder"), blocker.fileName() + u"/sub",
                                     QStringLiteral("--site"), QStringLiteral("x.org")});
    EXPECT_EQ(unwritable.status, ExitStatus::FolderNotWritable);
    EXPECT_TRUE(unwritable.err.contains("/file/sub")) << unwritable.err.constData();
    EXPECT_TRUE(site.requestedPaths().isEmpty());
}

TEST_F(GrabCommandTest, FinishedGrabPrintsItsResultAsJson)
{
    addSite(site, 3);
    const Finished done = run(siteGrab() << QStringLiteral("--json"));
    EXPECT_EQ(done.status, ExitStatus::Done) << done.err.constData();
    const QJsonObject result = QJsonDocument::fromJson(done.out).object();
    EXPECT_EQ(result[QStringLiteral("ending")].toString(), QStringLiteral("finished"))
        << done.out.constData();
    EXPECT_EQ(result[QStringLiteral("pictures")].toInt(), 3);
    EXPECT_EQ(result[QStringLiteral("pages")].toInt(), 1);
    EXPECT_GT(result[QStringLiteral("bytes")].toInteger(), 0);
    EXPECT_FALSE(result[QStringLiteral("resumable")].toBool());
    EXPECT_EQ(picturesSaved(), 3);
    EXPECT_FALSE(done.err.contains("pictures saved")) << "no progress without a terminal";
}

TEST_F(GrabCommandTest, InterruptWritesTheProjectFileAndResumeFetchesTheRest)
{
    // More pictures than may be in flight at once, served slowly, so that some are still
    // queued when Ctrl+C arrives.
    addSite(site, 150);
    site.setLatency(100);
    bool signalled = false;
    const Finished first = run(siteGrab() << QStringLiteral("--json"), [&](QProcess &process) {
        if (!signalled && !picturesRequested(site).isEmpty()) {
            signalled = true;
            ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        }
    });
    ASSERT_TRUE(signalled);
    EXPECT_EQ(first.status, ExitStatus::Interrupted) << first.err.constData();
    const QJsonObject interrupted = QJsonDocument::fromJson(first.out).object();
    EXPECT_EQ(interrupted[QStringLiteral("ending")].toString(), QStringLiteral("interrupted"));
    const QString projectFile = interrupted[QStringLiteral("project_file")].toString();
    EXPECT_TRUE(projectFile.startsWith(root.filePath(QStringLiteral("program/"))));
    ASSERT_TRUE(QFile::exists(projectFile));
    EXPECT_TRUE(interrupted[QStringLiteral("resumable")].toBool());
    const qsizetype requestedFirst = picturesRequested(site).size();
    ASSERT_LT(requestedFirst, 150);

    site.setLatency(0);
    const Finished resumed = run(siteGrab() << QStringLiteral("--resume"));
    EXPECT_EQ(resumed.status, ExitStatus::Done) << resumed.err.constData();
    EXPECT_TRUE(resumed.out.startsWith("ending: finished\n")) << resumed.out.constData();
    EXPECT_FALSE(QFile::exists(projectFile)) << "a finished grab leaves no project file";
    EXPECT_EQ(site.requestCount(QStringLiteral("/index.html")), 1)
        << "the page is not crawled again";
    const QStringList all = picturesRequested(site);
    EXPECT_GT(all.size(), requestedFirst);
    EXPECT_EQ(all.size(), QSet<QString>(all.begin(), all.end()).size())
        << "no picture is fetched twice";
    EXPECT_TRUE(all.contains(QStringLiteral("/p/150.png"))) << "the rest of the queue is fetched";
}

TEST_F(GrabCommandTest, ProgressShowsOnlyOnATerminalAndNotWhenQuiet)
{
    addSite(site, 2);
    const QString script = QStringLiteral("script");
    const Finished onTerminal = run(
        script, {QStringLiteral("-qec"), shellCommand(siteGrab()), QStringLiteral("/dev/null")});
    EXPECT_EQ(onTerminal.status, ExitStatus::Done) << onTerminal.out.constData();
    EXPECT_TRUE(onTerminal.out.contains("pictures saved,")) << onTerminal.out.constData();
    EXPECT_TRUE(onTerminal.out.contains("ending: finished"));

    const Finished quiet =
        run(script, {QStringLiteral("-qec"), shellCommand(siteGrab() << QStringLiteral("--quiet")),
                     QStringLiteral("/dev/null")});
    EXPECT_EQ(quiet.status, ExitStatus::Done);
    EXPECT_FALSE(quiet.out.contains("pictures saved")) << quiet.out.constData();
    EXPECT_TRUE(quiet.out.contains("ending: finished"));
}

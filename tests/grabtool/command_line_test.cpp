#include "grabtool/grab_options.h"
#include "grabtool/grab_result.h"
#include "support/http_test_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {
// Arguments separated by blanks, after the folder and the site that every grab needs.
ParsedCommandLine parse(const QString &arguments, const QString &base = u"--folder o --site x"_s)
{
    return parseCommandLine(
        QString(u"zovarode-grab "_s + base + u' ' + arguments).split(u' ', Qt::SkipEmptyParts));
}
} // namespace

TEST(GrabOptions, EveryOptionReachesItsSetting)
{
    const ParsedCommandLine parsed =
        parse(u"--name Shot --from 7 --to 100000 --no-overwrite --formats PNG,,gif --min-size 20 "
              "--min-width 640 --same-site --connections 16 --resume --json --quiet"_s);
    ASSERT_EQ(parsed.kind, ParsedCommandLine::Kind::Run) << parsed.text.toStdString();
    const GrabOptions &o = parsed.options;
    const Settings &s = o.settings;
    EXPECT_EQ(s.Download_File_Folder, QDir(u"o"_s).absolutePath());
    EXPECT_EQ(QStringList() << o.searchText << s.Download_File_Name,
              (QStringList{u"x"_s, u"Shot"_s}));
    EXPECT_EQ(QList<int>() << s.FileFromNum << s.FileToNum << s.Images_File_Size << s.Images_Width
                           << s.Images_Height << s.Connections_Per_Host,
              (QList<int>{7, 100000, 20, 640, 0, 16}))
        << "a width alone leaves the height free";
    EXPECT_EQ(
        QList<bool>() << s.FileOverwrite << s.PNG_Download << s.GIF_Download << s.JPG_Download
                      << s.JPEG_Download << s.BMP_Download << s.Limited_Images_Size
                      << s.Limited_Images_Resolution << s.StayOnSameSite << o.resume << o.json
                      << o.quiet,
        (QList<bool>{false, true, true, false, false, false, true, true, true, true, true, true}));
    const Settings jpeg = parse(u"--formats jpeg"_s).options.settings;
    EXPECT_TRUE(jpeg.FileOverwrite && jpeg.JPEG_Download && !jpeg.JPG_Download);
}

TEST(GrabOptions, BadCommandLinesNameTheirFirstOptionAndTheEdgesPass)
{
    for (const QString &bad :
         {u"--keyword k"_s, u"--bogus"_s, u"--to"_s, u"--from 1x"_s, u"--from -1"_s,
          u"--to 4 --from 5"_s, u"--min-width 32768"_s, u"--connections 0"_s, u"--connections 17"_s,
          u"--formats png,tiff"_s, u"--formats ,"_s, u"--name a/b"_s, u"--search-base ftp://h/"_s,
          u"stray"_s}) {
        const ParsedCommandLine parsed = parse(bad);
        EXPECT_EQ(parsed.kind, ParsedCommandLine::Kind::Error) << bad.toStdString();
        EXPECT_TRUE(
            parsed.text.contains(bad.section(u' ', 0, 0).remove(QRegularExpression(u"^-*"_s))))
            << parsed.text.toStdString();
    }
    for (const QString &edge :
         {u"--from 5 --to 5"_s, u"--from 0 --to 0"_s, u"--min-width 32767"_s, u"--connections 1"_s})
        EXPECT_EQ(parse(edge).kind, ParsedCommandLine::Kind::Run) << edge.toStdString();
    EXPECT_TRUE(parse(u"--site x"_s, {}).text.contains(u"--folder"));
    EXPECT_TRUE(parse(u"--folder o"_s, {}).text.contains(u"--site"));
    EXPECT_EQ(parse(u"--help"_s, {}).kind, ParsedCommandLine::Kind::Help);
}

TEST(GrabResult, ExitStatusTextAndJsonTellTheEnding)
{
    using E = GrabResult::Ending;
    const std::tuple<E, qint32, int> cases[] = {{E::Finished, 0, ExitStatus::Done},
                                                {E::Stopped, 0, ExitStatus::Done},
                                                {E::NetworkLost, 0, ExitStatus::NetworkLost},
                                                {E::Interrupted, 0, ExitStatus::Interrupted},
                                                {E::Stopped, 1, ExitStatus::FolderNotWritable}};
    for (const auto &[ending, notWritten, status] : cases)
        EXPECT_EQ(exitStatusOf({ending, 0, 0, 0, 0, {}, {}, false, notWritten}), status);
    const GrabResult lost{E::NetworkLost, 12, 3, 1.5, qint64(5) << 32, {}, {}, false, 0};
    EXPECT_EQ(resultText(lost), u"ending: network lost\npictures: 12\npages: 3\nseconds: 1.50\n"_s);
    const QByteArray json = resultJson(lost);
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    EXPECT_EQ(object[u"exit_status"_s].toInt(), ExitStatus::NetworkLost);
    EXPECT_EQ(object[u"bytes"_s].toInteger(), lost.bytes) << "past 32 bits";
}

// The installed command, copied into a program folder of its own (which then also holds the
// project files), against a local site of one page with numbered pictures below /p/.
class GrabCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(root.path()).mkpath(u"program"_s));
        ASSERT_TRUE(QFile::copy(u"" ZOVARODE_GRAB_EXE ""_s, program));
    }
    void addSite(int pictures)
    {
        QByteArray page;
        for (int i = 1; i <= pictures; ++i) {
            page += "<img src=\"/p/" + QByteArray::number(i) + ".png\">\r\n";
            site.addFile(u"/p/%1.png"_s.arg(i), HttpTestServer::picture("PNG", 8, 8 + i));
        }
        site.addFile(u"/index.html"_s, page);
    }
    QStringList fetched() const { return site.requestedPaths().filter(u"/p/"_s); }

    // Runs a grab of the site, under a pseudo-terminal when asked, while the site serves;
    // whileRunning is called between events. Returns the exit status; out and err hold what
    // the command wrote.
    int run(const QString &options, bool onTerminal = false,
            const std::function<void(QProcess &)> &whileRunning = {})
    {
        const QString line = u"%1 --folder %2 --to 1000 --site %3 %4"_s.arg(
            program, pictures, site.url(u"/index.html"_s), options);
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
    QByteArray out, err;
};

TEST_F(GrabCommandTest, InterruptWritesTheProjectFileAndResumeUsesItWithoutACrawl)
{
    // More pictures than may be in flight at once, served slowly, so that some are still
    // queued when Ctrl+C arrives.
    addSite(150);
    site.setLatency(100);
    bool signalled = false;
    EXPECT_EQ(run(u"--json"_s, false,
                  [&](QProcess &process) {
                      if (!signalled && !fetched().isEmpty())
                          signalled = ::kill(pid_t(process.processId()), SIGINT) == 0;
                  }),
              ExitStatus::Interrupted);
    QJsonObject result = QJsonDocument::fromJson(out).object();
    EXPECT_EQ(result[u"ending"_s].toString(), u"interrupted"_s);
    const QString projectFile = result[u"project_file"_s].toString();
    EXPECT_TRUE(projectFile.startsWith(root.filePath(u"program/"_s)));
    EXPECT_TRUE(QFile::exists(projectFile) && result[u"resumable"_s].toBool());
    ASSERT_LT(fetched().size(), 150);

    site.setLatency(0);
    EXPECT_EQ(run(u"--resume --json"_s), ExitStatus::Done) << err.constData();
    result = QJsonDocument::fromJson(out).object();
    EXPECT_EQ(result[u"ending"_s].toString(), u"finished"_s);
    EXPECT_FALSE(QFile::exists(projectFile) || result[u"resumable"_s].toBool());
    // Which pictures a resumed grab fetches is the grab's own rule; here the page is not
    // crawled again.
    EXPECT_EQ(site.requestCount(u"/index.html"_s), 1);
    EXPECT_FALSE(err.contains("pictures saved")) << "no progress without a terminal";
}

TEST_F(GrabCommandTest, AnUnwritableFolderEndsAtOnceProgressShowsOnATerminalUnlessQuiet)
{
    const QString writable = std::exchange(pictures, program + u"/sub"_s);
    EXPECT_EQ(run({}), ExitStatus::FolderNotWritable);
    EXPECT_TRUE(err.contains("zovarode-grab/sub") && out.isEmpty()) << err.constData();
    EXPECT_TRUE(site.requestedPaths().isEmpty());

    pictures = writable;
    addSite(2);
    for (const bool quiet : {false, true}) {
        EXPECT_EQ(run(quiet ? u"--quiet"_s : QString(), true), ExitStatus::Done);
        EXPECT_EQ(out.contains("pictures saved,"), !quiet) << out.constData();
        EXPECT_TRUE(out.contains("ending: finished"));
    }
}

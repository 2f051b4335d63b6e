#include "grabtool/grab_options.h"
#include "grabtool/grab_result.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {
ParsedCommandLine parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("zovarode-grab"));
    return parseCommandLine(arguments);
}
} // namespace

TEST(GrabOptions, EveryOptionReachesItsSetting)
{
    const ParsedCommandLine parsed = parse({QStringLiteral("--folder"),
                                            QStringLiteral("out"),
                                            QStringLiteral("--site"),
                                            QStringLiteral("example.com"),
                                            QStringLiteral("--name"),
                                            QStringLiteral("Shot"),
                                            QStringLiteral("--from"),
                                            QStringLiteral("7"),
                                            QStringLiteral("--to"),
                                            QStringLiteral("100000"),
                                            QStringLiteral("--no-overwrite"),
                                            QStringLiteral("--formats"),
                                            QStringLiteral("PNG, gif"),
                                            QStringLiteral("--min-size"),
                                            QStringLiteral("20"),
                                            QStringLiteral("--min-width"),
                                            QStringLiteral("640"),
                                            QStringLiteral("--same-site"),
                                            QStringLiteral("--connections"),
                                            QStringLiteral("16"),
                                            QStringLiteral("--resume"),
                                            QStringLiteral("--json"),
                                            QStringLiteral("--quiet")});
    ASSERT_EQ(parsed.kind, ParsedCommandLine::Kind::Run) << parsed.text.toStdString();
    const GrabOptions &o = parsed.options;
    const Settings &s = o.settings;
    EXPECT_EQ(s.Download_File_Folder, QDir(QStringLiteral("out")).absolutePath());
    EXPECT_EQ(o.searchText, QStringLiteral("example.com"));
    EXPECT_EQ(s.Download_File_Name, QStringLiteral("Shot"));
    EXPECT_EQ(s.FileFromNum, 7);
    EXPECT_EQ(s.FileToNum, 100000);
    EXPECT_FALSE(s.FileOverwrite);
    EXPECT_TRUE(s.PNG_Download && s.GIF_Download);
    EXPECT_FALSE(s.JPG_Download || s.JPEG_Download || s.BMP_Download);
    EXPECT_TRUE(s.Limited_Images_Size);
    EXPECT_EQ(s.Images_File_Size, 20);
    EXPECT_TRUE(s.Limited_Images_Resolution);
    EXPECT_EQ(s.Images_Width, 640);
    EXPECT_EQ(s.Images_Height, 0) << "a width alone leaves the height free";
    EXPECT_TRUE(s.StayOnSameSite);
    EXPECT_EQ(s.Connections_Per_Host, 16);
    EXPECT_TRUE(o.resume && o.json && o.quiet);
}

TEST(GrabOptions, BadCommandLinesNameTheOption)
{
    const QStringList site{QStringLiteral("--folder"), QStringLiteral("o"),
                           QStringLiteral("--site"), QStringLiteral("x.org")};
    const struct {
        QStringList arguments;
        const char *named;
    } cases[] = {
        {{QStringLiteral("--site"), QStringLiteral("x.org")}, "--folder"},
        {{QStringLiteral("--folder"), QStringLiteral("o")}, "--site"},
        {site + QStringList{QStringLiteral("--keyword"), QStringLiteral("k")}, "--keyword"},
        {site + QStringList{QStringLiteral("--bogus")}, "bogus"},
        {site + QStringList{QStringLiteral("--to")}, "--to"},
        {site + QStringList{QStringLiteral("--from"), QStringLiteral("1x")}, "--from"},
        {site + QStringList{QStringLiteral("--from"), QStringLiteral("-1")}, "--from"},
        {site + QStringList{QStringLiteral("--from"), QStringLiteral("5"), QStringLiteral("--to"),
                            QStringLiteral("4")},
         "--to"},
        {site + QStringList{QStringLiteral("--min-width"), QStringLiteral("40000")}, "--min-width"},
        {site + QStringList{QStringLiteral("--connections"), QStringLiteral("0")}, "--connections"},
        {site + QStringList{QStringLiteral("--connections"), QStringLiteral("17")},
         "--connections"},
        {site + QStringList{QStringLiteral("--formats"), QStringLiteral("png,tiff")}, "--formats"},
        {site + QStringList{QStringLiteral("--formats"), QStringLiteral(", ")}, "--formats"},
        {site + QStringList{QStringLiteral("--name"), QStringLiteral("a/b")}, "--name"},
        {site + QStringList{QStringLiteral("--search-base"), QStringLiteral("ftp://h/")},
         "--search-base"},
        {site + QStringList{QStringLiteral("stray")}, "stray"},
    };
    for (const auto &c : cases) {
        const ParsedCommandLine parsed = parse(c.arguments);
        EXPECT_EQ(parsed.kind, ParsedCommandLine::Kind::Error) << c.named;
        EXPECT_TRUE(parsed.text.contains(QLatin1String(c.named)))
            << c.named << ": " << parsed.text.toStdString();
    }

    // The edges that are allowed.
    const ParsedCommandLine equal =
        parse(site + QStringList{QStringLiteral("--from"), QStringLiteral("0"),
                                 QStringLiteral("--to"), QStringLiteral("0")});
    EXPECT_EQ(equal.kind, ParsedCommandLine::Kind::Run) << equal.text.toStdString();
    EXPECT_EQ(parse({QStringLiteral("--help")}).kind, ParsedCommandLine::Kind::Help);
}

TEST(GrabResult, ExitStatusTextAndJsonTellTheEnding)
{
    const struct {
        GrabResult::Ending ending;
        int status;
        const char *name;
        qint32 notWritten = 0;
    } cases[] = {
        {GrabResult::Ending::Finished, ExitStatus::Done, "finished"},
        {GrabResult::Ending::Stopped, ExitStatus::Done, "stopped"},
        {GrabResult::Ending::NetworkLost, ExitStatus::NetworkLost, "network lost"},
        {GrabResult::Ending::Interrupted, ExitStatus::Interrupted, "interrupted"},
        {GrabResult::Ending::Finished, ExitStatus::FolderNotWritable, "finished", 1},
        {GrabResult::Ending::Stopped, ExitStatus::FolderNotWritable, "stopped", 1},
    };
    for (const auto &c : cases) {
        GrabResult result;
        result.ending = c.ending;
        result.notWritten = c.notWritten;
        result.pictures = 12;
        result.pages = 3;
        result.seconds = 1.5;
        result.bytes = qint64(5) << 32;
        result.folder = QStringLiteral("/tmp/a \"b\"");
        EXPECT_EQ(exitStatusOf(result), c.status) << c.name;
        EXPECT_EQ(resultText(result),
                  QStringLiteral("ending: %1\npictures: 12\npages: 3\nseconds: 1.50\n")
                      .arg(QLatin1String(c.name)));

        const QByteArray json = resultJson(result);
        EXPECT_EQ(json.count('\n'), 1) << "one object on one line";
        QJsonParseError error;
        const QJsonObject object = QJsonDocument::fromJson(json, &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << json.constData();
        EXPECT_EQ(object[QStringLiteral("ending")].toString(), QLatin1String(c.name));
        EXPECT_EQ(object[QStringLiteral("exit_status")].toInt(), c.status);
        EXPECT_EQ(object[QStringLiteral("bytes")].toInteger(), result.bytes) << "past 32 bits";
        EXPECT_EQ(object[QStringLiteral("folder")].toString(), result.folder) << "quotes escaped";
    }
}

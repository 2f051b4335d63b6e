#include "grabtool/grab_options.h"
#include "grabtool/grab_result.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

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
    for (const QString &bad : {u"--keyword k"_s, u"--bogus"_s, u"--from 1x"_s, u"--from -1"_s,
                               u"--to 4 --from 5"_s, u"--min-width 32768"_s, u"--connections 0"_s,
                               u"--connections 17"_s, u"--formats png,tiff"_s, u"--formats ,"_s,
                               u"--name a/b"_s, u"--search-base ftp://h/"_s, u"stray"_s}) {
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
}

TEST(GrabResult, ExitStatusTextAndJsonTellTheEnding)
{
    using E = GrabResult::Ending;
    const std::tuple<E, qint32, int> cases[] = {{E::Stopped, 0, ExitStatus::Done},
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

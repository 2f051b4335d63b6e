#include "crawl/picture_store.h"

#include "core/text_ids.h"
#include "support/crawl_state.h"
#include "support/small_disk.h"

#include <gtest/gtest.h>

namespace {
// Width and height stand where a GIF keeps them.
QByteArray picture(const char *header, int width = 100, int height = 100, qsizetype size = 64)
{
    QByteArray bytes(header);
    for (const int value : {width, height})
        bytes.append(char(value)).append(char(value >> 8));
    return bytes.leftJustified(size, 'z');
}
const QByteArray jpeg = picture("\xFF\xD8\xFF\xE0\x00\x10"), gif = picture("GIF89a"),
                 bmp = picture("BM\x01\x02\x03\x04"), png = picture("\x89PNG\r\n");

class PictureStoreTest : public ::testing::Test, public CrawlState {
protected:
    void SetUp() override
    {
        settings.Download_File_Folder = disk.path();
        numberTexts();
        status.MainWindowOpen = true;
        grab.SeedCrawl(QStringLiteral("http://start/"), settings);
    }
    bool store(const QByteArray &bytes, const char *folder = "p")
    {
        return StorePicture(context, bytes,
                            RequestKey(RequestKind::Picture,
                                       QStringLiteral("http://h/%1/x").arg(QLatin1String(folder))));
    }
    QByteArray contents(const QString &name) const
    {
        QFile file(disk.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    SmallDisk disk{1024 * 1024};
};
} // namespace

TEST_F(PictureStoreTest, EachFormatNeedsItsOwnSwitchAndSmallFilesAndPicturesAreLeftOut)
{
    const std::pair<QByteArray, bool Settings::*> kinds[] = {{jpeg, &Settings::JPG_Download},
                                                             {jpeg, &Settings::JPEG_Download},
                                                             {gif, &Settings::GIF_Download},
                                                             {bmp, &Settings::BMP_Download},
                                                             {png, &Settings::PNG_Download}};
    for (const auto &[bytes, on] : kinds) {
        for (const auto &kind : kinds)
            settings.*kind.second = kind.second == on;
        for (const auto &other : kinds)
            EXPECT_EQ(store(other.first), other.first == bytes)
                << other.first.left(2).toHex().data();
    }
    settings.GIF_Download = settings.Limited_Images_Size = settings.Limited_Images_Resolution =
        true;
    EXPECT_FALSE(store(picture("GIF89a", 100, 100, 10239))) << "below ten kilobytes";
    EXPECT_TRUE(store(picture("GIF89a", 100, 100, 10240)));
    settings.Limited_Images_Size = false;
    EXPECT_FALSE(store(picture("GIF89a", 99, 100), "small"));
    EXPECT_FALSE(store(picture("GIF89a", 100, 99), "small"));
    EXPECT_FALSE(store("GIF89a")) << "unreadable: no failure";
    ASSERT_EQ(grab.FolderFailures.size(), 1u);
    EXPECT_EQ(grab.FolderFailures[0].Count, 2);
    EXPECT_EQ(grab.PicturesSaved, 8);
}

TEST_F(PictureStoreTest, NamesTakeThePrefixAndAtLeastFiveDigitsUntilTheRangeIsUsedUp)
{
    settings.Download_File_Name = QStringLiteral("Shot");
    settings.FileToNum = 4;
    grab.fileCounter(PictureKind::Png) = 123456;
    grab.fileCounter(PictureKind::Bmp) = std::numeric_limits<qint32>::max() - 1;
    EXPECT_TRUE(store(jpeg) && store(png) && store(bmp));
    EXPECT_FALSE(store(bmp)) << "no number left";
    EXPECT_TRUE(store(jpeg));
    EXPECT_FALSE(store(gif) || !grab.StopRequested);
    EXPECT_EQ(disk.names().join(u' '),
              QStringLiteral("Shot00001.jpg Shot00002.jpg Shot123456.png Shot2147483646.bmp"));
    EXPECT_EQ(contents(QStringLiteral("Shot123456.png")), png);
    EXPECT_EQ(status.panelText(2), QStringLiteral("4 ") + texts[TextId::PicturesSavedWord]);
}

TEST_F(PictureStoreTest, OverwriteOffSkipsExistingNumbersEvenPastTheRange)
{
    settings.FileOverwrite = false;
    settings.FileToNum = 2;
    QFile(disk.filePath(QStringLiteral("Catch00001.gif"))).open(QIODevice::WriteOnly);
    QFile(disk.filePath(QStringLiteral("Catch00002.gif"))).open(QIODevice::WriteOnly);
    EXPECT_TRUE(store(gif) && store(gif));
    EXPECT_FALSE(store(gif) || !grab.StopRequested);
    EXPECT_EQ(grab.fileCounter(PictureKind::Gif), 6) << "the refused picture took a number";
    EXPECT_EQ(contents(QStringLiteral("Catch00002.gif")) +
                  contents(QStringLiteral("Catch00004.gif")),
              gif);
}

TEST_F(PictureStoreTest, APictureThatCannotBeWrittenCountsNothingAndSaysWhyInPanelOne)
{
    QFile(disk.filePath(QStringLiteral("plain"))).open(QIODevice::WriteOnly);
    ASSERT_TRUE(store(gif) && QDir(disk.path()).mkdir(QStringLiteral("Catch00001.png")));
    EXPECT_FALSE(store(png)) << "a folder in its place";
    const auto refused = [this](const QString &folder, int text) {
        settings.Download_File_Folder = folder;
        grab.fileCounter(PictureKind::Gif) = 1;
        status.showStatus(1, QString());
        EXPECT_FALSE(store(picture("GIF89a", 1, 1, 64 * 1024)));
        EXPECT_EQ(status.panelText(1), texts[text]);
    };
    disk.fillLeaving(8 * 1024);
    refused(disk.path(), TextId::DiskFull);
    refused(disk.filePath(QStringLiteral("plain")), TextId::FolderNotWritable);
    disk.makeReadOnly();
    refused(disk.path(), TextId::FolderNotWritable);
    EXPECT_EQ(grab.PicturesNotWritten, 3);
    EXPECT_EQ(grab.PicturesSaved, 1);
    EXPECT_FALSE(grab.StopRequested);
    EXPECT_EQ(contents(QStringLiteral("Catch00001.gif")), gif);
    EXPECT_EQ(disk.names().join(u' '), QStringLiteral("Catch00001.gif plain"));
}

TEST_F(PictureStoreTest, YieldsFirstAndCreatesTheFolder)
{
    settings.Download_File_Folder = disk.filePath(QStringLiteral("new/pictures"));
    EXPECT_TRUE(store(png));
    EXPECT_EQ(QFile(disk.filePath(QStringLiteral("new/pictures/Catch00001.png"))).size(), 64);
    pump.onYield = [this] { settings.PNG_Download = false; };
    EXPECT_FALSE(store(png)) << "settings are read after the yield";
    EXPECT_EQ(pump.yields, 2);
}

#include "crawl/picture_store.h"

#include "core/text_ids.h"
#include "support/crawl_state.h"
#include "support/small_disk.h"

using namespace Qt::StringLiterals;

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

struct PictureStoreTest : CrawlTest {
    PictureStoreTest() { settings.Download_File_Folder = disk.path(); }
    bool store(const QByteArray &bytes)
    {
        return StorePicture(context, bytes, RequestKey(RequestKind::Picture, u"http://h/p/x"_s));
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
            EXPECT_EQ(store(other.first), other.first == bytes) << other.first.toHex().data();
    }
    settings.GIF_Download = settings.Limited_Images_Size = settings.Limited_Images_Resolution =
        true;
    EXPECT_FALSE(store(picture("GIF89a", 100, 100, 10239))) << "below ten kilobytes";
    EXPECT_TRUE(store(picture("GIF89a", 100, 100, 10240)));
    settings.Limited_Images_Size = false;
    EXPECT_FALSE(store(picture("GIF89a", 99, 100)) || store(picture("GIF89a", 100, 99)));
    EXPECT_FALSE(store("GIF89a")) << "unreadable: no failure";
    EXPECT_EQ(grab.FolderFailures.at(0).Count, 2) << "the two small ones";
}

TEST_F(PictureStoreTest, NamesTakeThePrefixAndAtLeastFiveDigitsUntilTheRangeIsUsedUp)
{
    settings.Download_File_Name = u"Shot"_s;
    settings.FileToNum = 4;
    grab.fileCounter(PictureKind::Png) = 123456;
    grab.fileCounter(PictureKind::Bmp) = std::numeric_limits<qint32>::max() - 1;
    EXPECT_TRUE(store(jpeg) && store(png) && store(bmp));
    EXPECT_FALSE(store(bmp)) << "no number left";
    EXPECT_TRUE(store(jpeg));
    EXPECT_FALSE(store(gif) || !grab.StopRequested);
    EXPECT_EQ(disk.names().join(u' '),
              u"Shot00001.jpg Shot00002.jpg Shot123456.png Shot2147483646.bmp"_s);
    EXPECT_EQ(status.panelText(2), u"4 "_s + texts[TextId::PicturesSavedWord]);
}

TEST_F(PictureStoreTest, OverwriteOffSkipsExistingNumbersEvenPastTheRange)
{
    settings.FileOverwrite = false;
    settings.FileToNum = 2;
    QFile(disk.filePath(u"Catch00001.gif"_s)).open(QIODevice::WriteOnly);
    QFile(disk.filePath(u"Catch00002.gif"_s)).open(QIODevice::WriteOnly);
    EXPECT_TRUE(store(gif) && store(gif));
    EXPECT_FALSE(store(gif) || !grab.StopRequested);
    EXPECT_EQ(disk.contents(u"Catch00002.gif"_s) + disk.contents(u"Catch00004.gif"_s), gif);
}

// The picture written first is never touched by the failed writes over it.
TEST_F(PictureStoreTest, APictureThatCannotBeWrittenCountsNothingAndAMissingFolderIsMade)
{
    QFile(disk.filePath(u"plain"_s)).open(QIODevice::WriteOnly);
    ASSERT_TRUE(store(gif) && QDir(disk.path()).mkdir(u"Catch00001.png"_s));
    EXPECT_FALSE(store(png)) << "a folder in its place";
    disk.fillLeaving(8 * 1024);
    for (const auto &[folder, text] : {std::pair{disk.path(), TextId::DiskFull},
                                       {disk.filePath(u"plain"_s), TextId::FolderNotWritable}}) {
        settings.Download_File_Folder = folder;
        grab.fileCounter(PictureKind::Gif) = 1;
        EXPECT_FALSE(store(picture("GIF89a", 1, 1, 64 * 1024)));
        EXPECT_EQ(status.panelText(1), texts[text]);
    }
    EXPECT_EQ(grab.PicturesNotWritten, 2);
    EXPECT_EQ(grab.PicturesSaved, 1);
    EXPECT_FALSE(grab.StopRequested);
    EXPECT_EQ(disk.contents(u"Catch00001.gif"_s), gif);
    EXPECT_EQ(disk.names().join(u' '), u"Catch00001.gif plain"_s);

    // A missing folder is made; settings are read after the yield each picture begins with.
    settings.Download_File_Folder = disk.filePath(u"new/pictures"_s);
    EXPECT_TRUE(store(png));
    EXPECT_EQ(disk.contents(u"new/pictures/Catch00002.png"_s), png);
    pump.onYield = [this] { settings.PNG_Download = false; };
    EXPECT_FALSE(store(png));
    EXPECT_EQ(pump.yields, 6);
}

#include "crawl/picture_store.h"

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "core/text_ids.h"
#include "crawl/crawl_context.h"
#include "platform/event_pump.h"
#include "support/crawl_state.h"
#include "support/small_disk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {
QByteArray padded(QByteArray header, qsizetype size = 64)
{
    header.append(size - header.size(), '\x5A');
    return header;
}

QByteArray gif(int width, int height, qsizetype size = 64)
{
    QByteArray bytes("GIF89a");
    for (int value : {width, height}) {
        bytes.append(static_cast<char>(value & 0xFF));
        bytes.append(static_cast<char>((value >> 8) & 0xFF));
    }
    return padded(bytes, size);
}

const QByteArray jpeg = padded(QByteArray("\xFF\xD8\xFF\xE0", 4));
const QByteArray bmp = padded(QByteArray("BM"));
const QByteArray png = padded(QByteArray("\x89PNG\r\n\x1a\n", 8));

class PictureStoreTest : public ::testing::Test, public CrawlState {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        settings.Download_File_Folder = folder.path();
        settings.FileFromNum = 1;
        settings.FileToNum = 50;
        texts.set(69, QStringLiteral("pictures saved"));
        grab.SeedCrawl(QStringLiteral("http://start/"), settings);
    }

    bool store(const QByteArray &bytes, const QString &address = QStringLiteral("http://h/p/x"))
    {
        return StorePicture(context, bytes, RequestKey(RequestKind::Picture, address));
    }
    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }
    QByteArray contents(const QString &name) const
    {
        QFile file(folder.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void putFile(const QString &name, const QByteArray &bytes) const
    {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir folder;
};
} // namespace

TEST_F(PictureStoreTest, MinimumSizeKeepsTenKilobytesAndDropsOneByteLess)
{
    settings.Limited_Images_Size = true;
    settings.Images_File_Size = 10;
    EXPECT_FALSE(store(gif(1, 1, 10239)));
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(store(gif(1, 1, 10240)));
    EXPECT_EQ(files(), QStringList{QStringLiteral("Catch00001.gif")});
    EXPECT_TRUE(grab.FolderFailures.empty()) << "a small file is no failure";
}

TEST_F(PictureStoreTest, SwitchedOffFormatsAndForeignHeadersAreDroppedSilently)
{
    settings.Limited_Images_Resolution = true;
    settings.Images_Width = settings.Images_Height = 1;
    settings.JPG_Download = settings.JPEG_Download = false;
    settings.GIF_Download = settings.BMP_Download = settings.PNG_Download = false;
    for (const QByteArray &bytes : {jpeg, gif(5, 5), bmp, png})
        EXPECT_FALSE(store(bytes)) << bytes.left(4).toHex().constData();

    settings.JPEG_Download = true;
    settings.PNG_Download = true;
    EXPECT_TRUE(store(padded(QByteArray("\xFF\xD8\xFF\xC0\x00\x11\x08\x00\x02\x00\x03", 11))))
        << "the jpeg switch alone accepts a JPEG";
    EXPECT_FALSE(store(padded(QByteArray("\x89XNG\r\n\x1a\n", 8))));
    EXPECT_FALSE(store(padded(QByteArray("<html><body>"))));
    EXPECT_EQ(files(), QStringList{QStringLiteral("Catch00001.jpg")});
    EXPECT_TRUE(grab.FolderFailures.empty());
}

TEST_F(PictureStoreTest, SmallPicturesCountAgainstTheirFolderUnreadableOnesDoNot)
{
    settings.Limited_Images_Resolution = true;
    EXPECT_FALSE(store(gif(99, 300), QStringLiteral("http://h/pics/a.gif")));
    EXPECT_FALSE(store(gif(300, 99), QStringLiteral("http://h/pics/b.gif")));
    // A JPEG without a frame header measures 0 x 0.
    EXPECT_FALSE(store(QByteArray("\xFF\xD8\xFF\xE0\x00\x10", 6), QStringLiteral("http://h/j/c")));
    ASSERT_EQ(grab.FolderFailures.size(), 2u);
    EXPECT_EQ(grab.FolderFailures[0].Folder, QStringLiteral("http://h/pics/"));
    EXPECT_EQ(grab.FolderFailures[0].Count, 2);
    EXPECT_EQ(grab.FolderFailures[1].Folder, QStringLiteral("http://h/j/"));

    EXPECT_FALSE(store(gif(40000, 300))) << "a width that overflows MakeWord";
    EXPECT_FALSE(store(QByteArray("\xFF\xD8\xFF\xC0\x00\x11\x08\x01", 8))) << "frame cut short";
    EXPECT_EQ(grab.FolderFailures.size(), 2u);
    EXPECT_TRUE(files().isEmpty());

    EXPECT_TRUE(store(gif(100, 100)));
    settings.Limited_Images_Resolution = false;
    EXPECT_TRUE(store(gif(1, 1)));
    EXPECT_TRUE(store(QByteArray("\xFF\xD8\xFF", 3))) << "nothing is measured without the filter";
    EXPECT_EQ(files().size(), 3);
}

TEST_F(PictureStoreTest, RangeOfOneToThreeStopsAtTheFourthPictureWhateverItsFormat)
{
    settings.FileToNum = 3;
    EXPECT_TRUE(store(jpeg));
    EXPECT_TRUE(store(gif(1, 1)));
    EXPECT_TRUE(store(jpeg));
    EXPECT_FALSE(grab.StopRequested);
    EXPECT_FALSE(store(bmp));
    EXPECT_TRUE(grab.StopRequested);
    EXPECT_EQ(grab.PicturesSaved, 3);
    EXPECT_EQ(files(),
              (QStringList{QStringLiteral("Catch00001.gif"), QStringLiteral("Catch00001.jpg"),
                           QStringLiteral("Catch00002.jpg")}));
    EXPECT_EQ(contents(QStringLiteral("Catch00001.gif")), gif(1, 1));
    EXPECT_EQ(contents(QStringLiteral("Catch00002.jpg")), jpeg);
}

TEST_F(PictureStoreTest, NameTakesThePrefixAndAtLeastFiveDigits)
{
    settings.Download_File_Name = QStringLiteral("Shot");
    settings.FileToNum = 200000;
    grab.fileCounter(PictureKind::Png) = 123456;
    grab.fileCounter(PictureKind::Bmp) = 42;
    EXPECT_TRUE(store(png));
    EXPECT_TRUE(store(bmp));
    EXPECT_EQ(files(),
              (QStringList{QStringLiteral("Shot00042.bmp"), QStringLiteral("Shot123456.png")}));
    EXPECT_EQ(grab.fileCounter(PictureKind::Png), 123457);
}

TEST_F(PictureStoreTest, OverwriteOffSkipsExistingNumbersEvenPastTheRange)
{
    settings.FileOverwrite = false;
    settings.FileToNum = 2;
    putFile(QStringLiteral("Catch00001.jpg"), "old one");
    putFile(QStringLiteral("Catch00002.jpg"), "old two");
    EXPECT_TRUE(store(jpeg));
    EXPECT_EQ(contents(QStringLiteral("Catch00003.jpg")), jpeg);
    EXPECT_EQ(contents(QStringLiteral("Catch00001.jpg")), QByteArray("old one"));
    EXPECT_EQ(contents(QStringLiteral("Catch00002.jpg")), QByteArray("old two"));

    EXPECT_TRUE(store(jpeg));
    EXPECT_FALSE(store(jpeg));
    EXPECT_TRUE(grab.StopRequested);
    EXPECT_EQ(grab.fileCounter(PictureKind::Jpg), 6) << "the refused picture took a number";
    EXPECT_EQ(files().size(), 4);
}

TEST_F(PictureStoreTest, OverwriteOnReplacesTheWholeOldFile)
{
    putFile(QStringLiteral("Catch00001.jpg"), QByteArray(500, 'o'));
    EXPECT_TRUE(store(jpeg));
    EXPECT_EQ(contents(QStringLiteral("Catch00001.jpg")), jpeg);
    EXPECT_EQ(files(), QStringList{QStringLiteral("Catch00001.jpg")}) << "no temporary left";
}

TEST_F(PictureStoreTest, MissingFolderIsCreated)
{
    settings.Download_File_Folder = folder.filePath(QStringLiteral("new/pictures"));
    EXPECT_TRUE(store(png));
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("new/pictures/Catch00001.png"))));
}

TEST_F(PictureStoreTest, APictureThatCannotBeWrittenCountsNothingAndSaysWhyInPanelOne)
{
    SmallDisk disk(256 * 1024);
    SKIP_UNLESS_MOUNTED(disk);
    texts.set(TextId::FolderNotWritable, QStringLiteral("not writable"));
    texts.set(TextId::DiskFull, QStringLiteral("disk full"));
    status.MainWindowOpen = true;
    putFile(QStringLiteral("plain"), "a file, not a folder");
    const QByteArray old = "the old picture";
    {
        QFile existing(disk.filePath(QStringLiteral("Catch00001.gif")));
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write(old);
    }
    disk.fillLeaving(8 * 1024);

    const struct {
        const char *situation;
        std::function<void()> arrange;
        QString folder;
        QString panel;
    } cases[] = {
        {"disk full", [] {}, disk.path(), QStringLiteral("disk full")},
        {"file in the folder's place", [] {}, folder.filePath(QStringLiteral("plain")),
         QStringLiteral("not writable")},
        {"read-only folder", [&disk] { ASSERT_TRUE(disk.makeReadOnly()); }, disk.path(),
         QStringLiteral("not writable")},
    };
    qint32 refused = 0;
    for (const auto &c : cases) {
        c.arrange();
        settings.Download_File_Folder = c.folder;
        grab.fileCounter(PictureKind::Gif) = 1;
        status.showStatus(1, QString());
        EXPECT_FALSE(store(gif(1, 1, 64 * 1024))) << c.situation;
        EXPECT_EQ(status.panelText(1), c.panel) << c.situation;
        EXPECT_EQ(grab.PicturesSaved, 0) << c.situation;
        EXPECT_EQ(grab.PicturesNotWritten, ++refused) << c.situation;
        EXPECT_EQ(status.panelText(2), QString()) << c.situation;
    }
    QFile kept(disk.filePath(QStringLiteral("Catch00001.gif")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), old);
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "no new or partial file";
}

TEST_F(PictureStoreTest, YieldsFirstAndShowsTheCountInPanelTwo)
{
    EXPECT_TRUE(store(gif(1, 1)));
    EXPECT_EQ(status.panelText(2), QString()) << "the main window is closed";

    status.MainWindowOpen = true;
    EXPECT_TRUE(store(gif(1, 1)));
    EXPECT_EQ(status.panelText(2), QStringLiteral("2 pictures saved"));

    pump.onYield = [this] { settings.GIF_Download = false; };
    EXPECT_FALSE(store(gif(1, 1))) << "settings are read after the yield";
    EXPECT_EQ(pump.yields, 3);
}

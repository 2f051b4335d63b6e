#include "grab/project_file.h"

#include "grab_fixture.h"
#include "support/small_disk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TEST(Scramble, SeedFollowsTheKeyCharacters)
{
    // 65 and 65 cancel out; then 66 shifted by 7 and by 13.
    EXPECT_EQ(ScrambleSeed(QStringLiteral("AB")), (66 << 7) ^ (66 << 13));
    EXPECT_EQ(ScrambleSeed(QString()), 0);
}

TEST(Scramble, RoundTripKeepsPrintableAsciiAndDropsTheRest)
{
    const QString text = QStringLiteral("http://www.example.com/a b/~x?y=1&z=\"2\"");
    const QString scrambled = ScrambleText(ProjectKey, text);
    EXPECT_EQ(scrambled.size(), text.size());
    EXPECT_NE(scrambled, text);
    for (const QChar ch : scrambled)
        EXPECT_TRUE(ch.unicode() >= 32 && ch.unicode() <= 126) << int(ch.unicode());
    EXPECT_EQ(ScrambleText(ProjectKey, text), scrambled) << "the same text scrambles the same";
    EXPECT_EQ(UnscrambleText(ProjectKey, scrambled), text);

    const QString withOthers = QStringLiteral("caf\u00e9\t/b\u00e4r\r\n.jpg");
    EXPECT_EQ(UnscrambleText(ProjectKey, ScrambleText(ProjectKey, withOthers)),
              QStringLiteral("caf/br.jpg"));
}

namespace {
using ProjectFileTest = GrabFixture;
} // namespace

TEST_F(ProjectFileTest, EverythingHandedOutDeletesTheFile)
{
    QFile file(grab.ProjectFilePath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    grab.LinkList.Next = 1;
    SaveProject(grab);
    EXPECT_FALSE(QFile::exists(grab.ProjectFilePath));
}

TEST_F(ProjectFileTest, StoredListsComeBackInOrderAtDepthZeroWithTheirNextIndexes)
{
    grab.KeywordSearchMode = false;
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    grab.LinkList.append({QStringLiteral("http://site/a.html"), 1});
    grab.LinkList.append({QStringLiteral("http://site/b.html"), 2});
    grab.ExpandList.append({QStringLiteral("http://site/deep.html"), 2});
    for (int i = 0; i < 4; ++i)
        grab.ResourceList.append(QStringLiteral("http://site/p%1.jpg").arg(i));
    grab.LinkList.Next = 2;
    grab.ExpandList.Next = 0;
    grab.ResourceList.Next = 3;
    SaveProject(grab);

    QFile file(grab.ProjectFilePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_FALSE(bytes.contains("site")) << "the file is scrambled";
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    file.close();

    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    ASSERT_TRUE(LoadProject(context));
    ASSERT_EQ(grab.LinkList.count(), 3) << "the start address is not added twice";
    EXPECT_EQ(grab.LinkList.at(1), (PageEntry{QStringLiteral("http://site/a.html"), 0}));
    EXPECT_EQ(grab.LinkList.at(2), (PageEntry{QStringLiteral("http://site/b.html"), 0}));
    ASSERT_EQ(grab.ExpandList.count(), 1);
    EXPECT_EQ(grab.ExpandList.at(0).Depth, 0) << "restored pages start again at depth 0";
    ASSERT_EQ(grab.ResourceList.count(), 4);
    EXPECT_EQ(grab.ResourceList.at(3), QStringLiteral("http://site/p3.jpg"));
    EXPECT_EQ(grab.LinkList.Next, 2);
    EXPECT_EQ(grab.ExpandList.Next, 0);
    EXPECT_EQ(grab.ResourceList.Next, 3);
}

namespace {
void writeScrambled(const QString &path, const QStringList &lines)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const QString &line : lines)
        file.write(ScrambleText(ProjectKey, line).toLatin1() + "\r\n");
}
} // namespace

TEST_F(ProjectFileTest, NextIndexesAreReadFromTheLastLineAndLoweredToTheCounts)
{
    QStringList lines{ProjectIdentification, QStringLiteral("[X]")};
    for (int i = 0; i < 10; ++i)
        lines << QStringLiteral("http://site/x%1.html").arg(i);
    lines << QStringLiteral("[M]") << QStringLiteral("http://site/");
    for (int i = 0; i < 20; ++i)
        lines << QStringLiteral("http://site/m%1.html").arg(i);
    lines << QStringLiteral("[RR]");
    for (int i = 0; i < 30; ++i)
        lines << QStringLiteral("http://site/r%1.jpg").arg(i);
    lines << QStringLiteral("[P]") << QStringLiteral("5/17/40");
    writeScrambled(grab.ProjectFilePath, lines);

    grab.KeywordSearchMode = false;
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    ASSERT_TRUE(LoadProject(context));
    EXPECT_EQ(grab.ExpandList.Next, 5);
    EXPECT_EQ(grab.LinkList.Next, 17);
    EXPECT_EQ(grab.LinkList.count(), 21);
    EXPECT_EQ(grab.ResourceList.count(), 30);
    EXPECT_EQ(grab.ResourceList.Next, 30) << "an index past the list is lowered to its count";
}

TEST_F(ProjectFileTest, ForeignFileLoadsNothing)
{
    writeScrambled(grab.ProjectFilePath, {QStringLiteral("Something else"), QStringLiteral("[M]"),
                                          QStringLiteral("http://site/a.html")});
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    EXPECT_FALSE(LoadProject(context));
    EXPECT_EQ(grab.LinkList.count(), 1);
}

TEST_F(ProjectFileTest, AFullDiskKeepsTheOldFileWhole)
{
    SmallDisk disk(256 * 1024);
    SKIP_UNLESS_MOUNTED(disk);
    grab.ProjectFilePath = disk.filePath(QStringLiteral("site.txt"));
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    SaveProject(grab);
    QFile file(grab.ProjectFilePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray old = file.readAll();
    file.close();
    ASSERT_FALSE(old.isEmpty());

    disk.fillLeaving(8 * 1024);
    for (int i = 0; i < 2000; ++i)
        grab.ResourceList.append(QStringLiteral("http://site/pictures/%1.jpg").arg(i));
    SaveProject(grab);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old);
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "no partial file";
}

TEST_F(ProjectFileTest, FileOverTheLimitIsNotResumedAndStaysInPlace)
{
    writeScrambled(grab.ProjectFilePath, {ProjectIdentification, QStringLiteral("[M]"),
                                          QStringLiteral("http://site/a.html"),
                                          QStringLiteral("[P]"), QStringLiteral("0/1/0")});
    QFile file(grab.ProjectFilePath);
    ASSERT_TRUE(file.resize(MaxProjectFileBytes + 1));
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    EXPECT_FALSE(LoadProject(context));
    EXPECT_EQ(grab.LinkList.count(), 1);
    EXPECT_EQ(grab.LinkList.Next, 0);
    EXPECT_EQ(QFileInfo(grab.ProjectFilePath).size(), MaxProjectFileBytes + 1);
}

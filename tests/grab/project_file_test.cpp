#include "grab/project_file.h"

#include "grab_fixture.h"
#include "support/small_disk.h"

#include <QFile>
#include <QFileInfo>

TEST(Scramble, SeedFollowsTheKeyAndTheRoundTripKeepsOnlyPrintableAscii)
{
    // 65 and 65 cancel out; then 66 shifted by 7 and by 13.
    EXPECT_EQ(ScrambleSeed(QStringLiteral("AB")), (66 << 7) ^ (66 << 13));
    const QString text = QStringLiteral(" http://example.com/~x?y=\"2\"");
    const QString scrambled = ScrambleText(ProjectKey, text + QStringLiteral("\t\u00e9\r\n"));
    EXPECT_EQ(scrambled.size(), text.size());
    for (const QChar ch : scrambled)
        EXPECT_TRUE(ch >= u' ' && ch <= u'~') << int(ch.unicode());
    EXPECT_NE(scrambled, text);
    EXPECT_EQ(UnscrambleText(ProjectKey, scrambled), text);
}

namespace {
class ProjectFileTest : public GrabFixture {
protected:
    void SetUp() override
    {
        grab.SeedCrawl(QStringLiteral("http://site/"), settings);
        grab.LinkList.append({QStringLiteral("http://site/a.html"), 1});
        grab.ExpandList.append({QStringLiteral("http://site/deep.html"), 2});
        grab.ResourceList.append(QStringLiteral("http://site/p.jpg"));
    }
    QByteArray project() const
    {
        QFile file(grab.ProjectFilePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
};
} // namespace

TEST_F(ProjectFileTest, ListsComeBackAtDepthZeroWithIndexesLoweredToTheirCounts)
{
    grab.ExpandList.Next = 1;
    grab.ResourceList.Next = 5;
    SaveProject(grab);
    EXPECT_FALSE(project().contains("site")) << "the file is scrambled";

    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    ASSERT_TRUE(LoadProject(context));
    EXPECT_EQ(listed(grab.LinkList), "http://site/ http://site/a.html") << "no start twice";
    EXPECT_EQ(grab.LinkList.at(1).Depth, 0);
    EXPECT_EQ(listed(grab.ExpandList), "http://site/deep.html");
    EXPECT_EQ(listed(grab.ResourceList), "http://site/p.jpg");
    EXPECT_EQ(grab.LinkList.Next, 0);
    EXPECT_EQ(grab.ExpandList.Next, 1) << "equal to its count";
    EXPECT_EQ(grab.ResourceList.Next, 1) << "lowered to its count";

    grab.LinkList.Next = 2;
    SaveProject(grab);
    EXPECT_EQ(project(), "<missing>") << "everything was handed out";
}

TEST_F(ProjectFileTest, AForeignOrHugeFileLoadsNothingAndStays)
{
    SaveProject(grab);
    ASSERT_TRUE(QFile(grab.ProjectFilePath).resize(MaxProjectFileBytes + 1));
    grab.SeedCrawl(QStringLiteral("http://site/"), settings);
    EXPECT_FALSE(LoadProject(context));
    EXPECT_EQ(QFileInfo(grab.ProjectFilePath).size(), MaxProjectFileBytes + 1);
    QFile foreign(grab.ProjectFilePath);
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly) && foreign.write("Something else\r\n") > 0);
    foreign.close();
    EXPECT_FALSE(LoadProject(context));
    EXPECT_EQ(listed(grab.LinkList), "http://site/");
}

TEST_F(ProjectFileTest, AFullDiskKeepsTheOldFileWhole)
{
    SmallDisk disk(256 * 1024);
    grab.ProjectFilePath = disk.filePath(QStringLiteral("site.txt"));
    SaveProject(grab);
    const QByteArray old = project();
    disk.fillLeaving(8 * 1024);
    for (int i = 0; i < 2000; ++i)
        grab.ResourceList.append(QStringLiteral("http://site/pictures/%1.jpg").arg(i));
    SaveProject(grab);
    EXPECT_EQ(project(), old);
    EXPECT_EQ(disk.names(), QStringList{QStringLiteral("site.txt")});
}

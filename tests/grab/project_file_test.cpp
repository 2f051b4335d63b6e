#include "grab/project_file.h"

#include "grab_fixture.h"
#include "support/small_disk.h"

using namespace Qt::StringLiterals;

TEST(Scramble, SeedFollowsTheKeyAndTheRoundTripKeepsOnlyPrintableAscii)
{
    // 65 and 65 cancel out; then 66 shifted by 7 and by 13.
    EXPECT_EQ(ScrambleSeed(u"AB"_s), (66 << 7) ^ (66 << 13));
    const QString text = u" http://example.com/~x?y=\"2\""_s;
    const QString scrambled = ScrambleText(ProjectKey, text + u"\t\u00e9\r\n"_s);
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
        grab.ProjectFilePath = disk.filePath(u"site.txt"_s);
        grab.SeedCrawl(u"http://site/"_s, settings);
        grab.LinkList.append({u"http://site/a.html"_s, 1});
        grab.ExpandList.append({u"http://site/deep.html"_s, 2});
        grab.ResourceList.append(u"http://site/p.jpg"_s);
    }
    SmallDisk disk{1024 * 1024};
};
} // namespace

TEST_F(ProjectFileTest, ListsComeBackAtDepthZeroWithIndexesLoweredToTheirCounts)
{
    grab.ExpandList.Next = 1;
    grab.ResourceList.Next = 5;
    SaveProject(grab);
    EXPECT_FALSE(disk.contents(u"site.txt"_s).contains("site")) << "scrambled";
    grab.SeedCrawl(u"http://site/"_s, settings);
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
    EXPECT_EQ(disk.names(), QStringList()) << "everything was handed out";
}

TEST_F(ProjectFileTest, AForeignOrHugeFileLoadsNothingAndStays)
{
    SaveProject(grab);
    QFile file(grab.ProjectFilePath);
    ASSERT_TRUE(file.resize(MaxProjectFileBytes + 1));
    grab.SeedCrawl(u"http://site/"_s, settings);
    EXPECT_FALSE(LoadProject(context));
    EXPECT_EQ(file.size(), MaxProjectFileBytes + 1);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("Something else\r\n") > 0);
    file.close();
    EXPECT_FALSE(LoadProject(context));
    EXPECT_EQ(listed(grab.LinkList), "http://site/");
}

TEST_F(ProjectFileTest, AFullDiskKeepsTheOldFileWhole)
{
    SaveProject(grab);
    const QByteArray old = disk.contents(u"site.txt"_s);
    disk.fillLeaving(8 * 1024);
    for (int i = 0; i < 2000; ++i)
        grab.ResourceList.append(u"http://site/pictures/%1.jpg"_s.arg(i));
    SaveProject(grab);
    EXPECT_EQ(disk.contents(u"site.txt"_s), old);
    EXPECT_EQ(disk.names(), QStringList{u"site.txt"_s});
}

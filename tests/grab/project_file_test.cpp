#include "grab/project_file.h"

#include "support/crawl_state.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

TEST(Scramble, SeedFollowsTheKeyAndTheRoundTripKeepsOnlyPrintableAscii)
{
    // 65 and 65 cancel out; then 66 shifted by 7 and by 13.
    EXPECT_EQ(ScrambleSeed(u"AB"_s), (66 << 7) ^ (66 << 13));
    const QString text = u" http://example.com/~x?y=\"2\""_s;
    const QString scrambled = ScrambleText(ProjectKey, text + u"\t\u00e9\r\n"_s);
    for (const QChar ch : scrambled)
        EXPECT_TRUE(ch >= u' ' && ch <= u'~') << int(ch.unicode());
    EXPECT_EQ(UnscrambleText(ProjectKey, scrambled), text);
}

// A crawl from http://h/ with one entry waiting in each list. The full disk and the old file
// kept whole belong to the atomic write.
TEST_F(CrawlTest, ProjectListsComeBackAtDepthZeroAndAForeignOrHugeFileLoadsNothingAndStays)
{
    QTemporaryDir folder;
    grab.ProjectFilePath = folder.filePath(u"site.txt"_s);
    grab.LinkList.append({u"http://h/a.html"_s, 1});
    grab.ExpandList.append({u"http://h/deep.html"_s, 2});
    grab.ResourceList.append(u"http://h/p.jpg"_s);
    grab.ExpandList.Next = 1;
    grab.ResourceList.Next = 5;
    SaveProject(grab);
    grab.SeedCrawl(u"http://h/"_s, settings);
    const qint64 saved = QFileInfo(grab.ProjectFilePath).size();
    EXPECT_FALSE(LoadProject(context, saved - 1));
    ASSERT_TRUE(LoadProject(context, saved));
    EXPECT_EQ(listed(grab.LinkList), "http://h/ http://h/a.html") << "no start twice";
    EXPECT_EQ(grab.LinkList.at(1).Depth, 0);
    EXPECT_EQ(listed(grab.ExpandList), "http://h/deep.html");
    EXPECT_EQ(listed(grab.ResourceList), "http://h/p.jpg");
    EXPECT_EQ(grab.LinkList.Next, 0);
    EXPECT_EQ(grab.ExpandList.Next, 1) << "equal to its count";
    EXPECT_EQ(grab.ResourceList.Next, 1) << "lowered to its count";

    SaveProject(grab);
    QFile file(grab.ProjectFilePath);
    ASSERT_TRUE(file.resize(MaxProjectFileBytes + 1));
    grab.SeedCrawl(u"http://h/"_s, settings);
    EXPECT_FALSE(LoadProject(context));
    EXPECT_EQ(file.size(), MaxProjectFileBytes + 1);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("Something else\r\n") > 0);
    file.close();
    EXPECT_FALSE(LoadProject(context));
    EXPECT_EQ(listed(grab.LinkList), "http://h/");

    grab.LinkList.Next = 1;
    SaveProject(grab);
    EXPECT_FALSE(file.exists()) << "everything was handed out";
}

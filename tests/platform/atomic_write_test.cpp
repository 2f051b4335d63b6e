#include "platform/atomic_write.h"
#include "support/small_disk.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(AtomicWrite, ReplacesTheWholeFileOrNothingAndLeavesNoTemporaryBehind)
{
    const struct {
        void (*arrange)(const SmallDisk &);
        WriteOutcome outcome;
    } cases[] = {
        {[](const SmallDisk &) {}, WriteOutcome::Written},
        {[](const SmallDisk &disk) { disk.fillLeaving(16 * 1024); }, WriteOutcome::DiskFull},
        {[](const SmallDisk &disk) { disk.fillLeaving(16 * 1024, true); }, WriteOutcome::DiskFull},
        {[](const SmallDisk &disk) { disk.makeReadOnly(); }, WriteOutcome::NotWritable},
    };
    // Four full write calls of the played disk and a fifth of one byte.
    const QByteArray picture = QByteArray("0123456789").repeated(6554).chopped(3);
    for (const auto &c : cases) {
        for (const bool durable : {false, true}) {
            SmallDisk disk(1024 * 1024);
            const QString path = disk.filePath(u"a.jpg"_s);
            ASSERT_EQ(writeFileAtomically(path, "old"), WriteOutcome::Written);
            c.arrange(disk);
            EXPECT_EQ(writeFileAtomically(path, picture, durable), c.outcome) << int(c.outcome);
            const bool written = c.outcome == WriteOutcome::Written;
            EXPECT_EQ(disk.contents(u"a.jpg"_s), written ? picture : "old");
            EXPECT_EQ(disk.names(), QStringList{u"a.jpg"_s});
        }
    }
    SmallDisk disk(1024);
    EXPECT_TRUE(syncFolder(disk.path()));
    EXPECT_FALSE(syncFolder(disk.filePath(u"missing"_s)));
    EXPECT_EQ(writeFileAtomically(disk.filePath(u"missing/a.jpg"_s), "x"), WriteOutcome::Failed);
}

#include "platform/atomic_write.h"
#include "support/small_disk.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {
QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(AtomicWrite, ReplacesTheWholeFileOrNothingAndLeavesNoTemporaryBehind)
{
    const struct {
        const char *situation;
        void (*arrange)(const SmallDisk &);
        WriteOutcome outcome;
    } cases[] = {
        {"room enough", [](const SmallDisk &) {}, WriteOutcome::Written},
        {"disk full", [](const SmallDisk &on) { on.fillLeaving(16 * 1024); },
         WriteOutcome::DiskFull},
        {"full disk told at close", [](const SmallDisk &on) { on.fillLeaving(16 * 1024, true); },
         WriteOutcome::DiskFull},
        {"read-only disk", [](const SmallDisk &on) { on.makeReadOnly(); },
         WriteOutcome::NotWritable},
    };
    const QByteArray old("old picture");
    const QByteArray picture(64 * 1024, 'n'); // takes several write calls
    for (const auto &c : cases) {
        for (const bool durable : {false, true}) {
            SmallDisk disk(1024 * 1024);
            const QString path = disk.filePath(QStringLiteral("a.jpg"));
            ASSERT_EQ(writeFileAtomically(path, old), WriteOutcome::Written);
            c.arrange(disk);
            EXPECT_EQ(writeFileAtomically(path, picture, durable), c.outcome) << c.situation;
            EXPECT_EQ(contentsOf(path), c.outcome == WriteOutcome::Written ? picture : old)
                << c.situation;
            EXPECT_EQ(disk.names(), QStringList{QStringLiteral("a.jpg")}) << c.situation;
        }
    }
}

TEST(AtomicWrite, AMissingFolderIsAFailure)
{
    SmallDisk disk(1024);
    EXPECT_TRUE(syncFolder(disk.path()));
    EXPECT_FALSE(syncFolder(disk.filePath(QStringLiteral("missing"))));
    EXPECT_EQ(writeFileAtomically(disk.filePath(QStringLiteral("missing/a.jpg")), "x"),
              WriteOutcome::Failed);
}
} // namespace

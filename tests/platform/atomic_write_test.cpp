#include "platform/atomic_write.h"
#include "support/small_disk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(WriteOutcome outcome, std::ostream *out)
{
    *out << "WriteOutcome(" << int(outcome) << ")";
}

namespace {

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST(AtomicWrite, ReplacesTheWholeFileAndLeavesNoTemporaryBehind)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.jpg"));
    put(path, QByteArray(5000, 'o'));
    EXPECT_EQ(writeFileAtomically(path, "new"), WriteOutcome::Written);
    EXPECT_EQ(writeFileAtomically(folder.filePath(QStringLiteral("b.txt")), "durable", true),
              WriteOutcome::Written);
    EXPECT_EQ(contentsOf(path), "new");
    EXPECT_EQ(contentsOf(folder.filePath(QStringLiteral("b.txt"))), "durable");
    EXPECT_EQ(namesIn(folder.path()),
              (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.txt")}));
    EXPECT_TRUE(syncFolder(folder.path()));
    EXPECT_FALSE(syncFolder(folder.filePath(QStringLiteral("missing"))));
    EXPECT_EQ(writeFileAtomically(folder.filePath(QStringLiteral("missing/c.jpg")), "x"),
              WriteOutcome::Failed);
}

TEST(AtomicWrite, AFullDiskKeepsTheOldFileAndLeavesNothingNew)
{
    SmallDisk disk(256 * 1024);
    SKIP_UNLESS_MOUNTED(disk);
    const QString path = disk.filePath(QStringLiteral("a.jpg"));
    put(path, "old picture");
    disk.fillLeaving(16 * 1024);

    // Larger than what is left; and exactly the kind of small file that once came out empty.
    for (const qsizetype size : {qsizetype(64 * 1024), qsizetype(20 * 1024)}) {
        EXPECT_EQ(writeFileAtomically(path, QByteArray(size, 'n')), WriteOutcome::DiskFull) << size;
        EXPECT_EQ(writeFileAtomically(disk.filePath(QStringLiteral("b.jpg")), QByteArray(size, 'n'),
                                      true),
                  WriteOutcome::DiskFull);
    }
    EXPECT_EQ(contentsOf(path), "old picture");
    EXPECT_EQ(namesIn(disk.path()),
              (QStringList{QStringLiteral("a.jpg"), QStringLiteral("filler")}));
    EXPECT_EQ(writeFileAtomically(path, "fits"), WriteOutcome::Written)
        << "space is still used well";
}

TEST(AtomicWrite, AReadOnlyFolderIsReportedAsNotWritable)
{
    SmallDisk disk(64 * 1024);
    SKIP_UNLESS_MOUNTED(disk);
    const QString path = disk.filePath(QStringLiteral("a.jpg"));
    put(path, "old picture");
    ASSERT_TRUE(disk.makeReadOnly());
    EXPECT_EQ(writeFileAtomically(path, "new"), WriteOutcome::NotWritable);
    EXPECT_EQ(contentsOf(path), "old picture");
    EXPECT_EQ(namesIn(disk.path()), QStringList{QStringLiteral("a.jpg")});
}

} // namespace

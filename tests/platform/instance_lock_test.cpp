#include "platform/instance_lock.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstLetsGo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zovarode.lock"));
    LockFileInstanceLock first(path);
    LockFileInstanceLock second(path);

    EXPECT_TRUE(first.tryLock());
    EXPECT_TRUE(first.tryLock()) << "asking again keeps the lock";
    EXPECT_FALSE(second.tryLock());
    first.unlock();
    EXPECT_TRUE(second.tryLock());
}

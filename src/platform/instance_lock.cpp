#include "platform/instance_lock.h"

#include <QDir>
#include <QStandardPaths>

namespace {
QString defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + u"/zovarode.lock";
}
} // namespace

LockFileInstanceLock::LockFileInstanceLock() : LockFileInstanceLock(defaultLockPath())
{
}

LockFileInstanceLock::LockFileInstanceLock(const QString &lockFilePath) : lock_(lockFilePath)
{
    // Never expire a lock by age: the holder may run for weeks. A dead holder's lock is
    // still recognised as stale through its process id.
    lock_.setStaleLockTime(0);
}

bool LockFileInstanceLock::tryLock()
{
    return lock_.isLocked() || lock_.tryLock(0);
}

void LockFileInstanceLock::unlock()
{
    lock_.unlock();
}

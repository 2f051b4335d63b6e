#pragma once

#include <QLockFile>
#include <QString>

// Tells whether this process is the only running instance of the program.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when this process now holds the lock; false when another instance holds it.
    virtual bool tryLock() = 0;
    virtual void unlock() = 0;
};

// A lock file in the user's runtime folder. A lock left behind by a crashed process is
// recognised as stale and taken over.
class LockFileInstanceLock final : public InstanceLock {
public:
    LockFileInstanceLock();
    explicit LockFileInstanceLock(const QString &lockFilePath);
    bool tryLock() override;
    void unlock() override;

private:
    QLockFile lock_;
};

#pragma once

// A small file system of its own for tests of full and read-only disks: a tmpfs mounted on a
// temporary folder for as long as the object lives. Mounting needs the right to mount (root,
// as in CI); where it is missing, mounted() is false and skipReason() says why.

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class SmallDisk {
public:
    explicit SmallDisk(qint64 bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return mounted_; }
    QString skipReason() const { return skipReason_; }
    QString path() const { return folder_.path(); }
    QString filePath(const QString &name) const { return folder_.filePath(name); }
    // Fills the disk with one file until fewer than bytes are left.
    void fillLeaving(qint64 bytes) const;
    // Mounts the disk again, read-only, with what it holds.
    bool makeReadOnly() const;

private:
    QTemporaryDir folder_;
    bool mounted_ = false;
    QString skipReason_;
};

// Skips the calling test when the disk could not be mounted.
#define SKIP_UNLESS_MOUNTED(disk)                                                                  \
    do {                                                                                           \
        if (!(disk).mounted())                                                                     \
            GTEST_SKIP() << (disk).skipReason().toStdString();                                     \
    } while (false)

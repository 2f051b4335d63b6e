#include "support/small_disk.h"

#include <QFile>

#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>

SmallDisk::SmallDisk(qint64 bytes)
{
    const QByteArray target = QFile::encodeName(folder_.path());
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", target.constData(), "tmpfs", 0, options.constData()) == 0) {
        mounted_ = true;
        return;
    }
    skipReason_ = QStringLiteral("cannot mount a tmpfs here (%1); run as root to test full disks")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
}

SmallDisk::~SmallDisk()
{
    if (mounted_)
        ::umount2(QFile::encodeName(folder_.path()).constData(), MNT_DETACH);
}

void SmallDisk::fillLeaving(qint64 bytes) const
{
    QFile filler(filePath(QStringLiteral("filler")));
    if (!filler.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(4096, 'f');
    struct statvfs info {};
    while (::statvfs(QFile::encodeName(path()).constData(), &info) == 0 &&
           qint64(info.f_bavail) * qint64(info.f_frsize) >= bytes + block.size()) {
        if (filler.write(block) != block.size() || !filler.flush())
            break;
    }
}

bool SmallDisk::makeReadOnly() const
{
    return ::mount("tmpfs", QFile::encodeName(folder_.path()).constData(), "tmpfs",
                   MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

#include "platform/atomic_write.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

WriteOutcome outcomeOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return WriteOutcome::NotWritable;
    case ENOSPC:
    case EDQUOT:
        return WriteOutcome::DiskFull;
    default:
        return WriteOutcome::Failed;
    }
}

// Beside the target, hidden, and with an ending no picture pattern matches.
QByteArray temporaryNameFor(const QString &path)
{
    const QFileInfo target(path);
    const QString suffix = QString::number(QRandomGenerator::global()->generate64(), 36);
    return QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                             QStringLiteral(".part-") + suffix);
}

bool writeAll(int descriptor, const QByteArray &bytes)
{
    const char *at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, at, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        at += written;
        left -= written;
    }
    return true;
}

} // namespace

WriteOutcome writeFileAtomically(const QString &path, const QByteArray &bytes, bool durable)
{
    QByteArray temporary;
    int descriptor = -1;
    for (int attempt = 0; attempt < 16 && descriptor < 0; ++attempt) {
        temporary = temporaryNameFor(path);
        descriptor = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno != EEXIST)
            return outcomeOf(errno);
    }
    if (descriptor < 0)
        return WriteOutcome::Failed;

    bool ok = writeAll(descriptor, bytes) && (!durable || ::fdatasync(descriptor) == 0);
    int error = ok ? 0 : errno;
    // Some file systems report a failed write only when the file is closed.
    if (::close(descriptor) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return outcomeOf(error);
    }
    if (durable)
        syncFolder(QFileInfo(path).absolutePath());
    return WriteOutcome::Written;
}

bool syncFolder(const QString &folder)
{
    const int descriptor =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return synced;
}

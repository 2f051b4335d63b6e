#include "support/small_disk.h"

#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

// Set up and torn down by the test's thread while no other thread writes files.
PlayedDisk playedDisk;

namespace {
// What a file open for writing on the disk has been given so far; -1 for any other file.
qint64 heldBy(int file)
{
    if (playedDisk.folder.isEmpty() || (::fcntl(file, F_GETFL) & O_ACCMODE) == O_RDONLY)
        return -1;
    char target[4096];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(file);
    const ssize_t length = ::readlink(link.constData(), target, sizeof target);
    const bool onDisk = length > 0 && QByteArrayView(target, length).startsWith(playedDisk.folder);
    return onDisk ? ::lseek(file, 0, SEEK_CUR) : -1;
}
} // namespace

extern "C" ssize_t write(int file, const void *bytes, size_t size)
{
    static const auto real = reinterpret_cast<decltype(&::write)>(::dlsym(RTLD_NEXT, "write"));
    const qint64 held = heldBy(file);
    const qint64 room = playedDisk.failAtClose ? qint64(size) : playedDisk.room - held;
    if (held < 0)
        return real(file, bytes, size);
    if (playedDisk.readOnly || (room <= 0 && size > 0)) {
        errno = playedDisk.readOnly ? EROFS : ENOSPC;
        return -1;
    }
    return real(file, bytes, size_t(std::min<qint64>({qint64(size), room, 16384})));
}

extern "C" int close(int file)
{
    static const auto real = reinterpret_cast<decltype(&::close)>(::dlsym(RTLD_NEXT, "close"));
    const bool overfull = heldBy(file) > playedDisk.room;
    const int closed = real(file);
    if (closed == 0 && overfull)
        errno = ENOSPC;
    return overfull ? -1 : closed;
}

#pragma once

// A small disk for tests of full and read-only folders, played in this process: write and close
// are taken in place of the C library's (small_disk.cpp), and for the files open for writing in
// the disk's temporary folder a write call takes at most 16 KiB (short writes are allowed) and
// never more than the room a file has; a full disk fails the write with ENOSPC, or, told so,
// lets it through and fails close instead, as some network file systems do; a read-only disk
// fails every write with EROFS. Unlike a tmpfs it needs no right to mount and behaves the same
// on every machine; code that writes through those two calls cannot tell the difference.

#include <QDir>
#include <QTemporaryDir>

struct PlayedDisk {
    QByteArray folder; // with a slash at the end; empty while no disk plays
    qint64 room = 0;   // what each file opened for writing may take
    bool failAtClose = false;
    bool readOnly = false;
};
extern PlayedDisk playedDisk;

// One disk at a time.
class SmallDisk {
public:
    explicit SmallDisk(qint64 room) { playedDisk = {QFile::encodeName(path()) + '/', room}; }
    ~SmallDisk() { playedDisk = {}; }

    QString path() const { return folder_.path(); }
    QString filePath(const QString &name) const { return folder_.filePath(name); }
    void fillLeaving(qint64 room, bool failAtClose = false) const
    {
        playedDisk.room = room;
        playedDisk.failAtClose = failAtClose;
    }
    void makeReadOnly() const { playedDisk.readOnly = true; }
    // Every name in the folder, hidden ones too.
    QStringList names() const
    {
        return QDir(path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QByteArray contents(const QString &name) const
    {
        QFile file(filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private:
    QTemporaryDir folder_;
};

#include "platform/instance_lock.h"
#include "platform/settings_backend.h"
#include "platform/trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}
} // namespace

TEST(IniSettingsBackend, HandEditedListsReadAsTextTooLargeOrOddFilesAreSetAsideAndKept)
{
    QTemporaryDir dir;
    const QString edited = dir.filePath(u"edited.ini"_s);
    const QString image = u"Software\\Zovarode\\Image"_s;
    const QByteArray head = "[Software]\nZovarode\\Image\\FileToNum=80\n";
    writeFile(edited, head + "Zovarode\\Image\\Kinds=cats, dogs\n");
    EXPECT_EQ(IniSettingsBackend(edited).read(image, u"Kinds"_s), u"cats, dogs"_s);

    const qint64 endless = -1; // a link to an endless device
    for (const qint64 size :
         {IniSettingsBackend::MaxFileBytes, IniSettingsBackend::MaxFileBytes + 1, endless}) {
        const bool setAside = size != IniSettingsBackend::MaxFileBytes;
        const QString file = dir.filePath(u"%1.ini"_s.arg(size));
        writeFile(file + u".bad"_s, "set aside on an earlier start");
        if (size == endless)
            ASSERT_TRUE(QFile::link(u"/dev/zero"_s, file));
        else
            writeFile(file, head + QByteArray(size - head.size(), '\n'));
        IniSettingsBackend backend(file);
        EXPECT_EQ(backend.read(image, u"FileToNum"_s).has_value(), !setAside) << size;
        const QFileInfo aside(backend.setAsideFile());
        EXPECT_EQ(setAside, aside.fileName().endsWith(u".bad") &&
                                (aside.isSymLink() || aside.size() == size));
        EXPECT_EQ(QDir(dir.path()).entryList({QFileInfo(file).fileName() + u"*.bad"_s}).size(),
                  setAside ? 2 : 1)
            << "the earlier one is kept";
    }
}

TEST(DesktopTrash, FileGoesToTheTrashOrStaysWhereItWas)
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    const QString oldWorking = QDir::currentPath();
    const QString path = home.filePath(u"a.jpg"_s);
    const QString blocked = home.filePath(u"blocked"_s);
    writeFile(blocked, {});
    qputenv("HOME", QFile::encodeName(home.path()));
    // With a data folder that is a plain file no trash can be made; the library's fallback
    // would move the file under the working folder, so the test runs from a folder of its own.
    ASSERT_TRUE(QDir::setCurrent(home.path()));
    for (const QString &data : {home.filePath(u"data"_s), blocked}) {
        const bool trashed = data != blocked;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        writeFile(path, "picture");
        EXPECT_EQ(DesktopTrash().RecycleFile(path), trashed);
        EXPECT_EQ(QFileInfo::exists(path), !trashed);
        EXPECT_EQ(QFileInfo::exists(data + u"/Trash/files/a.jpg"_s), trashed);
    }
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 3)
        << "a.jpg, blocked and data: nothing left behind";
    QDir::setCurrent(oldWorking);
    qputenv("HOME", oldHome);
    oldData.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", oldData);
}

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstLetsGo)
{
    QTemporaryDir dir;
    LockFileInstanceLock first(dir.filePath(u"zovarode.lock"_s));
    LockFileInstanceLock second(dir.filePath(u"zovarode.lock"_s));
    EXPECT_TRUE(first.tryLock());
    EXPECT_TRUE(first.tryLock()) << "asking again keeps the lock";
    EXPECT_FALSE(second.tryLock());
    first.unlock();
    EXPECT_TRUE(second.tryLock());
}

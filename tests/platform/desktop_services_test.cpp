#include "platform/event_pump.h"
#include "platform/instance_lock.h"
#include "platform/settings_backend.h"
#include "platform/trash.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QString Image = u"Software\\Zovarode\\Image"_s;
const QString Res = u"Software\\Zovarode\\ResSetting"_s;

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}
} // namespace

TEST(IniSettingsBackend, ValuesRoundTripWholeAndADeletedKeyTakesOnlyItsValues)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"settings.ini"_s);
    const QStringList texts{QString(5000, u'x'), u"a, b; c=d \"e\" \\f @g ümlaut"_s, QString()};
    {
        IniSettingsBackend backend(path);
        EXPECT_FALSE(backend.keyExists(Image));
        backend.write(Image, u"GIF_Download"_s, u"True"_s);
        for (int i = 0; i < 3; ++i)
            backend.write(Res, u"Project%1"_s.arg(i), texts[i]);
        backend.flush();
    }
    IniSettingsBackend backend(path);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(backend.read(Res, u"Project%1"_s.arg(i)), texts[i]);
    EXPECT_EQ(backend.read(Res, u"Missing"_s), std::nullopt);
    backend.deleteKey(Res);
    EXPECT_FALSE(backend.keyExists(Res));
    EXPECT_EQ(backend.read(Res, u"Project1"_s), std::nullopt);
    EXPECT_EQ(backend.read(Image, u"GIF_Download"_s), u"True"_s);

    // A value edited by hand with an unquoted comma keeps its text.
    const QString edited = dir.filePath(u"edited.ini"_s);
    writeFile(edited, "[Software]\nZovarode\\ResSetting\\Project1=cats, dogs\n");
    EXPECT_EQ(IniSettingsBackend(edited).read(Res, u"Project1"_s), u"cats, dogs"_s);
}

TEST(IniSettingsBackend, FileOverTheLimitOrNotPlainIsSetAsideUnreadAndKept)
{
    const QByteArray head("[Software]\nZovarode\\Image\\FileToNum=80\n");
    const qint64 endless = -1; // a link to an endless device
    for (const qint64 size :
         {IniSettingsBackend::MaxFileBytes, IniSettingsBackend::MaxFileBytes + 1, endless}) {
        const bool setAside = size != IniSettingsBackend::MaxFileBytes;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"settings.ini"_s);
        if (size == endless)
            ASSERT_TRUE(QFile::link(u"/dev/zero"_s, path));
        else
            writeFile(path, head + QByteArray(size - head.size(), '\n'));
        writeFile(path + u".bad"_s, "set aside on an earlier start");

        IniSettingsBackend backend(path);
        EXPECT_EQ(backend.read(Image, u"FileToNum"_s).has_value(), !setAside) << size;
        EXPECT_EQ(QFileInfo::exists(path), !setAside);
        const QFileInfo aside(backend.setAsideFile());
        EXPECT_EQ(setAside, aside.fileName().endsWith(u".bad") &&
                                (aside.isSymLink() || aside.size() == size));
        EXPECT_EQ(QFileInfo(path + u".bad"_s).size(), 29) << "the earlier one is kept";
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
        EXPECT_FALSE(DesktopTrash().RecycleFile(home.filePath(u"missing.jpg"_s)));
    }
    EXPECT_FALSE(QFileInfo::exists(home.filePath(u"files"_s)) ||
                 QFileInfo::exists(home.filePath(u"info"_s)));
    QDir::setCurrent(oldWorking);
    qputenv("HOME", oldHome);
    oldData.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", oldData);
}

TEST(QtEventPump, BusyYieldsStillRunEventsAndAWaitReturnsOnceOneArrived)
{
    QtEventPump pump;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(0);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30)
        pump.yieldEvents();
    EXPECT_GE(ticks, 2);
    timer.stop();

    bool fired = false;
    QTimer::singleShot(5, [&fired] { fired = true; });
    while (!fired)
        pump.waitForEvents(); // returns only after an event, so the loop ends
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

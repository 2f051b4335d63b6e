#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The real program, started as a user would start it, from a program folder of its own.
TEST(ProgramProcess, SecondStartEndsAtOnceTheFirstRunsOnAndAStaleLockIsTakenOver)
{
    QTemporaryDir root;
    for (const QString &sub : {u"program"_s, u"config"_s, u"runtime"_s})
        ASSERT_TRUE(QDir(root.path()).mkpath(sub));
    QFile::setPermissions(root.filePath(u"runtime"_s),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(QFile::copy(u"" ZOVARODE_EXE ""_s, root.filePath(u"program/zovarode"_s)));
    ASSERT_TRUE(QFile::copy(u"" ZOVARODE_LANG_DIR "/english.lan"_s,
                            root.filePath(u"program/english.lan"_s)));
    const auto launch = [&root](QProcess &process) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_CONFIG_HOME"_s, root.filePath(u"config"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, root.filePath(u"runtime"_s));
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        process.setProcessEnvironment(env);
        process.start(root.filePath(u"program/zovarode"_s), {});
        return process.waitForStarted();
    };

    QProcess first, second, third;
    ASSERT_TRUE(launch(first));
    // The settings file is written once start-up has passed the lock.
    const QString ini = root.filePath(u"config/Zovarode/Zovarode.ini"_s);
    for (int i = 0; i < 200 && !QFile::exists(ini); ++i)
        QThread::msleep(25);
    ASSERT_TRUE(QFile::exists(ini));
    ASSERT_TRUE(launch(second));
    ASSERT_TRUE(second.waitForFinished(10000)) << "the second instance must not stay";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill(); // leaves its lock behind, as a crash would
    first.waitForFinished();
    ASSERT_TRUE(launch(third));
    EXPECT_FALSE(third.waitForFinished(500)) << "a stale lock must not stop the next start";
    third.kill();
    third.waitForFinished();
}

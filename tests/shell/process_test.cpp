#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>

// The real program, started as a user would start it, from a program folder of its own.
namespace {
class ProgramProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("program")));
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("config")));
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("runtime")));
        QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZOVARODE_EXE), program()));
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZOVARODE_LANG_DIR "/english.lan"),
                                root.filePath(QStringLiteral("program/english.lan"))));
    }

    QString program() const { return root.filePath(QStringLiteral("program/zovarode")); }
    QString iniPath() const
    {
        return root.filePath(QStringLiteral("config/Zovarode/Zovarode.ini"));
    }

    void prepare(QProcess &process) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QStringLiteral("runtime")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.setProgram(program());
    }

    // Waits, without a fixed sleep, until the first instance has written its settings.
    bool waitForFile(const QString &path) const
    {
        for (int i = 0; i < 200 && !QFile::exists(path); ++i)
            QThread::msleep(25);
        return QFile::exists(path);
    }

    QTemporaryDir root;
};
} // namespace

TEST_F(ProgramProcessTest, SecondStartEndsAtOnceAndTheFirstRunsOn)
{
    QProcess first;
    prepare(first);
    first.start();
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitForFile(iniPath()));
    EXPECT_TRUE(QDir(root.filePath(QStringLiteral("program/pictures"))).exists());

    QProcess second;
    prepare(second);
    second.start();
    ASSERT_TRUE(second.waitForFinished(10000)) << "the second instance must not stay";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    QFile ini(iniPath());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray settings = ini.readAll();
    EXPECT_TRUE(settings.contains("FileToNum=50"));
    EXPECT_TRUE(settings.contains("Download_File_Name=Catch"));

    // Ended before its first once-a-second tick, so it never asks for the new-version page.
    first.kill();
    first.waitForFinished();

    // A crashed instance leaves a stale lock behind; the next start takes it over.
    QProcess third;
    prepare(third);
    third.start();
    ASSERT_TRUE(third.waitForStarted());
    EXPECT_FALSE(third.waitForFinished(500)) << "a stale lock must not stop the next start";
    third.kill();
    third.waitForFinished();
}

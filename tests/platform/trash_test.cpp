#include "platform/trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
// Points the desktop's home and data folders into a temporary folder for one test.
class TrashTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        oldHome = qgetenv("HOME");
        oldData = qgetenv("XDG_DATA_HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
    }
    void TearDown() override
    {
        qputenv("HOME", oldHome);
        if (oldData.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", oldData);
    }
    QString picture()
    {
        const QString path = home.filePath(QStringLiteral("a.jpg"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("picture");
        return path;
    }

    QTemporaryDir home;
    QByteArray oldHome;
    QByteArray oldData;
};
} // namespace

TEST_F(TrashTest, FileGoesToTheTrashOrStaysWhereItWas)
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    const QString path = picture();
    EXPECT_TRUE(DesktopTrash().RecycleFile(path));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(QFileInfo::exists(home.filePath(QStringLiteral("data/Trash/files/a.jpg"))));
    EXPECT_FALSE(DesktopTrash().RecycleFile(path)) << "a missing file";

    // With a data folder that is a plain file no trash can be made; the library's fallback
    // would move the file under the working folder, so the test runs from a folder of its own.
    const QString blocked = home.filePath(QStringLiteral("blocked"));
    QFile(blocked).open(QIODevice::WriteOnly);
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocked));
    const QString oldWorking = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(home.path()));
    picture();
    EXPECT_FALSE(DesktopTrash().RecycleFile(path));
    QDir::setCurrent(oldWorking);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("files"))));
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("info"))));
}

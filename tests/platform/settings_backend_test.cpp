#include "platform/settings_backend.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
const QString Image = QStringLiteral("Software\\Zovarode\\Image");
const QString Res = QStringLiteral("Software\\Zovarode\\ResSetting");
} // namespace

TEST(IniSettingsBackend, ValuesRoundTripThroughTheFileWholeAndUnchanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    const QString longText(5000, u'x');
    const QString awkward = QStringLiteral("a, b; c=d \"e\" \\f @g ümlaut");
    {
        IniSettingsBackend backend(path);
        EXPECT_FALSE(backend.keyExists(Image));
        backend.write(Image, QStringLiteral("GIF_Download"), QStringLiteral("True"));
        backend.write(Res, QStringLiteral("Project1"), longText);
        backend.write(Res, QStringLiteral("Project2"), awkward);
        backend.write(Res, QStringLiteral("Empty"), QString());
        backend.flush();
    }
    IniSettingsBackend backend(path);
    EXPECT_TRUE(backend.keyExists(Image));
    EXPECT_EQ(backend.read(Image, QStringLiteral("GIF_Download")), QStringLiteral("True"));
    EXPECT_EQ(backend.read(Res, QStringLiteral("Project1")), longText);
    EXPECT_EQ(backend.read(Res, QStringLiteral("Project2")), awkward);
    EXPECT_EQ(backend.read(Res, QStringLiteral("Empty")), QString());
    EXPECT_EQ(backend.read(Res, QStringLiteral("Missing")), std::nullopt);
}

TEST(IniSettingsBackend, DeletingAKeyRemovesOnlyItsValues)
{
    QTemporaryDir dir;
    IniSettingsBackend backend(dir.filePath(QStringLiteral("settings.ini")));
    backend.write(Image, QStringLiteral("FileToNum"), QStringLiteral("50"));
    backend.write(Res, QStringLiteral("ProjectNum"), QStringLiteral("0"));
    backend.deleteKey(Res);
    backend.deleteKey(QStringLiteral("Software\\Zovarode\\Nothing"));
    EXPECT_FALSE(backend.keyExists(Res));
    EXPECT_EQ(backend.read(Res, QStringLiteral("ProjectNum")), std::nullopt);
    EXPECT_EQ(backend.read(Image, QStringLiteral("FileToNum")), QStringLiteral("50"));
}

TEST(IniSettingsBackend, HandEditedListValueReadsAsItsText)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Software]\nZovarode\\ResSetting\\Project1=cats, dogs\n");
    file.close();
    IniSettingsBackend backend(path);
    EXPECT_EQ(backend.read(Res, QStringLiteral("Project1")), QStringLiteral("cats, dogs"));
}

TEST(IniSettingsBackend, FileOverTheLimitOrNotPlainIsSetAsideUnreadAndKept)
{
    const QByteArray head("[Software]\nZovarode\\Image\\FileToNum=80\n");
    const struct {
        qint64 size; // -1: a link to an endless device
        bool setAside;
    } cases[] = {
        {IniSettingsBackend::MaxFileBytes, false},
        {IniSettingsBackend::MaxFileBytes + 1, true},
        {-1, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.size);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.ini"));
        const QString earlier = path + QStringLiteral(".bad");
        if (c.size < 0) {
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path));
        } else {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(head + QByteArray(c.size - head.size(), '\n'));
        }
        // A file set aside on an earlier start is never replaced.
        QFile old(earlier);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("earlier");
        old.close();

        IniSettingsBackend backend(path);
        EXPECT_EQ(backend.read(Image, QStringLiteral("FileToNum")).has_value(), !c.setAside);
        EXPECT_EQ(QFileInfo::exists(path), !c.setAside);
        const QString setAside = backend.setAsideFile();
        EXPECT_EQ(setAside.isEmpty(), !c.setAside);
        if (c.setAside) {
            EXPECT_TRUE(setAside.endsWith(u".bad"));
            EXPECT_NE(setAside, earlier);
            EXPECT_TRUE(QFileInfo(setAside).isSymLink() || QFileInfo(setAside).size() == c.size);
        }
        QFile kept(earlier);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), "earlier");
    }
}

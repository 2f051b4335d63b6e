#include "platform/settings_backend.h"

#include <QFile>
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

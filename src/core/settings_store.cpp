#include "core/settings_store.h"

#include "core/text_forms.h"
#include "platform/settings_backend.h"

#include <QDir>

#include <variant>

namespace {
using Field = std::variant<bool Settings::*, qint16 Settings::*, qint32 Settings::*>;

struct ImageValue {
    const char16_t *name;
    Field field;
};

// The values of the image key, in the order in which they are written and read.
constexpr ImageValue imageValues[] = {
    {u"GIF_Download", &Settings::GIF_Download},
    {u"JPG_Download", &Settings::JPG_Download},
    {u"JPEG_Download", &Settings::JPEG_Download},
    {u"BMP_Download", &Settings::BMP_Download},
    {u"PNG_Download", &Settings::PNG_Download},
    {u"Limited_Images_Resolution", &Settings::Limited_Images_Resolution},
    {u"Limited_Images_Size", &Settings::Limited_Images_Size},
    {u"StayOnSameSite", &Settings::StayOnSameSite},
    {u"Images_Width", &Settings::Images_Width},
    {u"Images_Height", &Settings::Images_Height},
    {u"Images_File_Size", &Settings::Images_File_Size},
    {u"FileFromNum", &Settings::FileFromNum},
    {u"FileToNum", &Settings::FileToNum},
    {u"FileOverwrite", &Settings::FileOverwrite},
    {u"Images_Display_Mode", &Settings::Images_Display_Mode},
};

const QString DisplayModeName = QStringLiteral("Images_Display_Mode");
const QString FileNameName = QStringLiteral("Download_File_Name");
const QString FolderName = QStringLiteral("Download_File_Folder");
const QString ProjectNumName = QStringLiteral("ProjectNum");
const QString NeverUpgradeName = QStringLiteral("NeverUpgrade");
const QString ConnectionsName = QStringLiteral("Connections_Per_Host");

QString projectValueName(qsizetype index)
{
    return QStringLiteral("Project") + QString::number(index + 1);
}

QString textOf(const Settings &settings, const Field &field)
{
    return std::visit(
        [&settings](auto member) -> QString {
            using Value = std::remove_cvref_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<Value, bool>)
                return textFromBool(settings.*member);
            else
                return textFromInt(settings.*member);
        },
        field);
}

// Converts a stored text into the field; an unconvertible text leaves the field as it is.
void assign(Settings &settings, const Field &field, const QString &text)
{
    std::visit(
        [&settings, &text](auto member) {
            using Value = std::remove_cvref_t<decltype(settings.*member)>;
            std::optional<Value> value;
            if constexpr (std::is_same_v<Value, bool>)
                value = boolFromText(text);
            else if constexpr (std::is_same_v<Value, qint16>)
                value = int16FromText(text);
            else
                value = int32FromText(text);
            if (value)
                settings.*member = *value;
        },
        field);
}
} // namespace

SettingsStore::SettingsStore(SettingsBackend &backend, const QString &programFolder)
    : backend_(backend), defaultPictureFolder_(programFolder + u"/pictures")
{
}

void SettingsStore::WriteRegistryValue(const QString &keyPath, const QString &name,
                                       const QString &text)
{
    backend_.write(keyPath, name, text);
}

QString SettingsStore::ReadRegistryValue(const QString &keyPath, const QString &name) const
{
    return backend_.read(keyPath, name).value_or(QString());
}

void SettingsStore::DeleteRegistryKey(const QString &keyPath)
{
    backend_.deleteKey(keyPath);
}

bool SettingsStore::IsFirstRun() const
{
    return !backend_.keyExists(ImageKey);
}

Settings SettingsStore::WriteDefaultSettings()
{
    Settings settings;
    settings.Download_File_Folder = defaultPictureFolder();
    QDir().mkpath(settings.Download_File_Folder);

    writeImageValues(settings, true);
    writeFileValues(settings);
    WriteRegistryValue(ResSettingKey, ProjectNumName, textFromInt(0));
    WriteRegistryValue(ResSettingKey, NeverUpgradeName, textFromInt(settings.NeverUpgrade));
    backend_.flush();
    return settings;
}

Settings SettingsStore::LoadSettings(ProjectList &projects) const
{
    Settings settings;
    for (const ImageValue &value : imageValues) {
        if (const auto text = backend_.read(ImageKey, QString::fromUtf16(value.name)))
            assign(settings, value.field, *text);
    }

    if (const auto name = backend_.read(ResSettingKey, FileNameName))
        settings.Download_File_Name = *name;
    settings.Download_File_Folder = ReadRegistryValue(ResSettingKey, FolderName);
    if (settings.Download_File_Folder.isEmpty())
        settings.Download_File_Folder = defaultPictureFolder();

    settings.NeverUpgrade =
        int16FromNumericPrefix(ReadRegistryValue(ResSettingKey, NeverUpgradeName));
    const std::optional<qint16> connections =
        int16FromText(ReadRegistryValue(ResSettingKey, ConnectionsName));
    if (connections && *connections >= 1 && *connections <= MostConnectionsPerHost)
        settings.Connections_Per_Host = *connections;

    projects.clear();
    const qint16 projectCount =
        int16FromText(ReadRegistryValue(ResSettingKey, ProjectNumName)).value_or(0);
    for (qsizetype i = 0; i < projectCount; ++i) {
        // An entry that went missing is left out rather than shown as an empty search.
        if (const auto project = backend_.read(ResSettingKey, projectValueName(i)))
            projects.append(*project);
    }
    return settings;
}

void SettingsStore::SaveProjectList(const Settings &settings, const ProjectList &projects)
{
    DeleteRegistryKey(ResSettingKey);
    writeFileValues(settings);
    for (qsizetype i = 0; i < projects.size(); ++i)
        WriteRegistryValue(ResSettingKey, projectValueName(i), projects[i]);
    WriteRegistryValue(ResSettingKey, ProjectNumName, textFromInt(projects.size()));
    // Rewriting the key must not forget the user's choice to skip the new-version check.
    WriteRegistryValue(ResSettingKey, NeverUpgradeName, textFromInt(settings.NeverUpgrade));
    backend_.flush();
}

void SettingsStore::SaveResourceSetting(const Settings &settings)
{
    writeImageValues(settings, false);
    writeFileValues(settings);
    backend_.flush();
}

void SettingsStore::SaveDisplayMode(qint16 mode)
{
    WriteRegistryValue(ImageKey, DisplayModeName, textFromInt(mode));
    backend_.flush();
}

void SettingsStore::writeImageValues(const Settings &settings, bool withDisplayMode)
{
    for (const ImageValue &value : imageValues) {
        const QString name = QString::fromUtf16(value.name);
        if (!withDisplayMode && name == DisplayModeName)
            continue;
        WriteRegistryValue(ImageKey, name, textOf(settings, value.field));
    }
}

void SettingsStore::writeFileValues(const Settings &settings)
{
    WriteRegistryValue(ResSettingKey, FileNameName, settings.Download_File_Name);
    WriteRegistryValue(ResSettingKey, FolderName, settings.Download_File_Folder);
    // Written with the file values, so the history writer's rewrite of the key keeps it.
    WriteRegistryValue(ResSettingKey, ConnectionsName, textFromInt(settings.Connections_Per_Host));
}

QString SettingsStore::setAsideFile() const
{
    return backend_.setAsideFile();
}

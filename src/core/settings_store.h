#pragma once

#include "core/settings.h"

#include <QString>

class SettingsBackend;

// Reads and writes the settings and the search history through a settings backend. Each
// writer writes its values in a fixed order and puts them on disk before it returns.
class SettingsStore {
public:
    inline static const QString ImageKey = QStringLiteral("Software\\Zovarode\\Image");
    inline static const QString ResSettingKey = QStringLiteral("Software\\Zovarode\\ResSetting");

    // The picture folder of a first run is "pictures" in programFolder unless start-up sets
    // another one.
    SettingsStore(SettingsBackend &backend, const QString &programFolder);

    void WriteRegistryValue(const QString &keyPath, const QString &name, const QString &text);
    // The stored text, or an empty text when the value does not exist.
    QString ReadRegistryValue(const QString &keyPath, const QString &name) const;
    void DeleteRegistryKey(const QString &keyPath);

    // A first run is one where the image settings key does not exist yet.
    bool IsFirstRun() const;

    // First run: creates the picture folder, stores every default and returns them.
    Settings WriteDefaultSettings();
    // Later runs: every stored value; a missing or unconvertible value takes its default.
    Settings LoadSettings(ProjectList &projects) const;

    // Rewrites the history key: file name, folder, Project1..N, ProjectNum, NeverUpgrade.
    void SaveProjectList(const Settings &settings, const ProjectList &projects);
    // The settings of the settings panel, when a grab starts and when the main window closes.
    void SaveResourceSetting(const Settings &settings);
    // The viewer's display mode: 1 fit, 0 full size.
    void SaveDisplayMode(qint16 mode);

    QString defaultPictureFolder() const { return defaultPictureFolder_; }
    void setDefaultPictureFolder(const QString &folder) { defaultPictureFolder_ = folder; }
    // Where an unsafe settings file was moved before it was read, or empty.
    QString setAsideFile() const;

private:
    void writeImageValues(const Settings &settings, bool withDisplayMode);
    void writeFileValues(const Settings &settings);

    SettingsBackend &backend_;
    QString defaultPictureFolder_;
};

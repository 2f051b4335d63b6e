#pragma once

#include <QSettings>
#include <QString>

#include <optional>

// Text values under key paths such as "Software\Zovarode\Image". Each key path is one
// group of an INI file; value names and texts are stored as they are.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    // True when the key holds at least one value.
    virtual bool keyExists(const QString &keyPath) const = 0;
    // The stored text, whole; nothing when the value does not exist.
    virtual std::optional<QString> read(const QString &keyPath, const QString &name) const = 0;
    virtual void write(const QString &keyPath, const QString &name, const QString &text) = 0;
    // Removes the key with all its values; a missing key is left alone.
    virtual void deleteKey(const QString &keyPath) = 0;
    // Puts what was written on disk. QSettings replaces the file atomically.
    virtual void flush() = 0;
    // Where a settings file that could not be read safely was moved before reading began, or
    // empty when nothing was set aside.
    virtual QString setAsideFile() const { return {}; }
};

// A settings file over MaxFileBytes, or one that is not a plain file, is renamed with a
// ".bad" suffix before QSettings reads it (never deleted), and the backend starts empty.
class IniSettingsBackend final : public SettingsBackend {
public:
    static constexpr qint64 MaxFileBytes = qint64{16} * 1024 * 1024;

    // The user's settings file of the program.
    IniSettingsBackend();
    explicit IniSettingsBackend(const QString &filePath);

    bool keyExists(const QString &keyPath) const override;
    std::optional<QString> read(const QString &keyPath, const QString &name) const override;
    void write(const QString &keyPath, const QString &name, const QString &text) override;
    void deleteKey(const QString &keyPath) override;
    void flush() override;
    QString setAsideFile() const override { return setAside_; }

    QString fileName() const { return settings_.fileName(); }

private:
    QString setAside_;
    mutable QSettings settings_;
};

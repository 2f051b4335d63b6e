#include "platform/settings_backend.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <cstdio>

namespace {
QString groupOf(const QString &keyPath)
{
    QString group = keyPath;
    group.replace(u'\\', u'/');
    return group;
}

QString pathOf(const QString &keyPath, const QString &name)
{
    return groupOf(keyPath) + u'/' + name;
}

// The file that QSettings uses for the user's INI settings of organisation and application
// "Zovarode".
QString userSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Zovarode/Zovarode.ini");
}

// Moves a settings file that is too large, or not a plain file, out of the way under a free
// ".bad" name, and returns that name; empty when the file may be read. QSettings reads a
// file whole, so this has to happen before it is opened.
QString setAsideIfUnsafe(const QString &filePath)
{
    const QFileInfo info(filePath);
    if (!info.exists() || (info.isFile() && info.size() <= IniSettingsBackend::MaxFileBytes))
        return {};
    QString target = filePath + QStringLiteral(".bad");
    for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = filePath + u'.' + QString::number(n) + QStringLiteral(".bad");
    // A plain rename of the entry itself: QFile::rename would fall back to copying contents.
    if (std::rename(QFile::encodeName(filePath).constData(), QFile::encodeName(target).constData()))
        return {};
    return target;
}
} // namespace

IniSettingsBackend::IniSettingsBackend() : IniSettingsBackend(userSettingsFile())
{
}

IniSettingsBackend::IniSettingsBackend(const QString &filePath)
    : setAside_(setAsideIfUnsafe(filePath)), settings_(filePath, QSettings::IniFormat)
{
}

bool IniSettingsBackend::keyExists(const QString &keyPath) const
{
    settings_.beginGroup(groupOf(keyPath));
    const bool exists = !settings_.childKeys().isEmpty();
    settings_.endGroup();
    return exists;
}

std::optional<QString> IniSettingsBackend::read(const QString &keyPath, const QString &name) const
{
    const QVariant value = settings_.value(pathOf(keyPath, name));
    if (!value.isValid())
        return std::nullopt;
    // An INI line edited by hand with an unquoted comma reads as a list; keep its text.
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void IniSettingsBackend::write(const QString &keyPath, const QString &name, const QString &text)
{
    settings_.setValue(pathOf(keyPath, name), text);
}

void IniSettingsBackend::deleteKey(const QString &keyPath)
{
    settings_.remove(groupOf(keyPath));
}

void IniSettingsBackend::flush()
{
    settings_.sync();
}

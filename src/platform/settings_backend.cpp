#include "platform/settings_backend.h"

#include <QStringList>

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
} // namespace

IniSettingsBackend::IniSettingsBackend()
    : settings_(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Zovarode"),
                QStringLiteral("Zovarode"))
{
}

IniSettingsBackend::IniSettingsBackend(const QString &filePath)
    : settings_(filePath, QSettings::IniFormat)
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

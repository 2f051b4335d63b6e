#pragma once

#include <QString>
#include <QStringList>

// Names of the plain files of a folder that match a wildcard pattern such as "*.lan",
// matched without regard to case and sorted by name without regard to case.
class FileListing {
public:
    virtual ~FileListing() = default;
    virtual QStringList list(const QString &folder, const QString &pattern) const = 0;
};

class DirFileListing final : public FileListing {
public:
    QStringList list(const QString &folder, const QString &pattern) const override;
};

#pragma once

#include <QString>

// Sends a file to the desktop's trash, from where the user can restore it.
class Trash {
public:
    virtual ~Trash() = default;
    // True when the file went to the trash. On false the file is where it was: a file that
    // cannot be trashed is never removed or moved any other way.
    virtual bool RecycleFile(const QString &path) = 0;
};

class DesktopTrash final : public Trash {
public:
    bool RecycleFile(const QString &path) override;
};

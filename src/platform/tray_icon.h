#pragma once

#include <QIcon>
#include <QSystemTrayIcon>

class QMenu;

// The program's icon in the desktop's notification area. A right-button press on it opens
// its menu; every other click is ignored. It shows no tip.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    // False where the desktop has no notification area.
    virtual bool isAvailable() const = 0;
    virtual void add(const QIcon &icon, QMenu *menu) = 0;
    virtual void remove() = 0;
};

class SystemTrayIcon final : public TrayIcon {
public:
    bool isAvailable() const override;
    void add(const QIcon &icon, QMenu *menu) override;
    void remove() override;

private:
    QSystemTrayIcon icon_;
};

#include "platform/tray_icon.h"

#include <QMenu>

bool SystemTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTrayIcon::add(const QIcon &icon, QMenu *menu)
{
    icon_.setIcon(icon);
    // The context menu opens on the right button only; the activated() signal of the other
    // buttons is left unconnected, so they do nothing.
    icon_.setContextMenu(menu);
    icon_.show();
}

void SystemTrayIcon::remove()
{
    icon_.hide();
}

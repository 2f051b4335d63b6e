#include "platform/url_opener.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopUrlOpener::open(const QString &address)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

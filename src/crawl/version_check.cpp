#include "crawl/version_check.h"

#include "platform/product.h"
#include "shell/text_forms.h"

QString ownVersion()
{
    const QString title = productTitle();
    return title.mid(title.lastIndexOf(u' ') + 1);
}

bool ParseUpgradeHtml(const QString &html)
{
    const QString firstLine = html.section(QStringLiteral("\r\n"), 0, 0);
    return numberFromPrefix(ownVersion()) < numberFromPrefix(firstLine);
}

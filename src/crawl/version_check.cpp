#include "crawl/version_check.h"

#include "core/text_forms.h"
#include "platform/product.h"

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

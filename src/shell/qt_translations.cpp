#include "shell/qt_translations.h"

#include "core/language_table.h"

#include <QCoreApplication>
#include <QLibraryInfo>

QtTranslations::QtTranslations(const QString &languageFileName)
{
    const QString code = languageCodeFor(languageFileName);
    if (code.isEmpty() || code == u"en")
        return;
    if (translator_.load(QStringLiteral("qtbase_") + code,
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installed_ = QCoreApplication::installTranslator(&translator_);
}

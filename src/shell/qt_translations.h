#pragma once

#include <QString>
#include <QTranslator>

// Qt's own texts, such as the labels and buttons of the folder picker, in the language of the
// language file. Installed while the object lives; English needs none.
class QtTranslations {
public:
    explicit QtTranslations(const QString &languageFileName);

    bool installed() const { return installed_; }

private:
    QTranslator translator_;
    bool installed_ = false;
};

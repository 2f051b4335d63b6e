#pragma once

#include <QDialog>

class LanguageText;
class LinkLabel;
class QLabel;
class UrlOpener;

// The help window: a heading, a link to the online help and a notice.
class frmHelp : public QDialog {
    Q_OBJECT

public:
    frmHelp(const LanguageText &texts, UrlOpener &urls, QWidget *parent = nullptr);

    QLabel *Label1;
    LinkLabel *lblHelp;
    QLabel *Label2;

    static const QColor LinkColour; // blue

private:
    void Form_Load(const LanguageText &texts);
    QString address_;
    UrlOpener &urls_;
};

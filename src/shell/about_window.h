#pragma once

#include <QDialog>

class LanguageText;
class LinkLabel;
class QFrame;
class QLabel;
class QPushButton;
class UrlOpener;

// The about window: product title, author line, a note beside the web page link, and OK.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    frmAbout(const LanguageText &texts, UrlOpener &urls, QWidget *parent = nullptr);

    QLabel *picMark;
    QLabel *lblSoftwareVersion;
    QLabel *lblSoftwareAuther;
    QLabel *lblNote;
    LinkLabel *lblWebPage;
    QPushButton *cmdOK;
    QFrame *Line1;
    QFrame *Line2;

    static const QColor RestColour;  // cyan
    static const QColor HoverColour; // blue

private:
    void Form_Load(const LanguageText &texts);
    QString address_;
    UrlOpener &urls_;
};

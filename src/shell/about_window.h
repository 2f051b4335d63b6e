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
    // The grounds under the link: no single colour lets both cyan and blue read well, so the
    // link is drawn on the window's dark ground at rest and on a light one under the pointer.
    static const QColor RestGround;
    static const QColor HoverGround;

private:
    void Form_Load(const LanguageText &texts);
    QString address_;
    UrlOpener &urls_;
};

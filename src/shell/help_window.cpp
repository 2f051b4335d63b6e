#include "shell/help_window.h"

#include "core/language_table.h"
#include "core/text_ids.h"
#include "platform/url_opener.h"
#include "shell/centring.h"
#include "shell/link_label.h"

#include <QLabel>

#include <algorithm>

const QColor frmHelp::LinkColour = QColor(0, 0, 255);

namespace {
constexpr int MinimumWidth = 360;
constexpr int Margin = 24;
} // namespace

frmHelp::frmHelp(const LanguageText &texts, UrlOpener &urls, QWidget *parent)
    : QDialog(parent), Label1(new QLabel(this)), lblHelp(new LinkLabel(this)),
      Label2(new QLabel(this)), urls_(urls)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Form1"));
    for (QLabel *label : {Label1, Label2})
        label->setTextFormat(Qt::PlainText);
    Label1->setText(QStringLiteral("Zovarode Help"));
    lblHelp->setText(QStringLiteral("Open Online Help"));
    Label2->setText(
        QStringLiteral("You must be connected to the Internet to view the online help files.\r\n"));

    QFont heading = Label1->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.5);
    heading.setBold(true);
    Label1->setFont(heading);
    lblHelp->setLook(LinkColour, false);

    // The help link stays blue; once the pointer has been over it, it stays underlined.
    connect(lblHelp, &LinkLabel::pointerEntered, this,
            [this] { lblHelp->setLook(LinkColour, true); });
    connect(lblHelp, &LinkLabel::clicked, this, [this] {
        urls_.open(address_);
        accept();
    });

    Form_Load(texts);
}

void frmHelp::Form_Load(const LanguageText &texts)
{
    setWindowTitle(texts[TextId::HelpWindowCaption]);
    Label1->setText(texts[TextId::HelpHeading]);
    lblHelp->setText(texts[TextId::HelpLink]);
    Label2->setText(texts[TextId::HelpNotice]);
    address_ = texts[TextId::WebAddress];

    for (QLabel *label : {Label1, static_cast<QLabel *>(lblHelp), Label2})
        label->adjustSize();
    const int widest = std::max({Label1->width(), lblHelp->width(), Label2->width()});
    const int width = std::max(MinimumWidth, widest + 2 * Margin);

    int y = 20;
    Label1->move(0, y);
    y += Label1->height() + 16;
    lblHelp->move(0, y);
    y += lblHelp->height() + 16;
    Label2->move(0, y);
    y += Label2->height() + 20;
    setFixedSize(width, y);

    for (QLabel *label : {Label1, static_cast<QLabel *>(lblHelp), Label2})
        centreInParent(*label);
}

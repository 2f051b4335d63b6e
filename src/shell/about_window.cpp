#include "shell/about_window.h"

#include "core/language_table.h"
#include "core/text_ids.h"
#include "platform/product.h"
#include "platform/url_opener.h"
#include "shell/app_icon.h"
#include "shell/centring.h"
#include "shell/link_label.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

const QColor frmAbout::RestColour = QColor(0, 255, 255);
const QColor frmAbout::HoverColour = QColor(0, 0, 255);
const QColor frmAbout::RestGround = QColor(24, 32, 56);
const QColor frmAbout::HoverGround = QColor(255, 255, 255);

namespace {
constexpr int MinimumWidth = 360;
constexpr int Margin = 24;
constexpr int LineInset = 16;
constexpr int LinkPadding = 3;

QFrame *makeLine(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}
} // namespace

frmAbout::frmAbout(const LanguageText &texts, UrlOpener &urls, QWidget *parent)
    : QDialog(parent), picMark(new QLabel(this)), lblSoftwareVersion(new QLabel(this)),
      lblSoftwareAuther(new QLabel(this)), lblNote(new QLabel(this)),
      lblWebPage(new LinkLabel(this)), cmdOK(new QPushButton(this)), Line1(makeLine(this)),
      Line2(makeLine(this)), urls_(urls)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    for (QLabel *label : {lblSoftwareVersion, lblSoftwareAuther, lblNote})
        label->setTextFormat(Qt::PlainText);
    lblSoftwareVersion->setText(QStringLiteral("SoftwareVersion"));
    lblSoftwareAuther->setText(QStringLiteral("AutherName"));
    lblNote->setText(QStringLiteral("Note"));
    lblWebPage->setText(QStringLiteral("WebPage"));
    cmdOK->setText(QStringLiteral("&OK"));

    // A dark ground, so that the cyan link reads well.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, RestGround);
    pal.setColor(QPalette::WindowText, QColor(235, 235, 240));
    setPalette(pal);

    picMark->setPixmap(appIcon().pixmap(64, 64));
    QFont title = lblSoftwareVersion->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    lblSoftwareVersion->setFont(title);
    lblWebPage->setContentsMargins(LinkPadding, 0, LinkPadding, 0);
    lblWebPage->setLook(RestColour, false, RestGround);

    connect(lblWebPage, &LinkLabel::pointerEntered, this,
            [this] { lblWebPage->setLook(HoverColour, true, HoverGround); });
    connect(lblWebPage, &LinkLabel::pointerLeft, this,
            [this] { lblWebPage->setLook(RestColour, false, RestGround); });
    connect(lblWebPage, &LinkLabel::clicked, this, [this] {
        urls_.open(address_);
        lblWebPage->setLook(lblWebPage->colour(), false);
    });
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    Form_Load(texts);
}

void frmAbout::Form_Load(const LanguageText &texts)
{
    setWindowTitle(texts[TextId::AboutCaption] + u' ' + productTitle());
    lblSoftwareVersion->setText(productTitle());
    lblSoftwareAuther->setText(texts[TextId::AuthorLine]);
    lblNote->setText(texts[TextId::AboutNote]);
    lblWebPage->setText(texts[TextId::WebAddress]);
    cmdOK->setText(texts[TextId::OkCaption]);
    address_ = texts[TextId::WebAddress];

    for (QWidget *w : {static_cast<QWidget *>(picMark), static_cast<QWidget *>(lblSoftwareVersion),
                       static_cast<QWidget *>(lblSoftwareAuther), static_cast<QWidget *>(lblNote),
                       static_cast<QWidget *>(lblWebPage)})
        w->adjustSize();
    cmdOK->resize(std::max(96, cmdOK->sizeHint().width()), cmdOK->sizeHint().height());

    const int widest = std::max({lblSoftwareVersion->width(), lblSoftwareAuther->width(),
                                 lblNote->width() + NoteLinkGap + lblWebPage->width()});
    const int width = std::max(MinimumWidth, widest + 2 * Margin);

    int y = 16;
    picMark->move(0, y);
    y += picMark->height() + 8;
    lblSoftwareVersion->move(0, y);
    y += lblSoftwareVersion->height() + 4;
    lblSoftwareAuther->move(0, y);
    y += lblSoftwareAuther->height() + 12;
    Line1->setGeometry(LineInset, y, 0, 2);
    y += 14;
    lblNote->move(0, y);
    lblWebPage->move(0, y);
    y += std::max(lblNote->height(), lblWebPage->height()) + 12;
    Line2->setGeometry(LineInset, y, 0, 2);
    y += 14;
    cmdOK->move(0, y);
    y += cmdOK->height() + 16;
    setFixedSize(width, y);

    for (QWidget *w :
         {static_cast<QWidget *>(lblSoftwareVersion), static_cast<QWidget *>(lblSoftwareAuther),
          static_cast<QWidget *>(cmdOK), static_cast<QWidget *>(picMark)})
        centreInParent(*w);
    centrePairInParent(*lblNote, *lblWebPage, NoteLinkGap);
    // Each rule ends as far from the right edge as it starts from the left.
    for (QFrame *line : {Line1, Line2})
        line->setGeometry(line->x(), line->y(), width - 2 * line->x(), line->height());
}

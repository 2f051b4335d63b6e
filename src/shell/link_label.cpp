#include "shell/link_label.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::setLook(const QColor &colour, bool underlined, const QColor &ground)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, colour);
    if (ground.isValid()) {
        pal.setColor(QPalette::Window, ground);
        setAutoFillBackground(true);
    }
    setPalette(pal);
    QFont f = font();
    f.setUnderline(underlined);
    setFont(f);
}

QColor LinkLabel::colour() const
{
    return palette().color(QPalette::WindowText);
}

bool LinkLabel::underlined() const
{
    return font().underline();
}

void LinkLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    Q_EMIT pointerEntered();
}

void LinkLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    Q_EMIT pointerLeft();
}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    // Accept the press so that the release is delivered here.
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

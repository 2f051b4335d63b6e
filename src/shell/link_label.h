#pragma once

#include <QColor>
#include <QLabel>

// A label that acts as a web link: it reports the pointer entering and leaving it and a
// left-button click released over it. Its owner decides the colours.
class LinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit LinkLabel(QWidget *parent = nullptr);

    // A valid ground fills the label's own background with that colour.
    void setLook(const QColor &colour, bool underlined, const QColor &ground = QColor());
    QColor colour() const;
    bool underlined() const;

Q_SIGNALS:
    void pointerEntered();
    void pointerLeft();
    void clicked();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

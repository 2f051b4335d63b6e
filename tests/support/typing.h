#pragma once

// Keyboard and mouse input sent to a widget as the user would give it, one key at a time.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

inline void pressKey(QWidget *widget, int key, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

// Printable ASCII characters have the key code of their upper-case form.
inline void typeKeys(QWidget *widget, const QString &text)
{
    for (QChar ch : text)
        pressKey(widget, ch.toUpper().unicode(), QString(ch));
}

inline void sendMouse(QWidget *widget, QEvent::Type type)
{
    const QPointF local(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent event(type, local, widget->mapToGlobal(local), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void clickOn(QWidget *widget)
{
    sendMouse(widget, QEvent::MouseButtonPress);
    sendMouse(widget, QEvent::MouseButtonRelease);
}

inline void doubleClickOn(QWidget *widget)
{
    clickOn(widget);
    sendMouse(widget, QEvent::MouseButtonDblClick);
    sendMouse(widget, QEvent::MouseButtonRelease);
}

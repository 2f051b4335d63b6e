#pragma once

// Keyboard and mouse input sent to a widget as the user would give it, one key at a time.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <optional>

// Printable ASCII characters have the key code of their upper-case form.
inline void typeKeys(QWidget *widget, const QString &text)
{
    for (QChar ch : text)
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
            QApplication::sendEvent(widget, &event);
        }
}

// A mouse button event at a point of the widget, its centre unless given.
inline void sendMouse(QWidget *widget, QEvent::Type type, std::optional<QPointF> at = {},
                      Qt::MouseButton button = Qt::LeftButton)
{
    const QPointF local = at.value_or(QPointF(widget->width() / 2.0, widget->height() / 2.0));
    QMouseEvent event(type, local, widget->mapToGlobal(local), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// A press at the centre and a release where given, at the centre too unless given.
inline void clickOn(QWidget *widget, std::optional<QPointF> release = {},
                    Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(widget, QEvent::MouseButtonPress, {}, button);
    sendMouse(widget, QEvent::MouseButtonRelease, release, button);
}

// The pointer coming over the widget, or leaving it.
inline void hover(QWidget *widget, bool enter = true)
{
    QEnterEvent entered({1, 1}, {1, 1}, {1, 1});
    QEvent left(QEvent::Leave);
    QApplication::sendEvent(widget, enter ? static_cast<QEvent *>(&entered) : &left);
}

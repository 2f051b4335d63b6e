#pragma once

// Mouse input sent to a widget as the user would give it.

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <optional>

// A mouse event at a point of the widget, its centre unless given. The buttons held after it
// are the event's button, or none after a release, unless given.
inline void sendMouse(QWidget *widget, QEvent::Type type, std::optional<QPointF> at = {},
                      Qt::MouseButton button = Qt::LeftButton,
                      std::optional<Qt::MouseButtons> held = {})
{
    const QPointF local = at.value_or(QPointF(widget->width() / 2.0, widget->height() / 2.0));
    const Qt::MouseButtons afterwards = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, held.value_or(afterwards),
                      Qt::NoModifier);
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

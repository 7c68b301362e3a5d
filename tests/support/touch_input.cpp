#include "support/touch_input.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace touchInput {

namespace {

void send(QWidget *widget, QEvent::Type type, QPoint position, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(position), QPointF(widget->mapToGlobal(position)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

}  // namespace

void press(QWidget *widget, QPoint position) {
    send(widget, QEvent::MouseButtonPress, position, Qt::LeftButton, Qt::LeftButton);
}

void move(QWidget *widget, QPoint position, bool buttonDown) {
    send(widget, QEvent::MouseMove, position, Qt::NoButton, buttonDown ? Qt::LeftButton : Qt::NoButton);
}

void release(QWidget *widget, QPoint position) {
    send(widget, QEvent::MouseButtonRelease, position, Qt::LeftButton, Qt::NoButton);
}

void doubleClick(QWidget *widget, QPoint position) {
    send(widget, QEvent::MouseButtonDblClick, position, Qt::LeftButton, Qt::LeftButton);
}

void tap(QWidget *widget, QPoint position) {
    press(widget, position);
    release(widget, position);
}

void drag(QWidget *widget, const QVector<QPoint> &path) {
    press(widget, path.first());
    for (int i = 1; i + 1 < path.size(); ++i)
        move(widget, path[i]);
    release(widget, path.last());
}

}  // namespace touchInput

#include "ui/form.h"

#include <QCloseEvent>
#include <QCoreApplication>

// Tray icon, balloons, hiding and ending the program, and the resolution watch.

void Form::showWindow() {}

void Form::hideWindow() {}

void Form::exitWindow() {}

void Form::msgClicked() {}

void Form::activeWindow(QSystemTrayIcon::ActivationReason e) {
    Q_UNUSED(e)
}

void Form::onButtonExit() {
    QCoreApplication::exit(0);
}

void Form::closeEvent(QCloseEvent *event) {
    QWidget::closeEvent(event);
}

void Form::timerEvent(QTimerEvent *event) {
    Q_UNUSED(event)
}

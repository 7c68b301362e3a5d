#pragma once

#include <QPoint>
#include <QVector>

class QWidget;

/// Mouse input as a touch frame produces it, delivered straight to a widget in its own coordinates.
namespace touchInput {

void press(QWidget *widget, QPoint position);
void move(QWidget *widget, QPoint position, bool buttonDown = true);
void release(QWidget *widget, QPoint position);
/// The second click of a double click: the event a widget receives in place of the second press.
void doubleClick(QWidget *widget, QPoint position);

/// Press and release at one spot, no move in between.
void tap(QWidget *widget, QPoint position);

/// Press at the first point, one move to each inner point, release at the last.
void drag(QWidget *widget, const QVector<QPoint> &path);

}  // namespace touchInput

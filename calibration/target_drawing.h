#pragma once

#include <QPoint>

class QPainter;

namespace calibration {

/// A target as every window of the program draws it, in the painter's current pen: a circle of radius 20 and a
/// cross of arms 30 pixels long, centred on @p target.
void drawTarget(QPainter &painter, QPoint target);

}  // namespace calibration

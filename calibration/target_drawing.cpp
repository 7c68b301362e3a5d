#include "calibration/target_drawing.h"

#include <QPainter>

namespace calibration {

void drawTarget(QPainter &painter, QPoint target) {
    painter.drawEllipse(target.x() - 20, target.y() - 20, 40, 40);
    painter.drawLine(target.x() - 30, target.y(), target.x() + 30, target.y());
    painter.drawLine(target.x(), target.y() - 30, target.x(), target.y() + 30);
}

}  // namespace calibration

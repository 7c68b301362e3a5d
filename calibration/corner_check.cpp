#include "calibration/corner_check.h"

#include <cmath>

namespace calibration {

namespace {

enum Corner { TopLeft, TopRight, BottomRight, BottomLeft };

// Comparisons are written so that a NaN coordinate fails them.
bool inOrder(const Corners &c) {
    return c[TopLeft].x < c[TopRight].x && c[BottomLeft].x < c[BottomRight].x && c[TopLeft].y < c[BottomLeft].y &&
           c[TopRight].y < c[BottomRight].y;
}

// Walking top-left, top-right, bottom-right, bottom-left turns the same way (clockwise on a screen whose y grows
// downward) at every corner exactly when the quadrilateral is convex and not self-intersecting.
bool convex(const Corners &c) {
    for (std::size_t k = 0; k < 4; ++k) {
        const TouchPoint &a = c[k];
        const TouchPoint &b = c[(k + 1) % 4];
        const TouchPoint &next = c[(k + 2) % 4];
        const double turn = (b.x - a.x) * (next.y - b.y) - (b.y - a.y) * (next.x - b.x);
        if (!(turn > 0))
            return false;
    }
    return true;
}

bool spreadOut(const Corners &c) {
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = i + 1; j < 4; ++j)
            if (!(std::hypot(c[i].x - c[j].x, c[i].y - c[j].y) >= minCornerDistance))
                return false;
    return true;
}

bool nearTargets(const Corners &c) {
    const Corners targets = referenceCorners();
    for (std::size_t k = 0; k < 4; ++k)
        if (!(std::fabs(c[k].x - targets[k].x) <= maxTargetOffset &&
              std::fabs(c[k].y - targets[k].y) <= maxTargetOffset))
            return false;
    return true;
}

}  // namespace

CornerFault checkCorners(const Corners &corners) {
    if (!inOrder(corners))
        return CornerFault::WrongOrder;
    if (!convex(corners))
        return CornerFault::Folded;
    if (!spreadOut(corners))
        return CornerFault::Collapsed;
    if (!nearTargets(corners))
        return CornerFault::FarFromTarget;
    return CornerFault::None;
}

}  // namespace calibration

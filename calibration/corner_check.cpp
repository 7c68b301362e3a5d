#include "calibration/corner_check.h"

#include <algorithm>
#include <cmath>

namespace calibration {

namespace {

double distance(const TouchPoint &a, const TouchPoint &b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Twice the signed area of the triangle a, b, c: positive when a -> b -> c turns one way, negative the other way.
double turn(const TouchPoint &a, const TouchPoint &b, const TouchPoint &c) {
    return (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
}

// Comparisons below are written so that a NaN coordinate fails them.

bool spreadOut(const Corners &c) {
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = i + 1; j < 4; ++j)
            if (!(distance(c[i], c[j]) >= minCornerSeparation))
                return false;
    return true;
}

// Four corners make four triangles, one without each corner; a triangle's lowest height is its doubled area over
// its longest side.
bool noThreeOnALine(const Corners &c) {
    for (std::size_t left = 0; left < 4; ++left) {
        const TouchPoint &a = c[(left + 1) % 4];
        const TouchPoint &b = c[(left + 2) % 4];
        const TouchPoint &d = c[(left + 3) % 4];
        const double longest = std::max({distance(a, b), distance(b, d), distance(d, a)});
        if (!(std::fabs(turn(a, b, d)) >= minCornerSeparation * longest))
            return false;
    }
    return true;
}

// Walking the corners in their order turns the same way at every corner exactly when the quadrilateral is convex:
// clockwise for a frame that reports the screen as it is, counter-clockwise for a mirrored one. Crossed sides or a
// corner inside the other three make the turns disagree.
bool convex(const Corners &c) {
    int clockwise = 0;
    int counterClockwise = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const double t = turn(c[k], c[(k + 1) % 4], c[(k + 2) % 4]);
        clockwise += t > 0;
        counterClockwise += t < 0;
    }
    return clockwise == 4 || counterClockwise == 4;
}

}  // namespace

CornerFault checkCorners(const Corners &corners) {
    if (!spreadOut(corners))
        return CornerFault::Collapsed;
    if (!noThreeOnALine(corners))
        return CornerFault::OnOneLine;
    if (!convex(corners))
        return CornerFault::Folded;
    return CornerFault::None;
}

}  // namespace calibration
